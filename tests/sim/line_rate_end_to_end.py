"""ZEVSIM.EXE --line-rate on a pty pair: the bytes it sends come at the pace of a real
cable, and it answers a frame no sooner than the frame could have crossed one."""
import os
import select
import shutil
import sys
import tempfile
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "harness"))
sys.path.insert(0, HERE)

from ptys import PtyPair  # noqa: E402
from tool_end import ToolEnd  # noqa: E402
from simulator import Simulator  # noqa: E402

ESC, ACK = b"\x1b", b"\x06"


def wire_seconds(count, baud):
    return count * 10.0 / baud


def timed_read(tool, until, timeout=5.0):
    """Reads up to and including `until`; returns [(arrival time, bytes)] per read."""
    pieces, data = [], b""
    deadline = time.monotonic() + timeout
    while until not in data:
        left = deadline - time.monotonic()
        if left <= 0:
            raise AssertionError("no %r within %.1f s; got %r" % (until, timeout, data))
        if select.select([tool.fd], [], [], left)[0]:
            chunk = os.read(tool.fd, 4096)
            pieces.append((time.monotonic(), chunk))
            data += chunk
    return pieces


def block_frame(number):
    data = bytes((i * 5 + number) & 0xFF for i in range(128))
    total = sum(data)
    return bytes([number & 0xFF, 0x80, total >> 8 & 0xFF, total & 0xFF]) + data


class LineRateTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="zevsim-")
        self.pair = PtyPair(1).start()
        self.sim = None
        self.tool = None

    def tearDown(self):
        if self.tool:
            self.tool.close()
        if self.sim:
            self.sim.kill()
        self.pair.stop()
        shutil.rmtree(self.folder, ignore_errors=True)

    def start(self, *args):
        self.sim = Simulator(self.folder, "--line-rate", *args)
        self.sim.wait_for_output("bytes paced at the line rate, waiting for a wake-up")
        self.tool = ToolEnd(self.pair)

    def test_a_line_arrives_spread_over_its_wire_time(self):
        self.start("--type", "1")
        self.tool.set_baud(9600)
        self.tool.write(b"**\x18B01")
        time.sleep(0.03)
        self.tool.set_baud(19200)
        pieces = timed_read(self.tool, b"\r")
        line = b"".join(chunk for _, chunk in pieces)
        self.assertEqual(line, b"Corlaxa V2.14 SN 104711\r")
        spread = pieces[-1][0] - pieces[0][0]
        # the first byte read may carry a few others; the rest follow at 19200 baud
        self.assertGreaterEqual(spread, wire_seconds(len(line) - len(pieces[0][1]), 19200) * 0.9)
        print("identification line: %d bytes in %d reads over %.1f ms (wire time %.1f ms)"
              % (len(line), len(pieces), spread * 1000, wire_seconds(len(line), 19200) * 1000))

        start = time.monotonic()
        self.tool.write(b"V")
        pieces = timed_read(self.tool, b"\r\r")
        count = sum(len(chunk) for _, chunk in pieces)
        took = pieces[-1][0] - start
        # 'V' crosses the line, then ESC and every read-out byte
        self.assertGreaterEqual(took, wire_seconds(1 + count, 19200))
        print("read-out: %d bytes in %.1f ms (wire time %.1f ms)"
              % (count, took * 1000, wire_seconds(1 + count, 19200) * 1000))
        self.assertEqual(self.sim.stop(), 0)

    def test_no_ack_before_the_frame_could_have_arrived(self):
        self.start("--type", "1", "--firmware-out", os.path.join(self.folder, "fw.bin"))
        self.assertEqual(self.tool.wake_up(1, 19200), b"Corlaxa V2.14 SN 104711\r")
        self.assertEqual(self.tool.ask(b"D", until=ESC), ESC)
        for number in range(3):
            frame = block_frame(number)
            written = time.monotonic()
            self.tool.write(frame)
            self.assertEqual(self.tool.read(until=ACK), ACK)
            took = time.monotonic() - written
            # 132 bytes take 68.75 ms at 19200 baud, the ACK another 0.5 ms
            self.assertGreaterEqual(took, wire_seconds(len(frame) + 1, 19200))
            print("block %d: ACK %.1f ms after the frame was written (wire time %.1f ms)"
                  % (number, took * 1000, wire_seconds(len(frame) + 1, 19200) * 1000))
        self.assertEqual(self.tool.ask(b"\0\0\0\0", until=ACK), ACK)
        self.sim.wait_for_output("firmware written")
        with open(os.path.join(self.folder, "fw.bin"), "rb") as f:
            self.assertEqual(f.read(), b"".join(block_frame(n)[4:] for n in range(3)))
        self.assertEqual(self.sim.stop(), 0)


if __name__ == "__main__":
    unittest.main(verbosity=2)
