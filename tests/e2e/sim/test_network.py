"""ZEVSIM.EXE on the network under Wine: --tcp, a raw TCP device that serves one client at a
time, and --rfc2217, an RFC 2217 server that takes the client's rate. Python plays the
tool over a socket: the wake-up and its identification, the next client after one has gone,
the Telnet negotiation and each setting's acknowledgement, the rates in the hex log, and the
byte 0xFF both ways (doubled on the wire, single on the line)."""
import os
import shutil
import socket
import struct
import tempfile
import time
import unittest

from zevharness import hex_log
from zevharness.netservers import free_tcp_port
from zevharness.rfc2217_client import (BINARY, COM_PORT_OPTION, DO, IAC, SET_BAUDRATE, SET_CONTROL,
                                       SET_DATASIZE, SET_PARITY, SET_STOPSIZE, WILL, Rfc2217Client)
from zevharness.simulator import simulator, windows_path

WAKE_UP = b"**\x18B%02d"


class NetworkSimulatorTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="zevsim-net-")
        self.addCleanup(shutil.rmtree, self.folder, ignore_errors=True)

    def start(self, *args):
        sim = simulator(self, self.folder, *args, port=None)
        sim.wait_for_output("waiting for a wake-up")
        return sim

    def connect(self, port, telnet):
        client = Rfc2217Client("127.0.0.1", port, telnet=telnet)
        self.addCleanup(client.close)
        return client

    def wait_note(self, sim, text, timeout=10.0):
        deadline = time.monotonic() + timeout
        while text not in sim.log_text():
            if time.monotonic() > deadline:
                self.fail("the hex log has no %r:\n%s" % (text, sim.log_text()[-3000:]))
            time.sleep(0.02)

    def answer(self, sim, client, expected, timeout=5):
        """Asserts the device's next line to `client`; a failure shows the simulator's
        hex log and whether the connection was closed."""
        got = client.read(until=b"\r", timeout=timeout)
        if got != expected:
            self.fail("%r, not %r%s; the hex log:\n%s" % (got, expected, " (the connection was closed)"
                                                         if client.closed else "", sim.log_text()[-3000:]))

    def test_tcp_serves_one_client_at_a_time_and_the_next_after_it(self):
        port = free_tcp_port()
        sim = self.start("--type", "1", "--tcp", str(port))
        self.assertIn("on raw TCP on 127.0.0.1:%d (one client at a time)" % port, sim.output())

        first = self.connect(port, telnet=False)
        first.write(WAKE_UP % 1)
        self.answer(sim, first, b"Corlaxa V2.14 SN 104711\r")
        first.write(b"r")
        self.answer(sim, first, b"9,33,0\r", timeout=2)
        # Bytes as they are: 0xFF is one byte on the wire and at the device.
        first.write(b"\xff")

        # A second client while the first is served is closed at once.
        second = self.connect(port, telnet=False)
        while second.pump(0.5):
            pass
        self.assertTrue(second.closed)
        self.assertEqual(bytes(second.raw), b"")

        first.close()
        self.wait_note(sim, "waiting for the next")
        third = self.connect(port, telnet=False)
        third.write(b"E" + WAKE_UP % 1)  # the device was still awake: 'E', then a new wake-up
        self.answer(sim, third, b"Corlaxa V2.14 SN 104711\r")
        self.assertEqual(sim.stop(), 0)

        log = sim.log_text()
        self.assertIn("refused: one client at a time", log)
        self.assertEqual(log.count(" connected"), 2, log)
        self.assertIn(b"r\xff", hex_log.received(log))
        self.assertNotIn(b"\xff\xff", hex_log.received(log))

    def test_rfc2217_negotiates_acknowledges_and_follows_the_clients_rate(self):
        port = free_tcp_port()
        settings = os.path.join(self.folder, "sim.ini")
        with open(settings, "wb") as f:
            f.write(b"[Device]\nIdent=Vantik \xff\x11\x13 SN 7\n")
        sim = self.start("--type", "0", "--settings", windows_path(settings), "--rfc2217", str(port))
        self.assertIn("on an RFC 2217 server on 127.0.0.1:%d" % port, sim.output())

        client = self.connect(port, telnet=True)
        client.set_baudrate(9600)
        self.assertEqual(client.wait_answer(SET_BAUDRATE), struct.pack(">I", 9600))
        self.assertIn((DO, COM_PORT_OPTION), client.negotiation)
        self.assertIn((DO, BINARY), client.negotiation)
        self.assertIn((WILL, BINARY), client.negotiation)
        client.set_line()
        self.assertEqual(client.wait_answer(SET_DATASIZE), b"\x08")
        self.assertEqual(client.wait_answer(SET_PARITY), b"\x01")
        self.assertEqual(client.wait_answer(SET_STOPSIZE), b"\x01")
        client.command(SET_CONTROL, b"\x0f")
        self.assertEqual(client.wait_answer(SET_CONTROL), b"\x0f")
        # The server answers a negotiation once, not each repetition.
        client.send_raw(bytes([IAC, WILL, COM_PORT_OPTION]))

        # The wake-up starts with a 0xFF, doubled on the wire: the device takes one and wakes up.
        client.write(b"\xff" + WAKE_UP % 0)
        time.sleep(0.03)
        client.answers.clear()
        client.set_baudrate(38400)
        self.assertEqual(client.wait_answer(SET_BAUDRATE), struct.pack(">I", 38400))
        # 0xFF, 0x11 and 0x13 in the identification arrive as sent; 0xFF doubled on the wire.
        self.assertEqual(client.read(until=b"\r", timeout=5), b"Vantik \xff\x11\x13 SN 7\r")
        self.assertIn(b"\xff\xff\x11\x13", bytes(client.raw))
        self.assertEqual(client.negotiation.count((DO, COM_PORT_OPTION)), 1)
        self.assertEqual(sim.stop(), 0)

        log = sim.log_text()
        for note in ("client set 9600 baud", "client set 38400 baud", "client set 8 data bits",
                     "client set no parity", "client set 1 stop bit", "client set inbound XON/XOFF flow control"):
            self.assertIn("RFC 2217: the " + note, log)
        self.assertLess(log.index("set 9600 baud"), log.index("set 38400 baud"))
        received = hex_log.received(log)
        self.assertTrue(received.startswith(b"\xff**\x18B00"), received)
        self.assertIn(b"Vantik \xff\x11\x13 SN 7\r", hex_log.sent(log))

    def test_rfc2217_rate_paces_the_line_rate(self):
        """With --line-rate the device sends at the rate the client set: a read-out line at
        9600 takes four times as long as at 38400."""
        port = free_tcp_port()
        sim = self.start("--type", "0", "--line-rate", "--rfc2217", str(port))
        client = self.connect(port, telnet=True)
        client.set_baudrate(9600)
        self.assertIsNotNone(client.wait_answer(SET_BAUDRATE))
        client.write(WAKE_UP % 0)
        time.sleep(0.03)
        client.set_baudrate(38400)
        self.assertTrue(client.read(until=b"\r", timeout=5).startswith(b"Vantik"))
        self.wait_note(sim, "set 38400 baud")
        client.answers.clear()
        client.set_baudrate(9600)  # the client asks the device to go slower
        self.assertIsNotNone(client.wait_answer(SET_BAUDRATE))
        self.wait_note(sim, "set 9600 baud")
        client.write(b"r")
        self.assertEqual(client.read(until=b"\r"), b"9,33,0\r")
        self.assertEqual(sim.stop(), 0)
        # The reply can leave no sooner than the wire times at 9600 baud allow: 'r' itself and
        # the 7 bytes of "9,33,0\r", 1.04 ms each (a busy machine only makes it later). At
        # 38400 baud it would be done in about 2 ms.
        entries = hex_log.entries(sim.log_text())
        asked = [when for when, kind, data in entries if kind == "RX" and data == b"r"][-1]
        done = [when for when, kind, data in entries if kind == "TX" and data.endswith(b"\r")][-1]
        self.assertGreaterEqual(done - asked, 0.0075, entries[-10:])


if __name__ == "__main__":
    unittest.main()
