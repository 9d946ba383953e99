"""Firmware download of image files to a Corlaxa (type 1) through the real ZEV.EXE: 'D', the
device's ESC, 132-byte block frames with their numbers, sums and filler, the end frame
(an empty image is refused before 'D': faults/test_download_file.py);
a NAKed block sent again with its number; the progress bar; against ZEVSIM.EXE
(sim_session) and, where the test must hold an answer back, Python as the device
(DeviceEndTestCase)."""
import os
import time
import shutil
import sys
import tempfile
import unittest

from zevharness.device_end import DeviceEndTestCase
from zevharness.firmware_files import block_frames, write_image
from zevharness.operations import (start_download, ACK, COMMAND_Y, COMMAND_Y_LOG, DOWNLOAD, DOWNLOAD_TOOK, END_FRAME, ESC, IDC_PROGRESS,
                        SimWire, assert_no_box, log_texts, log_texts_after)
from zevharness.robot import RobotTestCase, windows_path
from zevharness.session import sim_session, wait_for

STARTED = "Firmware-Download gestartet: "
DONE = "Firmware-Download abgeschlossen"
BLOCK = 128


class ImageDownloadTest(RobotTestCase):
    def session(self, *sim_args):
        self.files = tempfile.mkdtemp(prefix="zevimg-")
        self.addCleanup(shutil.rmtree, self.files, True)
        self.fw_out = os.path.join(self.files, "fw.out")
        s = sim_session(self, self.robot, 1, sim_args=("--firmware-out", windows_path(self.fw_out)) + sim_args)
        s.connect()
        return s

    def download(self, s, path):
        start_download(self, self.robot, s, path)

    def firmware_out(self, s, downloads):
        """What the simulator kept of its `downloads`-th download."""
        self.assertTrue(wait_for(lambda: s.sim.output().count("firmware written") >= downloads))
        with open(self.fw_out, "rb") as f:
            return f.read()

    def test_images_of_129_256_bytes_and_300_blocks(self):
        s = self.session()
        wire = SimWire(s.sim)
        for number, size in enumerate((129, 256, 300 * BLOCK), 1):
            with self.subTest(size=size):
                path = os.path.join(self.files, "fw%d.IMG" % size)
                image = write_image(path, size, seed=number)
                frames = block_frames(image)
                wire.mark()
                self.download(s, path)
                expected = b"D" + b"".join(frames) + END_FRAME
                self.assertEqual(wire.since_mark(len(expected), 30.0), expected)
                if size == 300 * BLOCK:
                    self.assertEqual([frame[0] for frame in frames], list(range(256)) + list(range(44)))
                if size == 129:
                    # one file byte, then filler; the sum covers what was sent
                    self.assertEqual(frames[1][4:], image[128:] + b"\xff" * 127)
                    self.assertEqual(frames[1][1:4], bytes([0x80]) + (image[128] + 127 * 0xFF).to_bytes(2, "big"))
                # the device keeps every block whole, filler and all
                self.assertEqual(self.firmware_out(s, number), b"".join(frame[4:] for frame in frames))
                self.assertTrue(s.log_has(DONE, 10.0))
                # the device's ACK of the end frame comes while idle: nothing to say about it
                self.assertEqual(wire.quiet_since_mark(), expected)
                assert_no_box(self, self.robot, s.main)
                self.assertEqual(log_texts_after(s.run, STARTED), [DONE, DOWNLOAD_TOOK])
                self.assertEqual(log_texts(s.run)[-3], STARTED + windows_path(path))

        # idle: the next command goes out without the busy question
        wire.mark()
        s.command(COMMAND_Y)
        self.assertEqual(wire.since_mark(1), b"Y")
        self.assertTrue(s.log_has(COMMAND_Y_LOG))
        assert_no_box(self, self.robot, s.main)

    def test_a_naked_block_is_sent_again_with_its_number(self):
        s = self.session("--nak-frame", "2", "--nak-repeat", "2")
        path = os.path.join(self.files, "fw.IMG")
        image = write_image(path, 3 * BLOCK + 10)
        frames = block_frames(image)
        wire = SimWire(s.sim)
        wire.mark()
        self.download(s, path)
        expected = b"D" + frames[0] + frames[1] * 3 + frames[2] + frames[3] + END_FRAME
        self.assertEqual(wire.since_mark(len(expected), 10.0), expected)
        self.assertTrue(s.log_has(DONE, 10.0))
        # frames counted so far and the file position after the block: the same for each resend
        resend = "Block 2 wird wiederholt (Dateiposition 256)"
        self.assertEqual(log_texts_after(s.run, STARTED), [resend, resend, DONE, DOWNLOAD_TOOK])
        self.assertEqual(self.firmware_out(s, 1), b"".join(frame[4:] for frame in frames))


class ImageDownloadDeviceEndTest(DeviceEndTestCase):
    def test_the_first_block_waits_for_the_esc_and_the_bar_reaches_the_file_length(self):
        self.start(1, 1)
        self.connect(1)
        path = os.path.join(self.folder.path, "fw.IMG")
        image = write_image(path, 2 * BLOCK + 44)
        frames = block_frames(image)
        self.robot.command(self.run.main, DOWNLOAD)
        self.robot.file_dialog(self.robot.other_window(self.run.main, 5.0), path)
        self.assertEqual(self.pair.read(count=1, timeout=5.0), b"D")
        self.assertEqual(self.pair.read(timeout=0.5), b"", "a block went out before the device's ESC")
        self.pair.write(ESC)
        for number, frame in enumerate(frames):
            self.assertEqual(self.pair.read(count=len(frame), timeout=5.0), frame, "block %d" % number)
            if number < len(frames) - 1:
                self.pair.write(ACK)
        # the last block is out and its ACK held back: the bar stands at the file's end
        self.assertEqual(self.robot.progress(self.run.main, IDC_PROGRESS), (len(image), len(image)))
        self.pair.write(ACK)
        self.assertEqual(self.pair.read(count=4, timeout=5.0), END_FRAME)
        # the device checks the image before it takes the end frame: not complete till then
        time.sleep(0.5)
        self.assertEqual(log_texts_after(self.run, STARTED), [])
        self.assertEqual(self.robot.progress(self.run.main, IDC_PROGRESS), (len(image), len(image)))
        self.pair.write(ACK)
        self.assertTrue(self.log_has(DONE))
        self.assertEqual(self.robot.progress(self.run.main, IDC_PROGRESS), (0, len(image)))
        # an ACK while idle is no answer to anything: said, and nothing goes out (looked
        # for once the tool has taken it: a busy machine may take longer than the look)
        self.pair.write(ACK)
        self.assertTrue(self.log_has("[ACK]"), log_texts_after(self.run, STARTED))
        self.assertEqual(self.pair.read(timeout=0.5), b"")
        assert_no_box(self, self.robot, self.run.main)
        self.assertEqual(log_texts_after(self.run, STARTED), [DONE, DOWNLOAD_TOOK, "[ACK]"])


if __name__ == "__main__":
    unittest.main(verbosity=2)
