#!/usr/bin/env python3
"""Benchmark (prints figures, asserts nothing about them): what the live flow monitor costs.

CPU: ZEVSIM streams 146-byte frames at the full line rate of 38400 baud (--line-rate) for
60 seconds while ZEV.EXE shows them; the tool's CPU time per second of stream and per
frame, read from /proc (Wine's processes are Linux processes), with the wineserver's
beside it; then 20 seconds with the monitor window hidden, where frames are received and
dropped undecoded: what receiving costs, apart from decoding and showing.
Soak: Python plays the device and sends 100,000 frames as fast as the pty takes them;
frames a second handled, the tool's CPU a frame, and its memory and open files before and
after.
The chart: both runs again with the monitor's chart left out (ZEV_MONITOR_CHART=0 in the
tool's environment); the difference a frame is what the chart costs (aim: 0.3 ms).
"""
import contextlib
import os
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
from zevharness import hex_log
from zevharness.monitor_frames import full_frame, on_the_wire
from zevharness.operations import IDCANCEL
from zevharness.processes import end_on_signals
from zevharness.ptys import pty_pair
from zevharness.robot import Robot
from zevharness.session import CONNECT, sim_session, wait_for
from zevharness.tool import tool_folder, tool_run
from figures import Figures

MONITOR = 40015
TITLE = "Durchflussmonitor"
TICKS = os.sysconf("SC_CLK_TCK")
SOAK_FRAMES = 100000


def linux_pids(text):
    """The Linux processes whose command line holds `text`."""
    pids = []
    for name in os.listdir("/proc"):
        if name.isdigit():
            try:
                with open("/proc/%s/cmdline" % name, "rb") as f:
                    if text.encode() in f.read():
                        pids.append(int(name))
            except OSError:
                pass
    return pids


def wineserver_pids():
    """The wineserver of this run's prefix."""
    prefix = os.environ.get("WINEPREFIX", "").encode()
    pids = []
    for name in os.listdir("/proc"):
        try:
            with open("/proc/%s/comm" % name) as f:
                if not f.read().strip().startswith("wineserver"):
                    continue
            with open("/proc/%s/environ" % name, "rb") as f:
                if prefix in f.read():
                    pids.append(int(name))
        except (OSError, ValueError):
            pass
    return pids


def cpu_seconds(pid):
    """User and system time of a process so far; 0 once it has gone."""
    try:
        with open("/proc/%d/stat" % pid) as f:
            fields = f.read().rsplit(")", 1)[1].split()
    except OSError:
        return 0.0
    return (int(fields[11]) + int(fields[12])) / TICKS


def thread_cpu(pid):
    """[(thread name, CPU seconds)] of a process's busiest threads."""
    out = []
    for tid in os.listdir("/proc/%d/task" % pid):
        try:
            with open("/proc/%d/task/%s/comm" % (pid, tid)) as f:
                name = f.read().strip()
            out.append(("%s/%s" % (name, tid), cpu_seconds_of("/proc/%d/task/%s/stat" % (pid, tid))))
        except OSError:
            pass
    return sorted(out, key=lambda t: -t[1])[:4]


def cpu_seconds_of(path):
    with open(path) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICKS


def open_files(pid):
    return len(os.listdir("/proc/%d/fd" % pid))


def tool_pid(folder):
    """ZEV.EXE of the folder (the simulator's command line names the folder too)."""
    pids = [pid for pid in linux_pids(os.path.basename(folder.path) + "\\ZEV.EXE")]
    if not pids:
        raise RuntimeError("ZEV.EXE of %s is not among the processes" % folder.path)
    return pids[0]


def cpu_benchmark(robot, figures, label="", hidden_too=True):
    """CPU a frame at the line rate, in ms."""
    with contextlib.ExitStack() as owner:
        session = sim_session(owner, robot, 0, sim_args=["--line-rate"])
        session.connect()
        session.command(MONITOR)
        if not session.log_has("Impulserror", 10.0):
            raise RuntimeError("no frames")
        pid = tool_pid(session.folder)
        servers = wineserver_pids()
        frames_before = hex_log.sent(session.sim.log_text()).count(b"\r")
        tool_before = cpu_seconds(pid)
        server_before = sum(cpu_seconds(p) for p in servers)
        seconds = int(os.environ.get("ZEV_BENCH_SECONDS", "60"))
        time.sleep(seconds)
        tool = cpu_seconds(pid) - tool_before
        server = sum(cpu_seconds(p) for p in servers) - server_before
        frames = hex_log.sent(session.sim.log_text()).count(b"\r") - frames_before
        threads = thread_cpu(pid)
        print("Monitor at 38400 baud%s: %d frames in %d s (%.1f a second)" % (label, frames, seconds, frames / seconds))
        print("  ZEV.EXE: %.2f %% of one core, %.2f ms a frame; the wineserver beside it: %.2f %%"
              % (100 * tool / seconds, 1000 * tool / max(frames, 1), 100 * server / seconds))
        print("  by thread since the start (s): %s" % ", ".join("%s %.2f" % t for t in threads))
        figures.add("monitor at the line rate%s: ZEV.EXE's CPU" % label, 100 * tool / seconds, "% of a core",
                    note="%.2f ms a frame; wineserver %.2f %%" % (1000 * tool / max(frames, 1), 100 * server / seconds))
        per_frame = 1000 * tool / max(frames, 1)
        if not hidden_too:
            return per_frame
        # The same stream with the window hidden: frames are received, framed and dropped
        # undecoded, so the difference is what decoding and showing them costs.
        robot.click(robot.window(TITLE, 5.0), IDCANCEL)
        time.sleep(1.0)
        hidden_seconds = max(seconds // 3, 5)
        frames_before = hex_log.sent(session.sim.log_text()).count(b"\r")
        tool_before = cpu_seconds(pid)
        time.sleep(hidden_seconds)
        hidden = cpu_seconds(pid) - tool_before
        hidden_frames = hex_log.sent(session.sim.log_text()).count(b"\r") - frames_before
        print("  the window hidden (frames received and dropped): %.2f %% of one core, %.2f ms a frame"
              % (100 * hidden / hidden_seconds, 1000 * hidden / max(hidden_frames, 1)))
        figures.add("monitor at the line rate, window hidden: ZEV.EXE's CPU", 100 * hidden / hidden_seconds,
                    "% of a core", note="receiving and framing only; %.2f ms a frame"
                    % (1000 * hidden / max(hidden_frames, 1)))
        return per_frame


def soak(robot, figures, label=""):
    """CPU a frame in the soak, in ms."""
    with contextlib.ExitStack() as owner:
        pair = pty_pair(owner, 1)
        folder = tool_folder(owner, "[ComPort]\nComPortNo=1\n[Device]\nDevice=Vantik\n")
        run = tool_run(owner, folder, robot)
        run.start()
        robot.command(run.main, CONNECT)
        pair.read(count=6, timeout=5.0)
        time.sleep(0.1)
        pair.write(b"SOAK\r")
        wait_for(lambda: "(Init.)" in run.log_window(), 5.0)
        robot.command(run.main, MONITOR)
        pair.read(count=1, timeout=5.0)
        pid = tool_pid(folder)
        memory_before, files_before = robot.memory(run.pid), open_files(pid)
        cpu_before = cpu_seconds(pid)
        frames = [on_the_wire(full_frame(flow=100 + n % 7, twice_errors=2, counter1=n)) for n in range(16)]
        stream = b"".join(frames)
        started = time.monotonic()
        for n in range(0, SOAK_FRAMES, 16):
            pair.write(stream)
        pair.write(on_the_wire(full_frame(flow=0, twice_errors=99, counter1=SOAK_FRAMES)))
        if not wait_for(lambda: "Impulserror 49" in run.log_window(), 600.0, 0.2):
            raise RuntimeError("the last frame did not arrive")
        seconds = time.monotonic() - started
        per_frame = 1000 * (cpu_seconds(pid) - cpu_before) / (SOAK_FRAMES + 1)
        print("Soak%s: %d frames in %.1f s, %.0f frames a second (the line rate carries 26); ZEV.EXE %.3f ms a frame"
              % (label, SOAK_FRAMES + 1, seconds, (SOAK_FRAMES + 1) / seconds, per_frame))
        print("  ZEV.EXE's working set %.1f MB before, %.1f MB after; open files %d before, %d after"
              % (memory_before / 1e6, robot.memory(run.pid) / 1e6, files_before, open_files(pid)))
        figures.add("monitor soak%s: frames a second" % label, (SOAK_FRAMES + 1) / seconds, "frames/s", aim=26,
                    lower_is_better=False, note="the line rate carries 26; %.3f ms a frame" % per_frame)
        if not label:
            figures.add("monitor soak: working set growth", (robot.memory(run.pid) - memory_before) / 1e6, "MB",
                        note="open files %d before, %d after" % (files_before, open_files(pid)))
        return per_frame


@contextlib.contextmanager
def chart_left_out():
    """Tools started by a robot made inside it run their monitor without the chart."""
    os.environ["ZEV_MONITOR_CHART"] = "0"
    try:
        yield
    finally:
        del os.environ["ZEV_MONITOR_CHART"]


def main():
    end_on_signals()
    figures = Figures("monitor_bench")
    with Robot() as robot:
        line = cpu_benchmark(robot, figures)
        soaked = soak(robot, figures)
    without = " without the chart"
    with chart_left_out(), Robot() as robot:
        line_without = cpu_benchmark(robot, figures, without, hidden_too=False)
        soaked_without = soak(robot, figures, without)
    for what, with_chart, without_chart in (("at the line rate", line, line_without),
                                            ("in the soak", soaked, soaked_without)):
        print("The chart %s: %.3f ms a frame with it, %.3f without: %.3f ms a frame"
              % (what, with_chart, without_chart, with_chart - without_chart))
        figures.add("monitor chart's CPU a frame %s" % what, with_chart - without_chart, "ms", aim=0.3,
                    floor=0.0, note="%.3f ms a frame with the chart, %.3f without" % (with_chart, without_chart))


if __name__ == "__main__":
    main()
