"""./zev run --port on a USB adapter (a made-up sysfs, a pty behind a /dev/serial/by-id
style link): the latency timer is 1 ms while the tool runs and back at 16 ms after Ctrl+C.

Runs tools/run.sh in ZEV_RUN_DIR, a folder and Wine prefix of its own."""
import os
import signal
import subprocess
import sys
import tempfile
import time
import unittest

import fake_tree

TOP = os.path.abspath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
sys.path.insert(0, os.path.join(TOP, "tests", "e2e", "run"))
from zevharness.processes import start_process
from zevharness.ptys import pty_pair
from test_ctrl_c import as_from_a_terminal, prefix_processes

PREFIX = os.path.join(os.environ["ZEV_RUN_DIR"], "wine", "xvfb-prefix")


class RunOnAdapter(unittest.TestCase):
    def test_latency_timer_for_the_run_only(self):
        folder = tempfile.TemporaryDirectory()
        self.addCleanup(folder.cleanup)
        dev, sys_root = os.path.join(folder.name, "dev"), os.path.join(folder.name, "sys")
        device = fake_tree.driver(sys_root, "usb1/ttyUSB0", "usb-serial", "ftdi_sio")
        fake_tree.link(os.path.join(sys_root, "bus", "usb-serial", "devices", "ttyUSB0"), device)
        timer = os.path.join(device, "latency_timer")
        with open(timer, "w") as f:
            f.write("16\n")
        pair = pty_pair(self, ttydir=os.path.join(folder.name, "tty"))
        fake_tree.link(os.path.join(dev, "ttyUSB0"), pair.tool_path)
        by_id = os.path.join(dev, "serial", "by-id", "usb-FTDI_FT232R_A1B2-if00-port0")
        fake_tree.link(by_id, os.path.join(dev, "ttyUSB0"))

        env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WINEPREFIX")}
        env["ZEV_SYS_ROOT"] = sys_root
        run = start_process(self, [os.path.join(TOP, "tools", "run.sh"), "--port", by_id], env=env,
                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT, start_new_session=True,
                            preexec_fn=as_from_a_terminal)
        deadline = time.monotonic() + 120
        while not any("ZEV.EXE" in line for _, line in prefix_processes(PREFIX)):
            if run.poll() is not None or time.monotonic() > deadline:
                self.fail("ZEV.EXE did not start; run.sh said:\n" + run.stdout.read().decode(errors="replace"))
            time.sleep(0.1)
        with open(timer) as f:
            self.assertEqual(f.read().strip(), "1")

        os.killpg(run.pid, signal.SIGINT)
        output = run.communicate(timeout=60)[0].decode(errors="replace")
        print(output)
        self.assertEqual(run.returncode, 130)
        with open(timer) as f:
            self.assertEqual(f.read().strip(), "16")
        self.assertIn("ttyUSB0's latency timer: 16 ms -> 1 ms", output)
        self.assertIn("ttyUSB0's latency timer: back to 16 ms", output)
        self.assertEqual(prefix_processes(PREFIX), [])


if __name__ == "__main__":
    unittest.main(verbosity=2)
