"""Faults of connect and disconnect that a technician meets on the bench, through the real
ZEV.EXE and KORA.DLL with Python as the device: no false watchdog after a disconnect, a
stray DLE of line noise, a port held by a second copy of the tool."""
import os
import sys
import time
import unittest

from zevharness.device_end import DeviceEndTestCase, settings_for
from zevharness.session import CONNECT, DISCONNECT, READOUT
from zevharness.tool import tool_folder, tool_run

TX_TIMEOUT = "Zeitüberschreitung beim Senden"
PORT_FAILED = "Schnittstelle konnte nicht geöffnet werden"


class ConnectionFaultTest(DeviceEndTestCase):
    def test_a_disconnect_leaves_no_message_after_the_watchdog_period(self):
        self.start(1, 0)
        for _ in range(2):  # the second round starts from the link left open at 9600
            self.connect(0)
            self.robot.command(self.run.main, DISCONNECT)
            self.assertEqual(self.pair.read(count=1, timeout=3.0), b"E")
            self.assertTrue(self.log_has("Verbindung getrennt"))
            time.sleep(1.5)  # past the 1000 ms of the link watchdog
            self.assert_no_box()
            log = self.run.log_window()
            self.assertNotIn(TX_TIMEOUT, log)
            self.assertTrue(log.endswith("Verbindung getrennt\r\n"), log[-200:])
        self.assertEqual(self.run.close(), 0)
        self.assertNotIn(TX_TIMEOUT, "\n".join(self.folder.log_lines()))

    def test_a_stray_dle_on_an_idle_line_does_not_touch_the_next_reply(self):
        self.start(1, 0)
        self.connect(0)
        self.pair.write(b"\x10")  # noise at the end of an idle line
        time.sleep(0.3)
        self.robot.command(self.run.main, READOUT)
        self.assertEqual(self.pair.read(count=1, timeout=3.0), b"V")
        self.pair.write(b"\x1bVALUE=123\r\r")
        self.assertTrue(self.log_has(" >> \r\n"), self.run.log_window())
        self.assertIn(" >> VALUE=123\r\n", self.run.log_window())

    def test_a_port_held_by_a_second_copy_is_reported_at_once(self):
        self.start(1, 0)
        self.connect(0)  # the first copy holds COM1
        second_folder = tool_folder(self, settings_for(1, 0))
        second = tool_run(self, second_folder)  # a robot of its own
        self.assertIsNotNone(second.start())
        self.pair.drain()
        for attempt in range(2):  # still not connected: the second try asks the port again
            second.robot.command(second.main, CONNECT)
            box = second.robot.other_window(second.main, 3.0)
            self.assertIsNotNone(box, "no message about the port")
            text = second.robot.text(box, 0xFFFF)
            self.assertTrue(text.startswith("Die Schnittstelle COM1 kann nicht geöffnet werden:\n"), text)
            self.assertGreater(len(text.split("\n", 1)[1]), 5, "the library's reason follows")
            second.robot.click(box, 1)
            self.assertTrue(self.log_has(PORT_FAILED, run=second))
        self.assertEqual(self.pair.read(timeout=0.5), b"", "the second copy sent nothing")

        # the first copy lets go of the port: the second connects as usual
        self.robot.command(self.run.main, DISCONNECT)
        self.assertEqual(self.pair.read(count=1, timeout=3.0), b"E")
        self.assertEqual(self.run.close(), 0)
        self.assertEqual(self.pair.read(count=1, timeout=3.0), b"E", "the teardown's good-bye")
        second.robot.command(second.main, CONNECT)
        self.assertEqual(self.pair.read(count=6, timeout=5.0), b"**\x18B00")
        time.sleep(0.1)
        self.pair.write(b"SECOND\r")
        self.assertTrue(self.log_has(">> (Init.) SECOND", run=second))
        self.assertEqual(second.close(), 0)


if __name__ == "__main__":
    unittest.main(verbosity=2)
