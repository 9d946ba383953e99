"""The 'w' and 'f' cycle and 'F' alone through the real ZEV.EXE against ZEVSIM.EXE: 'w'
then 'f' read in a row, one dialog for both, and on OK 'W' with the switch and then 'F'
with the two bits, even when nothing changed; Cancel writes neither. 'F' alone reads
nothing and writes 1 for its unchecked box."""
import os
import sys
import unittest

from zevharness.operations import ESC, IDCANCEL, IDOK, assert_idle, log_texts, log_texts_after
from zevharness.parameters import (F_TITLE, IDC_F_HIGH, IDC_F_LOW, IDC_PARAM_F_ZERO, IDC_W_ON, PARAM_F, PARAM_WF,
                        WF_TITLE, SimSessionTestCase, close_dialog, device, open_dialog, tool)


class ParamWFTest(SimSessionTestCase):
    replies = {"w": "12abc", "f": "2x"}

    def read_wf(self, w_reply, f_reply):
        """'w' and 'f' read in a row: the dialog, and its boxes as (switch, high, low)."""
        self.talk.mark()
        self.s.command(PARAM_WF)
        dialog = open_dialog(self, self.robot, self.s.main, WF_TITLE)
        self.assertEqual(log_texts(self.s.run)[-2:], ["Parameter w: " + w_reply, "Parameter f: " + f_reply])
        boxes = tuple(self.robot.checked(dialog, cid) for cid in (IDC_W_ON, IDC_F_HIGH, IDC_F_LOW))
        return dialog, boxes

    def test_w_and_f_read_in_a_row_and_written_in_a_row(self):
        read = [tool(b"w"), device(b"12abc\r"), tool(b"f"), device(b"2x\r")]
        # 12 is no on or off: the switch unchecked; 2 is the high bit
        dialog, boxes = self.read_wf("12abc", "2x")
        self.assertEqual(boxes, (False, True, False))
        close_dialog(self, self.robot, dialog, IDOK)
        # nothing changed, and 'F' follows all the same, right after the 'W' value (one turn)
        self.assert_wire(*read, tool(b"W"), device(ESC), tool(b"0\r" b"F"), device(ESC), tool(b"2\r"))
        self.assertEqual(log_texts_after(self.s.run, "Parameter f: "),
                         ["Parameter w schreiben (W): 0", "Parameter f schreiben (F): 2"])
        assert_idle(self, self.s, self.wire)

        dialog, boxes = self.read_wf("0", "2")
        self.assertEqual(boxes, (False, True, False))
        for cid in (IDC_W_ON, IDC_F_HIGH, IDC_F_LOW):
            self.robot.click(dialog, cid)
        close_dialog(self, self.robot, dialog, IDOK)
        self.assert_wire(tool(b"w"), device(b"0\r"), tool(b"f"), device(b"2\r"),
                         tool(b"W"), device(ESC), tool(b"1\r" b"F"), device(ESC), tool(b"1\r"))
        assert_idle(self, self.s, self.wire)

        # only the high box checked
        dialog, boxes = self.read_wf("1", "1")
        self.assertEqual(boxes, (True, False, True))
        self.robot.click(dialog, IDC_F_LOW)
        self.robot.click(dialog, IDC_F_HIGH)
        close_dialog(self, self.robot, dialog, IDOK)
        self.assert_wire(tool(b"w"), device(b"1\r"), tool(b"f"), device(b"1\r"),
                         tool(b"W"), device(ESC), tool(b"1\r" b"F"), device(ESC), tool(b"2\r"))
        self.assertEqual(log_texts_after(self.s.run, "Parameter f: "),
                         ["Parameter w schreiben (W): 1", "Parameter f schreiben (F): 2"])
        assert_idle(self, self.s, self.wire)

        dialog, boxes = self.read_wf("1", "2")
        self.assertEqual(boxes, (True, True, False))
        close_dialog(self, self.robot, dialog, IDCANCEL)
        self.assert_wire(tool(b"w"), device(b"1\r"), tool(b"f"), device(b"2\r"))
        self.assertEqual(log_texts_after(self.s.run, "Parameter f: "), [])
        assert_idle(self, self.s, self.wire)



class ParamFAloneTest(SimSessionTestCase):
    def test_f_alone_reads_nothing_and_writes_1_for_the_unchecked_box(self):
        for check, value in ((False, b"1"), (True, b"0")):
            with self.subTest(check=check):
                self.talk.mark()
                self.s.command(PARAM_F)
                dialog = open_dialog(self, self.robot, self.s.main, F_TITLE)
                self.assertFalse(self.robot.checked(dialog, IDC_PARAM_F_ZERO))
                if check:
                    self.robot.click(dialog, IDC_PARAM_F_ZERO)
                close_dialog(self, self.robot, dialog, IDOK)
                self.assert_wire(tool(b"F"), device(ESC), tool(value + b"\r"))
                self.assertEqual(log_texts(self.s.run)[-1], "Parameter F schreiben: " + value.decode())
                assert_idle(self, self.s, self.wire)

        self.talk.mark()
        self.s.command(PARAM_F)
        dialog = open_dialog(self, self.robot, self.s.main, F_TITLE)
        close_dialog(self, self.robot, dialog, IDCANCEL)
        self.assert_wire()
        assert_idle(self, self.s, self.wire)


if __name__ == "__main__":
    unittest.main(verbosity=2)
