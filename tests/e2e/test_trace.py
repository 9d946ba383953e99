"""The traffic trace through the real ZEV.EXE with Python as the device: with [Debug]
Trace=1 every byte sent and received is in ZevTrace.TXT, in order, each piece with its
time to the millisecond, its direction and the operation in progress, in hex and as text;
without it there is no trace file, and the settings file shows the key."""
import os
import re
import sys
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "harness"))
from device_end import DeviceEndTestCase  # noqa: E402
from operations import ESC, READOUT  # noqa: E402

RECORD = re.compile(r"^(\d\d:\d\d:\d\d\.\d{3}) (TX|RX) +(\d+) (\S.{11}) ((?:[0-9A-F]{2} ){1,16}) *\|(.{1,16})\|$")
MORE = re.compile(r"^ {32}((?:[0-9A-F]{2} ){1,16}) *\|(.{1,16})\|$")


def records(text):
    """The records of a trace: (time, direction, operation, name, bytes), continuation rows
    joined to their record; every row's text column checked against its hex."""
    found = []
    for line in text.splitlines()[2:]:
        first, more = RECORD.match(line), MORE.match(line)
        assert first or more, "not a trace row: %r" % line
        hex_text, shown = (first.group(5), first.group(6)) if first else (more.group(1), more.group(2))
        data = bytes.fromhex(hex_text)
        assert shown == "".join(chr(b) if 0x20 <= b < 0x7F else "." for b in data), line
        if first:
            found.append([first.group(1), first.group(2), int(first.group(3)), first.group(4).strip(), data])
        else:
            found[-1][4] += data
    return found


class TraceTest(DeviceEndTestCase):
    def test_a_session_is_traced_byte_for_byte_with_time_direction_and_operation(self):
        self.start(1, 0, more_settings="[Debug]\nTrace=1\n")
        self.assertTrue(self.log_has("Der Datenverkehr wird in ZevTrace.TXT aufgezeichnet"))
        self.connect(0)
        self.robot.command(self.run.main, READOUT)
        self.assertEqual(self.pair.read(count=1, timeout=5.0), b"V")
        self.pair.write(ESC + b"ZEILE 1 \x10\x2d\r")
        time.sleep(0.2)
        self.pair.write(b"ZEILE 2 \x7f\x80\xff\r\r")
        self.assertTrue(self.log_has(" >> \r\n"))
        self.assertEqual(self.run.close(), 0)

        with open(self.folder.file("ZevTrace.TXT"), "rb") as f:
            text = f.read().decode("ascii")
        self.assertTrue(text.startswith("Zevanto traffic trace, started "), text[:80])
        self.assertRegex(text.splitlines()[0], r"started \d{4}-\d\d-\d\d \d\d:\d\d:\d\d$")
        found = records(text)
        sent = [r for r in found if r[1] == "TX"]
        received = [r for r in found if r[1] == "RX"]
        # the wake-up goes out before the operation becomes the wake-up's
        self.assertEqual((sent[0][2], sent[0][3], sent[0][4]), (0, "idle", b"**\x18B00"))
        self.assertIn((7, "read-out", b"V"), [(r[2], r[3], r[4]) for r in sent])
        self.assertEqual(sent[-1][4], b"E", "the good-bye of the teardown")
        self.assertEqual(b"".join(r[4] for r in received),
                         b"ZEV TEST DEVICE\r" + ESC + b"ZEILE 1 \x10\x2d\rZEILE 2 \x7f\x80\xff\r\r")
        self.assertEqual({r[2] for r in received}, {1, 7}, "the wake-up's answer, then the read-out's lines")
        times = [r[0] for r in found]
        self.assertEqual(times, sorted(times), "in the order they happened")

    def test_without_the_setting_there_is_no_trace_and_the_key_shows_in_the_settings(self):
        self.start(1, 0)
        self.connect(0)
        self.assertEqual(self.run.close(), 0)
        self.assertFalse(os.path.exists(self.folder.file("ZevTrace.TXT")))
        with open(self.folder.file("ZEV.INI")) as f:
            self.assertIn("[Debug]\nTrace=0\n", f.read().replace("\r\n", "\n"))


if __name__ == "__main__":
    unittest.main(verbosity=2)
