#!/usr/bin/env python3
"""Benchmark (prints figures, asserts nothing about them): a production line of benches on
one PC against one bench alone.

Each bench is a ZEV.EXE in a folder of its own (its own copy of the program and its own
ZEV.INI) on its own COM port, serving units with /repeat into one shared result file:
each unit gets a firmware download, the clock and a settings restore, from a simulated
Corlaxa (ZEVSIM.EXE --line-rate, so every byte takes its wire time). The benches are
started and waiting for their first unit before the units are put on, all at once, so
what is measured is the units' work, not the program's start. One bench alone runs before
the line and after it, and both count: the machine is shared, and its load drifts.

  units per hour  each bench's units an hour by its units' times (from the answer to the
                  wake-up to the row, the row's Seconds), as a bench serving unit after unit
                  does, added up over the line's benches (the time from putting the units on
                  to the last row is printed beside it);
  ratio           the line's units per hour over one bench's (aim: at least 6 for 8
                  benches on this 2-core machine), with how long every bench's unit was in
                  progress at once (the benches wake up every 2 s, each on its own);
  CPU per bench   each ZEV.EXE's CPU time over the same span, beside each simulator's and
                  the Wine server's, and the machine's busy share, so that a missed aim
                  says where the time went.

Benches above COM4 are started with /port COMn; a program that refuses that makes a line
of COM1 to COM4, and the bench says so.

  line_bench.py [--benches N] [--units N] [--image-kb N]
"""
import argparse
import contextlib
import csv
import io
import itertools
import os
import shutil
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
from figures import Figures
from zevharness.firmware_files import write_image
from zevharness.processes import end_on_signals
from zevharness.ptys import pty_pair
from zevharness.robot import Robot, windows_path
from zevharness.simulator import simulator
from zevharness.tool import TITLE, tool_folder

LETTERS = "rh3bjwf4c"
DEVICE = {"r": "9,33,0", "h": "0", "3": "OTHER", "b": "0", "j": "0", "w": "1", "f": "2", "4": "RS232", "c": "0"}
GOLDEN = {"r": "30,40,9", "h": "1", "3": "SCANIA", "b": "1", "j": "1", "w": "0", "f": "3", "4": "RS485", "c": "1"}
CLOCK_TICKS = os.sysconf("SC_CLK_TCK")
AIM_RATIO_OF_8 = 6.0
RUNS = itertools.count(1)  # each run of a line its own result file


def golden_text():
    lines = ["[Device]", "Type=Corlaxa", "Identification=Corlaxa V2.14 SN 104711", "", "[Values]"]
    return "\r\n".join(lines + ["%s=%s" % (k, GOLDEN[k]) for k in LETTERS] + ["", "[End]", ""])


def port_argument(port):
    """/port as a script gives it: the window's number for COM1 to COM4, COMn above."""
    return str(port) if port <= 4 else "COM%d" % port


# --- CPU time from /proc ---------------------------------------------------------------
def processes_with(text):
    """The Linux pids whose command line holds `text`."""
    found = []
    for pid in os.listdir("/proc"):
        if pid.isdigit():
            try:
                with open("/proc/%s/cmdline" % pid, "rb") as f:
                    if text.encode() in f.read():
                        found.append(int(pid))
            except OSError:
                pass
    return found


def cpu_seconds(pid):
    """The process's user and system CPU time so far, 0 when it has gone."""
    try:
        with open("/proc/%d/stat" % pid) as f:
            fields = f.read().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / CLOCK_TICKS
    except (OSError, IndexError, ValueError):
        return 0.0


def wineserver_pid():
    """This prefix's Wine server: the one working in the prefix's server folder (named after
    the prefix's device and inode)."""
    prefix = os.environ.get("WINEPREFIX", os.path.expanduser("~/.wine"))
    info = os.stat(prefix)
    server_dir = "/server-%x-%x" % (info.st_dev, info.st_ino)
    for pid in processes_with("wineserver"):
        try:
            if os.readlink("/proc/%d/cwd" % pid).endswith(server_dir):
                return pid
        except OSError:
            pass
    return None


def machine_busy():
    """(busy, total) clock ticks of every core since boot."""
    with open("/proc/stat") as f:
        values = [int(v) for v in f.readline().split()[1:]]
    idle = values[3] + values[4]
    return sum(values) - idle, sum(values)


class PortRefused(RuntimeError):
    """The program takes /port 1 to 4 only: a line above COM4 cannot be set up."""


class Bench:
    """One ZEV.EXE on COM `port`, in a folder of its own, serving units with /repeat."""

    def __init__(self, owner, port, files, result):
        self.port = port
        self.folder = tool_folder(owner, "[Setup]\nLanguageLibrary=ZEV_EN.DLL\n[ComPort]\nComPortNo=1\n"
                                         "[Device]\nDevice=Corlaxa\n")
        self.files = files
        self.result = result
        pty_pair(owner, port)
        self.robot = owner.enter_context(Robot())
        self.main = None
        self.unit_no = 0

    def start(self):
        args = ["/port", port_argument(self.port), "/device", "Corlaxa", "/download", windows_path(self.files["image"]),
                "/clock", "/restore-settings", windows_path(self.files["golden"]), "/result", windows_path(self.result),
                "/repeat", "/quiet"]
        self.robot.start(self.folder.exe, self.folder.path, " ".join(args))
        deadline = time.monotonic() + 60.0
        code = None
        while self.main is None and code is None and time.monotonic() < deadline:
            self.main = self.robot.window(TITLE, 1.0)
            code = None if self.main else self.robot.exit_code(0.0)
        if self.main is None:
            if code == 1 and self.port > 4:
                raise PortRefused("ZEV.EXE refused /port COM%d (exit code 1, bad arguments)" % self.port)
            raise RuntimeError("the bench on COM%d did not start (exit code %s)" % (self.port, code))

    def waiting(self):
        """Whether the bench has said it waits for a unit."""
        try:
            with open(self.folder.file("ZevLog.TXT"), "rb") as f:
                return b"Connect the next unit" in f.read()
        except OSError:
            return False

    def put_unit_on(self, owner):
        """A new unit (a simulated Corlaxa with an identification of its own) on the bench."""
        self.unit_no += 1
        path = self.folder.file("unit%d.ini" % self.unit_no)
        with open(path, "w") as f:
            f.write("[Device]\nIdent=Corlaxa B%d SN %d\n[Replies]\n" % (self.port, self.unit_no))
            f.write("".join('%s="%s"\n' % item for item in DEVICE.items()))
        self.sim = simulator(owner, self.folder.path, "--type", "1", "--line-rate", "--settings", windows_path(path),
                             port=self.port + 20)
        return self.sim

    def tool_pids(self):
        return processes_with(os.path.basename(self.folder.path) + "\\ZEV.EXE")

    def sim_pids(self):
        return processes_with(os.path.basename(self.folder.path) + "\\sim.log")

    def close(self):
        self.robot.close(self.main)
        return self.robot.exit_code(30.0)


def result_rows(path):
    if not os.path.exists(path):
        return []
    with open(path, "rb") as f:
        return list(csv.reader(io.StringIO(f.read().decode("cp1252"), newline="")))[1:]


def run_line(count, units, files, folder):
    """`count` benches serving `units` units each, all put on at once. A Line: what each
    unit took, when it was seen done, and the CPU each program took meanwhile."""
    result = os.path.join(folder, "line%d-%d.csv" % (count, next(RUNS)))
    line = Line(count)
    with contextlib.ExitStack() as owner:
        benches = [Bench(owner, port, files, result) for port in range(1, count + 1)]
        for bench in benches:
            bench.start()
        deadline = time.monotonic() + 60.0
        while not all(bench.waiting() for bench in benches):
            if time.monotonic() > deadline:
                raise RuntimeError("the benches did not all wait for a unit")
            time.sleep(0.1)
        server = wineserver_pid()
        for unit in range(1, units + 1):
            with contextlib.ExitStack() as on_bench:
                sims = [bench.put_unit_on(on_bench) for bench in benches]
                for sim in sims:
                    sim.wait_for_output("waiting for a wake-up")
                tool_pids = [bench.tool_pids() for bench in benches]
                sim_pids = [bench.sim_pids() for bench in benches]
                tool_before = [sum(cpu_seconds(p) for p in pids) for pids in tool_pids]
                sim_before = [sum(cpu_seconds(p) for p in pids) for pids in sim_pids]
                server_before = cpu_seconds(server) if server else 0.0
                busy_before, total_before = machine_busy()
                started = time.monotonic()
                deadline = started + 300.0
                seen = len(result_rows(result))
                ends = []
                while seen < unit * count:
                    if time.monotonic() > deadline:
                        raise RuntimeError("unit %d: %d of %d rows after 300 s" % (unit, seen, unit * count))
                    time.sleep(0.05)
                    rows = result_rows(result)
                    # a row seen now was written within the last look's interval
                    ends += [(time.monotonic(), row) for row in rows[seen:]]
                    seen = len(rows)
                line.seconds += time.monotonic() - started
                line.rounds.append(ends)
                for i in range(count):
                    line.tool_cpu[i] += sum(cpu_seconds(p) for p in tool_pids[i]) - tool_before[i]
                    line.sim_cpu[i] += sum(cpu_seconds(p) for p in sim_pids[i]) - sim_before[i]
                line.server_cpu += (cpu_seconds(server) if server else 0.0) - server_before
                busy_after, total_after = machine_busy()
                line.busy_ticks += busy_after - busy_before
                line.total_ticks += total_after - total_before
        codes = [bench.close() for bench in benches]
        failed = [row for row in result_rows(result) if row[5] != "done"] + [c for c in codes if c != 0]
        if failed:
            raise RuntimeError("not every unit was done: %s" % failed)
    return line


class Line:
    """What a line of benches did: each round's rows with the time each was seen, and the
    CPU time each ZEV.EXE, each simulator and the Wine server took while units were on."""

    def __init__(self, count):
        self.count = count
        self.seconds = 0.0
        self.rounds = []
        self.tool_cpu = [0.0] * count
        self.sim_cpu = [0.0] * count
        self.server_cpu = 0.0
        self.busy_ticks = self.total_ticks = 0

    def unit_times(self):
        """Each unit's time from its wake-up's answer to its row (the row's Seconds)."""
        return sorted(float(row[7]) for ends in self.rounds for _, row in ends)

    def per_hour(self):
        """Units an hour of the benches serving unit after unit: each bench's units an hour
        by its mean unit time, added up (the time a person takes to swap a unit left out)."""
        by_port = {}
        for ends in self.rounds:
            for _, row in ends:
                by_port.setdefault(row[2], []).append(float(row[7]))
        return sum(3600.0 * len(times) / sum(times) for times in by_port.values())

    def together(self):
        """The shortest time, over the rounds, that every bench's unit was in progress at
        once (negative: some unit ended before another began)."""
        spans = []
        for ends in self.rounds:
            starts = [seen - float(row[7]) for seen, row in ends]
            spans.append(min(seen for seen, _ in ends) - max(starts))
        return min(spans)

    def busy(self):
        return self.busy_ticks / max(self.total_ticks, 1)

    def absorb(self, other):
        """This line with the rounds and the CPU of another run of the same benches."""
        self.seconds += other.seconds
        self.rounds += other.rounds
        self.tool_cpu = [a + b for a, b in zip(self.tool_cpu, other.tool_cpu)]
        self.sim_cpu = [a + b for a, b in zip(self.sim_cpu, other.sim_cpu)]
        self.server_cpu += other.server_cpu
        self.busy_ticks += other.busy_ticks
        self.total_ticks += other.total_ticks
        return self


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--benches", type=int, default=8, help="benches in the line (COM1 to COMn)")
    parser.add_argument("--units", type=int, default=2, help="units each bench serves")
    parser.add_argument("--image-kb", type=int, default=16, help="the firmware image's size in KB")
    args = parser.parse_args()
    end_on_signals()
    folder = tempfile.mkdtemp(prefix="zevline-")
    try:
        files = {"image": os.path.join(folder, "fw.IMG"), "golden": os.path.join(folder, "golden.ZEVSET")}
        write_image(files["image"], args.image_kb * 1024)
        with open(files["golden"], "w", newline="") as f:
            f.write(golden_text())
        print("each unit: a download of %d KB, the clock and a settings restore at 19200 baud (the line rate); "
              "%d units a bench" % (args.image_kb, args.units), flush=True)

        lines = {}
        # One bench alone before the line and after it: the machine is shared, its load drifts.
        for count in (1, args.benches, 1):
            try:
                line = run_line(count, args.units, files, folder)
            except PortRefused as refused:
                # Until the program reaches ports above COM4, the line is as long as it can be.
                count = args.benches = 4
                print("%s: the line is COM1 to COM4, 4 benches" % refused, flush=True)
                line = run_line(count, args.units, files, folder)
            if count in lines:
                line = lines[count].absorb(line)
            lines[count] = line
            times = line.unit_times()
            print("%d bench%s: %d units; a unit took %.1f s (median, from its wake-up's answer to its row), %.1f s at "
                  "most: %.0f units an hour, serving unit after unit" % (
                      count, "" if count == 1 else "es", len(times), times[len(times) // 2], times[-1],
                      line.per_hour()))
            if count > 1:
                print("  every bench's unit was in progress at once for %.1f s at least of each round"
                      % line.together())
            print("  from putting the units on to the last row: %.1f s, %.0f units an hour"
                  % (line.seconds, len(times) * 3600.0 / line.seconds))
            print("  CPU over that time: ZEV.EXE %s s (%.1f %% of one core each, on average); ZEVSIM.EXE %.1f s in "
                  "all; Wine's server %.1f s; the machine busy %.0f %% (other work on it included)"
                  % (", ".join("%.1f" % c for c in line.tool_cpu),
                     100.0 * sum(line.tool_cpu) / count / line.seconds, sum(line.sim_cpu), line.server_cpu,
                     100.0 * line.busy()), flush=True)

        count = args.benches
        line, alone = lines[count], lines[1]
        ratio = line.per_hour() / alone.per_hour()
        aim = AIM_RATIO_OF_8 * count / 8.0
        print("the line of %d: %.1f times one bench's units an hour (aim: at least %.1f)" % (count, ratio, aim))
        if ratio < aim:
            cores = os.cpu_count() or 1
            used = line.busy() * line.seconds * cores
            print("  where the time went: a unit took %.1f s in the line against %.1f s alone; the machine was busy "
                  "%.0f %% of %d cores; of %.1f core-seconds used, ZEV.EXE took %.1f, the simulators %.1f, Wine's "
                  "server %.1f, the rest %.1f (other programs, Wine's services)"
                  % (line.unit_times()[len(line.unit_times()) // 2], alone.unit_times()[len(alone.unit_times()) // 2],
                     100.0 * line.busy(), cores, used, sum(line.tool_cpu), sum(line.sim_cpu), line.server_cpu,
                     used - sum(line.tool_cpu) - sum(line.sim_cpu) - line.server_cpu))
        figures = Figures("line_bench")
        figures.add("line of %d benches: units an hour against one bench" % count, ratio, "times", aim=aim,
                    lower_is_better=False, note="%.0f against %.0f units an hour" % (line.per_hour(),
                                                                                     alone.per_hour()))
        figures.add("line of %d benches: CPU of a bench (ZEV.EXE, average)" % count,
                    100.0 * sum(line.tool_cpu) / count / line.seconds, "% of a core",
                    note="simulators %.1f s, Wine's server %.1f s in %.1f s" % (sum(line.sim_cpu), line.server_cpu,
                                                                             line.seconds))
        figures.add("one bench alone: units an hour", alone.per_hour(), "units/h", lower_is_better=False)
    finally:
        shutil.rmtree(folder, True)


if __name__ == "__main__":
    main()
