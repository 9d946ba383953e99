#!/usr/bin/env python3
"""Connects under load (prints figures, asserts nothing about them; ./zev bench): the real
ZEV.EXE connects and disconnects, again and again, to ZEVSIM.EXE of each device type on a
pty pair, while one busy loop a core keeps the machine loaded. A connect whose
identification line never reaches the log (the tool's "no answer" time-out instead) is a
lost answer; the aim is none.

Each lost answer is told with what the device did (woke up? sent its line?) and the tool's
last log lines; a connect whose port would not open is counted apart. The run bounds its
own time: each device type gets its share of --seconds, and the connects it did in that
time are the ones counted.

--neighbour adds another load: a second ZEV.EXE started and closed again and again in the
same Wine session, as a test without a COM-port lane of its own would run beside a serial
test in that lane's prefix. Its teardown opens its COM port, so it takes the port from the
tool now and then: at the connect, or in the middle of the baud switch, where the answer
is lost. Not part of ./zev bench's figures; for looking into such losses.

  connect_stress_bench.py [--connects N] [--seconds S] [--busy K] [--types 0,1,2] [--neighbour]
"""
import argparse
import contextlib
import os
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
from figures import Figures
from zevharness import hex_log
from zevharness.processes import end_on_signals, start_process
from zevharness.robot import Robot
from zevharness.session import CONNECT, DEVICE_NAMES, DISCONNECT, sim_session, wait_for
from zevharness.operations import IDOK

IDENT = ">> (Init.) "
NO_ANSWER = "Keine Antwort vom Gerät"
PORT_REFUSED = "Schnittstelle konnte nicht geöffnet werden"
DISCONNECTED = "Verbindung getrennt"
BUSY_LOOP = "import os\nos.nice(%d)\nwhile True:\n    pass\n"


class LogFile:
    """The tool's log file read as it grows (it is flushed line by line); the window keeps
    only its last lines, the file all of them."""

    def __init__(self, folder):
        self.path = folder.file("ZevLog.TXT")
        self.offset = 0

    def new_lines(self):
        with open(self.path, "rb") as f:
            f.seek(self.offset)
            data = f.read()
        end = data.rfind(b"\n") + 1  # a line still being written waits for the next look
        self.offset += end
        return [line[9:] for line in data[:end].decode("cp1252").replace("\r", "").split("\n") if line]


class Stress:
    def __init__(self, robot, device_type):
        self.robot = robot
        self.device_type = device_type
        self.lost = []
        self.refused = 0
        self.times = []

    def answer_boxes(self, main):
        for _ in range(3):
            box = self.robot.other_window(main, 0.5)
            if box is None:
                return
            self.robot.post_click(box, IDOK)
            self.robot.gone(box, 2.0)

    def connect(self, s, log, seen):
        """One connect and, once it answered, its disconnect: "answered", "lost" or
        "refused" (the port did not open); `seen` collects the tool's log lines since the
        last connect."""
        started = time.monotonic()
        s.command(CONNECT)
        outcome = []

        def ended():
            for line in log.new_lines():
                seen.append(line)
                if line.startswith(IDENT) or NO_ANSWER in line or PORT_REFUSED in line:
                    outcome.append(line)
            return outcome
        wait_for(ended, 25.0, 0.02)
        if outcome and outcome[0].startswith(IDENT):
            self.times.append(time.monotonic() - started)
            s.command(DISCONNECT)
            if not wait_for(lambda: any(DISCONNECTED in line for line in log.new_lines()), 10.0, 0.02):
                print("  the disconnect was not logged", flush=True)
            return "answered"
        # the box of the time-out, or the one that says why the port did not open
        self.answer_boxes(s.main)
        return "refused" if outcome and PORT_REFUSED in outcome[0] else "lost"

    def tell_loss(self, number, s, seen):
        """What the device did for the lost connect, and the tool's log lines of it."""
        entries = hex_log.entries(s.sim.log_text())
        wake_ups = [e for e in entries if e[1] == "--" and e[2].startswith("wake-up for type")]
        ident = ("%s V2.14 SN 104711\r" % DEVICE_NAMES[self.device_type]).encode()
        sent = hex_log.sent(s.sim.log_text()).count(ident)
        self.lost.append(number)
        print("  connect %d of %s lost: the device woke up %d times and sent its line %d times in all;"
              " the tool logged:\n    %s" % (number, DEVICE_NAMES[self.device_type], len(wake_ups), sent,
                                           "\n    ".join(seen[-8:])), flush=True)

    def run(self, owner, connects, deadline):
        s = sim_session(owner, self.robot, self.device_type)
        log = LogFile(s.folder)
        done = 0
        while done < connects and time.monotonic() < deadline:
            seen = []
            outcome = self.connect(s, log, seen)
            if outcome == "lost":
                self.tell_loss(done + 1, s, seen)
            elif outcome == "refused":
                self.refused += 1
            done += 1
        return done


NEIGHBOUR = """import contextlib
from zevharness.processes import end_on_signals
from zevharness.robot import Robot
from zevharness.tool import tool_folder, tool_run
end_on_signals()
with Robot() as robot:
    while True:
        with contextlib.ExitStack() as owner:
            run = tool_run(owner, tool_folder(owner, "[ComPort]\\nComPortNo=1\\n"), robot)
            if run.start() is not None:
                run.close()
"""


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--connects", type=int, default=300, help="connects of each device type")
    parser.add_argument("--seconds", type=float, default=300.0, help="the whole run's time, shared by the types")
    parser.add_argument("--busy", type=int, default=os.cpu_count() or 2, help="busy loops beside the tool")
    parser.add_argument("--busy-nice", type=int, default=0, help="the busy loops' nice value")
    parser.add_argument("--types", default="0,1,2")
    parser.add_argument("--neighbour", action="store_true",
                        help="a second ZEV.EXE started and closed again and again beside the tool")
    args = parser.parse_args()
    end_on_signals()
    types = [int(t) for t in args.types.split(",")]
    figures = Figures("connect_stress_bench")
    total_lost = total_done = 0
    with Robot() as robot, contextlib.ExitStack() as owner:
        for _ in range(args.busy):
            start_process(owner, [sys.executable, "-c", BUSY_LOOP % args.busy_nice])
        if args.neighbour:
            start_process(owner, [sys.executable, "-c", NEIGHBOUR], stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL)
        print("%d busy loops beside the tool (nice %d)%s; %d connects of each type, at most %.0f s"
              % (args.busy, args.busy_nice, ", a second ZEV.EXE started and closed" if args.neighbour else "",
                 args.connects, args.seconds), flush=True)
        started = time.monotonic()
        for n, device_type in enumerate(types):
            # each type gets an equal share of the time that is left
            deadline = time.monotonic() + (args.seconds - (time.monotonic() - started)) / (len(types) - n)
            stress = Stress(robot, device_type)
            with contextlib.ExitStack() as session:
                done = stress.run(session, args.connects, deadline)
            times = sorted(stress.times)
            median = times[len(times) // 2] if times else 0.0
            print("%s: %d of %d connects lost their answer, the port refused %d; a connect took %.2f s (median)"
                  % (DEVICE_NAMES[device_type], len(stress.lost), done, stress.refused, median), flush=True)
            figures.add("lost answers, %s" % DEVICE_NAMES[device_type], len(stress.lost),
                        "of %d connects" % done, aim=0, note="%d busy loops" % args.busy)
            if stress.refused:
                figures.add("port refused, %s" % DEVICE_NAMES[device_type], stress.refused,
                            "of %d connects" % done, aim=0)
            total_lost += len(stress.lost)
            total_done += done
    print("in all: %d of %d connects lost their answer (%.0f s)" % (total_lost, total_done,
                                                                   time.monotonic() - started))
    return 0


if __name__ == "__main__":
    sys.exit(main())
