#!/usr/bin/env python3
"""Usage: run_qemu.py PREFIX DISK [options]. Boots DISK (IDE) under QEMU; the first serial port goes
to PREFIX.serial.log, screen dumps to PREFIX.NAME.png. Passes when the live system reports
"KH-BOOT: PASS ..." (or the --expect line comes first) and the serial output holds every --serial
text (UTF-8). Exit status: 0 pass, 1 fail, 77 QEMU cannot run."""
import argparse
import contextlib
import os
import pathlib
import subprocess
import sys
import time

QEMU = ["qemu-system-x86_64", "-accel", "tcg", "-m", "512", "-display", "none", "-vga", "std",
        "-nodefaults", "-no-reboot", "-monitor", "stdio"]


def timed(value):  # SECONDS:WHAT
    seconds, what = value.split(":", 1)
    return float(seconds), what


def verdict(lines, expected):
    for line in lines:
        if expected and line.strip() == expected:
            return f"PASS {expected} reached"
        if line.startswith("KH-BOOT: "):
            return ("FAIL the live system started instead: " if expected else "") + line[9:].strip()
    return "FAIL no verdict"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("prefix")
    parser.add_argument("disk")
    parser.add_argument("--stick")  # a USB stick on xHCI, booted first
    for timed_event in "--shot", "--key":  # SECONDS:WHAT, from when all --serial texts are there
        parser.add_argument(timed_event, action="append", type=timed, default=[])
    parser.add_argument("--serial", action="append", default=[])
    parser.add_argument("--expect")
    args = parser.parse_args()
    try:
        subprocess.run(QEMU + ["-S"], input=b"quit\n", capture_output=True, timeout=30, check=True)
    except (OSError, subprocess.SubprocessError) as error:
        print(f"SKIP: QEMU cannot run: {error}")
        return 77

    command = QEMU + ["-drive", f"file={args.disk},format=raw,if=ide,index=0"]
    if args.stick:
        command += ["-device", "qemu-xhci,id=xhci",
                 "-drive", f"file={args.stick},format=raw,if=none,id=stick",
                 "-device", "usb-storage,bus=xhci.0,drive=stick,bootindex=0"]
    log = pathlib.Path(args.prefix + ".serial.log")
    log.unlink(missing_ok=True)  # it would answer --serial before QEMU truncates it
    qemu = subprocess.Popen(command + ["-serial", f"file:{log}"], stdin=subprocess.PIPE,
                            stdout=subprocess.DEVNULL)  # its errors go to ours

    def monitor(command):
        with contextlib.suppress(OSError):  # QEMU has ended
            qemu.stdin.write(command.encode() + b"\n")
            qemu.stdin.flush()

    def serial():
        return log.read_bytes() if log.exists() else b""

    events = sorted([(at, f"screendump {args.prefix}.{name}.png -f png") for at, name in args.shot]
                    + [(at, f"sendkey {key}") for at, key in args.key])
    deadline = time.monotonic() + float(os.environ.get("KH_BOOT_TIMEOUT", 150))
    shown = None  # when the --serial texts were all there
    while qemu.poll() is None and time.monotonic() < deadline:
        if shown is None and all(text.encode() in serial() for text in args.serial):
            shown = time.monotonic()
        while events and shown is not None and events[0][0] <= time.monotonic() - shown:
            monitor(events.pop(0)[1])
        time.sleep(0.2)
    monitor("quit")
    qemu.communicate()

    result = verdict(serial().decode("latin-1").splitlines(), args.expect)
    if shown is None and result.startswith("PASS"):
        result = f"FAIL the serial output lacks one of {', '.join(args.serial)} ({result})"
    print(f"boot {os.path.basename(args.prefix)}: {result} (log {log})")
    return 0 if result.startswith("PASS") else 1


if __name__ == "__main__":
    sys.exit(main())
