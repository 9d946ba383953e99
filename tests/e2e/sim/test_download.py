"""ZEVSIM.EXE on a pty pair, Python on the tool's end sending firmware as the tool does:
the S-record files made by the build and image files of given sizes, with NAKs on
request, a thousand NAKs on one frame, a device that goes silent mid-download, and
the firmware file it writes."""
import os
import unittest

from sim.sim_test_case import ACK, ESC, NAK, SimTestCase, windows_path
from zevharness.firmware_files import LARGE_S19, SMALL_S19, block_frames, s19_lines, s19_path, write_image

END_FRAME = b"\0\0\0\0"


class DownloadTest(SimTestCase):
    def start(self, device_type, *args):
        self.firmware_out = self.file("fw.out")
        super().start(device_type, "--firmware-out", windows_path(self.firmware_out), *args)

    def send_frame(self, frame):
        """Sends a frame and returns the device's answer to it, ACK or NAK."""
        self.tool.write(frame)
        answer = self.tool.read(count=1)
        self.assertIn(answer, (ACK, NAK), "no answer to the frame")
        return answer

    def firmware(self):
        self.sim.wait_for_output("firmware written")
        with open(self.firmware_out, "rb") as f:
            return f.read()

    def test_the_large_s19_file_with_naks_on_one_line(self):
        self.start(0, "--nak-frame", "1000", "--nak-repeat", "3")
        lines = s19_lines(s19_path(LARGE_S19))
        self.tool.write(b"D")  # the first line follows at once
        naks = 0
        for line in lines:
            while self.send_frame(line.encode() + b"\r") == NAK:
                naks += 1
        self.assertEqual(naks, 3)
        self.assertEqual(self.firmware(), "".join(line + "\n" for line in lines).encode())
        self.assertEqual(self.tool.ask(b"r"), b"9,33,0\r")

    def test_the_small_s19_file_at_the_line_rate_with_empty_lines_at_its_end(self):
        self.start(2, "--line-rate")
        lines = s19_lines(s19_path(SMALL_S19))
        self.tool.write(b"D")
        for line in lines + ["", ""]:
            self.assertEqual(self.send_frame(line.encode() + b"\r"), ACK, line)
        self.assertEqual(self.firmware(), "".join(line + "\n" for line in lines).encode())

    def test_an_image_with_a_short_last_block_keeps_its_filler(self):
        self.start(1)
        image = write_image(self.file("fw.img"), 129)
        frames = block_frames(image, filler=0xEE)
        self.assertEqual(len(frames), 2)
        self.assertEqual(self.tool.ask(b"D", until=ESC), ESC)
        for frame in frames:
            self.assertEqual(self.send_frame(frame), ACK)
        self.assertEqual(self.send_frame(END_FRAME), ACK)  # answered; the tool is idle by then
        self.assertEqual(self.firmware(), image + b"\xee" * 127)

    def test_a_thousand_naks_on_one_block_then_ack(self):
        self.start(1, "--nak-frame", "257", "--nak-repeat", "1000")
        image = write_image(self.file("fw.img"), 300 * 128)
        frames = block_frames(image)
        self.assertEqual([frame[0] for frame in frames[254:258]], [254, 255, 0, 1])
        self.assertEqual(self.tool.ask(b"D", until=ESC), ESC)
        answers = []
        for frame in frames:
            answer = self.send_frame(frame)
            while answer == NAK:
                answers.append(answer)
                answer = self.send_frame(frame)
        self.assertEqual(len(answers), 1000)
        self.assertEqual(self.send_frame(END_FRAME), ACK)
        self.assertEqual(self.firmware(), image)
        log = self.sim.log_text()
        self.assertIn("frame 257: NAK 1 of 1000 (fault option)", log)
        self.assertIn("frame 257: NAK 1000 of 1000 (fault option)", log)

    def test_a_device_that_goes_silent_mid_download_answers_the_next_wake_up(self):
        self.start(1, "--silent-after-frame", "3")
        frames = block_frames(write_image(self.file("fw.img"), 5 * 128))
        self.assertEqual(self.tool.ask(b"D", until=ESC), ESC)
        self.assertEqual(self.send_frame(frames[0]), ACK)
        self.assertEqual(self.send_frame(frames[1]), ACK)
        self.tool.write(frames[2])
        self.assertEqual(self.tool.read(timeout=1.5), b"")  # the tool's time-out would follow
        # the technician connects again: the device leaves the download and answers
        self.assertEqual(self.tool.wake_up(1, 19200), b"Corlaxa V2.14 SN 104711\r")
        self.assertEqual(self.tool.ask(b"r"), b"9,33,0\r")
        log = self.sim.log_text()
        self.assertIn("frame 3: silent from here on until the next wake-up", log)
        self.assertIn("download abandoned after 3 blocks", log)
        self.assertFalse(os.path.exists(self.firmware_out))


if __name__ == "__main__":
    unittest.main(verbosity=2)
