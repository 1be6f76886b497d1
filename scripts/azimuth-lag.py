#!/usr/bin/env python3
"""Measures how far the azimuth ROTEKA shows lags behind the controller's reports.

ROTEKA runs with --listen (the rotctld protocol), the controller is roteka-sim with --log-sent.
This client asks ROTEKA to turn the antenna clockwise (P 359 0), then reads the azimuth back
with `p` as fast as ROTEKA answers. Per bearing, the lag is the time from the simulator first
sending it to the client first reading it or a bearing beyond it (the window may skip bearings).
Both sides stamp on the monotonic clock. Exits 1 when a bearing took longer than the limit or
never showed; prints one line either way.

Usage: azimuth-lag.py SIM_LOG LABEL [--port 4533] [--seconds 8] [--limit-ms 200]
"""
import argparse
import re
import socket
import statistics
import sys
import time

# Between two readings: often enough to see each bearing, not so often that answering takes
# the program's time.
POLL_S = 0.002


def connect(port, wait_s):
    until = time.monotonic() + wait_s
    while True:
        try:
            return socket.create_connection(("127.0.0.1", port), timeout=10)
        except OSError:
            if time.monotonic() > until:
                raise
            time.sleep(0.5)


class Client:
    def __init__(self, sock):
        self.sock = sock
        self.pending = b""

    def line(self):
        while b"\n" not in self.pending:
            data = self.sock.recv(4096)
            if not data:
                raise ConnectionError("ROTEKA closed the connection")
            self.pending += data
        line, self.pending = self.pending.split(b"\n", 1)
        return line.decode("latin-1").strip()

    def azimuth(self):
        """The azimuth ROTEKA shows, or None while it has none (the port closed)."""
        self.sock.sendall(b"p\n")
        first = self.line()
        if first.startswith("RPRT"):
            return None
        self.line()  # the elevation
        return float(first)


def sent_bearings(sim_log, since):
    """Bearing -> the time the simulator first sent it, from its TX lines after `since`."""
    first = {}
    report = re.compile(r"^TX (\d+\.\d+) AZ=(\d{3})")
    with open(sim_log, encoding="latin-1") as log:
        for line in log:
            match = report.match(line)
            if match and float(match.group(1)) >= since:
                first.setdefault(int(match.group(2)), float(match.group(1)))
    return first


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("sim_log")
    parser.add_argument("label")
    parser.add_argument("--port", type=int, default=4533)
    parser.add_argument("--seconds", type=float, default=8)
    parser.add_argument("--limit-ms", type=float, default=200)
    args = parser.parse_args()

    client = Client(connect(args.port, 60))
    until = time.monotonic() + 60
    start = client.azimuth()
    while start is None:
        if time.monotonic() > until:
            sys.exit(f"FAILED: {args.label}: ROTEKA showed no azimuth")
        time.sleep(0.2)
        start = client.azimuth()
    # The antenna turns clockwise from where it rests; reports from now on count.
    since = time.monotonic()
    client.sock.sendall(b"P 359 0\n")
    if client.line() != "RPRT 0":
        sys.exit(f"FAILED: {args.label}: ROTEKA refused the turn")
    readings = []
    end = since + args.seconds
    while time.monotonic() < end:
        azimuth = client.azimuth()
        if azimuth is not None:
            readings.append((time.monotonic(), round(azimuth)))
        time.sleep(POLL_S)
    client.sock.close()

    limit = args.limit_ms / 1000
    sent = sent_bearings(args.sim_log, since)
    bearings = sorted(b for b, at in sent.items() if b > round(start) and at <= end - limit)
    if len(bearings) < 10:
        sys.exit(f"FAILED: {args.label}: the simulator sent only {len(bearings)} new bearings")
    lags, missing = [], 0
    for bearing in bearings:
        shown = next((at for at, azimuth in readings if azimuth >= bearing), None)
        if shown is None:
            missing += 1
            lags.append(end - sent[bearing])
        else:
            lags.append(shown - sent[bearing])
    ms = sorted(lag * 1000 for lag in lags)
    p95 = ms[min(len(ms) - 1, round(0.95 * (len(ms) - 1)))]
    figures = (f"median {statistics.median(ms):.0f} ms, p95 {p95:.0f} ms, max {ms[-1]:.0f} ms, "
               f"{len(bearings)} bearings, {len(readings)} readings")
    if missing or ms[-1] > args.limit_ms:
        never = f"; {missing} never shown in {args.seconds:g} s" if missing else ""
        print(f"FAILED: {args.label} the azimuth lagged up to {ms[-1]:.0f} ms behind, over the "
              f"{args.limit_ms:.0f} ms allowed ({figures}{never})")
        sys.exit(1)
    print(f"ok: {args.label} the azimuth followed within {ms[-1]:.0f} ms ({figures})")


if __name__ == "__main__":
    main()
