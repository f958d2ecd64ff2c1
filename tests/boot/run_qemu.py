#!/usr/bin/env python3
"""Boots a test machine under QEMU and judges the test live system's report.

QEMU runs with the first serial port in a log file and its monitor on a Unix
socket, through which screen dumps are taken and keys pressed at given times
after the start (or after a text first shows up on the serial port, so that
keys reach a menu that is really on screen). The live system's /init writes
"KH-BOOT: PASS ..." or "KH-BOOT: FAIL ..." on the serial port and powers off;
a boot that must end elsewhere names the line expected there instead
(--expect-line), and a KH-BOOT line then means the wrong entry was started.

Exit status: 0 PASS, 1 FAIL or no verdict in time, 77 QEMU cannot run here
(not installed, or an idle machine does not start).
"""
import argparse
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import time

SKIP = 77


def parse_timed(values):
    """'SECONDS:WHAT' items, sorted by time."""
    items = []
    for value in values:
        seconds, _, what = value.partition(":")
        items.append((float(seconds), what))
    return sorted(items)


class Monitor:
    def __init__(self, path):
        self.path = path
        self.sock = None

    def command(self, line):
        if self.sock is None:
            self.sock = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
            self.sock.settimeout(5)
            self.sock.connect(self.path)
            self._drain()
        self.sock.sendall((line + "\n").encode())
        self._drain()

    def _drain(self):
        # Reads until the prompt comes back, so that the command has been carried out.
        data = b""
        while not data.endswith(b"(qemu) "):
            chunk = self.sock.recv(4096)
            if not chunk:
                break
            data += chunk


def to_png(ppm, png):
    convert = "/usr/bin/convert" if os.path.exists("/usr/bin/convert") else "convert"
    subprocess.run([convert, ppm, png], check=True)


def qemu_cannot_run(binary):
    """Why an idle machine of the tests' kind cannot start here, or None when it can."""
    if shutil.which(binary) is None:
        return f"{binary} is not installed"
    try:
        probe = subprocess.run([binary, "-accel", "tcg", "-M", "pc", "-nodefaults", "-display", "none",
                                "-S", "-qmp", "stdio"],
                               input=b'{"execute": "qmp_capabilities"}\n{"execute": "quit"}\n',
                               stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=30)
    except subprocess.TimeoutExpired:
        return f"{binary} did not answer within 30 s"
    if probe.returncode != 0:
        return f"{binary} cannot start: {probe.stdout.decode(errors='replace').strip()}"
    return None


def read_serial(serial_log):
    try:
        with open(serial_log, "rb") as log:
            return log.read()
    except FileNotFoundError:
        return b""


def verdict(serial, expected_line=None):
    """The boot's result from the serial output, or None while there is none."""
    for line in serial.decode("latin-1").splitlines():
        if expected_line is not None and line.strip() == expected_line:
            return f"PASS {expected_line} reached"
        if line.startswith("KH-BOOT: "):
            result = line[len("KH-BOOT: "):].strip()
            if expected_line is None:
                return result
            return f"FAIL the live system started instead of {expected_line} ({result})"
    return None


def missing_texts(serial, texts):
    return [text for text in texts if text.encode() not in serial]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--name", required=True)
    parser.add_argument("--artifacts", required=True, help="directory for the log and screenshots")
    parser.add_argument("--timeout", type=float, default=120)
    parser.add_argument("--shot", action="append", default=[], help="SECONDS:NAME screen dump")
    parser.add_argument("--key", action="append", default=[], help="SECONDS:KEY (QEMU sendkey)")
    parser.add_argument("--after-serial", metavar="TEXT",
                        help="count the times of --shot and --key from TEXT's first appearance "
                             "on the serial port instead of from the start")
    parser.add_argument("--expect-line", metavar="LINE",
                        help="the boot passes when this serial line appears (not at KH-BOOT)")
    parser.add_argument("--serial-contains", action="append", default=[], metavar="TEXT",
                        help="the boot fails unless the serial output holds TEXT (UTF-8)")
    parser.add_argument("qemu", nargs=argparse.REMAINDER, help="-- qemu-system-… arguments")
    args = parser.parse_args()
    qemu = args.qemu[1:] if args.qemu[:1] == ["--"] else args.qemu
    if not qemu:
        parser.error("no QEMU command given")
    reason = qemu_cannot_run(qemu[0])
    if reason:
        print(f"SKIP: {reason}")
        return SKIP

    os.makedirs(args.artifacts, exist_ok=True)
    serial_log = os.path.join(args.artifacts, f"{args.name}.serial.log")
    # A log of an earlier run would answer --after-serial before QEMU has truncated it.
    if os.path.exists(serial_log):
        os.remove(serial_log)
    work = tempfile.mkdtemp(prefix="kh-boot-")
    monitor_path = os.path.join(work, "monitor.sock")
    command = qemu + ["-serial", f"file:{serial_log}", "-monitor",
                      f"unix:{monitor_path},server,nowait", "-no-reboot"]
    events = [(t, "shot", w) for t, w in parse_timed(args.shot)] + \
             [(t, "key", w) for t, w in parse_timed(args.key)]
    events.sort()

    start = time.monotonic()
    process = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    monitor = Monitor(monitor_path)
    shots = []
    events_start = None if args.after_serial else start
    try:
        while process.poll() is None:
            now = time.monotonic()
            elapsed = now - start
            if elapsed > args.timeout:
                break
            if events_start is None and args.after_serial.encode() in read_serial(serial_log):
                events_start = now
            while events and events_start is not None and events[0][0] <= now - events_start:
                _, kind, what = events.pop(0)
                try:
                    if kind == "shot":
                        ppm = os.path.join(work, f"{what}.ppm")
                        monitor.command(f"screendump {ppm}")
                        png = os.path.join(args.artifacts, f"{args.name}.{what}.png")
                        to_png(ppm, png)
                        shots.append(png)
                    else:
                        monitor.command(f"sendkey {what}")
                except OSError as error:
                    print(f"monitor: {kind} {what} at {elapsed:.1f} s failed: {error}")
            time.sleep(0.2)
        elapsed = time.monotonic() - start
        timed_out = process.poll() is None
        if timed_out:
            shot = os.path.join(work, "timeout.ppm")
            try:
                monitor.command(f"screendump {shot}")
                png = os.path.join(args.artifacts, f"{args.name}.at-timeout.png")
                to_png(shot, png)
                shots.append(png)
            except (OSError, subprocess.CalledProcessError):
                pass
            process.kill()
        output = process.communicate()[0].decode(errors="replace")
    finally:
        if process.poll() is None:
            process.kill()
        shutil.rmtree(work, ignore_errors=True)

    serial = read_serial(serial_log)
    result = verdict(serial, args.expect_line)
    for line in serial.decode("latin-1").splitlines():
        if line.startswith("KH-"):
            print(f"  serial: {line}")
    if events and events_start is None:
        print(f"  events: {args.after_serial!r} never appeared on the serial port")
    for shot in shots:
        print(f"  screenshot: {shot}")
    if output.strip():
        print(f"  qemu: {output.strip()}")
    if result is None:
        state = f"no verdict within {args.timeout:.0f} s" if timed_out else "QEMU ended without a verdict"
        print(f"boot {args.name}: FAIL ({state}; serial log {serial_log})")
        return 1
    missing = missing_texts(serial, args.serial_contains)
    if missing and result.startswith("PASS"):
        result = "FAIL serial output lacks " + ", ".join(missing) + f" (besides: {result})"
    print(f"boot {args.name}: {result.split()[0]} after {elapsed:.1f} s: {result}")
    return 0 if result.startswith("PASS") else 1


if __name__ == "__main__":
    sys.exit(main())
