"""The write chains through the real ZEV.EXE with Python as the device, where the test
must decide when the device answers: the configuration editor with no mode and no
option chosen; a command given while a chain step or the 'F' follow-up waits for the
device's ESC (the busy question, not a letter in the middle of the write); a NAK to a
write letter, and a write letter left unanswered, which stop the chain before its value
text, and the one log line that says which steps were written; an 'f' reply that is no bit pattern, which keeps the bits read before."""
import os
import sys
import unittest

from zevharness.device_end import DeviceEndTestCase
from zevharness.operations import (BUSY_CAPTION, BUSY_QUESTION, COMMAND_Y, COMMAND_Y_LOG, CR, ESC, IDCANCEL, IDNO,
                        IDOK, IDYES, NAK, QUERY, RX_TIMEOUT, answer_box, log_texts, log_texts_after)
from zevharness.parameters import (CONFIG_EDIT, CONFIG_TITLE, G_TITLE, IDC_CFG_MODE, IDC_CFG_OPTION, IDC_F_HIGH,
                        IDC_F_LOW, PARAM_G, PARAM_WF, WF_TITLE, checked_buttons, close_dialog, open_dialog)
from zevharness.session import wait_for

CONFIG_READ_LOG = "Konfiguration b: "
CUT_AT_H = "Konfiguration unvollständig geschrieben: 'H' wurde nicht angenommen; davor geschrieben: 'R'"
UNEXPECTED_ESC = "Unerwartetes ESC vom Gerät"


class WriteChainDeviceEndTest(DeviceEndTestCase):
    def setUp(self):
        self.start(1, 1)
        self.connect(1)

    def expect(self, data):
        got = self.pair.read(count=len(data), timeout=3.0)
        if got != data:  # what the tool said instead, and whether a box waits
            box = self.robot.other_window(self.run.main, 0.1)
            self.fail("%r instead of %r; the log ends:\n%s\nbox: %r" % (
                got, data, "\n".join(log_texts(self.run)[-8:]), box and self.robot.text(box, 0xFFFF)))

    def expect_nothing(self):
        self.assertEqual(self.pair.read(timeout=0.5), b"")

    def read(self, command, letters, replies, title):
        """Gives `command`, answers each read letter with its reply: the dialog."""
        self.robot.command(self.run.main, command)
        for letter, reply in zip(letters, replies):
            self.expect(letter)
            self.pair.write(reply + CR)
        return open_dialog(self, self.robot, self.run.main, title)

    def read_config(self, h=b"0", b=b"0"):
        return self.read(CONFIG_EDIT, (b"r", b"h", b"3", b"b"), (b"9,33,0", h, b"OTHER", b), CONFIG_TITLE)

    def ask_busy(self, command, button):
        self.robot.command(self.run.main, command)
        self.assertEqual(answer_box(self, self.robot, self.run.main, button), (BUSY_CAPTION, BUSY_QUESTION))

    def ask_busy_while_the_step_goes_on(self, command, answer):
        """A command while a step waits for its answer: the busy question. The step's own
        1 s time-out runs meanwhile, so the device gives `answer` while the question is
        open, and the question is answered No: the step goes on as if it had not been asked."""
        self.robot.command(self.run.main, command)
        box = self.robot.message_box(self.run.main, 3.0)
        self.assertIsNotNone(box, "no busy question")
        self.pair.write(answer)
        self.assertEqual(box[1:], (BUSY_CAPTION, BUSY_QUESTION))
        self.robot.post_click(box[0], IDNO)
        self.assertTrue(self.robot.gone(box[0]), "the box did not close")

    def assert_idle(self):
        """The next command goes out at once, without the busy question (its log line is a
        new one: an earlier 'Y' left the same line); the tool is idle again after it."""
        before = self.run.log_window().count(COMMAND_Y_LOG)
        self.robot.command(self.run.main, COMMAND_Y)
        self.expect(b"Y")
        self.assert_no_box()
        self.assertTrue(wait_for(lambda: self.run.log_window().count(COMMAND_Y_LOG) > before, 5.0))
        self.end_command_y()

    def end_command_y(self):
        """The device's ESC ends a 'Y', silently: the next step waits until the tool has it
        (the Y's log line is written when the Y is sent)."""
        self.pair.write(ESC)
        self.assertTrue(self.pair.wait_taken())

    def test_no_mode_chosen_writes_1_and_no_option_chosen_ends_the_chain_after_the_kind(self):
        editor = self.read_config(h=b"x", b=b"x")
        self.assertEqual(checked_buttons(self.robot, editor, IDC_CFG_MODE), [])
        self.assertEqual(checked_buttons(self.robot, editor, IDC_CFG_OPTION), [])
        close_dialog(self, self.robot, editor, IDOK)
        self.expect(b"R")
        self.pair.write(ESC)
        self.expect(b"9,33,0\r" b"H")
        self.pair.write(ESC)
        self.expect(b"1\r" b"1")
        self.pair.write(ESC)
        self.expect(b"0\r")
        self.expect_nothing()  # no "B"
        self.assertEqual(log_texts_after(self.run, CONFIG_READ_LOG),
                         ["Konfiguration schreiben (R): 9,33,0", "Eingabeart schreiben (H): 1",
                          "Art schreiben (1): OTHER"])
        self.assert_idle()

    def test_a_command_while_a_chain_step_waits_for_its_esc_gets_the_busy_question(self):
        editor = self.read_config()
        close_dialog(self, self.robot, editor, IDOK)
        self.expect(b"R")
        self.pair.write(ESC)
        self.expect(b"9,33,0\r" b"H")
        # no "L" in the middle of the write: each letter's value follows it directly
        self.ask_busy_while_the_step_goes_on(QUERY, ESC)
        self.expect(b"0\r" b"1")
        self.ask_busy_while_the_step_goes_on(QUERY, ESC)
        self.expect(b"0\r" b"B")
        self.ask_busy_while_the_step_goes_on(QUERY, ESC)
        self.expect(b"0\r")
        self.expect_nothing()
        self.assertEqual(log_texts_after(self.run, CONFIG_READ_LOG),
                         ["Konfiguration schreiben (R): 9,33,0", "Eingabeart schreiben (H): 0",
                          "Art schreiben (1): OTHER", "Option schreiben (B): 0"])
        self.assert_idle()

    def test_a_command_while_the_f_follow_up_waits_for_its_esc_gets_the_busy_question(self):
        dialog = self.read(PARAM_WF, (b"w", b"f"), (b"1", b"2"), WF_TITLE)
        close_dialog(self, self.robot, dialog, IDOK)
        self.expect(b"W")
        self.pair.write(ESC)
        self.expect(b"1\r" b"F")
        self.ask_busy_while_the_step_goes_on(QUERY, ESC)
        self.expect(b"2\r")
        self.expect_nothing()
        self.assert_idle()

    def test_a_nak_to_a_write_letter_sends_no_value_and_ends_the_chain(self):
        # a step of the configuration chain
        editor = self.read_config()
        close_dialog(self, self.robot, editor, IDOK)
        self.expect(b"R")
        self.pair.write(ESC)
        self.expect(b"9,33,0\r" b"H")
        self.pair.write(NAK)
        self.assertTrue(wait_for(lambda: log_texts(self.run)[-2:] == ["[NAK]", CUT_AT_H]))
        self.expect_nothing()  # neither the value nor "1"
        self.assertEqual(log_texts_after(self.run, CONFIG_READ_LOG),
                         ["Konfiguration schreiben (R): 9,33,0", "Eingabeart schreiben (H): 0", "[NAK]", CUT_AT_H])
        # the step still waits: the next command offers to end it, and says nothing more of it
        self.ask_busy(COMMAND_Y, IDYES)
        self.expect(b"Y")
        self.end_command_y()
        self.assertTrue(self.log_has(COMMAND_Y_LOG))
        self.assertEqual(log_texts(self.run).count(CUT_AT_H), 1)

        # a parameter write
        dialog = self.read(PARAM_G, (b"g",), (b"1",), G_TITLE)
        close_dialog(self, self.robot, dialog, IDOK)
        self.expect(b"G")
        self.pair.write(NAK)
        self.assertTrue(wait_for(lambda: log_texts(self.run)[-1:] == ["[NAK]"]))
        self.expect_nothing()
        self.assertEqual(log_texts_after(self.run, "Parameter g: 1"), ["Parameter g schreiben (G): 1", "[NAK]"])
        self.ask_busy(COMMAND_Y, IDYES)
        self.expect(b"Y")
        self.assert_no_box()
        self.pair.write(ESC)

    def test_a_write_letter_left_unanswered_times_out_and_its_value_never_follows(self):
        # a parameter write
        dialog = self.read(PARAM_G, (b"g",), (b"0",), G_TITLE)
        close_dialog(self, self.robot, dialog, IDOK)
        self.expect(b"G")
        self.assertEqual(answer_box(self, self.robot, self.run.main, IDOK)[1], RX_TIMEOUT)
        self.assertEqual(log_texts_after(self.run, "Parameter g: 0"), ["Parameter g schreiben (G): 0", RX_TIMEOUT])
        # a late ESC finds the tool idle: no value text goes
        self.pair.write(ESC)
        self.assertTrue(wait_for(lambda: log_texts(self.run)[-1:] == [UNEXPECTED_ESC]))
        self.expect_nothing()
        self.assert_idle()

        # a step of the configuration chain: the steps after it are not performed
        editor = self.read_config()
        close_dialog(self, self.robot, editor, IDOK)
        self.expect(b"R")
        self.pair.write(ESC)
        self.expect(b"9,33,0\r" b"H")
        self.assertEqual(answer_box(self, self.robot, self.run.main, IDOK)[1], RX_TIMEOUT)
        self.pair.write(ESC)
        self.assertTrue(wait_for(lambda: log_texts(self.run)[-1:] == [UNEXPECTED_ESC]))
        self.expect_nothing()  # neither "0\r" nor "1"
        self.assertEqual(log_texts_after(self.run, CONFIG_READ_LOG),
                         ["Konfiguration schreiben (R): 9,33,0", "Eingabeart schreiben (H): 0", RX_TIMEOUT,
                          CUT_AT_H, UNEXPECTED_ESC])
        self.assert_idle()

    def test_the_log_names_the_steps_written_when_the_first_or_the_last_step_is_not_taken(self):
        # 'R' refused: nothing is written
        editor = self.read_config()
        close_dialog(self, self.robot, editor, IDOK)
        self.expect(b"R")
        self.pair.write(NAK)
        cut_at_r = "Konfiguration unvollständig geschrieben: 'R' wurde nicht angenommen; nichts wurde geschrieben"
        self.assertTrue(wait_for(lambda: log_texts(self.run)[-1:] == [cut_at_r]), log_texts(self.run))
        self.expect_nothing()
        self.ask_busy(COMMAND_Y, IDYES)
        self.expect(b"Y")
        self.end_command_y()
        self.assertTrue(self.log_has(COMMAND_Y_LOG))

        # 'B' unanswered: 'R', 'H' and '1' are written
        editor = self.read_config(b"1", b"1")
        close_dialog(self, self.robot, editor, IDOK)
        for letter, value in ((b"R", b"9,33,0\r"), (b"H", b"1\r"), (b"1", b"0\r")):
            self.expect(letter)
            self.pair.write(ESC)
            self.expect(value)
        self.expect(b"B")
        self.assertEqual(answer_box(self, self.robot, self.run.main, IDOK)[1], RX_TIMEOUT)
        cut_at_b = "Konfiguration unvollständig geschrieben: 'B' wurde nicht angenommen; davor geschrieben: 'R', 'H', '1'"
        self.assertTrue(wait_for(lambda: log_texts(self.run)[-2:] == [RX_TIMEOUT, cut_at_b]), log_texts(self.run))
        self.expect_nothing()
        self.assert_idle()

    def test_an_f_reply_that_is_no_bit_pattern_keeps_the_bits_read_before(self):
        dialog = self.read(PARAM_WF, (b"w", b"f"), (b"0", b"1"), WF_TITLE)
        self.assertEqual(checked_buttons(self.robot, dialog, (IDC_F_HIGH, IDC_F_LOW)), [1])
        close_dialog(self, self.robot, dialog, IDCANCEL)
        self.assert_idle()
        for reply in (b"7", b""):
            with self.subTest(reply=reply):
                dialog = self.read(PARAM_WF, (b"w", b"f"), (b"0", reply), WF_TITLE)
                self.assertEqual(checked_buttons(self.robot, dialog, (IDC_F_HIGH, IDC_F_LOW)), [1])
                close_dialog(self, self.robot, dialog, IDOK)
                self.expect(b"W")
                self.pair.write(ESC)
                self.expect(b"0\r" b"F")
                self.pair.write(ESC)
                self.expect(b"1\r")
                self.assert_idle()


if __name__ == "__main__":
    unittest.main(verbosity=2)
