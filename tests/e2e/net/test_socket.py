"""socket://: the real ZEV.EXE on a raw TCP connection, bytes as they are, against socat's
raw bridge to the simulator's pty and against ZEVSIM.EXE --tcp itself: connect, a
read-out, the clock, disconnect, and the tool's bytes arrive unchanged (no Telnet
doubling of 0xFF, no negotiation)."""
import unittest

from zevharness import hex_log
from zevharness.net_session import net_session
from zevharness.operations import CLOCK, DISCONNECT, READOUT
from zevharness.processes import sub_test
from zevharness.robot import RobotTestCase


class SocketTest(RobotTestCase):
    def test_raw_tcp_through_socat_and_to_zevsim(self):
        for server in ("socat", "zevsim-tcp"):
            with sub_test(self, server=server) as owner:
                s = net_session(owner, self.robot, server, 1)
                self.assertTrue(s.url.startswith("socket://127.0.0.1:"))
                s.connect()
                self.assertTrue(s.log_has(">> (Init.) Corlaxa V2.14 SN 104711"))
                s.command(READOUT)
                self.assertTrue(s.log_has(">> \r\n"), "the read-out ends with its empty line")
                s.command(CLOCK)
                self.assertTrue(s.log_has("Uhr gestellt: "))
                s.command(DISCONNECT)
                self.assertTrue(s.log_has("Verbindung getrennt"))
                self.assertTrue(s.sim_log_has("RX 45 "), "the device got no E")
                self.assertEqual(s.run.close(), 0)
                received = hex_log.received(s.sim.log_text())
                self.assertTrue(received.startswith(b"**\x18B01"), received[:20])
                self.assertNotIn(b"\xff", received, "Telnet bytes on a raw connection")


if __name__ == "__main__":
    unittest.main(verbosity=2)
