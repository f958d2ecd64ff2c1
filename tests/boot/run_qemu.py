#!/usr/bin/env python3
"""Boots a test machine under QEMU and judges the test live system's report.

The first serial port goes to PREFIX.serial.log. Screen dumps (PREFIX.NAME.png) and key presses go
through the monitor on QEMU's standard input at given seconds after the start, or after a text
first shows up on the serial port, so that keys reach a menu that is really on screen. The live
system's /init writes "KH-BOOT: PASS ..." or "KH-BOOT: FAIL ..." there and powers off; a boot that
must end elsewhere names the line expected there instead (--expect-line), and a KH-BOOT line then
means the wrong entry was started.

Usage: run_qemu.py PREFIX [options] -- QEMU_DEVICE_ARGUMENTS
Exit status: 0 PASS, 1 FAIL or no verdict within KH_BOOT_TIMEOUT (150) seconds, 77 QEMU cannot run.
"""
import argparse
import os
import subprocess
import sys
import time

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


def timed(kind):
    def parse(value):
        seconds, _, what = value.partition(":")
        return float(seconds), kind, what
    return parse


def verdict(lines, expected):
    """The boot's result from the serial lines, or None while there is none."""
    for line in lines:
        if expected and line.strip() == expected:
            return f"PASS {expected} reached"
        if line.startswith("KH-BOOT: "):
            result = line[len("KH-BOOT: "):].strip()
            return f"FAIL the live system started instead of {expected} ({result})" if expected \
                else result
    return None


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("prefix", help="path and name of the log and the screenshots")
    parser.add_argument("--shot", dest="events", action="append", type=timed("shot"), default=[],
                        metavar="SECONDS:NAME")
    parser.add_argument("--key", dest="events", action="append", type=timed("key"),
                        metavar="SECONDS:KEY")
    parser.add_argument("--after-serial", metavar="TEXT",
                        help="count the event times from TEXT's first appearance on the serial port")
    parser.add_argument("--expect-line", metavar="LINE", help="pass at this serial line instead")
    parser.add_argument("--serial-contains", action="append", default=[], metavar="TEXT",
                        help="fail unless the serial output holds TEXT (UTF-8)")
    split = sys.argv.index("--")
    args, devices = parser.parse_args(sys.argv[1:split]), sys.argv[split + 1:]
    reason = cannot_run()
    if reason:
        print(f"SKIP: {reason}")
        return 77

    log_path = args.prefix + ".serial.log"
    if os.path.exists(log_path):  # it would answer --after-serial before QEMU truncates it
        os.remove(log_path)

    def serial():
        try:
            with open(log_path, "rb") as log:
                return log.read()
        except FileNotFoundError:
            return b""

    qemu = subprocess.Popen(QEMU + devices + ["-serial", f"file:{log_path}", "-monitor", "stdio"],
                            stdin=subprocess.PIPE, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)

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
        if events_start is None and args.after_serial.encode() in serial():
            events_start = time.monotonic()
        while events and events_start is not None and events[0][0] <= time.monotonic() - events_start:
            _, kind, what = events.pop(0)
            monitor(f"screendump {args.prefix}.{what}.png -f png" if kind == "shot" else
                    f"sendkey {what}")
        time.sleep(0.2)
    elapsed = time.monotonic() - start
    timed_out = qemu.poll() is None
    if timed_out:
        monitor(f"screendump {args.prefix}.at-timeout.png -f png")
        monitor("quit")
    try:
        errors = qemu.communicate(timeout=10)[1].decode(errors="replace").strip()
    except subprocess.TimeoutExpired:
        qemu.kill()
        errors = "did not quit"

    output = serial()
    lines = output.decode("latin-1").splitlines()
    for line in lines:
        if line.startswith("KH-"):
            print(f"  serial: {line}")
    if events and events_start is None:
        print(f"  {args.after_serial!r} never appeared on the serial port")
    if errors:
        print(f"  qemu: {errors}")
    result = verdict(lines, args.expect_line) or \
        (f"FAIL no verdict within {timeout:.0f} s" if timed_out else "FAIL QEMU ended without one")
    missing = [text for text in args.serial_contains if text.encode() not in output]
    if missing and result.startswith("PASS"):
        result = f"FAIL the serial output lacks {', '.join(missing)} ({result})"
    print(f"boot {os.path.basename(args.prefix)} after {elapsed:.0f} s: {result} (log {log_path})")
    return 0 if result.startswith("PASS") else 1


if __name__ == "__main__":
    sys.exit(main())
