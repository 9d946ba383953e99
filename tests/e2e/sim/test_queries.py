"""ZEVSIM.EXE on a pty pair, Python on the tool's end: the forms of the 'L' answer by
device type and option, the gap before the line that follows its ESC, and odd
configuration replies from the settings file, byte for byte."""
import time
import unittest

from sim.sim_test_case import ESC, SimTestCase, windows_path


class QueriesTest(SimTestCase):
    def test_type_1_announces_the_line_with_esc_and_the_gap_follows_it(self):
        self.start(1, "--reply-delay", "300", "--line-gap", "700")
        asked = time.monotonic()
        self.tool.write(b"L")
        self.assertEqual(self.tool.read(until=ESC), ESC)
        esc_at = time.monotonic()
        self.assertEqual(self.tool.read(until=b"\r"), b"00012345.67 L\r")
        self.assertGreaterEqual(esc_at - asked, 0.3)
        self.assertGreaterEqual(time.monotonic() - esc_at, 0.65)  # the sleeping side's tick
        self.assertEqual(self.tool.ask(b"r"), b"9,33,0\r")  # no CR was owed

    def test_type_0_answers_with_esc_alone_when_asked_to_and_takes_the_tools_cr(self):
        self.start(0, "--l-answer", "esc")
        self.assertEqual(self.tool.ask(b"L", until=ESC), ESC)
        self.assertEqual(self.tool.read(timeout=0.3), b"")  # no line follows
        self.tool.write(b"\r")  # the tool's lone CR after the query
        self.assertEqual(self.tool.ask(b"r"), b"9,33,0\r")
        self.sim.wait_for_output("CR after the L line taken")
        self.assertNotIn("stray 0x0D", self.sim.log_text())

    def test_configuration_replies_of_every_shape_from_the_settings_file(self):
        with open(self.file("sim.ini"), "w") as f:
            f.write('[Replies]\nr=" 12,40,7"\nh="1 "\n3=scania\nb=\n')
        self.start(1, "--settings", windows_path(self.file("sim.ini")))
        self.assertEqual(self.tool.ask(b"r"), b" 12,40,7\r")
        self.assertEqual(self.tool.ask(b"h"), b"1 \r")
        self.assertEqual(self.tool.ask(b"3"), b"scania\r")
        self.assertEqual(self.tool.ask(b"b"), b"\r")


if __name__ == "__main__":
    unittest.main(verbosity=2)
