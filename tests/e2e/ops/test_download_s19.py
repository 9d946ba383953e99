"""Firmware download of S-record files to a Vantik (type 0) and a Brennix (type 2) through
the real ZEV.EXE: 'D', then every line of the file ended by CR, each after the ACK of the
one before; empty lines, a last line without its line end, an empty file, NAKed lines
sent again; the progress bar; a file that cannot be opened once it has been chosen.
Against ZEVSIM.EXE (sim_session), and Python as the device (DeviceEndTestCase) where the
test must hold an answer back or see that nothing comes."""
import os
import shutil
import sys
import tempfile
import unittest

from zevharness.device_end import DeviceEndTestCase
from zevharness.firmware_files import LARGE_S19, SMALL_S19, s19_lines, s19_path
from zevharness.operations import (start_download, ACK, COMMAND_Y, DOWNLOAD, DOWNLOAD_TOOK, ESC, IDC_PROGRESS, IDOK, SimWire, answer_box,
                        assert_idle, assert_no_box, file_log_texts, log_texts, log_texts_after)
from zevharness.processes import sub_test
from zevharness.robot import RobotTestCase, windows_path
from zevharness.session import sim_session, wait_for
from zevharness.tool import TITLE

STARTED = "Firmware-Download gestartet: "
DONE = "Firmware-Download abgeschlossen"


def frames_of(lines):
    return b"".join(line.encode() + b"\r" for line in lines)


class S19DownloadTest(RobotTestCase):
    def setUp(self):
        self.files = tempfile.mkdtemp(prefix="zevs19-")
        self.addCleanup(shutil.rmtree, self.files, True)
        self.fw_out = os.path.join(self.files, "fw.out")

    def session(self, device_type, *sim_args, owner=None):
        s = sim_session(owner or self, self.robot, device_type,
                        sim_args=("--firmware-out", windows_path(self.fw_out)) + sim_args)
        s.connect()
        return s

    def write_file(self, name, data):
        path = os.path.join(self.files, name)
        with open(path, "wb") as f:
            f.write(data)
        return path

    def download(self, s, path):
        start_download(self, self.robot, s, path)

    def firmware_out(self, s, downloads=1):
        self.assertTrue(wait_for(lambda: s.sim.output().count("firmware written") >= downloads))
        with open(self.fw_out, "rb") as f:
            return f.read().decode("ascii")

    def assert_done_and_idle(self, s, wire, path):
        self.assertTrue(s.log_has(DONE, 15.0))
        self.assertEqual(log_texts_after(s.run, STARTED), [DONE, DOWNLOAD_TOOK])
        self.assertEqual(log_texts(s.run)[-3], STARTED + windows_path(path))
        assert_no_box(self, self.robot, s.main)
        assert_idle(self, s, wire)

    def test_the_real_files_go_line_by_line_to_both_kinds_of_device(self):
        for device_type, name in ((0, SMALL_S19), (2, LARGE_S19)):
            with sub_test(self, device_type=device_type, file=name) as owner:
                s = self.session(device_type, owner=owner)
                wire = SimWire(s.sim)
                path = s19_path(name)
                lines = s19_lines(path)
                wire.mark()
                self.download(s, path)
                expected = b"D" + frames_of(lines)
                self.assertEqual(wire.since_mark(len(expected), 60.0), expected)
                self.assertEqual(self.firmware_out(s), "".join(line + "\n" for line in lines))
                self.assertEqual(wire.quiet_since_mark(), expected)
                self.assert_done_and_idle(s, wire, path)

    def test_an_empty_line_a_last_line_without_its_end_and_an_empty_file(self):
        s = self.session(0)
        wire = SimWire(s.sim)
        lines = s19_lines(s19_path(SMALL_S19))
        # an empty line after the header; the end record without a line end
        odd = lines[:1] + [""] + lines[1:]
        path = self.write_file("odd.S19", "\r\n".join(odd).encode())
        wire.mark()
        self.download(s, path)
        expected = b"D" + frames_of(odd)  # a lone CR for the empty line
        self.assertEqual(wire.since_mark(len(expected), 10.0), expected)
        self.assertEqual(self.firmware_out(s), "".join(line + "\n" for line in lines))
        self.assert_done_and_idle(s, wire, path)

        # a file with no line at all has nothing for the device: it is refused before 'D'
        empty = self.write_file("empty.S19", b"")
        wire.mark()
        self.download(s, empty)
        title, text = answer_box(self, self.robot, s.main, IDOK)
        self.assertEqual((title, text), (TITLE, "Die Firmware-Datei %s enthält nichts zu senden: der Download "
                                                "beginnt nicht." % windows_path(empty)))
        self.assertEqual(log_texts(s.run)[-1], text)
        self.assertEqual(wire.quiet_since_mark(), b"")
        assert_idle(self, s, wire)

    def test_a_naked_line_is_sent_again_and_the_download_goes_on(self):
        s = self.session(2, "--nak-frame", "5", "--nak-repeat", "2")
        wire = SimWire(s.sim)
        lines = s19_lines(s19_path(SMALL_S19))
        expected = b"D" + frames_of(lines[:4]) + frames_of(lines[4:5]) * 3 + frames_of(lines[5:])
        for done, ending in enumerate(("\r\n", "\n"), 1):  # as objcopy writes them, and as many tools do
            with self.subTest(ending=ending):
                path = self.write_file("fw%d.S19" % done, "".join(line + ending for line in lines).encode())
                wire.mark()
                self.download(s, path)
                self.assertEqual(wire.since_mark(len(expected), 10.0), expected)
                self.assertTrue(wait_for(lambda: log_texts(s.run).count(DONE) == done))
                # five lines taken from the file so far, and where the sixth starts
                position = sum(len(line) + len(ending) for line in lines[:5])
                resend = "Block 5 wird wiederholt (Dateiposition %d)" % position
                self.assertEqual(log_texts_after(s.run, STARTED), [resend, resend, DONE, DOWNLOAD_TOOK])
                self.assertEqual(self.firmware_out(s, done), "".join(line + "\n" for line in lines))
        self.assertEqual(s.run.close(), 0)
        self.assertNotIn("[NAK]", file_log_texts(s.folder))


class S19DownloadDeviceEndTest(DeviceEndTestCase):
    def choose(self, path):
        self.robot.command(self.run.main, DOWNLOAD)
        dialog = self.robot.other_window(self.run.main, 5.0)
        self.assertIsNotNone(dialog, "no file dialog")
        self.robot.file_dialog(dialog, path)
        self.assertTrue(self.robot.gone(dialog), "the file dialog stays open")

    def test_the_progress_bar_follows_the_file_and_reaches_its_length_with_the_last_line(self):
        self.start(1, 0)
        self.connect(0)
        files = tempfile.mkdtemp(prefix="zevs19-")
        self.addCleanup(shutil.rmtree, files, True)
        lines = s19_lines(s19_path(SMALL_S19))
        for done, ending in enumerate((b"\r\n", b"\n"), 1):  # as objcopy writes them, and as many tools do
            with self.subTest(ending=ending):
                path = os.path.join(files, "fw%d.S19" % done)
                with open(path, "wb") as f:
                    f.write(b"".join(line.encode() + ending for line in lines))
                length = os.path.getsize(path)
                self.choose(path)
                position = 0
                for number, line in enumerate(lines, 1):
                    # the first line follows 'D' at once
                    frame = (b"D" if number == 1 else b"") + line.encode() + b"\r"
                    self.assertEqual(self.pair.read(count=len(frame), timeout=5.0), frame, "line %d" % number)
                    # the line is out and its ACK not given: the bar stands at the line's end
                    position += len(line) + len(ending)
                    self.assertEqual(self.robot.progress(self.run.main, IDC_PROGRESS), (position, length),
                                     "line %d" % number)
                    self.pair.write(ACK)
                self.assertEqual(position, length)
                self.assertTrue(wait_for(lambda: log_texts(self.run).count(DONE) == done))
                self.assertEqual(self.robot.progress(self.run.main, IDC_PROGRESS), (0, length))
                self.assertEqual(self.pair.read(timeout=0.3), b"")

    def test_a_file_that_cannot_be_opened_after_the_dialog_sends_nothing(self):
        self.start(1, 0)
        self.connect(0)
        files = tempfile.mkdtemp(prefix="zevs19-")
        self.addCleanup(shutil.rmtree, files, True)
        path = os.path.join(files, "held.S19")
        shutil.copy(s19_path(SMALL_S19), path)
        # held by another program: it exists for the dialog, and no open of it succeeds
        self.robot.lock(path)
        self.addCleanup(self.robot.unlock, path)
        self.choose(path)
        title, text = answer_box(self, self.robot, self.run.main, IDOK)
        self.assertEqual(title, TITLE)
        self.assertTrue(text.startswith("Die Firmware-Datei %s kann nicht geöffnet werden (" % windows_path(path)),
                        text)
        self.assertTrue(self.log_has(text))
        self.assertEqual(self.pair.read(timeout=0.5), b"", "'D' went out")
        # idle: the next command goes out without the busy question
        self.robot.command(self.run.main, COMMAND_Y)
        self.assertEqual(self.pair.read(count=1, timeout=3.0), b"Y")
        assert_no_box(self, self.robot, self.run.main)
        self.pair.write(ESC)
        self.assertEqual(self.run.close(), 0)
        log = file_log_texts(self.folder)
        self.assertIn(text, log)
        self.assertNotIn(DONE, log)


if __name__ == "__main__":
    unittest.main(verbosity=2)
