"""The configuration editor through the real ZEV.EXE against ZEVSIM.EXE: it opens after
the read with the values read, its rules run as the user leaves an edit (and, for the edit that has the focus, when
Enter or OK is pressed), and OK writes
the four groups back in a chain, 'R' 'H' '1' 'B', each value text only after the
device's ESC to its letter. The simulator keeps what was written, so the next read shows
it. Cancel writes nothing and leaves the tool idle."""
import os
import sys
import unittest

from zevharness.operations import ESC, IDCANCEL, IDOK, assert_idle, log_texts_after
from zevharness.session import wait_for
from zevharness.parameters import (CONFIG_EDIT, CONFIG_TITLE, IDC_CFG_CALCULATE, IDC_CFG_KIND, IDC_CFG_MODE,
                        IDC_CFG_OPTION, IDC_CFG_VALUE1, IDC_CFG_VALUE1_THIRDS, IDC_CFG_VALUE2, IDC_CFG_VALUE3,
                        IDC_CFG_VALUE3_THIRDS, SimSessionTestCase, checked_buttons, close_dialog, device,
                        open_dialog, tool)

VK_RETURN = 0x0D
FIRST_TOO_LOW = "Der erste Wert darf nicht kleiner als der dritte sein."
EDITS = (IDC_CFG_VALUE1, IDC_CFG_VALUE2, IDC_CFG_VALUE3, IDC_CFG_VALUE1_THIRDS, IDC_CFG_VALUE3_THIRDS)
DIRECT = (IDC_CFG_VALUE1, IDC_CFG_VALUE2, IDC_CFG_VALUE3)
IN_THIRDS = (IDC_CFG_VALUE1_THIRDS, IDC_CFG_VALUE3_THIRDS, IDC_CFG_CALCULATE)


def read_turns(r, h, kind, b):
    return [tool(b"r"), device(r + b"\r"), tool(b"h"), device(h + b"\r"),
            tool(b"3"), device(kind + b"\r"), tool(b"b"), device(b + b"\r")]


class ConfigWriteTest(SimSessionTestCase):
    replies = {"r": "9,33,0", "h": "0", "3": "OTHER", "b": "0"}

    def open_editor(self):
        self.talk.mark()
        self.s.command(CONFIG_EDIT)
        return open_dialog(self, self.robot, self.s.main, CONFIG_TITLE)

    def shown(self, editor):
        """What the editor shows: the five numbers, the mode's and the option's checked
        positions, the kind box."""
        return ([self.robot.text(editor, cid) for cid in EDITS], checked_buttons(self.robot, editor, IDC_CFG_MODE),
                checked_buttons(self.robot, editor, IDC_CFG_OPTION), self.robot.checked(editor, IDC_CFG_KIND))

    def enabled(self, editor, ids):
        return [self.robot.enabled(editor, cid) for cid in ids]

    def enter(self, editor, control, text, then):
        """Types `text` into an edit as the user would: the focus goes to it (its text
        selected), the text replaces what was there, and the focus goes on to `then`,
        which runs the edit's rule."""
        self.robot.move_focus(editor, control)
        self.robot.type_text(editor, control, text)
        self.robot.move_focus(editor, then)

    def test_the_editor_shows_what_was_read_and_ok_writes_it_back_in_a_chain(self):
        # mode 0: the numbers entered directly, the thirds and the calculator out of reach
        editor = self.open_editor()
        self.assertEqual(self.shown(editor), (["9", "33", "0", "3", "0"], [0], [0], False))
        self.assertEqual(self.enabled(editor, DIRECT), [True] * 3)
        self.assertEqual(self.enabled(editor, IN_THIRDS), [False] * 3)
        close_dialog(self, self.robot, editor, IDCANCEL)
        self.assert_wire(*read_turns(b"9,33,0", b"0", b"OTHER", b"0"))
        self.assertEqual(log_texts_after(self.s.run, "Konfiguration b: "), [])
        assert_idle(self, self.s, self.wire)

        editor = self.open_editor()
        self.enter(editor, IDC_CFG_VALUE1, "30", then=IDC_CFG_VALUE3)
        self.assertEqual(self.robot.text(editor, IDC_CFG_VALUE1_THIRDS), "10")
        self.enter(editor, IDC_CFG_VALUE3, "9", then=IDC_CFG_KIND)
        self.assertEqual(self.robot.text(editor, IDC_CFG_VALUE3_THIRDS), "3")
        self.robot.click(editor, IDC_CFG_KIND)      # SCANIA
        self.robot.click(editor, IDC_CFG_MODE[1])   # entry in thirds
        self.assertEqual(self.shown(editor), (["30", "33", "9", "10", "3"], [1], [0], True))
        self.assertEqual(self.enabled(editor, DIRECT), [False] * 3)
        self.assertEqual(self.enabled(editor, IN_THIRDS), [True] * 3)
        close_dialog(self, self.robot, editor, IDOK)
        # a value text and the next letter go out together: no answer to the text is awaited
        self.assert_wire(*read_turns(b"9,33,0", b"0", b"OTHER", b"0"),
                         tool(b"R"), device(ESC), tool(b"30,33,9\r" b"H"), device(ESC), tool(b"1\r" b"1"),
                         device(ESC), tool(b"2\r" b"B"), device(ESC), tool(b"0\r"))
        self.assertEqual(log_texts_after(self.s.run, "Konfiguration b: "),
                         ["Konfiguration schreiben (R): 30,33,9", "Eingabeart schreiben (H): 1",
                          "Art schreiben (1): SCANIA", "Option schreiben (B): 0"])
        assert_idle(self, self.s, self.wire)

        # the device has taken all four
        editor = self.open_editor()
        self.assertEqual(self.shown(editor), (["30", "33", "9", "10", "3"], [1], [0], True))
        self.assertEqual(self.enabled(editor, DIRECT), [False] * 3)
        self.assertEqual(self.enabled(editor, IN_THIRDS), [True] * 3)
        close_dialog(self, self.robot, editor, IDCANCEL)
        self.assert_wire(*read_turns(b"30,33,9", b"1", b"SCANIA", b"0"))
        assert_idle(self, self.s, self.wire)

    def test_enter_in_a_field_applies_its_rule_before_the_values_are_written(self):
        editor = self.open_editor()
        self.robot.click(editor, IDC_CFG_MODE[0])   # direct, with the default values 9, 33, 0
        if self.robot.checked(editor, IDC_CFG_KIND):
            self.robot.click(editor, IDC_CFG_KIND)  # OTHER
        self.robot.click(editor, IDC_CFG_OPTION[0])
        self.enter(editor, IDC_CFG_VALUE1, "30", then=IDC_CFG_VALUE3)
        self.enter(editor, IDC_CFG_VALUE3, "9", then=IDC_CFG_VALUE2)
        # 2 and Enter: below the third value, said as leaving the field says it; nothing written
        self.robot.move_focus(editor, IDC_CFG_VALUE1)
        self.robot.type_text(editor, IDC_CFG_VALUE1, "2")
        self.robot.key(editor, VK_RETURN)
        box = self.robot.window("ZEV", 5.0)
        self.assertIsNotNone(box, "no message")
        self.assertEqual(self.robot.text(box, 0xFFFF), FIRST_TOO_LOW)
        self.robot.post_click(box, IDOK)
        self.assertTrue(self.robot.gone(box))
        self.assertTrue(wait_for(lambda: self.robot.focus(editor) == IDC_CFG_VALUE1))
        self.assertEqual(self.robot.text(editor, IDC_CFG_VALUE1), "2")
        # 10 and Enter: whole thirds, as leaving the field makes it: 9
        self.robot.move_focus(editor, IDC_CFG_VALUE1)
        self.robot.type_text(editor, IDC_CFG_VALUE1, "10")
        self.robot.key(editor, VK_RETURN)
        self.assertTrue(self.robot.gone(editor), "Enter did not close the editor")
        write = [tool(b"R"), device(ESC), tool(b"9,33,9\r" b"H"), device(ESC), tool(b"0\r" b"1"),
                 device(ESC), tool(b"0\r" b"B"), device(ESC), tool(b"0\r")]
        turns = self.talk.since_mark(read_turns(b"", b"", b"", b"") + write)
        self.assertEqual(turns[8:], write)
        assert_idle(self, self.s, self.wire)

        # the device as the other tests find it: 9, 33, 0, direct, OTHER, option 0
        editor = self.open_editor()
        self.robot.click(editor, IDC_CFG_MODE[0])
        close_dialog(self, self.robot, editor, IDOK)
        self.assertTrue(wait_for(lambda: log_texts_after(self.s.run, "Konfiguration b: ")[-1:] ==
                                 ["Option schreiben (B): 0"]))
        # the log line comes as 'B' goes out: the last value text follows the device's ESC
        write = [tool(b"R"), device(ESC), tool(b"9,33,0\r" b"H"), device(ESC), tool(b"0\r" b"1"),
                 device(ESC), tool(b"0\r" b"B"), device(ESC), tool(b"0\r")]
        self.assertEqual(self.talk.since_mark(read_turns(b"", b"", b"", b"") + write)[8:], write)
        assert_idle(self, self.s, self.wire)


if __name__ == "__main__":
    unittest.main(verbosity=2)
