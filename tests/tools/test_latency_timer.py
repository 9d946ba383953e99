"""A USB adapter's latency timer under ./zev run --port: set to 1 ms with the old value
said, put back at the end; where there is none, or it may not be written, the reason."""
import contextlib
import io
import os
import subprocess
import sys
import tempfile
import unittest

import fake_tree

TOP = os.path.abspath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
SCRIPT = os.path.join(TOP, "tools", "latency_timer.py")
import latency_timer


class LatencyTimer(unittest.TestCase):
    def setUp(self):
        folder = tempfile.TemporaryDirectory()
        self.addCleanup(folder.cleanup)
        self.dev, self.sys = os.path.join(folder.name, "dev"), os.path.join(folder.name, "sys")
        for name, driver in (("ttyUSB0", "ftdi_sio"), ("ttyUSB1", "cp210x")):
            device = fake_tree.driver(self.sys, "usb1/" + name, "usb-serial", driver)
            fake_tree.link(os.path.join(self.sys, "bus", "usb-serial", "devices", name), device)
            fake_tree.node(self.dev, name)
        self.timer = os.path.join(self.sys, "bus", "usb-serial", "devices", "ttyUSB0", "latency_timer")
        with open(self.timer, "w") as f:
            f.write("16\n")
        os.chmod(self.timer, 0o644)
        self.by_id = os.path.join(self.dev, "serial", "by-id", "usb-FTDI_FT232R_A1B2-if00-port0")
        fake_tree.link(self.by_id, os.path.join(self.dev, "ttyUSB0"))

    def script(self, *args):
        run = subprocess.run([sys.executable, SCRIPT] + list(args), env=dict(os.environ, ZEV_SYS_ROOT=self.sys),
                             capture_output=True, text=True, timeout=30)
        print(run.stderr, end="")
        self.assertEqual(run.returncode, 0)
        return run.stdout.strip(), run.stderr

    def timer_value(self):
        with open(self.timer) as f:
            return f.read().strip()

    def test_set_and_restore_through_a_by_id_link(self):
        old, said = self.script("set", self.by_id)
        self.assertEqual(old, "16")
        self.assertEqual(self.timer_value(), "1")
        self.assertIn("ttyUSB0's latency timer: 16 ms -> 1 ms", said)
        # Set again while it is 1: nothing to put back afterwards.
        self.assertEqual(self.script("set", self.by_id)[0], "")
        _, said = self.script("restore", self.by_id, old)
        self.assertEqual(self.timer_value(), "16")
        self.assertIn("back to 16 ms", said)

    def test_no_timer_the_run_goes_on(self):
        old, said = self.script("set", os.path.join(self.dev, "ttyUSB1"))
        self.assertEqual(old, "")
        self.assertIn("ttyUSB1 (driver cp210x) has no latency timer", said)
        old, said = self.script("set", os.path.join(self.dev, "ttyACM0"))
        self.assertEqual(old, "")
        self.assertIn("no ttyUSB adapter", said)

    def test_no_permission_says_how(self):
        said = io.StringIO()
        with contextlib.redirect_stderr(said):
            old = latency_timer.set_timer(self.by_id, self.sys, 1000, {1000, 20})
        print(said.getvalue())
        self.assertIsNone(old)
        self.assertEqual(self.timer_value(), "16")
        self.assertIn("no permission to write %s" % self.timer, said.getvalue())
        self.assertIn("sudo sh -c 'echo 1 > %s'" % self.timer, said.getvalue())
        self.assertIn('ATTR{latency_timer}="1"', said.getvalue())


if __name__ == "__main__":
    unittest.main(verbosity=2)
