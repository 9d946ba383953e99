"""The traffic trace through the real ZEV.EXE with Python as the device: with [Debug]
Trace=1 every byte sent and received is in ZevTrace.TXT, in order, each piece with its
time to the millisecond, its direction and the operation in progress, in hex and as text;
without it there is no trace file, and the settings file shows the keys. The trace stops
at its size limit ([Debug] TraceLimitMB) with a last line, and the log says so."""
import os
import re
import sys
import time
import unittest

from zevharness.device_end import DeviceEndTestCase
from zevharness.operations import ESC, READOUT

LIMIT_LINE = re.compile(r"^\d\d:\d\d:\d\d\.\d{3} -- the trace ends here: it has reached its size limit of (\d+) MB "
                        r"\(\[Debug\] TraceLimitMB in ZEV\.INI\)$")
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
            self.assertIn("[Debug]\nTrace=0\nTraceLimitMB=100\n", f.read().replace("\r\n", "\n"))

    def test_the_trace_stops_at_its_size_limit_with_a_last_line_and_a_log_line(self):
        self.start(1, 0, more_settings="[Debug]\nTrace=1\nTraceLimitMB=1\n")
        self.connect(0)
        self.robot.command(self.run.main, READOUT)
        self.assertEqual(self.pair.read(count=1, timeout=5.0), b"V")
        self.pair.write(ESC)
        # about 5.5 bytes of trace a byte of traffic: 300 lines of 800 bytes pass 1 MB
        lines = [b"ZEILE %04d " % n + bytes(0x20 + (n + i) % 0x5F for i in range(789)) for n in range(300)]
        stopped = "Die Datei ZevTrace.TXT für den Datenverkehr hat ihre Größengrenze von 1 MB erreicht " \
                  "([Debug] TraceLimitMB in ZEV.INI): die Aufzeichnung endet hier"
        for start in range(0, len(lines), 20):
            self.pair.write(b"".join(line + b"\r" for line in lines[start:start + 20]))
            self.assertTrue(self.log_has(">> " + lines[start + 19][:40].decode(), timeout=20.0))
        self.pair.write(b"\r")
        self.assertTrue(self.log_has(" >> \r\n"))
        self.assertEqual(self.run.close(), 0)

        self.assertEqual(self.folder.settings()["Debug"], {"Trace": "1", "TraceLimitMB": "1"})
        logged = [line[9:] for line in self.folder.log_lines()]
        self.assertEqual(logged.count(stopped), 1)
        with open(self.folder.file("ZevTrace.TXT"), "rb") as f:
            text = f.read().decode("ascii")
        self.assertLessEqual(len(text), 1024 * 1024, "the trace passed its limit")
        self.assertGreater(len(text), 1024 * 1024 - 2000, "the trace stopped long before its limit")
        self.assertTrue(text.endswith("\r\n"))
        rows = text.split("\r\n")[:-1]
        self.assertRegex(rows[-1], LIMIT_LINE)
        self.assertEqual(LIMIT_LINE.match(rows[-1]).group(1), "1")
        found = records("\r\n".join(rows[:-1]) + "\r\n")
        received = b"".join(r[4] for r in found if r[1] == "RX")
        whole = b"ZEV TEST DEVICE\r" + ESC + b"".join(line + b"\r" for line in lines) + b"\r"
        self.assertTrue(whole.startswith(received), "records lost or out of order")
        self.assertLess(len(received), len(whole), "the limit was not reached")
        self.assertNotEqual([r for r in found if r[1] == "TX"][-1][4], b"E", "traced after the limit")


if __name__ == "__main__":
    unittest.main(verbosity=2)
