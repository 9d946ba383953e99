#!/usr/bin/env python3
"""Benchmark (prints figures, asserts nothing about them): receive latency of KORA.DLL.

For each of a few hundred pings, one byte is written on the device's end of a pty
pair and the Windows program (kora_latency_bench.exe under Wine) answers with the same byte.
The program notes when each byte arrived with QueryPerformanceCounter, which under
Wine counts CLOCK_MONOTONIC_RAW in 100 ns, the clock this script reads before each
write, so the two give the one-way latency directly.

Measured three ways: the pty pair alone (read in Linux: what socat's hop costs), a bare
overlapped one-byte ReadFile under Wine (no library, no second thread: what Wine's
serial layer adds), and through KORA.DLL up to the receive callback on the UI thread;
plus the cost of one posted message between two threads under Wine, the hop that
takes an event from the library's I/O thread to the UI thread, and of one event set for
a waiting thread, the hop that takes a write to the I/O thread. Events come on the UI
thread and the port is the I/O thread's, so the floor of that design is the bare
program's plus the hops; the figures are held against both.
"""
import contextlib
import os
import random
import select
import statistics
import subprocess
import sys
import time
import tty

from zevharness.processes import end_on_signals, start_process
from zevharness.ptys import pty_pair
from figures import Figures

BENCH = os.path.join(os.environ.get("ZEV_TEST_BIN", "."), "kora_latency_bench.exe")
PINGS = 300


def now_ticks():
    return time.clock_gettime_ns(time.CLOCK_MONOTONIC_RAW) // 100


def measure(mode):
    with contextlib.ExitStack() as owner:
        pair = pty_pair(owner, 1)
        bench = start_process(owner, ["wine", BENCH, mode, "1", str(PINGS)], stdout=subprocess.PIPE, text=True)
        if bench.stdout.readline().strip() != "READY":
            raise RuntimeError("kora_latency_bench %s did not start" % mode)
        pair.device()
        sent, round_trips = [], []
        for i in range(PINGS):
            time.sleep(random.uniform(0.001, 0.003))
            byte = bytes([0x30 + i % 64])
            t0 = now_ticks()
            pair.write(byte)
            echo = pair.read(count=1, timeout=2.0)
            round_trips.append((now_ticks() - t0) / 1e4)
            sent.append(t0)
            if echo != byte:
                raise RuntimeError("ping %d: no echo" % i)
        out, _ = bench.communicate(timeout=30)
    arrivals = [int(line.split()[1]) for line in out.splitlines() if line.startswith("ARRIVAL")]
    return [(a - s) / 1e4 for a, s in zip(arrivals, sent)], round_trips


def measure_pty_pair():
    """The pty pair alone (socat between two ptys), both ends read and written here."""
    with contextlib.ExitStack() as owner:
        pair = pty_pair(owner, 1)
        tool = os.open(pair.tool_path, os.O_RDWR | os.O_NOCTTY)
        owner.callback(os.close, tool)
        tty.setraw(tool)
        pair.device()
        times = []
        for i in range(PINGS):
            time.sleep(random.uniform(0.001, 0.003))
            t0 = now_ticks()
            pair.write(b"p")
            select.select([tool], [], [], 2.0)
            os.read(tool, 16)
            times.append((now_ticks() - t0) / 1e4)
    return times


def measure_thread_hop(mode="hop"):
    out = subprocess.run(["wine", BENCH, mode, str(PINGS)], stdout=subprocess.PIPE, text=True,
                         timeout=60).stdout
    tag = mode.upper()
    return [int(line.split()[1]) / 1e4 for line in out.splitlines() if line.startswith(tag)]


def figures(name, values):
    ordered = sorted(values)
    p = lambda q: ordered[min(len(ordered) - 1, int(q * len(ordered)))]  # noqa: E731
    print("%-52s median %6.3f ms   p10 %6.3f ms   p90 %6.3f ms   (n=%d)"
          % (name, statistics.median(ordered), p(0.10), p(0.90), len(ordered)))
    return statistics.median(ordered)


def main():
    end_on_signals()
    pair_times = measure_pty_pair()
    results = {mode: measure(mode) for mode in ("raw", "kora")}
    print("Receive latency, byte written on the device's pty end -> seen by the program:")
    raw = figures("bare overlapped 1-byte ReadFile (Wine's floor)", results["raw"][0])
    kora = figures("KORA.DLL receive callback on the UI thread", results["kora"][0])
    print("Where the time goes:")
    figures("socat's hop between the ptys (in the above)", pair_times)
    post = figures("a posted message from another thread to GetMessage", measure_thread_hop("hop"))
    wake = figures("an event set for another thread's wait", measure_thread_hop("wake"))
    print("Round trip (device end -> program -> device end), for reference:")
    raw_trip = figures("bare ReadFile + WriteFile", results["raw"][1])
    kora_trip = figures("KORA.DLL callback + KoraRead + KoraWrite", results["kora"][1])
    print("Against the floor of events on the UI thread and the port on the I/O thread:")
    print("  receive latency %.3f ms, bare + posted message %.3f ms: %.2f times"
          % (kora, raw + post, kora / (raw + post)))
    print("  round trip %.3f ms, bare + posted message + event %.3f ms: %.2f times"
          % (kora_trip, raw_trip + post + wake, kora_trip / (raw_trip + post + wake)))
    table = Figures("kora_latency_bench")
    table.add("receive latency to the callback (median)", kora, "ms", floor=raw,
              note="floor: bare overlapped ReadFile; %.2f x bare + a posted message" % (kora / (raw + post)))
    table.add("round trip, callback + KoraRead + KoraWrite (median)", kora_trip, "ms", floor=raw_trip,
              note="floor: bare ReadFile + WriteFile; %.2f x bare + a posted message + an event"
              % (kora_trip / (raw_trip + post + wake)))
    if min(results["kora"][0] + results["raw"][0]) < 0:
        print("note: negative one-way times: the two clocks do not agree on this system")
    return 0


if __name__ == "__main__":
    sys.exit(main())
