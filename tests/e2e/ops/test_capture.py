"""The read-out captured into a file ('O') through the real ZEV.EXE: the lines up to the
empty one go to the file chosen in the save dialog, as they came, each ended by CR LF; an
empty read-out leaves an empty file; a capture ended by its time-out or by a disconnect
keeps the lines it has; a file that cannot be created sends nothing. Against ZEVSIM.EXE
(sim_session) and Python as the device (DeviceEndTestCase) where the device must fall
silent or hold the capture open."""
import os
import shutil
import sys
import tempfile
import unittest

from zevharness.device_end import DeviceEndTestCase
from zevharness.operations import (CAPTURE, COMMAND_Y, COMMAND_Y_LOG, DISCONNECT, ESC, IDOK, NAK, RX_TIMEOUT,
                        SimWire, answer_box, assert_no_box, log_texts, log_texts_after)
from zevharness.robot import RobotTestCase, windows_path
from zevharness.session import sim_session, wait_for
from zevharness.tool import TITLE

CAPTURING = "Auslesen in Datei "


def file_bytes(path):
    with open(path, "rb") as f:
        return f.read()


class CaptureFolder:
    """A folder of the test's own for the capture files."""

    def make_folder(self):
        self.files = tempfile.mkdtemp(prefix="zevcap-")
        self.addCleanup(shutil.rmtree, self.files, True)

    def choose(self, main, name):
        """Gives the capture command and saves as `name` in the test's folder; the path."""
        path = os.path.join(self.files, name)
        self.robot.command(main, CAPTURE)
        dialog = self.robot.other_window(main, 5.0)
        self.assertIsNotNone(dialog, "no save dialog")
        self.assertEqual(self.robot.title(dialog), "Save As")
        self.robot.file_dialog(dialog, path)
        self.assertTrue(self.robot.gone(dialog), "the save dialog stays open")
        return path


class CaptureTest(CaptureFolder, RobotTestCase):
    def test_three_lines_and_the_empty_one_give_a_file_of_those_three_lines(self):
        self.make_folder()
        settings = os.path.join(self.files, "sim.ini")
        with open(settings, "w") as f:
            f.write("[Readout]\nO1=ZAEHLER 1 = 0012345.67\nO2=ZAEHLER 2 = 0000042.00\nO3={ident}\n")
        s = sim_session(self, self.robot, 1, sim_args=("--settings", windows_path(settings)))
        s.connect()
        wire = SimWire(s.sim)
        wire.mark()
        path = self.choose(s.main, "readout.LOG")
        self.assertTrue(s.log_has(">> \r\n"), "the read-out did not end")
        self.assertEqual(wire.quiet_since_mark(), b"O")
        lines = ["ZAEHLER 1 = 0012345.67", "ZAEHLER 2 = 0000042.00", "Corlaxa V2.14 SN 104711"]
        self.assertEqual(log_texts_after(s.run, CAPTURING), [">> " + line for line in lines] + [">> "])
        self.assertEqual(log_texts(s.run)[-5], CAPTURING + windows_path(path))
        self.assertEqual(file_bytes(path), b"".join(line.encode() + b"\r\n" for line in lines))
        # idle: the next command goes out without the busy question
        wire.mark()
        s.command(COMMAND_Y)
        self.assertEqual(wire.since_mark(1), b"Y")
        self.assertTrue(s.log_has(COMMAND_Y_LOG))
        assert_no_box(self, self.robot, s.main)


class CaptureDeviceEndTest(CaptureFolder, DeviceEndTestCase):
    def setUp(self):
        self.make_folder()
        self.start(1, 1)
        self.connect(1)

    def capture(self, name):
        """The capture into `name` started; the device has received 'O'."""
        path = self.choose(self.run.main, name)
        self.assertEqual(self.pair.read(count=1, timeout=5.0), b"O")
        self.assertTrue(self.log_has(CAPTURING + windows_path(path)))
        return path

    def assert_idle(self):
        """The next command goes out without the busy question."""
        self.robot.command(self.run.main, COMMAND_Y)
        self.assertEqual(self.pair.read(count=1, timeout=3.0), b"Y")
        assert_no_box(self, self.robot, self.run.main)
        self.pair.write(ESC)

    def test_an_empty_read_out_leaves_an_empty_file(self):
        path = self.capture("empty.LOG")
        self.pair.write(ESC + b"\r")
        self.assertTrue(self.log_has(">> \r\n"))
        self.assertEqual(log_texts_after(self.run, CAPTURING), [">> "])
        self.assertTrue(wait_for(lambda: os.path.exists(path)))
        self.assert_idle()
        self.assertEqual(file_bytes(path), b"")

    def test_a_capture_ended_by_the_time_out_keeps_its_lines(self):
        path = self.capture("silent.LOG")
        self.pair.write(ESC + b"FIRST\rSECOND\r")  # and then nothing
        self.assertTrue(self.log_has(">> SECOND"))
        self.assertEqual(answer_box(self, self.robot, self.run.main, IDOK), (TITLE, RX_TIMEOUT))
        # written when the answered box has returned, and the log says it is not the whole read-out
        early = "Auslesen vorzeitig beendet: 2 Zeilen in %s behalten" % windows_path(path)
        self.assertTrue(wait_for(lambda: len(log_texts_after(self.run, CAPTURING)) == 4))
        self.assertEqual(log_texts_after(self.run, CAPTURING), [">> FIRST", ">> SECOND", RX_TIMEOUT, early])
        self.assertEqual(file_bytes(path), b"FIRST\r\nSECOND\r\n")
        self.assert_idle()

    def test_a_capture_ended_by_a_disconnect_keeps_its_lines(self):
        path = self.capture("cut.LOG")
        # a NAK stops the response timer: the capture waits for the disconnect, however
        # slow the machine
        self.pair.write(ESC + b"FIRST\rSECOND\r" + NAK)
        self.assertTrue(self.log_has("[NAK]"))
        self.robot.command(self.run.main, DISCONNECT)
        self.assertEqual(self.pair.read(count=1, timeout=3.0), b"E")
        self.assertTrue(self.log_has("Verbindung getrennt"))
        self.assertEqual(file_bytes(path), b"FIRST\r\nSECOND\r\n")
        self.assertEqual(log_texts_after(self.run, CAPTURING)[-2:],
                         ["Auslesen vorzeitig beendet: 2 Zeilen in %s behalten" % windows_path(path),
                          "Verbindung getrennt"])
        self.connect(1)
        self.assert_idle()

    def test_a_file_that_cannot_be_created_is_logged_and_nothing_is_sent(self):
        path = self.choose(self.run.main, os.path.join("no such folder", "readout.LOG"))
        expected = "Die Auslesedatei %s kann nicht angelegt werden (" % windows_path(path)
        self.assertTrue(wait_for(lambda: log_texts(self.run)[-1].startswith(expected)), log_texts(self.run)[-1])
        self.assertEqual(self.pair.read(timeout=0.5), b"", "'O' went out")
        assert_no_box(self, self.robot, self.run.main)
        self.assertFalse(any(line.startswith(CAPTURING) for line in log_texts(self.run)))
        self.assert_idle()


if __name__ == "__main__":
    unittest.main(verbosity=2)
