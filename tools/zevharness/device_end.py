"""Tests in which Python plays the device on the device's end of a pty pair, against the
real ZEV.EXE on the tool's end: the start, the connect and the log checks they share."""
import time

from .ptys import pty_pair
from .robot import RobotTestCase
from .session import CONNECT, DEVICE_NAMES, wait_for
from .tool import tool_folder, tool_run


def settings_for(port, device_type):
    return "[ComPort]\nComPortNo=%d\n[Device]\nDevice=%s\n" % (port, DEVICE_NAMES[device_type])


class DeviceEndTestCase(RobotTestCase):
    def start(self, port=1, device_type=0, owner=None, more_settings=""):
        """The pty pair and ZEV.EXE on COM `port`, ended with `owner` (the test, or a
        sub-test's stack); `more_settings` is added to the settings file."""
        owner = self if owner is None else owner
        self.pair = pty_pair(owner, port)
        self.folder = tool_folder(owner, settings_for(port, device_type) + more_settings)
        self.run = tool_run(owner, self.folder, self.robot)
        self.assertIsNotNone(self.run.start())
        return self.run

    def log_has(self, text, timeout=5.0, run=None):
        run = run or self.run
        return wait_for(lambda: text in run.log_window(), timeout)

    def connect(self, device_type, answer=b"ZEV TEST DEVICE\r"):
        line = ">> (Init.) " + (answer or b"").decode().rstrip("\r")
        before = self.run.log_window().count(line)  # an earlier connect's line is no answer
        self.robot.command(self.run.main, CONNECT)
        wake_up = self.pair.read(count=6, timeout=5.0)
        self.assertEqual(wake_up, b"**\x18B%02d" % device_type)
        if answer is not None:
            time.sleep(0.1)  # the tool switches to the working rate 30 ms after the wake-up
            self.pair.write(answer)
            self.assertTrue(wait_for(lambda: self.run.log_window().count(line) > before, 5.0),
                            "no identification line; the log window ends:\n%s" % self.run.log_window()[-600:])
        return wake_up

    def assert_no_box(self, run=None, timeout=0.3):
        run = run or self.run
        box = run.robot.other_window(run.main, timeout)
        self.assertIsNone(box, "a box is open: %r" % (box and run.robot.text(box, 0xFFFF)))
