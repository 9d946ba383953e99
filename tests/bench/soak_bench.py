#!/usr/bin/env python3
"""Soak (prints figures, asserts nothing about them; run by `./zev soak`, not by ctest): an
hour of bench work compressed into one run of ZEV.EXE against ZEVSIM.EXE at full speed.

Connect/disconnect cycles, 'g' parameter cycles (read, toggle, OK writes it; the next read
shows it), downloads of a 64 KB image to a Corlaxa (what the device kept compared with the
file), then the device changed to a Vantik and its monitor frames for some minutes. The
tool's memory (working set, and VmRSS of its Linux process), its open files (the wine
process's /proc fds) and the operations that ended otherwise than expected are printed at
the start, after every phase and at the end.

  soak_bench.py [--connects N] [--param-cycles N] [--downloads N] [--monitor-minutes M]
"""
import argparse
import contextlib
import os
import shutil
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
from zevharness import hex_log
from zevharness.firmware_files import write_image
from monitor_bench import open_files, tool_pid
from zevharness.operations import DISCONNECT, DOWNLOAD, DOWNLOAD_TOOK, IDOK, IDNO, log_texts
from zevharness.parameters import G_TITLE, IDC_PARAM_G_ON, PARAM_G
from zevharness.processes import end_on_signals
from zevharness.ptys import pty_pair
from zevharness.robot import Robot, windows_path
from zevharness.session import CONNECT, DEVICE_NAMES, wait_for
from zevharness.simulator import simulator
from zevharness.tool import IDC_DEVICE, tool_folder, tool_run

MONITOR, MONITOR_TITLE = 40015, "Durchflussmonitor"
DONE = "Firmware-Download abgeschlossen"


def vm_rss(pid):
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) * 1024
    return 0


class Soak:
    def __init__(self, owner, robot, files):
        self.owner, self.robot, self.files = owner, robot, files
        self.unexpected = {}
        self.pair = pty_pair(owner, 1)
        self.folder = tool_folder(owner, "[ComPort]\nComPortNo=1\n[Device]\nDevice=%s\n" % DEVICE_NAMES[1])
        self.fw_out = os.path.join(files, "fw.out")
        self.sim = None
        self.start_sim(1, "--firmware-out", windows_path(self.fw_out))
        self.run = tool_run(owner, self.folder, robot)
        if self.run.start() is None:
            raise RuntimeError("ZEV.EXE did not open its window")
        self.pid = tool_pid(self.folder)

    def start_sim(self, device_type, *args):
        if self.sim:
            self.sim.stop()
        self.sim = simulator(self.owner, self.files, "--type", str(device_type), *args, port=21)
        self.sim.wait_for_output("waiting for a wake-up")

    # --- outcomes ----------------------------------------------------------------------
    def failed(self, phase, what):
        """Counts an operation that ended otherwise than expected and answers any box it
        left, so the next one starts clean."""
        self.unexpected.setdefault(phase, []).append(what)
        for _ in range(3):
            box = self.robot.other_window(self.run.main, 0.3)
            if box is None or self.robot.title(box) == MONITOR_TITLE:
                break
            self.robot.post_click(box, IDNO if self.robot.title(box) == "Gerät beschäftigt" else IDOK)
            self.robot.gone(box, 2.0)

    def last_line(self, text, timeout=10.0):
        return wait_for(lambda: (log_texts(self.run) or [""])[-1].startswith(text), timeout)

    def figures(self, label):
        print("%-28s working set %6.1f MB, VmRSS %6.1f MB, open files %3d, unexpected %d"
              % (label, self.robot.memory(self.run.pid) / 1e6, vm_rss(self.pid) / 1e6, open_files(self.pid),
                 sum(len(v) for v in self.unexpected.values())), flush=True)

    # --- phases ----------------------------------------------------------------------
    def connect(self, phase):
        self.robot.command(self.run.main, CONNECT)
        if not self.last_line(">> (Init.) "):
            self.failed(phase, "connect")
            return False
        return True

    def disconnect(self, phase):
        self.robot.command(self.run.main, DISCONNECT)
        if not self.last_line("Verbindung getrennt"):
            self.failed(phase, "disconnect")

    def connect_cycles(self, count):
        for _ in range(count):
            self.connect("connect")
            self.disconnect("connect")

    def param_cycles(self, count):
        self.connect("params")
        wire_start = len(hex_log.received(self.sim.log_text()))
        for n in range(count):
            self.robot.command(self.run.main, PARAM_G)
            dialog = self.robot.other_window(self.run.main, 5.0)
            if dialog is None or self.robot.title(dialog) != G_TITLE:
                self.failed("params", "no g dialog")
                continue
            value = 0 if self.robot.checked(dialog, IDC_PARAM_G_ON) else 1
            self.robot.click(dialog, IDC_PARAM_G_ON)
            self.robot.post_click(dialog, IDOK)
            self.robot.gone(dialog)
            # idle once the value text has gone out: 'g', 'G' and the value on the wire
            expected = b"gG%d\r" % value
            if not wait_for(lambda: hex_log.received(self.sim.log_text())[wire_start:].endswith(expected), 5.0):
                self.failed("params", "write %d" % n)
            wire_start = len(hex_log.received(self.sim.log_text()))
        self.disconnect("params")

    def downloads(self, count):
        path = os.path.join(self.files, "soak.IMG")
        image = write_image(path, 64 * 1024)
        self.connect("download")
        for n in range(count):
            written = self.sim.output().count("firmware written")
            self.robot.command(self.run.main, DOWNLOAD)
            dialog = self.robot.other_window(self.run.main, 5.0)
            if dialog is None:
                self.failed("download", "no file dialog")
                continue
            self.robot.file_dialog(dialog, path)
            self.robot.gone(dialog)
            if not (wait_for(lambda: self.sim.output().count("firmware written") > written, 60.0)
                    and wait_for(lambda: log_texts(self.run)[-2:] == [DONE, DOWNLOAD_TOOK], 10.0)):
                self.failed("download", "download %d did not end" % n)
                continue
            with open(self.fw_out, "rb") as f:
                if f.read() != image:
                    self.failed("download", "download %d delivered other data" % n)
        self.disconnect("download")

    def monitor(self, minutes):
        # the device changes: a Vantik on the same port
        self.start_sim(0)
        self.robot.click(self.run.main, IDC_DEVICE[0])
        if not self.connect("monitor"):
            return
        self.robot.command(self.run.main, MONITOR)
        window = self.robot.window(MONITOR_TITLE, 5.0)
        if window is None:
            self.failed("monitor", "no monitor window")
            return
        sent_before = hex_log.sent(self.sim.log_text()).count(b"\r")
        end = time.monotonic() + minutes * 60
        while time.monotonic() < end:
            time.sleep(min(60.0, max(0.0, end - time.monotonic())))
            if self.robot.other_window(self.run.main, 0.1) not in (None, window):
                self.failed("monitor", "a box during the monitor")
            self.figures("  monitor, %.1f min" % (minutes - (end - time.monotonic()) / 60))
        frames = hex_log.sent(self.sim.log_text()).count(b"\r") - sent_before
        errors = self.run.log_window().count("Frame Length Error")
        if errors:
            self.failed("monitor", "%d frame length errors" % errors)
        self.disconnect("monitor")
        if not self.robot.gone(window, 3.0):
            self.failed("monitor", "the window stays after the disconnect")
        print("  about %d frames in %.1f min" % (frames, minutes))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--connects", type=int, default=1000)
    parser.add_argument("--param-cycles", type=int, default=500)
    parser.add_argument("--downloads", type=int, default=50)
    parser.add_argument("--monitor-minutes", type=float, default=10.0)
    args = parser.parse_args()
    end_on_signals()
    files = tempfile.mkdtemp(prefix="zevsoak-")
    with Robot() as robot, contextlib.ExitStack() as owner:
        owner.callback(shutil.rmtree, files, True)
        soak = Soak(owner, robot, files)
        started = time.monotonic()
        soak.figures("start")
        phases = [("connect/disconnect", args.connects, soak.connect_cycles),
                  ("'g' read and write", args.param_cycles, soak.param_cycles),
                  ("64 KB downloads", args.downloads, soak.downloads),
                  ("monitor minutes", args.monitor_minutes, soak.monitor)]
        for name, count, phase in phases:
            if count <= 0:
                continue
            phase_started = time.monotonic()
            phase(count)
            soak.figures("%g %s (%.0f s)" % (count, name, time.monotonic() - phase_started))
        soak.figures("end (%.0f s in all)" % (time.monotonic() - started))
        for phase, what in soak.unexpected.items():
            print("unexpected in %s: %d (%s)" % (phase, len(what), ", ".join(what[:10])))
        code = soak.run.close()
        print("ZEV.EXE closed with exit code %s" % code)


if __name__ == "__main__":
    main()
