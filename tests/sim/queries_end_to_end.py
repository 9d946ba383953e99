"""ZEVSIM.EXE on a pty pair, Python on the tool's end: the forms of the 'L' answer by
device type and option, the gap before a line that follows an ESC, and configuration
replies of every shape from the settings file, checked byte for byte."""
import os
import shutil
import sys
import tempfile
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "harness"))
sys.path.insert(0, HERE)

from ptys import PtyPair  # noqa: E402
from tool_end import ToolEnd  # noqa: E402
from simulator import Simulator, windows_path  # noqa: E402

ESC = b"\x1b"
WORKING_BAUD = (38400, 19200, 38400)


class QueriesTest(unittest.TestCase):
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

    def start(self, device_type, *args):
        self.sim = Simulator(self.folder, "--type", str(device_type), *args)
        self.sim.wait_for_output("waiting for a wake-up")
        self.tool = ToolEnd(self.pair)
        ident = self.tool.wake_up(device_type, WORKING_BAUD[device_type])
        self.assertTrue(ident.endswith(b" V2.14 SN 104711\r"), ident)

    def test_type_1_announces_the_line_with_esc_and_the_gap_follows_it(self):
        self.start(1, "--reply-delay", "300", "--line-gap", "700")
        asked = time.monotonic()
        self.tool.write(b"L")
        self.assertEqual(self.tool.read(until=ESC), ESC)
        esc_at = time.monotonic()
        self.assertEqual(self.tool.read(until=b"\r"), b"00012345.67 L\r")
        line_at = time.monotonic()
        self.assertGreaterEqual(esc_at - asked, 0.3)
        self.assertGreaterEqual(line_at - esc_at, 0.65)  # tick granularity of the sleeping side
        self.assertEqual(self.tool.ask(b"r"), b"9,33,0\r")  # no CR was owed

    def test_type_0_answers_with_esc_alone_when_asked_to_and_takes_the_tools_cr(self):
        self.start(0, "--l-answer", "esc")
        self.assertEqual(self.tool.ask(b"L", until=ESC), ESC)
        self.assertEqual(self.tool.read(timeout=0.3), b"")  # no line follows
        self.tool.write(b"\r")  # the tool's lone CR after the query
        self.assertEqual(self.tool.ask(b"r"), b"9,33,0\r")
        self.sim.wait_for_output("CR after the L line taken")
        self.assertNotIn("stray 0x0D", self.sim.log_text())

    def test_type_0_sends_the_line_and_takes_the_tools_cr(self):
        self.start(0)
        self.assertEqual(self.tool.ask(b"L"), b"00012345.67 L\r")
        self.tool.write(b"\r")
        self.sim.wait_for_output("CR after the L line taken")

    def test_type_0_text_ended_by_esc(self):
        self.start(0, "--l-answer", "text-esc")
        self.assertEqual(self.tool.ask(b"L", until=ESC), b"00012345.67 L" + ESC)

    def test_configuration_replies_of_every_shape_from_the_settings_file(self):
        settings = os.path.join(self.folder, "sim.ini")
        with open(settings, "w") as f:
            f.write('[Replies]\nr=" 12,40,7"\nh="1 "\n3=scania\nb=2\n')
        self.start(1, "--settings", windows_path(settings))
        self.assertEqual(self.tool.ask(b"r"), b" 12,40,7\r")
        self.assertEqual(self.tool.ask(b"h"), b"1 \r")
        self.assertEqual(self.tool.ask(b"3"), b"scania\r")
        self.assertEqual(self.tool.ask(b"b"), b"2\r")

    def test_empty_and_short_configuration_replies(self):
        settings = os.path.join(self.folder, "sim.ini")
        with open(settings, "w") as f:
            f.write("[Replies]\nr=9,33\nh=\n3=OTHER\nb=1\n")
        self.start(1, "--settings", windows_path(settings))
        self.assertEqual(self.tool.ask(b"r"), b"9,33\r")
        self.assertEqual(self.tool.ask(b"h"), b"\r")
        self.assertEqual(self.tool.ask(b"3"), b"OTHER\r")
        self.assertEqual(self.tool.ask(b"b"), b"1\r")


if __name__ == "__main__":
    unittest.main(verbosity=2)
