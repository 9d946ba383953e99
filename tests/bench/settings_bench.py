#!/usr/bin/env python3
"""Benchmark (prints figures, asserts nothing about them): what the tool costs a save and
a restore of the device settings.

ZEV.EXE saves and restores against ZEVSIM.EXE running with --line-rate, so every byte
takes its wire time as on a cable (19200 baud after the wake-up). From the simulator's
hex log (microsecond stamps), for each run from its first letter to its last byte:
  measured  the time from the first byte the device received to the end of the last
            byte either side sent;
  wire      every byte of the run, both ways, at 10 bits a byte;
  tool      the time the line waited for the tool: from the end of each answer on the
            wire to the next byte of the tool;
  share     tool / measured (aim: under 25 %).
And the turn: the tool's time from the last byte of each answer to its next byte (median
over the turns of the save's one-letter reads and of the restore's write chain), beside
the bare round trip of kora_latency_bench measured in the same run (a bare overlapped
ReadFile and WriteFile under Wine on a pty pair: what Wine and socat cost any program);
aim: at most 1.5 times that floor.
Each restore takes the device from one set of values to the other, so every value is
written and read back.
"""
import contextlib
import os
import shutil
import statistics
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
from zevharness import hex_log
from zevharness.parameters import simulator_settings
from zevharness.processes import end_on_signals
from zevharness.robot import Robot, windows_path
from zevharness.session import sim_session
from figures import Figures
import kora_latency_bench

SAVE, RESTORE = 40030, 40031
IDOK = 1
BAUD = 19200
ROUNDS = 3
SAVED = "Geräteeinstellungen gesichert in "
VERIFIED = "Geräteeinstellungen wiederhergestellt und geprüft"
A = {"r": "30,40,9", "h": "1", "3": "SCANIA", "b": "1", "j": "1", "w": "0", "f": "3", "4": "RS485", "c": "1"}
B = {"r": "9,33,0", "h": "0", "3": "OTHER", "b": "0", "j": "0", "w": "1", "f": "2", "4": "RS232", "c": "0"}


def settings_text(values):
    lines = ["[Device]", "Type=Corlaxa", "", "[Values]"] + ["%s=%s" % (k, values[k]) for k in "rh3bjwf4c"]
    return "\r\n".join(lines + ["", "[End]", ""])


def choose(robot, session, command, path):
    session.command(command)
    dialog = robot.other_window(session.main, 10.0)
    if dialog is None:
        raise RuntimeError("no file dialog")
    robot.file_dialog(dialog, path)
    if not robot.gone(dialog):
        raise RuntimeError("the file dialog stays open")


def wait_log(session, text, count, timeout=60.0):
    """Waits until `count` lines of the log file hold `text` (the window keeps only its
    last lines)."""
    end = time.monotonic() + timeout
    while sum(text in line for line in session.folder.log_lines()) < count:
        if time.monotonic() > end:
            raise RuntimeError("%r did not come; the log shows:\n%s" % (text, session.run.log_window()[-2000:]))
        time.sleep(0.05)


def timing(entries, dialog=False):
    """(measured, wire, tool, waits) in seconds for the entries of one run, waits being
    the tool's time in each turn. With `dialog`, the longest wait for the tool is the
    comparison dialog's, a person's time: left out."""
    data = [(when, kind, payload) for when, kind, payload in entries if kind in ("RX", "TX")]
    byte_time = 10.0 / BAUD
    wire = sum(len(payload) for _, _, payload in data) * byte_time
    waits = []
    for (when, kind, payload), (next_when, next_kind, _) in zip(data, data[1:]):
        if kind == "TX" and next_kind == "RX":
            waits.append(max(0.0, next_when - (when + len(payload) * byte_time)))
    person = max(waits) if dialog else 0.0
    end = data[-1][0] + (len(data[-1][2]) * byte_time if data[-1][1] == "TX" else 0.0)
    turns = sorted(waits)[:-1] if dialog else waits
    return end - data[0][0] - person, wire, sum(waits) - person, turns


def report(figures, name, runs):
    measured = sum(run[0] for run in runs)
    wire = sum(run[1] for run in runs)
    tool = sum(run[2] for run in runs)
    print("%s, %d runs: measured %.3f s a run, wire %.3f s, waiting for the tool %.3f s: "
          "the tool's share %.1f %% (aim: under 25 %%), the wire's %.1f %%"
          % (name, len(runs), measured / len(runs), wire / len(runs), tool / len(runs), 100.0 * tool / measured,
             100.0 * wire / measured))
    figures.add(name.split(" (")[0] + ": the tool's share of the time", 100.0 * tool / measured, "%", aim=25.0,
                note="measured %.3f s a run, wire %.3f s" % (measured / len(runs), wire / len(runs)))


def report_turn(figures, name, runs, floor_ms):
    turn_ms = 1000.0 * statistics.median([wait for run in runs for wait in run[3]])
    print("%s: the tool's turn, answer's last byte to its next byte: median %.3f ms, %.2f times the bare "
          "round trip (%.3f ms; aim: at most 1.5 times)" % (name, turn_ms, turn_ms / floor_ms, floor_ms))
    figures.add(name + ": the tool's turn, answer's last byte to its next byte (median)", turn_ms, "ms",
                aim=1.5 * floor_ms, floor=floor_ms, note="floor: bare ReadFile + WriteFile round trip")


def main():
    end_on_signals()
    folder = tempfile.mkdtemp(prefix="zevsetbench-")
    try:
        files = {}
        for name, values in (("A", A), ("B", B)):
            files[name] = os.path.join(folder, name + ".ZEVSET")
            with open(files[name], "w", newline="") as f:
                f.write(settings_text(values))
        with Robot() as robot, contextlib.ExitStack() as run:
            settings = simulator_settings(run, **B)
            session = sim_session(run, robot, 1, sim_args=("--settings", windows_path(settings), "--line-rate"))
            session.connect()
            saves, restores = [], []
            for round_no in range(ROUNDS):
                start = len(hex_log.entries(session.sim.log_text()))
                choose(robot, session, SAVE, os.path.join(folder, "save%d.ZEVSET" % round_no))
                wait_log(session, SAVED, round_no + 1)
                time.sleep(0.3)
                saves.append(timing(hex_log.entries(session.sim.log_text())[start:]))

                start = len(hex_log.entries(session.sim.log_text()))
                choose(robot, session, RESTORE, files["A" if round_no % 2 == 0 else "B"])
                dialog = robot.other_window(session.main, 20.0)
                robot.post_click(dialog, IDOK)
                wait_log(session, VERIFIED, round_no + 1)
                time.sleep(0.3)
                restores.append(timing(hex_log.entries(session.sim.log_text())[start:], dialog=True))
        bare_trip_ms = statistics.median(kora_latency_bench.measure("raw")[1])
        figures = Figures("settings_bench")
        report(figures, "Save (9 reads)", saves)
        report(figures, "Restore (9 reads, 9 writes, 9 reads back; the comparison dialog's wait left out)", restores)
        report_turn(figures, "One-letter read", saves, bare_trip_ms)
        report_turn(figures, "Write chain of a restore", restores, bare_trip_ms)
    finally:
        shutil.rmtree(folder, True)


if __name__ == "__main__":
    main()
