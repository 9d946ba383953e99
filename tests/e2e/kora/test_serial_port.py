#!/usr/bin/env python3
"""KORA.DLL seen from the Linux side of the pty pair: the line settings the library
puts on the tool's end, a cable pulled out in the middle of a session, and the last bytes
written before a close reaching the device.

Runs kora_probe.exe under Wine (WINEPREFIX and the rest come from ctest).
"""
import os
import subprocess
import sys
import termios
import time
import unittest

from zevharness.processes import start_process
from zevharness.ptys import _SPEEDS, pty_pair

PROBE = os.path.join(os.environ.get("ZEV_TEST_BIN", "."), "kora_probe.exe")


def start_probe(owner, *args, **popen_args):
    """kora_probe.exe, ended when `owner` ends."""
    return start_process(owner, ["wine", PROBE] + [str(a) for a in args], stdin=subprocess.PIPE,
                         stdout=subprocess.PIPE, text=True, bufsize=1, **popen_args)


def tool_attributes(pair):
    fd = os.open(pair.tool_path, os.O_RDONLY | os.O_NOCTTY | os.O_NONBLOCK)
    try:
        return termios.tcgetattr(fd)
    finally:
        os.close(fd)


class LineSettings(unittest.TestCase):
    def test_baud_rate_8n1_and_xoff_towards_the_device(self):
        bauds = [9600, 19200, 38400, 115200]
        pair = pty_pair(self, 1)
        probe = start_probe(self, "settings", 1, *bauds)
        for baud in bauds:
            line = probe.stdout.readline().split()
            self.assertEqual(line[:2], ["OPEN", str(baud)], line)
            self.assertGreater(int(line[2]), 0)
            self.assertNotEqual(line[3], "0", "the wait-and-test after the open failed")
            iflag, _, cflag, _, ispeed, ospeed, cc = tool_attributes(pair)
            with self.subTest(baud=baud):
                self.assertEqual(_SPEEDS.get(ospeed), baud)
                self.assertEqual(_SPEEDS.get(ispeed), baud)
                self.assertEqual(cflag & termios.CSIZE, termios.CS8)
                self.assertFalse(cflag & termios.PARENB, "parity is on")
                self.assertFalse(cflag & termios.CSTOPB, "two stop bits")
                self.assertFalse(cflag & termios.CRTSCTS, "hardware flow control is on")
                self.assertTrue(iflag & termios.IXOFF, "no XOFF towards the device")
                self.assertFalse(iflag & termios.IXON, "XON/XOFF from the device is obeyed")
                self.assertEqual(cc[termios.VSTART], b"\x11")
                self.assertEqual(cc[termios.VSTOP], b"\x13")
            probe.stdin.write("\n")
            probe.stdin.flush()
        self.assertEqual(probe.wait(20), 0)


class CablePulled(unittest.TestCase):
    def test_link_error_then_a_clean_close(self):
        pair = pty_pair(self, 1)
        probe = start_probe(self, "vanish", 1)
        self.assertEqual(probe.stdout.readline().strip(), "READY")
        pair.stop()
        out, _ = probe.communicate(timeout=30)
        print(out)
        lines = dict(line.split(" ", 1) if " " in line else (line, "")
                     for line in out.splitlines() if line and not line.startswith("CLOSE TOOK"))
        self.assertEqual(probe.returncode, 0, out)
        self.assertTrue(lines["ERROR"].startswith("COM1 is gone (unplugged?): "), out)
        self.assertEqual(lines["WRITE"], "-4")          # KORA_E_FAILED
        self.assertEqual(lines["WAIT"], "-4")
        self.assertEqual(lines["CLOSE"], "0")
        self.assertEqual(lines["LATE"], "EVENTS 0")
        self.assertEqual(lines["READ"], "AFTER CLOSE -2")  # KORA_E_NO_LINK


class WriteThenClose(unittest.TestCase):
    def start_write_close(self, *args):
        """The write-close probe, started again once when Wine ends it before it runs
        (nothing printed at all: a start-up failure of Wine's, not of KORA's)."""
        for attempt in (1, 2):
            probe = start_probe(self, "write-close", *args, stderr=subprocess.PIPE)
            if probe.stdout.readline().strip() == "STARTED":
                return probe
            out, err = probe.communicate(timeout=30)
            print("attempt %d: the probe ended before it ran (exit code %s)\nstdout: %r\nstderr: %s"
                  % (attempt, probe.returncode, out, err))
        self.fail("Wine did not run kora_probe.exe twice in a row")

    def test_bytes_written_just_before_the_close_reach_the_device(self):
        # The program's good-bye ("E") is the last thing it writes before it closes the
        # link, often behind bytes the line has not carried yet. KoraClose lets them all
        # go out. A pty takes a few bytes at once, so the device here takes nothing until
        # the close has begun: the pty pair fills and the last bytes wait in the library,
        # as they wait for the wire on a slow line.
        count = 200000
        pair = pty_pair(self, 1)
        device = pair.device()
        probe = self.start_write_close(1, 115200, count)
        for expected in ("WRITE %d" % (count + 1), "CLOSING"):
            line = probe.stdout.readline().strip()
            if line != expected:
                out, err = probe.communicate(timeout=30)
                self.fail("%r instead of %r; exit code %s\nstdout: %r\nstderr: %s"
                          % (line, expected, probe.returncode, out, err))
        time.sleep(0.5)
        received = device.read(count + 1, timeout=10.0)
        out, err = probe.communicate(timeout=30)
        print(out, err)
        self.assertEqual(probe.returncode, 0, out + err)
        self.assertEqual(len(received), count + 1, "bytes lost at the close")
        self.assertEqual(received, bytes(b"0123456789"[i % 10] for i in range(count)) + b"E")
        self.assertEqual(device.read(timeout=0.2), b"")


if __name__ == "__main__":
    unittest.main()
