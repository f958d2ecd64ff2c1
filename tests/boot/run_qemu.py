#!/usr/bin/env python3
"""Boots a test machine under QEMU and judges the test live system's report.

QEMU runs with the first serial port in a log file and its monitor on a Unix
socket, through which screen dumps are taken and keys pressed at given times
after the start. The live system's /init writes "KH-BOOT: PASS ..." or
"KH-BOOT: FAIL ..." on the serial port and powers off.

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


def verdict(serial_log):
    try:
        with open(serial_log, "rb") as log:
            text = log.read().decode("latin-1")
    except FileNotFoundError:
        return None
    for line in text.splitlines():
        if line.startswith("KH-BOOT: "):
            return line[len("KH-BOOT: "):].strip()
    return None


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--name", required=True)
    parser.add_argument("--artifacts", required=True, help="directory for the log and screenshots")
    parser.add_argument("--timeout", type=float, default=120)
    parser.add_argument("--shot", action="append", default=[], help="SECONDS:NAME screen dump")
    parser.add_argument("--key", action="append", default=[], help="SECONDS:KEY (QEMU sendkey)")
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
    try:
        while process.poll() is None:
            elapsed = time.monotonic() - start
            if elapsed > args.timeout:
                break
            while events and events[0][0] <= elapsed:
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

    result = verdict(serial_log)
    try:
        with open(serial_log, "rb") as log:
            lines = log.read().decode("latin-1").splitlines()
    except FileNotFoundError:
        lines = []
    for line in lines:
        if line.startswith("KH-"):
            print(f"  serial: {line}")
    for shot in shots:
        print(f"  screenshot: {shot}")
    if output.strip():
        print(f"  qemu: {output.strip()}")
    if result is None:
        state = f"no verdict within {args.timeout:.0f} s" if timed_out else "QEMU ended without a verdict"
        print(f"boot {args.name}: FAIL ({state}; serial log {serial_log})")
        return 1
    print(f"boot {args.name}: {result.split()[0]} after {elapsed:.1f} s: {result}")
    return 0 if result.startswith("PASS") else 1


if __name__ == "__main__":
    sys.exit(main())
