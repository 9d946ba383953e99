#!/usr/bin/env python3
"""Benchmark (prints figures, asserts nothing about them): what the tool costs a
firmware download.

ZEV.EXE downloads into ZEVSIM.EXE running with --line-rate, so every byte takes its
wire time as on a cable. From the simulator's hex log (microsecond stamps):
  turnaround  the device's ACK written -> the first byte of the next frame received:
              the tool's own reaction, with Wine's serial layer and the pty hop;
  device      the first byte of a frame received -> its ACK written: the frame's wire
              time plus the simulator's millisecond pacing;
  efficiency  the protocol's own time (every frame and every ACK on the wire) divided
              by the measured time from 'D' to the last ACK.
The same S19 download with Python in the tool's place (no Wine on the tool's side) gives
the floor that the pty and the simulator's own serial layer set; with a bare Win32 program
in the tool's place (bare_download.exe: overlapped ReadFile and WriteFile, nothing else),
the floor of any program under Wine. The tool's aims, from the same run: its turnaround
within 1.3 times the bare program's, its efficiency within 2 points of the bare program's.
The S19 download again with the traffic trace on ([Debug] Trace=1), which must not slow it.
A 64 KB image at its device's 19200 baud, held against the bare program's download of the
same image (a block takes 68 ms on the wire, so the tool waits idle longer between turns
than in the S19 download). Then a 4 MB image at full pty speed, with the tool's working set before, during and after.
"""
import contextlib
import os
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
from zevharness import hex_log
from zevharness.firmware_files import LARGE_S19, s19_lines, s19_path, write_image
from zevharness.ptys import pty_pair
from zevharness.processes import end_on_signals
from zevharness.robot import Robot, windows_path
from zevharness.session import sim_session
from zevharness.simulator import simulator
from zevharness.tool_end import tool_end
from figures import Figures

DOWNLOAD = 40017
DONE = "Firmware-Download abgeschlossen"
ACK = 0x06


def download(owner, robot, device_type, path, sim_args, timeout, watch=None, more_settings=""):
    """One download of `path`; the simulator's hex log entries and the seconds it took."""
    session = sim_session(owner, robot, device_type, sim_args=sim_args, more_settings=more_settings)
    session.connect()
    session.command(DOWNLOAD)
    dialog = robot.other_window(session.main, 10.0)
    if dialog is None:
        raise RuntimeError("no file dialog")
    robot.file_dialog(dialog, path)
    started = time.monotonic()
    while not session.log_has(DONE, 1.0):
        if watch:
            watch(session)
        if time.monotonic() - started > timeout:
            raise RuntimeError("the download did not end; the log shows:\n" + session.run.log_window()[-2000:])
    return session, hex_log.entries(session.sim.log_text()), time.monotonic() - started


def python_download(owner, folder, lines):
    """The S19 download with Python as the tool: each line the moment its ACK is read."""
    pair = pty_pair(owner, 1)
    sim = simulator(owner, folder, "--type", "0", "--line-rate")
    sim.wait_for_output("waiting for a wake-up")
    tool = tool_end(owner, pair)
    tool.wake_up(0, 38400)
    tool.write(b"D")
    for line in lines:
        tool.write(line.encode("ascii") + b"\r")
        if tool.read(count=1, timeout=5.0) != bytes([ACK]):
            raise RuntimeError("no ACK from the simulator")
    time.sleep(0.2)
    return hex_log.entries(sim.log_text())


def bare_download(owner, folder, path, device_type=0):
    """The download of `path` with a bare Win32 program as the tool."""
    pair = pty_pair(owner, 1)
    sim = simulator(owner, folder, "--type", str(device_type), "--line-rate")
    sim.wait_for_output("waiting for a wake-up")
    program = subprocess.run(["wine", os.path.join(os.environ["ZEV_TEST_BIN"], "bare_download.exe"), "1",
                              str(device_type), windows_path(path)], capture_output=True, timeout=300)
    if program.returncode != 0:
        raise RuntimeError("the bare download ended with %r" % program.returncode)
    time.sleep(0.2)
    return hex_log.entries(sim.log_text())


def frame_timing(entries):
    """(first 'D' received, [(frame start received, ACK sent)], last ACK sent)."""
    data = [(when, kind, payload) for when, kind, payload in entries if kind in ("RX", "TX")]
    start = next(when for when, kind, payload in data if kind == "RX" and payload.startswith(b"D"))
    pairs, frame_at = [], None
    for when, kind, payload in data:
        if when < start:
            continue
        if kind == "RX" and frame_at is None and not (payload == b"D" and not pairs and when == start):
            frame_at = when
        elif kind == "TX" and ACK in payload and frame_at is not None:
            pairs.append((frame_at, when))
            frame_at = None
    return start, pairs, pairs[-1][1]


def report(name, entries, baud):
    start, pairs, end = frame_timing(entries)
    turnarounds = [(pairs[i + 1][0] - pairs[i][1]) * 1000 for i in range(len(pairs) - 1)]
    device = [(ack - frame) * 1000 for frame, ack in pairs]
    received = sum(len(p) for w, k, p in entries if k == "RX" and w >= start)
    acks = sum(p.count(bytes([ACK])) for w, k, p in entries if k == "TX" and w >= start)
    wire = (received + acks) * 10.0 / baud
    total = end - start
    cuts = statistics.quantiles(turnarounds, n=100)
    print("%s: %d frames, %d bytes at %d baud in %.2f s" % (name, len(pairs), received, baud, total))
    print("  turnaround ACK -> next frame: median %.2f ms, 99th percentile %.2f ms, worst %.2f ms"
          % (statistics.median(turnarounds), cuts[98], max(turnarounds)))
    print("  device, frame -> ACK:         median %.2f ms (the frame's wire time %.2f ms)"
          % (statistics.median(device), received / len(pairs) * 10000.0 / baud))
    print("  efficiency (wire time %.2f s / measured): %.1f %%; the tool's turnarounds take %.1f %%"
          % (wire, 100.0 * wire / total, 100.0 * sum(turnarounds) / 1000 / total))
    return statistics.median(turnarounds), 100.0 * wire / total


def main():
    end_on_signals()
    figures = Figures("download_bench")
    with contextlib.ExitStack() as owner, tempfile.TemporaryDirectory(prefix="zevbench-") as folder:
        robot = owner.enter_context(Robot())

        with contextlib.ExitStack() as run:
            _, entries, _ = download(run, robot, 0, s19_path(LARGE_S19), ["--line-rate"], 300)
            tool = report("S19 (%s)" % LARGE_S19, entries, 38400)
        with contextlib.ExitStack() as run:
            session, entries, _ = download(run, robot, 0, s19_path(LARGE_S19), ["--line-rate"], 300,
                                           more_settings="[Debug]\nTrace=1\n")
            traced = report("The same with the traffic trace on", entries, 38400)
            print("  trace file: %d KB" % (os.path.getsize(session.folder.file("ZevTrace.TXT")) // 1024))
        with contextlib.ExitStack() as run:
            entries = python_download(run, folder, s19_lines(s19_path(LARGE_S19)))
            floor = report("The same with Python as the tool (the floor of pty and simulator)", entries, 38400)
        with contextlib.ExitStack() as run:
            entries = bare_download(run, folder, s19_path(LARGE_S19))
            bare = report("The same with a bare Win32 program as the tool (the floor under Wine)", entries, 38400)
        print("S19 turnaround: the tool %.2f ms, %.2f times the bare Win32 program's %.2f ms (aim: 1.3 at most)"
              % (tool[0], tool[0] / bare[0], bare[0]))
        print("S19 efficiency: the tool %.1f %%, %.1f points below the bare Win32 program's %.1f %% (aim: 2 at most)"
              % (tool[1], bare[1] - tool[1], bare[1]))
        figures.add("S19 turnaround, ACK -> next frame (median)", tool[0], "ms", aim=1.3 * bare[0], floor=bare[0],
                    note="aim 1.3 x bare Win32; Python %.2f ms" % floor[0])
        figures.add("S19 turnaround with the trace on (median)", traced[0], "ms", aim=1.3 * bare[0], floor=bare[0],
                    note="aim 1.3 x bare Win32")
        figures.add("S19 efficiency (wire time / measured)", tool[1], "%", aim=bare[1] - 2, floor=bare[1],
                    lower_is_better=False, note="aim 2 points below bare Win32; Python %.1f %%" % floor[1])

        image = os.path.join(folder, "firmware-64k.IMG")
        write_image(image, 64 * 1024)
        with contextlib.ExitStack() as run:
            _, entries, _ = download(run, robot, 1, image, ["--line-rate"], 300)
            img = report("IMG of 64 KB", entries, 19200)
        with contextlib.ExitStack() as run:
            entries = bare_download(run, folder, image, 1)
            bare_img = report("The same with a bare Win32 program as the tool", entries, 19200)
        figures.add("IMG 64 KB turnaround (median)", img[0], "ms", aim=1.3 * bare_img[0], floor=bare_img[0],
                    note="aim 1.3 x bare Win32")
        figures.add("IMG 64 KB efficiency", img[1], "%", aim=bare_img[1] - 2, floor=bare_img[1],
                    lower_is_better=False, note="aim 2 points below bare Win32")

        big = os.path.join(folder, "firmware-4m.IMG")
        write_image(big, 4 * 1024 * 1024)
        samples = []
        with contextlib.ExitStack() as run:
            def watch(session):
                samples.append(robot.memory(session.run.pid))
                if len(samples) % 10 == 1:
                    print("  working set after %d s: %.1f MB" % (len(samples), samples[-1] / 1e6))
            session, entries, seconds = download(run, robot, 1, big, [], 900, watch)
            after = robot.memory(session.run.pid)
            print("IMG of 4 MB at full pty speed: %.1f s (%d frames); the tool's working set %.1f MB a second "
                  "in, %.1f MB at most during, %.1f MB after"
                  % (seconds, len(frame_timing(entries)[1]), (samples or [after])[0] / 1e6,
                     max(samples or [after]) / 1e6, after / 1e6))
            figures.add("IMG 4 MB at full pty speed", seconds, "s")
            figures.add("working set during the 4 MB download (most)", max(samples or [after]) / 1e6, "MB",
                        note="before %.1f MB, after %.1f MB" % ((samples or [after])[0] / 1e6, after / 1e6))


if __name__ == "__main__":
    main()
