"""The clock and the texts through the real ZEV.EXE against ZEVSIM.EXE (sim_session): 'T'
and, after the device's ESC, the PC's local time as 12 digits and two CRs; 'S', 'N' and
'H' with the text from the text entry, sent after the device's ESC with a CR: 8
characters, none, and a ninth that the entry refuses."""
import os
import sys
import time
import unittest

from zevharness.operations import (CLOCK, COMMAND_Y, COMMAND_Y_LOG, IDC_TEXT_ENTRY, IDOK, TEXT_H, TEXT_N, TEXT_S,
                        SimWire, assert_no_box, log_texts)
from zevharness.robot import RobotTestCase
from zevharness.session import sim_session, wait_for

# command, letter, the entry's title, the logged line
TEXT_COMMANDS = [
    (TEXT_S, b"S", "Text senden (S)", "Text (S): %s"),
    (TEXT_N, b"N", "Text mit N senden", "Text mit N: %s"),
    (TEXT_H, b"H", "Text mit H senden", "Text mit H: %s"),
]
# typed, and what the entry takes
TEXTS = [("Zähler 1", "Zähler 1"), ("ABCDEFGHI", "ABCDEFGH"), ("", "")]


class TextsAndClockTest(RobotTestCase):
    def setUp(self):
        self.s = sim_session(self, self.robot, 1)
        self.s.connect()
        self.wire = SimWire(self.s.sim)
        self.wire.mark()

    def assert_idle(self, sent_before):
        """The next command goes out without the busy question, right after `sent_before`."""
        self.s.command(COMMAND_Y)
        self.assertEqual(self.wire.since_mark(len(sent_before) + 1), sent_before + b"Y")
        self.assertTrue(self.s.log_has(COMMAND_Y_LOG))
        assert_no_box(self, self.robot, self.s.main)

    def test_the_clock_is_set_to_the_pcs_local_time(self):
        before = time.time()
        self.s.command(CLOCK)
        sent = self.wire.since_mark(15)
        after = time.time()
        self.assertEqual(len(sent), 15, sent)
        self.assertEqual(sent[:1], b"T")
        self.assertEqual(sent[13:], b"\r\r", "two CRs after the digits")
        digits = sent[1:13].decode("ascii")
        self.assertRegex(digits, r"^\d{12}$")
        clock = time.mktime(time.strptime(digits, "%y%m%d%H%M%S"))
        # whole seconds of local time, taken between the command and its arrival
        self.assertGreaterEqual(clock, int(before) - 1)
        self.assertLessEqual(clock, after + 1)
        self.assertTrue(self.s.sim_log_has("TX 1B"))
        self.assertTrue(wait_for(lambda: "clock set to " + digits in self.s.sim.output()), self.s.sim.output())
        self.assertTrue(self.s.log_has("Uhr gestellt: " + digits))
        # the clock text is logged as it went out, with its CR
        self.assertEqual(log_texts(self.s.run)[-1], "Uhr gestellt: %s\r" % digits)
        self.assert_idle(sent)

    def test_texts_of_8_characters_none_and_a_ninth_refused(self):
        sent = b""
        for command, letter, title, log in TEXT_COMMANDS:
            for typed, taken in TEXTS:
                with self.subTest(letter=letter, typed=typed):
                    self.s.command(command)
                    dialog = self.robot.other_window(self.s.main, 5.0)
                    self.assertIsNotNone(dialog, "no text entry")
                    # the entry itself, not the busy question: the command before has ended
                    self.assertEqual(self.robot.title(dialog), title)
                    self.robot.type_text(dialog, IDC_TEXT_ENTRY, typed)
                    self.assertEqual(self.robot.text(dialog, IDC_TEXT_ENTRY), taken)
                    self.robot.post_click(dialog, IDOK)
                    self.assertTrue(self.robot.gone(dialog))
                    # the letter, the device's ESC, then the text and CR
                    sent += letter + taken.encode("cp1252") + b"\r"
                    self.assertEqual(self.wire.since_mark(len(sent)), sent)
                    self.assertTrue(self.s.log_has(log % taken))
                    self.assertEqual(log_texts(self.s.run)[-1], log % taken)
        self.assert_idle(sent)


if __name__ == "__main__":
    unittest.main(verbosity=2)
