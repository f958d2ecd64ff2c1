#!/usr/bin/env python3
"""Boots a test machine under QEMU and judges the test live system's report.

Usage: run_qemu.py PREFIX [options] -- QEMU_DEVICE_ARGUMENTS. The first serial port goes to
PREFIX.serial.log; screen dumps (PREFIX.NAME.png) and keys go through the monitor on QEMU's standard
input, timed from the start or from a text's first appearance on the serial port (a menu really on
screen). The live system's /init writes "KH-BOOT: PASS ..." or "KH-BOOT: FAIL ..." and powers off;
where a boot must end elsewhere, that is the wrong entry. Exit status: 0 PASS, 1 FAIL or no verdict
within KH_BOOT_TIMEOUT (150) seconds, 77 QEMU cannot run.
"""
import argparse
import os
import pathlib
import subprocess
import sys
import time
from subprocess import PIPE

QEMU = ["qemu-system-x86_64", "-accel", "tcg", "-m", "512", "-display", "none", "-vga", "std",
        "-nodefaults", "-no-reboot"]


def cannot_run():
    """Why an idle machine cannot start here, or None when it can."""
    try:
        probe = subprocess.run(QEMU + ["-S", "-monitor", "stdio"], input=b"quit\n",
                               capture_output=True, timeout=30)
    except (OSError, subprocess.TimeoutExpired) as error:
        return str(error)
    return probe.stderr.decode(errors="replace").strip() if probe.returncode else None


def timed(kind):  # SECONDS:WHAT
    return lambda value: (float(value.split(":", 1)[0]), kind, value.split(":", 1)[1])


def verdict(lines, expected):
    """The boot's result from the serial lines, or None while there is none."""
    for line in lines:
        if expected and line.strip() == expected:
            return f"PASS {expected} reached"
        if line.startswith("KH-BOOT: "):
            result = line[len("KH-BOOT: "):].strip()
            return f"FAIL the live system started instead: {result}" if expected else result
    return None


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("prefix")
    parser.add_argument("--shot", dest="events", action="append", type=timed("shot"), default=[])
    parser.add_argument("--key", dest="events", action="append", type=timed("key"))
    parser.add_argument("--after-serial", help="time the events from this text on the serial port")
    parser.add_argument("--expect-line", help="pass at this serial line instead of at KH-BOOT")
    parser.add_argument("--serial-contains", action="append", default=[], help="UTF-8 text")
    split = sys.argv.index("--")
    args, devices = parser.parse_args(sys.argv[1:split]), sys.argv[split + 1:]
    reason = cannot_run()
    if reason:
        print(f"SKIP: {reason}")
        return 77

    log = pathlib.Path(args.prefix + ".serial.log")
    log.unlink(missing_ok=True)  # it would answer --after-serial before QEMU truncates it
    qemu = subprocess.Popen(QEMU + devices + ["-serial", f"file:{log}", "-monitor", "stdio"],
                            stdin=PIPE, stdout=subprocess.DEVNULL)  # its errors go to ours

    def monitor(command):
        try:
            qemu.stdin.write(command.encode() + b"\n")
            qemu.stdin.flush()
        except OSError:  # QEMU has ended
            pass

    timeout = float(os.environ.get("KH_BOOT_TIMEOUT", 150))
    events = sorted(args.events)
    start = time.monotonic()
    events_start = None if args.after_serial else start
    while qemu.poll() is None and time.monotonic() - start < timeout:
        if events_start is None and log.exists() and args.after_serial.encode() in log.read_bytes():
            events_start = time.monotonic()
        while events and events_start and events[0][0] <= time.monotonic() - events_start:
            _, kind, what = events.pop(0)
            monitor(f"screendump {args.prefix}.{what}.png -f png" if kind == "shot" else
                    f"sendkey {what}")
        time.sleep(0.2)
    elapsed = time.monotonic() - start
    timed_out = qemu.poll() is None
    if timed_out:
        monitor(f"screendump {args.prefix}.at-timeout.png -f png")
        monitor("quit")
    qemu.communicate()

    output = log.read_bytes() if log.exists() else b""
    lines = output.decode("latin-1").splitlines()
    for line in lines:
        if line.startswith("KH-"):
            print(f"  serial: {line}")
    if events and events_start is None:
        print(f"  {args.after_serial!r} never appeared on the serial port")
    result = verdict(lines, args.expect_line) or \
        (f"FAIL no verdict within {timeout:.0f} s" if timed_out else "FAIL QEMU ended without one")
    missing = [text for text in args.serial_contains if text.encode() not in output]
    if missing and result.startswith("PASS"):
        result = f"FAIL the serial output lacks {', '.join(missing)} ({result})"
    print(f"boot {os.path.basename(args.prefix)} after {elapsed:.0f} s: {result} (log {log})")
    return 0 if result.startswith("PASS") else 1


if __name__ == "__main__":
    sys.exit(main())
