"""A session of the real ZEV.EXE traced ([Debug] Trace=1) against ZEVSIM.EXE as a Corlaxa,
then played again: the same ZEV.EXE, the same settings and the same commands against
`ZEVSIM.EXE --replay` of that trace. The session connects, reads the configuration (its
editor cancelled), reads out, and starts a firmware download that the device leaves
unanswered from its fourth block on, so the tool's time-out ends it; then it disconnects.
The replay, with the trace's timing, and fast from a copy of the trace cut in the middle
of its last line (as a tool that ends while writing leaves it), must bring about the same
session: the same log lines in the same order, the same bytes from the tool and the same
bytes from the device, the time-out and its box again, and a trace of its own that holds
the same traffic. Of the log lines only the time stamps are left out; the file's first
line (version and commit) is the same ZEV.EXE's, and the firmware file lies in one folder
for all the runs, so the line that names it is the same too."""
import contextlib
import os
import shutil
import sys
import tempfile
import unittest

from zevharness import hex_log
from zevharness.firmware_files import write_image
from zevharness.operations import (CONFIG_READ, DISCONNECT, IDC_PROGRESS, IDOK, READOUT, RX_TIMEOUT, answer_box,
                        assert_no_box, cancel_dialog, file_log_texts, log_texts, start_download)
from zevharness.ptys import pty_pair
from zevharness.robot import RobotTestCase, windows_path
from zevharness.session import DEVICE_NAMES, SimSession, wait_for
from zevharness.simulator import simulator
from log.test_trace import records
from zevharness.tool import TITLE, tool_folder, tool_run

BLOCKS = 10
SILENT_FROM = 4  # the device answers no block from this one on
SETTINGS = "[ComPort]\nComPortNo=1\n[Device]\nDevice=%s\n[Debug]\nTrace=1\n" % DEVICE_NAMES[1]
TRACE_ON = "Der Datenverkehr wird in ZevTrace.TXT aufgezeichnet"
STARTED = "Firmware-Download gestartet: "
ABANDONED = "Firmware-Download abgebrochen bei Block %d von %d" % (SILENT_FROM, BLOCKS)
DISCONNECTED = "Verbindung getrennt"


class ReplaySession(SimSession):
    """ZEV.EXE on COM1 with SETTINGS, and ZEVSIM.EXE replaying `trace` on COM21."""

    def __init__(self, robot, trace, fast=False):
        super().__init__(robot, 1, 1, ("--replay", windows_path(trace)) + (("--replay-fast",) if fast else ()))

    def _start(self):
        parts = self._parts
        self.folder = tool_folder(parts, SETTINGS)
        self.pair = pty_pair(parts, self.port)
        self.sim = simulator(parts, self.folder.path, *self.sim_args, port=self.port + 20)
        self.sim.wait_for_output("waiting for the tool")
        self.run = tool_run(parts, self.folder, self.robot)
        if self.run.start() is None:
            raise AssertionError("ZEV.EXE did not open its window")


class Outcome:
    """What a session left: the log file's lines (header, then the lines without their
    time stamps), the bytes the device received and sent, and the tool's own trace."""

    def __init__(self, s):
        with open(s.folder.file("ZevTrace.TXT"), "rb") as f:
            self.trace_text = f.read().decode("ascii")
        self.header = s.folder.log_lines()[0]
        self.log = file_log_texts(s.folder)
        log = s.sim.log_text()
        self.from_tool = hex_log.received(log)
        self.from_device = hex_log.sent(log)
        self.sim_output = s.sim.output()
        self.settings = s.folder.settings()


def milliseconds(time_of_day):
    """"hh:mm:ss.mmm" -> milliseconds of the day."""
    hours, minutes, seconds = time_of_day.split(":")
    return round(((int(hours) * 60 + int(minutes)) * 60 + float(seconds)) * 1000)


def traffic(outcome, direction):
    """The bytes of the trace's records of `direction` (TX or RX), whatever pieces they
    came in, and the operation of each record."""
    found = [r for r in records(outcome.trace_text) if r[1] == direction]
    return b"".join(r[4] for r in found), [r[3] for r in found]


def identification_gap(outcome):
    """Milliseconds from the wake-up to the first byte of the answer, in the tool's trace."""
    traced = records(outcome.trace_text)
    answer = next(i for i, r in enumerate(traced) if r[1] == "RX")
    return milliseconds(traced[answer][0]) - milliseconds(traced[answer - 1][0])


class TraceReplayTest(RobotTestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        # The firmware file stays where it is for every run: its path is in the log.
        cls.files = tempfile.mkdtemp(prefix="zevreplay-")
        cls.addClassCleanup(shutil.rmtree, cls.files, True)
        cls.image = os.path.join(cls.files, "fw.IMG")
        write_image(cls.image, BLOCKS * 128)
        cls.trace = os.path.join(cls.files, "ZevTrace.TXT")
        cls.recorded = None

    def play(self, s):
        """The session's commands, each waited for, then the program ended; its outcome.
        A failure says what the device side saw and what the tool logged."""
        try:
            return self.commands(s)
        except AssertionError as failure:
            raise AssertionError("%s\nthe simulator said:\n%s\nthe log window shows:\n%s"
                                 % (failure, s.sim.output(), "\n".join(log_texts(s.run)))) from failure

    def commands(self, s):
        self.assertTrue(s.log_has(TRACE_ON))
        s.connect()
        s.command(CONFIG_READ)
        cancel_dialog(self, self.robot, s.main, 10.0)  # the editor: nothing written
        s.command(READOUT)
        self.assertTrue(s.log_has(">> \r\n"), "the read-out did not end")
        start_download(self, self.robot, s, self.image)
        self.assertTrue(wait_for(lambda: self.robot.progress(s.main, IDC_PROGRESS)[0] == SILENT_FROM * 128))
        # the unanswered block waits 10 s for its answer
        self.assertEqual(answer_box(self, self.robot, s.main, IDOK, 15.0), (TITLE, RX_TIMEOUT))
        self.assertTrue(wait_for(lambda: ABANDONED in log_texts(s.run)))
        s.command(DISCONNECT)
        self.assertTrue(wait_for(lambda: log_texts(s.run)[-1] == DISCONNECTED))
        assert_no_box(self, self.robot, s.main)
        self.assertEqual(s.run.close(), 0)
        # the good-byes 'E' are the tool's last bytes, the disconnect's and the end's; the
        # device's log has both once it is quiet
        self.assertTrue(wait_for(lambda: hex_log.received(s.sim.log_text()).endswith(b"EE")))
        return Outcome(s)

    def record(self):
        """The session against the simulator; its trace kept for the replays."""
        if TraceReplayTest.recorded is None:
            with contextlib.ExitStack() as stack:
                s = stack.enter_context(SimSession(self.robot, 1, 1, ("--silent-after-frame", str(SILENT_FROM)),
                                                   "[Debug]\nTrace=1\n"))
                outcome = self.play(s)
            self.assertIn("frame %d: silent" % SILENT_FROM, outcome.sim_output)
            with open(self.trace, "w", newline="") as f:
                f.write(outcome.trace_text)
            TraceReplayTest.recorded = outcome
        return TraceReplayTest.recorded

    def replay(self, fast, trace=None, unmatched=""):
        """The session against a replay of the recorded trace, or of `trace`; the only send
        the replay may not have is the one of the simulator's note that begins `unmatched`."""
        recorded = self.record()
        with contextlib.ExitStack() as stack:
            s = stack.enter_context(ReplaySession(self.robot, trace or self.trace, fast))
            replayed = self.play(s)
        notes = [line for line in replayed.sim_output.splitlines() if "the tool sent" in line]
        self.assertEqual([note[:len(unmatched)] for note in notes], [unmatched] if unmatched else [],
                         "a send the trace does not have")
        self.assertEqual(replayed.settings, recorded.settings)  # as the tool left them
        self.assertEqual(replayed.header, recorded.header)
        self.assertEqual(replayed.log, recorded.log)
        self.assertEqual(replayed.from_tool, recorded.from_tool)
        self.assertEqual(replayed.from_device, recorded.from_device)
        # the tool's own trace of the replay holds the same traffic each way, and sends
        # in the same operations
        self.assertEqual(traffic(replayed, "TX"), traffic(recorded, "TX"))
        self.assertEqual(traffic(replayed, "RX")[0], traffic(recorded, "RX")[0])
        # the identification came at least as long after the wake-up as in the trace, where
        # it took the simulator's wake-up delay of 80 ms and more: the gap is kept, fast or
        # not (the tool takes the working rate only 30 ms after the wake-up). Each trace's
        # times are whole milliseconds: 2 ms to spare.
        self.assertGreaterEqual(identification_gap(recorded), 80)
        self.assertGreaterEqual(identification_gap(replayed), identification_gap(recorded) - 2)
        return recorded, replayed

    def test_a_replay_with_the_traces_timing_brings_about_the_same_session(self):
        recorded, _ = self.replay(fast=False)
        # the session was what it was meant to be
        lines = recorded.log
        self.assertIn(TRACE_ON, lines)
        self.assertTrue(any(line.startswith(">> (Init.) ") for line in lines))
        self.assertTrue(any(line.startswith("Konfiguration b: ") for line in lines))
        after = lines[lines.index(STARTED + windows_path(self.image)) + 1:]
        self.assertEqual(after[:3], [RX_TIMEOUT, ABANDONED, DISCONNECTED])
        self.assertEqual(after[-1], "Programm beendet")
        self.assertEqual(recorded.from_tool[:6], b"**\x18B01")
        self.assertEqual(recorded.from_tool[-1:], b"E")

    def test_a_fast_replay_of_a_trace_cut_in_its_last_line_brings_about_the_same_session(self):
        # as the tool leaves its trace when it ends while writing the last record
        recorded = self.record()
        traced = records(recorded.trace_text)
        self.assertEqual((traced[-1][1], traced[-1][4]), ("TX", b"E"), "the trace ends with the disconnect's 'E'")
        text = recorded.trace_text
        last = text.rindex("\n", 0, len(text) - 1) + 1
        cut = os.path.join(self.files, "ZevTrace-cut.TXT")
        with open(cut, "w", newline="") as f:
            f.write(text[:last + (len(text) - last) // 2])
        # the good-bye is looked for round from the trace's start: the device's answers stay as recorded
        _, replayed = self.replay(True, cut, "ZEVSIM: the tool sent 45 |E| after the trace's last TX record: ")
        self.assertIn("ZEVSIM: stopped reading %s at line %d: the file ends in the middle of this line"
                      % (windows_path(cut), text.count("\n", 0, last) + 1), replayed.sim_output)
        self.assertIn("stopped reading", replayed.sim_output.split("waiting for the tool")[0])
        self.assertIn("answers at once", replayed.sim_output)


if __name__ == "__main__":
    unittest.main(verbosity=2)
