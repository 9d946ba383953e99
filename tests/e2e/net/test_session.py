"""A whole session of the real ZEV.EXE over the network, its COM1 mapped to a real RFC 2217
server ([Ports] COM1=rfc2217://127.0.0.1:PORT) with ZEVSIM.EXE behind the pty relay: connect,
a read-out, the clock, a firmware download, the monitor, disconnect. Through ser2net with a
Vantik (the server's pty goes from 9600 to 38400 baud) and through pyserial's example
server with a Corlaxa (9600, then 19200). With the traffic trace on, the bytes the tool
sent and received are those the simulator received and sent: the image's 0xFF bytes on
their way to the device, the monitor frames with 0xFF, 0x11 and 0x13 on their way back."""
import os
import shutil
import tempfile
import unittest

from log.test_trace import records
from zevharness import hex_log
from zevharness.firmware_files import s19_lines, s19_path, write_image
from zevharness.net_session import net_session
from zevharness.operations import CLOCK, DISCONNECT, DOWNLOAD, READOUT
from zevharness.robot import RobotTestCase
from zevharness.session import wait_for
from zevharness.simulator import windows_path

MONITOR = 40015
DOWNLOAD_DONE = "Firmware-Download abgeschlossen"
IDENT = b"Vantik \xff\x11\x13 SN 9"


class NetworkSessionTest(RobotTestCase):
    def setUp(self):
        # the simulator's files: its settings (the identification with 0xFF, 0x11 and 0x13)
        # and the firmware it received
        self.folder = tempfile.mkdtemp(prefix="zev-net-")
        self.addCleanup(shutil.rmtree, self.folder, True)
        self.settings = os.path.join(self.folder, "sim.ini")
        with open(self.settings, "wb") as f:
            f.write(b"[Device]\nIdent=" + IDENT + b"\n")
        self.firmware_out = os.path.join(self.folder, "fw.out")

    def session(self, server, device_type, *sim_args):
        return net_session(self, self.robot, server, device_type, sim_args=sim_args,
                           more_settings="[Debug]\nTrace=1\n")

    def trace(self, s):
        with open(s.folder.file("ZevTrace.TXT"), "rb") as f:
            return records(f.read().decode("ascii"))

    def connect_read_and_set_the_clock(self, s, working_baud):
        s.connect()
        # the rate the tool asked for reached the server's pty, and the simulator's behind it
        self.assertTrue(s.relay.wait_rate(working_baud), s.relay.rates)
        self.assertEqual(s.relay.rates_seen()[:2], [9600, working_baud])
        self.assertTrue(s.sim_log_has("rate seen at the port: %d baud" % working_baud))
        s.command(READOUT)
        self.assertTrue(s.log_has(">> \r\n"), "the read-out ends with its empty line")
        s.command(CLOCK)
        self.assertTrue(s.log_has("Uhr gestellt: "))
        self.assertTrue(wait_for(lambda: "clock set to " in s.sim.output()), s.sim.output())

    def download(self, s, path):
        s.command(DOWNLOAD)
        self.robot.file_dialog(self.robot.other_window(s.main, 10.0), path)
        self.assertTrue(s.log_has(DOWNLOAD_DONE, 60.0), s.run.log_window()[-1500:])

    def disconnect(self, s, window=None):
        """Disconnects (which closes the monitor's `window`) and ends the program."""
        s.command(DISCONNECT)
        self.assertTrue(s.log_has("Verbindung getrennt"))
        self.assertTrue(s.sim_log_has("RX 45 "), "the device got no E")
        if window is not None:
            self.assertTrue(self.robot.gone(window), "the disconnect left the monitor open")
        self.assertEqual(s.run.close(), 0)
        self.assertIsNone(s.relay.error)

    def test_vantik_through_ser2net(self):
        s = self.session("ser2net", 0, "--settings", windows_path(self.settings),
                         "--firmware-out", windows_path(self.firmware_out))
        self.connect_read_and_set_the_clock(s, 38400)
        self.download(s, s19_path())
        with open(self.firmware_out, "rb") as f:
            self.assertEqual(f.read().decode("ascii").splitlines(), s19_lines(s19_path()))

        # the monitor: every frame's head carries the identification with 0xFF, 0x11, 0x13
        s.command(MONITOR)
        window = self.robot.window("Durchflussmonitor", 10.0)
        self.assertIsNotNone(window, "the monitor did not open")
        self.assertTrue(wait_for(lambda: hex_log.sent(s.sim.log_text()).count(IDENT) >= 6, 10.0))
        self.disconnect(s, window)

        sent_by_device = hex_log.sent(s.sim.log_text())
        received_by_tool = b"".join(r[4] for r in self.trace(s) if r[1] == "RX")
        # Frames still on their way when the tool closed the link are not received: what it
        # did receive is what the device sent, from the first byte on, every frame whole.
        self.assertEqual(received_by_tool, sent_by_device[:len(received_by_tool)],
                         "the tool received other bytes than the device sent")
        self.assertGreaterEqual(received_by_tool.count(IDENT), 4, "too few monitor frames received")
        self.assertNotIn("KORA - Error", "\n".join(s.folder.log_lines()))
        # ser2net in front of a pty confirms the rate but not the modem lines: one notice, and
        # the session went on
        notices = [line for line in s.folder.log_lines() if line[9:].startswith("KORA: ")]
        self.assertEqual(len(notices), 1, notices)
        self.assertIn(s.url, notices[0])

    def test_corlaxa_through_pyserial(self):
        s = self.session("pyserial", 1, "--firmware-out", windows_path(self.firmware_out))
        self.connect_read_and_set_the_clock(s, 19200)
        image = write_image(s.folder.file("fw.IMG"), 5 * 128 + 7)
        self.assertIn(b"\xff", image)
        self.download(s, s.folder.file("fw.IMG"))
        self.disconnect(s)

        sent_by_tool = b"".join(r[4] for r in self.trace(s) if r[1] == "TX")
        received_by_device = hex_log.received(s.sim.log_text())
        self.assertEqual(received_by_device, sent_by_tool, "the device received other bytes than the tool sent")
        self.assertIn(image[:128], received_by_device)
        with open(self.firmware_out, "rb") as f:
            self.assertEqual(f.read(), image + b"\xff" * (128 - 7))  # the last block's filler too
        received_by_tool = b"".join(r[4] for r in self.trace(s) if r[1] == "RX")
        self.assertEqual(received_by_tool, hex_log.sent(s.sim.log_text()))
        # a setting the server leaves unconfirmed is one notice at most
        self.assertLessEqual(sum(line[9:].startswith("KORA: ") for line in s.folder.log_lines()), 1)


if __name__ == "__main__":
    unittest.main(verbosity=2)
