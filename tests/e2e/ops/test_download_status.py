"""The download's status line under the progress bar, read from the real ZEV.EXE while
Python plays the device and sets the pace: the blocks or lines sent of the file's, the rate
and the time left once a second has passed; the line after the completion's with the time
the download took; and an empty line before a download, after it, and after one abandoned."""
import math
import os
import re
import shutil
import sys
import tempfile
import time
import unittest

from zevharness.device_end import DeviceEndTestCase
from zevharness.firmware_files import SMALL_S19, block_frames, s19_lines, s19_path, write_image
from zevharness.operations import (ACK, DISCONNECT, DOWNLOAD, DOWNLOAD_TOOK, END_FRAME, ESC, IDC_DOWNLOAD_STATUS,
                                   log_texts_after)
from zevharness.session import wait_for

STARTED = "Firmware-Download gestartet: "
DONE = "Firmware-Download abgeschlossen"
RATE = re.compile(r"Block (\d+) von (\d+) · (\d+),(\d) Blöcke/s · noch (\d+):(\d\d)")
TOOK = re.compile(r"Dauer: (\d+):(\d\d) \((\d+),(\d) Blöcke/s\)")
BLOCKS = 40
PACED = 20      # the blocks the device answers at its own pace, one each PACE seconds
PACE = 0.1


class DownloadStatusTest(DeviceEndTestCase):
    def setUp(self):
        super().setUp()
        self.files = tempfile.mkdtemp(prefix="zevstatus-")
        self.addCleanup(shutil.rmtree, self.files, True)

    def status(self):
        return self.robot.text(self.run.main, IDC_DOWNLOAD_STATUS)

    def choose(self, path):
        self.robot.command(self.run.main, DOWNLOAD)
        dialog = self.robot.other_window(self.run.main, 5.0)
        self.assertIsNotNone(dialog, "no file dialog")
        self.robot.file_dialog(dialog, path)
        self.assertTrue(self.robot.gone(dialog), "the file dialog stays open")

    def test_the_line_counts_the_blocks_says_the_rate_and_time_left_and_the_log_the_time_taken(self):
        self.start(1, 1)
        self.connect(1)
        self.assertEqual(self.status(), "")
        path = os.path.join(self.files, "fw.IMG")
        frames = block_frames(write_image(path, BLOCKS * 128))
        self.choose(path)
        self.assertEqual(self.pair.read(count=1, timeout=5.0), b"D")
        # waiting for the device's ESC: nothing sent yet
        self.assertTrue(wait_for(lambda: self.status() == "Block 0 von %d" % BLOCKS), self.status())
        self.pair.write(ESC)
        for number in range(PACED):
            self.assertEqual(self.pair.read(count=len(frames[number]), timeout=5.0), frames[number])
            time.sleep(PACE)
            self.pair.write(ACK)
        self.assertEqual(self.pair.read(count=len(frames[PACED]), timeout=5.0), frames[PACED])
        # block 21 is out and its ACK held: the line catches up with it
        prefix = "Block %d von %d · " % (PACED + 1, BLOCKS)
        self.assertTrue(wait_for(lambda: self.status().startswith(prefix)), self.status())
        text = self.status()
        match = RATE.fullmatch(text)
        self.assertIsNotNone(match, text)
        rate = int(match.group(3)) + int(match.group(4)) / 10
        left = int(match.group(5)) * 60 + int(match.group(6))
        # no faster than the device's pace (one block in a second more, where the samples
        # meet the frames), and the time left is the blocks to go at that rate, rounded up
        self.assertGreater(rate, 0.0, text)
        self.assertLessEqual(rate, 1 / PACE + 1, text)
        to_go = BLOCKS - (PACED + 1)
        self.assertGreaterEqual(left, math.floor(to_go / (rate + 0.05)), text)
        self.assertLessEqual(left, math.ceil(to_go / max(rate - 0.05, 0.01)), text)

        for number in range(PACED + 1, BLOCKS):
            self.pair.write(ACK)
            self.assertEqual(self.pair.read(count=len(frames[number]), timeout=5.0), frames[number])
        self.pair.write(ACK)
        self.assertEqual(self.pair.read(count=4, timeout=5.0), END_FRAME)
        self.pair.write(ACK)
        self.assertTrue(self.log_has(DONE))
        # the completion's line as ever, then the time taken with the rate over the whole download
        lines = log_texts_after(self.run, STARTED)
        self.assertEqual(lines, [DONE, DOWNLOAD_TOOK])
        took = TOOK.fullmatch(lines[1])
        seconds = int(took.group(1)) * 60 + int(took.group(2))
        rate = int(took.group(3)) + int(took.group(4)) / 10
        self.assertGreaterEqual(seconds, round(PACED * PACE), lines[1])  # the device's pace alone takes that
        self.assertGreater(rate, 0.0, lines[1])
        # the seconds, rounded, are the blocks at the rate, rounded to a tenth
        self.assertGreaterEqual(seconds, BLOCKS / (rate + 0.05) - 0.5, lines[1])
        self.assertLessEqual(seconds, BLOCKS / max(rate - 0.05, 0.01) + 0.5, lines[1])
        self.assertTrue(wait_for(lambda: self.status() == ""), self.status())
        self.assert_no_box()

    def test_an_abandoned_download_leaves_the_line_empty(self):
        self.start(1, 0)
        self.connect(0)
        lines = s19_lines(s19_path(SMALL_S19))
        self.choose(s19_path(SMALL_S19))
        first = b"D" + lines[0].encode() + b"\r"
        self.assertEqual(self.pair.read(count=len(first), timeout=5.0), first)
        # the first line is out and its ACK held: the count alone, before a second has passed
        self.assertTrue(wait_for(lambda: self.status().startswith("Zeile 1 von %d" % len(lines))), self.status())
        self.robot.command(self.run.main, DISCONNECT)
        self.assertTrue(self.log_has("Verbindung getrennt"))
        self.assertEqual(log_texts_after(self.run, STARTED),
                         ["Firmware-Download abgebrochen bei Zeile 1 von %d" % len(lines), "Verbindung getrennt"])
        self.assertTrue(wait_for(lambda: self.status() == ""), self.status())
        # and stays so: no timer brings it back
        time.sleep(0.6)
        self.assertEqual(self.status(), "")


if __name__ == "__main__":
    unittest.main(verbosity=2)
