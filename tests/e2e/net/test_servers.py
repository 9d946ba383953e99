"""The network tests' stage without the tool: real servers nobody here wrote (ser2net,
pyserial's example RFC 2217 server, socat's raw bridge) in front of the pty relay, with
ZEVSIM.EXE on COM21 behind it, and a Python RFC 2217 client in the tool's place. The rate
the client sets reaches the server's pty, the relay carries it to the simulator's, and the
simulator sees it; 0xFF, 0x11 and 0x13 cross both ways as data."""
import os
import shutil
import struct
import tempfile
import time
import unittest

from zevharness import hex_log
from zevharness.netservers import pty_relay, pyserial_server, ser2net, socat_bridge
from zevharness.processes import sub_test
from zevharness.rfc2217_client import SET_BAUDRATE, SET_CONTROL, Rfc2217Client
from zevharness.simulator import simulator, windows_path

WAKE_UP = b"**\x18B%02d"
IDENT = b"Vantik \xff\x11\x13 SN 9\r"


class ServersTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="zev-servers-")
        self.addCleanup(shutil.rmtree, self.folder, ignore_errors=True)
        self.settings = os.path.join(self.folder, "sim.ini")
        with open(self.settings, "wb") as f:
            f.write(b"[Device]\nIdent=" + IDENT[:-1] + b"\n")

    def stage(self, owner, start_server):
        relay = pty_relay(owner, 1)
        sim = simulator(owner, self.folder, "--type", "0", "--settings", windows_path(self.settings), port=21)
        sim.wait_for_output("waiting for a wake-up")
        server = start_server(owner, self.folder, relay.server_path)
        return relay, sim, server

    def wait_note(self, sim, text, timeout=10.0):
        deadline = time.monotonic() + timeout
        while text not in sim.log_text():
            if time.monotonic() > deadline:
                self.fail("the simulator's log has no %r:\n%s" % (text, sim.log_text()[-3000:]))
            time.sleep(0.02)

    def test_rfc2217_servers_carry_the_rate_and_every_byte(self):
        for name, start_server in (("ser2net", ser2net), ("pyserial", pyserial_server)):
            with sub_test(self, server=name) as owner:
                relay, sim, server = self.stage(owner, start_server)
                client = Rfc2217Client("127.0.0.1", server.port)
                owner.callback(client.close)
                client.set_baudrate(9600)
                self.assertEqual(client.wait_answer(SET_BAUDRATE), struct.pack(">I", 9600), server.output())
                client.set_line()
                client.command(SET_CONTROL, b"\x01")  # no flow control: 0x11 and 0x13 are data
                self.assertEqual(client.wait_answer(SET_CONTROL), b"\x01")
                client.write(b"\xff" + WAKE_UP % 0)
                time.sleep(0.03)
                client.answers.clear()
                client.set_baudrate(38400)
                self.assertEqual(client.wait_answer(SET_BAUDRATE), struct.pack(">I", 38400))
                self.assertEqual(client.read(until=b"\r", timeout=5), IDENT)
                self.assertIn(b"\xff\xff\x11\x13", bytes(client.raw))  # doubled by the server
                client.write(b"r")
                self.assertEqual(client.read(until=b"\r"), b"9,33,0\r")

                self.assertTrue(relay.wait_rate(38400), relay.rates)
                self.assertEqual(relay.rates_seen()[:2], [9600, 38400])
                self.wait_note(sim, "rate seen at the port: 38400 baud")
                # back to 9600 from the client alone: the simulator sees the server's rate
                client.answers.clear()
                client.set_baudrate(9600)
                self.assertIsNotNone(client.wait_answer(SET_BAUDRATE))
                self.wait_note(sim, "rate seen at the port: 9600 baud")
                self.assertIsNone(relay.error)
                received = hex_log.received(sim.log_text())
                self.assertTrue(received.startswith(b"\xff**\x18B00"), received)

    def test_socat_bridge_passes_bytes_as_they_are(self):
        relay, sim, server = self.stage(self, socat_bridge)
        client = Rfc2217Client("127.0.0.1", server.port, telnet=False)
        self.addCleanup(client.close)
        client.write(WAKE_UP % 0)
        self.assertEqual(client.read(until=b"\r", timeout=5), IDENT)
        self.assertNotIn(b"\xff\xff", bytes(client.raw))
        client.write(b"\xffr")
        self.assertEqual(client.read(until=b"\r"), b"9,33,0\r")
        self.assertIn(b"\xffr", hex_log.received(sim.log_text()))


if __name__ == "__main__":
    unittest.main()
