"""The real ZEV.EXE against the device simulator ZEVSIM.EXE over a pty pair: connect and
disconnect for each device type with the baud switch, a read-out, a silent device and a
port that goes away mid-session."""
import os
import sys
import unittest

from zevharness.processes import sub_test
from zevharness.robot import RobotTestCase
from zevharness.session import DISCONNECT, READOUT, WORKING_BAUD, sim_session, wait_for


class SimulatedDeviceTest(RobotTestCase):
    def session(self, device_type=0, *sim_args, owner=None):
        """A session stopped with `owner`: the test, or a sub-test's stack."""
        return sim_session(self if owner is None else owner, self.robot, device_type, sim_args=sim_args)

    def test_connect_and_disconnect_for_each_device_type(self):
        for device_type, ident in enumerate(("Vantik", "Corlaxa", "Brennix")):
            with sub_test(self, device_type=device_type) as owner:
                s = self.session(device_type, owner=owner)
                s.connect()
                self.assertTrue(s.log_has(">> (Init.) %s V2.14 SN 104711" % ident))
                # the wake-up went out at 9600 baud; both ends now work at the type's rate
                self.assertTrue(s.sim_log_has("RX 2A 2A 18 42 30 3%d" % device_type))
                self.assertEqual(s.pair.tool_speed(), WORKING_BAUD[device_type])

                s.command(DISCONNECT)
                self.assertTrue(s.log_has("Verbindung getrennt"))
                self.assertTrue(s.sim_log_has("RX 45 "), "the device got no E")
                self.assertTrue(wait_for(lambda: s.pair.tool_speed() == 9600))
                self.assertEqual(s.run.close(), 0)

    def test_a_read_out_is_logged_line_by_line(self):
        s = self.session(1)
        s.connect()
        s.command(READOUT)
        self.assertTrue(s.log_has(">> TOTAL "))
        self.assertTrue(s.log_has(">> \r\n"), "the read-out ends with its empty line")
        lines = [line[9:] for line in s.run.log_window().split("\r\n") if line]
        readout = lines[lines.index(">> Corlaxa V2.14 SN 104711"):]
        self.assertRegex(readout[1], r"^>> CLOCK \d{12}$")
        self.assertEqual(readout[-1], ">> ")
        self.assertTrue(s.sim_log_has("RX 56 "))
        # idle again: the next read-out starts without the busy question
        s.command(READOUT)
        self.assertTrue(wait_for(lambda: s.sim.log_text().count("RX 56 ") == 2))
        self.assertIsNone(self.robot.other_window(s.main, 0.5))

    def test_a_silent_device_ends_in_the_response_time_out(self):
        s = self.session(1, "--silent-after", "V")
        s.connect()
        s.command(READOUT)
        box = self.robot.other_window(s.main, 5.0)
        self.assertIsNotNone(box, "no time-out message")
        self.assertEqual(self.robot.text(box, 0xFFFF), "Keine Antwort vom Gerät (Zeitüberschreitung)")
        self.robot.click(box, 1)
        self.assertTrue(s.log_has("Keine Antwort vom Gerät"))
        # idle, still connected: disconnect says good-bye
        s.command(DISCONNECT)
        self.assertTrue(s.sim_log_has("RX 45 "))

    def test_the_port_going_away_ends_in_the_link_error(self):
        s = self.session(0)
        s.connect()
        s.sim.kill()
        s.pair.stop()
        box = self.robot.other_window(s.main, 10.0)
        self.assertIsNotNone(box, "no link error message")
        self.assertTrue(self.robot.text(box, 0xFFFF).startswith("KORA - Error\n\n"))
        self.robot.click(box, 1)
        self.assertTrue(s.log_has("KORA - Error"))
        self.assertEqual(s.run.close(), 0)


if __name__ == "__main__":
    unittest.main(verbosity=2)
