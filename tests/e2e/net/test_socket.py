"""socket://: the real ZEV.EXE on a raw TCP connection, bytes as they are, against socat's
raw bridge to the simulator's pty and against ZEVSIM.EXE --tcp itself: connect, a
read-out, the clock, disconnect, and the tool's bytes arrive unchanged (no Telnet
doubling of 0xFF, no negotiation). And the URL forms of /port in an unattended run:
socket:// to ZEVSIM.EXE --tcp, rfc2217:// to ZEVSIM.EXE --rfc2217, the result row naming
the port opened."""
import csv
import io
import subprocess
import tempfile
import unittest

from zevharness.netservers import free_tcp_port
from zevharness.simulator import simulator
from zevharness.tool import tool_folder

from zevharness import hex_log
from zevharness.net_session import net_session
from zevharness.operations import CLOCK, DISCONNECT, READOUT
from zevharness.processes import sub_test
from zevharness.robot import RobotTestCase


def run_tool(folder, args, timeout=90):
    """ZEV.EXE run to its end as a script runs it: its exit code and what it wrote to stderr."""
    with tempfile.TemporaryFile() as err:
        done = subprocess.run(["wine", folder.exe] + list(args), cwd=folder.path, stdin=subprocess.DEVNULL,
                              stdout=subprocess.DEVNULL, stderr=err, timeout=timeout)
        err.seek(0)
        return done.returncode, err.read().decode("cp1252", "replace")


def result_rows(path):
    with open(path, newline="", encoding="cp1252") as f:
        return list(csv.DictReader(io.StringIO(f.read())))


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


    def test_port_argument_takes_both_urls(self):
        for scheme, option in (("socket", "--tcp"), ("rfc2217", "--rfc2217")):
            with sub_test(self, scheme=scheme) as owner:
                folder = tool_folder(owner, "[ComPort]\nComPortNo=2\n[Device]\nDevice=Corlaxa\n")
                port = free_tcp_port()
                sim = simulator(owner, folder.path, "--type", "1", option, str(port), port=None)
                sim.wait_for_output("waiting for a wake-up")
                url = "%s://127.0.0.1:%d" % (scheme, port)
                code, err = run_tool(folder, ["/port", url, "/device", "Corlaxa", "/clock", "/result", "units.csv"])
                self.assertEqual(code, 0, err + sim.output())
                self.assertIn("clock set to", sim.output())
                rows = result_rows(folder.file("units.csv"))
                self.assertEqual([(row["Port"], row["Result"]) for row in rows], [(url, "done")])
                if scheme == "rfc2217":
                    self.assertIn("RFC 2217: the client set 19200 baud", sim.log_text())


if __name__ == "__main__":
    unittest.main(verbosity=2)
