"""Firmware download faults through the real ZEV.EXE against ZEVSIM.EXE (a Corlaxa taking
image files): one block NAKed 99 times and then taken, one refused 100 times, the busy
question's Yes in the middle, and a device that falls silent in the middle. The first
still delivers the whole file; the others end the download without its end frame, say
where it stopped, and leave the file closed, the bar at 0 and the tool idle: the same
file opens again for the next download, and a read-out runs."""
import os
import shutil
import sys
import tempfile
import unittest

from zevharness import hex_log
from zevharness.firmware_files import block_frames, write_image
from zevharness.operations import (BUSY_CAPTION, DISCONNECT, DOWNLOAD_TOOK, END_FRAME, IDC_PROGRESS, IDOK, IDYES, READOUT,
                        RX_TIMEOUT, SimWire, answer_box, assert_idle, assert_no_box, file_log_texts, log_texts,
                        log_texts_after, start_download)
from zevharness.robot import RobotTestCase, windows_path
from zevharness.session import sim_session, wait_for
from zevharness.tool import TITLE

STARTED = "Firmware-Download gestartet: "
DONE = "Firmware-Download abgeschlossen"
BLOCKS = 10


class DownloadFaultTest(RobotTestCase):
    def session(self, *sim_args):
        """A connected Corlaxa that keeps what it is sent, and an image of BLOCKS whole
        blocks (what the device keeps of it is then the file itself)."""
        files = tempfile.mkdtemp(prefix="zevfault-")
        self.addCleanup(shutil.rmtree, files, True)
        self.fw_out = os.path.join(files, "fw.out")
        self.path = os.path.join(files, "fw.IMG")
        self.image = write_image(self.path, BLOCKS * 128)
        s = sim_session(self, self.robot, 1, sim_args=("--firmware-out", windows_path(self.fw_out)) + sim_args)
        s.connect()
        return s

    def delivered(self, s, downloads):
        """What the device kept of its `downloads`-th download."""
        self.assertTrue(wait_for(lambda: s.sim.output().count("firmware written") >= downloads, 10.0))
        with open(self.fw_out, "rb") as f:
            return f.read()

    def test_a_block_naked_99_times_is_then_taken_and_the_file_delivered(self):
        s = self.session("--nak-frame", "3", "--nak-repeat", "99")
        start_download(self, self.robot, s, self.path)
        self.assertTrue(s.log_has(DONE, 120.0), "the download did not end")
        self.assertEqual(self.delivered(s, 1), self.image)
        frames = block_frames(self.image)
        expected = b"D" + frames[0] + frames[1] + frames[2] * 100 + b"".join(frames[3:]) + END_FRAME
        self.assertTrue(wait_for(lambda: len(hex_log.received(s.sim.log_text())) >= len(expected) + 6))
        self.assertEqual(hex_log.received(s.sim.log_text())[-len(expected):], expected)
        self.assertEqual(self.robot.progress(s.main, IDC_PROGRESS)[0], 0)
        assert_no_box(self, self.robot, s.main)
        self.assertEqual(s.run.close(), 0)
        lines = file_log_texts(s.folder)
        resend = "Block 3 wird wiederholt (Dateiposition 384)"
        self.assertEqual(lines[lines.index(STARTED + windows_path(self.path)) + 1:][:101],
                         [resend] * 99 + [DONE, DOWNLOAD_TOOK])

    def test_a_block_refused_100_times_in_a_row_ends_the_download(self):
        s = self.session("--nak-frame", "3", "--nak-repeat", "1000")
        wire = SimWire(s.sim)
        wire.mark()
        start_download(self, self.robot, s, self.path)
        refused = "Das Gerät hat Block 3 der Firmware-Datei 100-mal in Folge abgelehnt: der Download endet."
        self.assertEqual(answer_box(self, self.robot, s.main, IDOK, 30.0), (TITLE, refused))
        frames = block_frames(self.image)
        self.assertEqual(wire.quiet_since_mark(), b"D" + frames[0] + frames[1] + frames[2] * 100)
        abandoned = "Firmware-Download abgebrochen bei Block 3 von %d" % BLOCKS
        self.assertEqual(log_texts(s.run)[-2:], [refused, abandoned])
        self.assertEqual(self.robot.progress(s.main, IDC_PROGRESS)[0], 0)
        self.robot.lock(self.path)  # nobody holds the file any more
        self.robot.unlock(self.path)
        # idle: the device, left in its download, is woken up anew
        s.command(DISCONNECT)
        self.assertTrue(wait_for(lambda: log_texts(s.run)[-1] == "Verbindung getrennt"))
        assert_no_box(self, self.robot, s.main)
        s.connect()
        assert_idle(self, s, wire)
        self.assertEqual(s.run.close(), 0)
        resend = "Block 3 wird wiederholt (Dateiposition 384)"
        lines = file_log_texts(s.folder)
        self.assertEqual(lines[lines.index(STARTED + windows_path(self.path)) + 1:][:101],
                         [resend] * 99 + [refused, abandoned])

    def test_yes_to_the_busy_question_abandons_the_download_and_says_where(self):
        s = self.session("--silent-after-frame", "5")
        wire = SimWire(s.sim)
        start_download(self, self.robot, s, self.path)
        self.assertTrue(wait_for(lambda: self.robot.progress(s.main, IDC_PROGRESS)[0] == 5 * 128))
        s.command(READOUT)
        self.assertEqual(answer_box(self, self.robot, s.main, IDYES)[0], BUSY_CAPTION)
        self.assertTrue(wait_for(lambda: "Firmware-Download abgebrochen bei Block 5 von 10" in log_texts(s.run)))
        self.assertEqual(log_texts_after(s.run, STARTED)[0], "Firmware-Download abgebrochen bei Block 5 von 10")
        self.assertEqual(self.robot.progress(s.main, IDC_PROGRESS)[0], 0)
        self.assertNotIn(DONE, log_texts(s.run))

    def test_a_device_silent_in_the_middle_ends_in_the_time_out_and_the_file_is_let_go(self):
        s = self.session("--silent-after-frame", "4")
        start_download(self, self.robot, s, self.path)
        # the fourth block waits for an answer that does not come: 10 s
        self.assertTrue(wait_for(lambda: self.robot.progress(s.main, IDC_PROGRESS)[0] == 4 * 128))
        self.assertEqual(answer_box(self, self.robot, s.main, IDOK, 15.0), (TITLE, RX_TIMEOUT))
        self.assertTrue(wait_for(lambda: len(log_texts_after(s.run, STARTED)) == 2))
        self.assertEqual(log_texts_after(s.run, STARTED),
                         [RX_TIMEOUT, "Firmware-Download abgebrochen bei Block 4 von %d" % BLOCKS])
        self.assertEqual(self.robot.progress(s.main, IDC_PROGRESS)[0], 0)
        self.robot.lock(self.path)  # nobody holds the file any more
        self.robot.unlock(self.path)
        self.assertEqual(s.sim.output().count("firmware written"), 0)

        # the wake-up ends the device's silence; the same file opens and goes again (the
        # device falls silent at the same block: a disconnect ends that download)
        s.command(DISCONNECT)
        self.assertTrue(s.log_has("Verbindung getrennt"))
        s.connect()
        start_download(self, self.robot, s, self.path)
        self.assertTrue(wait_for(lambda: s.sim.output().count("frame 4: silent") == 2))
        self.assertEqual(log_texts_after(s.run, STARTED), [])
        self.assertEqual(self.robot.progress(s.main, IDC_PROGRESS)[0], 4 * 128)
        s.command(DISCONNECT)
        self.assertTrue(wait_for(lambda: log_texts_after(s.run, STARTED) == [
            "Firmware-Download abgebrochen bei Block 4 von %d" % BLOCKS, "Verbindung getrennt"]))
        self.assertEqual(self.robot.progress(s.main, IDC_PROGRESS)[0], 0)
        s.connect()

        # idle: a read-out runs to its empty line
        s.command(READOUT)
        self.assertTrue(s.log_has(">> \r\n"), "the read-out did not end")
        self.assertTrue(log_texts_after(s.run, "Verbindung getrennt")[1].startswith(">> "))
        assert_no_box(self, self.robot, s.main)


if __name__ == "__main__":
    unittest.main(verbosity=2)
