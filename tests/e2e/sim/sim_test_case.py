"""The base of the simulator's end-to-end tests: ZEVSIM.EXE on COM21 of the test
prefix, Python on the tool's end of the pty pair (COM1), files in a folder of the test's own."""
import os
import shutil
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))

from zevharness.ptys import PtyPair
from zevharness.tool_end import ToolEnd
from zevharness.simulator import Simulator, windows_path  # noqa: F401  (windows_path for the tests)

ESC, ACK, NAK = b"\x1b", b"\x06", b"\x15"
WORKING_BAUD = (38400, 19200, 38400)


class SimTestCase(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="zevsim-")
        self.pair = PtyPair(1).start()
        self.sim = None
        self.tool = None

    def tearDown(self):
        if self.tool:
            self.tool.close()
        if self.sim:
            self.sim.kill()
        self.pair.stop()
        shutil.rmtree(self.folder, ignore_errors=True)

    def file(self, name):
        return os.path.join(self.folder, name)

    def start(self, device_type, *args, wake=True, ready="waiting for a wake-up"):
        """Starts a device of `device_type` with the options `args` and, with `wake`,
        wakes it up as the tool does."""
        self.sim = Simulator(self.folder, "--type", str(device_type), *args)
        self.sim.wait_for_output(ready)
        self.tool = ToolEnd(self.pair)
        if wake:
            ident = self.tool.wake_up(device_type, WORKING_BAUD[device_type])
            self.assertTrue(ident.endswith(b" V2.14 SN 104711\r"), ident)
