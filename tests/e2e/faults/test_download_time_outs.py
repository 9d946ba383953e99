"""The time-outs of a firmware download through the real ZEV.EXE, with Python as a Corlaxa
that takes its time: a download that runs longer than the answer's 10 s time-out, block
after block answered in time (some at once, some after 1.6 s, longer than the send's 1 s
watchdog), ends in no time-out; the block then left unanswered ends in the time-out 10 s
after it went out, not before, and the download is abandoned at that block."""
import os
import sys
import time
import unittest

from zevharness.device_end import DeviceEndTestCase
from zevharness.firmware_files import block_frames, write_image
from zevharness.operations import ACK, DOWNLOAD, ESC, IDC_PROGRESS, IDOK, RX_TIMEOUT, answer_box, log_texts_after
from zevharness.session import wait_for
from zevharness.tool import TITLE

STARTED = "Firmware-Download gestartet: "
BLOCK = 128
QUICK, SLOW = 4, 7  # blocks answered after 0.3 s, then after 1.6 s: 11.2 s in all
SLOW_ANSWER = 1.6


class DownloadTimeOutTest(DeviceEndTestCase):
    def test_a_long_download_answered_in_time_goes_on_and_a_block_unanswered_times_out_after_10_s(self):
        self.start(1, 1)
        self.connect(1)
        path = os.path.join(self.folder.path, "fw.IMG")
        frames = block_frames(write_image(path, (QUICK + SLOW + 1) * BLOCK))
        self.robot.command(self.run.main, DOWNLOAD)
        self.robot.file_dialog(self.robot.other_window(self.run.main, 5.0), path)
        self.assertEqual(self.pair.read(count=1, timeout=5.0), b"D")
        self.pair.write(ESC)
        for number, frame in enumerate(frames[:QUICK + SLOW]):
            self.assertEqual(self.pair.read(count=len(frame), timeout=5.0), frame, "block %d" % number)
            time.sleep(0.3 if number < QUICK else SLOW_ANSWER)
            self.pair.write(ACK)
        # every block was answered within its time: nothing timed out on the way
        self.assertEqual(log_texts_after(self.run, STARTED), [])
        self.assertIsNone(self.robot.other_window(self.run.main, 0.1), "a box is open")

        last = frames[QUICK + SLOW]
        self.assertEqual(self.pair.read(count=len(last), timeout=5.0), last)
        sent = time.monotonic()
        self.assertEqual(answer_box(self, self.robot, self.run.main, IDOK, 20.0), (TITLE, RX_TIMEOUT))
        # read after it went out, the box seen after it came: the wait is at least the
        # time-out, less what the reading of the block took
        self.assertGreater(time.monotonic() - sent, 9.0)
        self.assertTrue(wait_for(lambda: len(log_texts_after(self.run, STARTED)) == 2))
        self.assertEqual(log_texts_after(self.run, STARTED),
                         [RX_TIMEOUT, "Firmware-Download abgebrochen bei Block %d von %d"
                          % (QUICK + SLOW + 1, QUICK + SLOW + 1)])
        self.assertEqual(self.robot.progress(self.run.main, IDC_PROGRESS)[0], 0)
        self.assertEqual(self.pair.read(timeout=0.3), b"", "the end frame went out")


if __name__ == "__main__":
    unittest.main(verbosity=2)
