"""ZEVSIM.EXE --line-rate on a pty pair: the bytes it sends come at the pace of a real
cable, and it answers a frame no sooner than the frame could have crossed one."""
import os
import select
import time
import unittest

from sim.sim_test_case import ACK, ESC, SimTestCase, windows_path
from zevharness import hex_log
from zevharness.firmware_files import block_frames, image_bytes


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


def sent_pieces(sim, direction="TX"):
    """[(seconds, bytes)] of each write (TX) or read (RX) the simulator's log shows, with
    the further rows of a piece longer than one row (a simulator running late writes
    what is due in one piece)."""
    return [(when, data) for when, kind, data in hex_log.entries(sim.log_text()) if kind == direction]


class LineRateTest(SimTestCase):
    def start(self, device_type, *args, wake=True):
        super().start(device_type, "--line-rate", *args, wake=wake,
                      ready="bytes paced at the line rate, waiting for a wake-up")

    def test_a_line_arrives_spread_over_its_wire_time(self):
        self.start(1, wake=False)
        self.tool.set_baud(9600)
        self.tool.write(b"**\x18B01")
        time.sleep(0.03)
        self.tool.set_baud(19200)
        pieces = timed_read(self.tool, b"\r")
        line = b"".join(chunk for _, chunk in pieces)
        self.assertEqual(line, b"Corlaxa V2.14 SN 104711\r")
        # The simulator's own times of its writes: the times the bytes are read here also
        # hold how late this test was scheduled, which a busy machine makes anything.
        deadline = time.monotonic() + 5.0
        while b"".join(data for _, data in sent_pieces(self.sim)) != line and time.monotonic() < deadline:
            time.sleep(0.05)  # its log may lag a moment behind its writes
        writes = sent_pieces(self.sim)
        self.assertEqual(b"".join(data for _, data in writes), line)
        # The line starts 80 ms (the wake-up delay) after the wake-up's last byte came in,
        # and its last byte goes out no sooner than the bytes before it took on the wire.
        # A simulator running late only makes the last write later, and writes that catch
        # up may come in fewer pieces: neither can fail this.
        woken = sent_pieces(self.sim, "RX")[-1][0]
        last = writes[-1][0] - woken
        self.assertGreaterEqual(last, 0.080 + wire_seconds(len(line) - 1, 19200) * 0.95)
        print("identification line: %d bytes in %d writes, the last %.1f ms after the wake-up (80 ms, then "
              "the wire time %.1f ms)" % (len(line), len(writes), last * 1000, wire_seconds(len(line), 19200) * 1000))

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
        self.start(1, "--firmware-out", windows_path(self.file("fw.bin")))
        image = image_bytes(3 * 128)
        self.assertEqual(self.tool.ask(b"D", until=ESC), ESC)
        for number, frame in enumerate(block_frames(image)):
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
        with open(self.file("fw.bin"), "rb") as f:
            self.assertEqual(f.read(), image)
        self.assertEqual(self.sim.stop(), 0)


if __name__ == "__main__":
    unittest.main(verbosity=2)
