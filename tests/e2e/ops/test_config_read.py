"""The configuration read through the real ZEV.EXE: 'r', 'h', '3' and 'b' in this order,
each only after the reply to the one before, every reply logged exactly as it came, well
formed or not; then the configuration editor opens, and cancelled, leaves the tool idle:
the next command goes out without the busy question. Python plays the device (DeviceEndTestCase) for the many odd replies; ZEVSIM.EXE
(sim_session) answers from its settings file. The values taken from the replies are
checked in-process (tests/app)."""
import os
import shutil
import sys
import tempfile
import unittest

from zevharness.device_end import DeviceEndTestCase
from zevharness.operations import (COMMAND_Y, COMMAND_Y_LOG, CONFIG_READ, ESC, SimWire, assert_no_box,
                        cancel_dialog, log_texts)
from zevharness.robot import RobotTestCase, windows_path
from zevharness.session import sim_session, wait_for

LETTERS = "rh3b"

# Replies of 'r', 'h', '3' and 'b': the words each expects, and what it must take as it comes.
REPLIES = [
    ("9,33,0", "0", "SCANIA", "0"),
    ("9,33", "1", "OTHER", "1"),
    ("9", "01", "scania", "2"),
    ("x,y,z", "1 ", "Other", ""),
    (" 12,40,7", "", "", "01"),
]


def logged(replies):
    return ["Konfiguration %s: %s" % (letter, reply) for letter, reply in zip(LETTERS, replies)]


class ConfigReadDeviceEndTest(DeviceEndTestCase):
    def test_every_reply_is_logged_as_it_came_and_the_read_ends_idle(self):
        self.start(1, 1)
        self.connect(1)
        for replies in REPLIES:
            with self.subTest(replies=replies):
                self.robot.command(self.run.main, CONFIG_READ)
                for letter, reply in zip(LETTERS, replies):
                    self.assertEqual(self.pair.read(count=1, timeout=3.0), letter.encode())
                    # the next letter waits for this one's reply
                    self.assertEqual(self.pair.read(timeout=0.1), b"")
                    self.pair.write(reply.encode() + b"\r")
                self.assertTrue(wait_for(lambda: log_texts(self.run)[-4:] == logged(replies)))
                self.assertEqual(log_texts(self.run)[-4:], logged(replies))
                cancel_dialog(self, self.robot, self.run.main)  # the editor: nothing written
                self.assertEqual(self.pair.read(timeout=0.3), b"")
        # idle: the next command goes out without the busy question
        self.robot.command(self.run.main, COMMAND_Y)
        self.assertEqual(self.pair.read(count=1, timeout=3.0), b"Y")
        assert_no_box(self, self.robot, self.run.main)
        self.pair.write(ESC)
        self.assertTrue(self.log_has(COMMAND_Y_LOG))


class ConfigReadSimTest(RobotTestCase):
    def test_the_simulators_replies_in_order(self):
        files = tempfile.mkdtemp(prefix="zevcfg-")
        self.addCleanup(shutil.rmtree, files, True)
        settings = os.path.join(files, "sim.ini")
        with open(settings, "w") as f:
            f.write('[Replies]\nr=" 12,40,7"\nh=1\n3=SCANIA\nb=1\n')
        s = sim_session(self, self.robot, 1, sim_args=("--settings", windows_path(settings)))
        s.connect()
        wire = SimWire(s.sim)
        wire.mark()
        s.command(CONFIG_READ)
        expected = logged((" 12,40,7", "1", "SCANIA", "1"))
        self.assertTrue(wait_for(lambda: log_texts(s.run)[-4:] == expected))
        self.assertEqual(log_texts(s.run)[-4:], expected)
        cancel_dialog(self, self.robot, s.main)
        self.assertEqual(wire.quiet_since_mark(), b"rh3b")
        wire.mark()
        s.command(COMMAND_Y)
        self.assertEqual(wire.since_mark(1), b"Y")
        self.assertTrue(s.log_has(COMMAND_Y_LOG))
        assert_no_box(self, self.robot, s.main)


if __name__ == "__main__":
    unittest.main(verbosity=2)
