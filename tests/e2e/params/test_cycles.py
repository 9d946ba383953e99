"""The parameter cycles 'g', 'j', '4' and 'c' through the real ZEV.EXE against ZEVSIM.EXE:
the read letter, the reply logged as it came, the dialog showing the value as the reply
codes it, and on OK the write letter, the device's ESC and exactly the value text; the
simulator keeps what was written, so the next read shows it. Cancel writes nothing, and
so does OK with no button chosen; every cycle ends idle."""
import os
import sys
import unittest

from zevharness.operations import ESC, IDCANCEL, IDOK, assert_idle, log_texts, log_texts_after
from zevharness.parameters import (C_TITLE, G_TITLE, IDC_INTERFACE, IDC_PARAM_C, IDC_PARAM_G_ON, IDC_PARAM_J_ON,
                        INTERFACE_TITLE, J_TITLE, NOTHING_CHOSEN, PARAM_C, PARAM_G, PARAM_INTERFACE, PARAM_J,
                        SimSessionTestCase, checked_buttons, close_dialog, device, open_dialog, tool)


class ParamCyclesTest(SimSessionTestCase):
    # each test reads and writes a parameter of its own
    replies = {"g": "1 ", "j": "0", "4": "rs485", "c": "x"}

    def read(self, command, title, reply_log):
        """Gives `command`: the dialog its read opens, once the reply is logged."""
        self.talk.mark()
        self.s.command(command)
        dialog = open_dialog(self, self.robot, self.s.main, title)
        self.assertEqual(log_texts(self.s.run)[-1], reply_log)
        return dialog

    def assert_logged_after(self, reply_log, *lines):
        self.assertEqual(log_texts_after(self.s.run, reply_log), list(lines))

    def test_g_menu_item_reads_g_and_ok_writes_the_box_as_it_stands(self):
        # 40019 is routed, although its menu item stays grey (in-process: test_mainwindow).
        # "1 " is no "1": unchecked.
        dialog = self.read(PARAM_G, G_TITLE, "Parameter g: 1 ")
        self.assertFalse(self.robot.checked(dialog, IDC_PARAM_G_ON))
        close_dialog(self, self.robot, dialog, IDOK)
        self.assert_wire(tool(b"g"), device(b"1 \r"), tool(b"G"), device(ESC), tool(b"0\r"))
        self.assert_logged_after("Parameter g: 1 ", "Parameter g schreiben (G): 0")
        assert_idle(self, self.s, self.wire)

        dialog = self.read(PARAM_G, G_TITLE, "Parameter g: 0")
        self.assertFalse(self.robot.checked(dialog, IDC_PARAM_G_ON))
        self.robot.click(dialog, IDC_PARAM_G_ON)
        close_dialog(self, self.robot, dialog, IDOK)
        self.assert_wire(tool(b"g"), device(b"0\r"), tool(b"G"), device(ESC), tool(b"1\r"))
        self.assert_logged_after("Parameter g: 0", "Parameter g schreiben (G): 1")
        assert_idle(self, self.s, self.wire)

        dialog = self.read(PARAM_G, G_TITLE, "Parameter g: 1")
        self.assertTrue(self.robot.checked(dialog, IDC_PARAM_G_ON))
        close_dialog(self, self.robot, dialog, IDCANCEL)
        self.assert_wire(tool(b"g"), device(b"1\r"))
        self.assert_logged_after("Parameter g: 1")
        assert_idle(self, self.s, self.wire)

    def test_j_box_is_the_inverse_of_the_device_value(self):
        # the device's 0 is a checked box; OK unchanged writes 0 back
        dialog = self.read(PARAM_J, J_TITLE, "Parameter j: 0")
        self.assertTrue(self.robot.checked(dialog, IDC_PARAM_J_ON))
        close_dialog(self, self.robot, dialog, IDOK)
        self.assert_wire(tool(b"j"), device(b"0\r"), tool(b"J"), device(ESC), tool(b"0\r"))
        self.assert_logged_after("Parameter j: 0", "Parameter j schreiben (J): 0")
        assert_idle(self, self.s, self.wire)

        # unchecked writes 1
        dialog = self.read(PARAM_J, J_TITLE, "Parameter j: 0")
        self.robot.click(dialog, IDC_PARAM_J_ON)
        self.assertFalse(self.robot.checked(dialog, IDC_PARAM_J_ON))
        close_dialog(self, self.robot, dialog, IDOK)
        self.assert_wire(tool(b"j"), device(b"0\r"), tool(b"J"), device(ESC), tool(b"1\r"))
        self.assert_logged_after("Parameter j: 0", "Parameter j schreiben (J): 1")
        assert_idle(self, self.s, self.wire)

        dialog = self.read(PARAM_J, J_TITLE, "Parameter j: 1")
        self.assertFalse(self.robot.checked(dialog, IDC_PARAM_J_ON))
        close_dialog(self, self.robot, dialog, IDCANCEL)
        self.assert_wire(tool(b"j"), device(b"1\r"))
        self.assert_logged_after("Parameter j: 1")
        assert_idle(self, self.s, self.wire)

    def test_an_interface_reply_in_other_case_shows_no_button_and_ok_writes_nothing(self):
        dialog = self.read(PARAM_INTERFACE, INTERFACE_TITLE, "Schnittstelle (4): rs485")
        self.assertEqual(checked_buttons(self.robot, dialog, IDC_INTERFACE), [])
        # three buttons, the interfaces the device defines: nothing for a value it does not know
        self.assertEqual([cid for cid, cls, _ in self.robot.controls(dialog) if cid in IDC_INTERFACE],
                         list(IDC_INTERFACE[:3]))
        close_dialog(self, self.robot, dialog, IDOK)
        self.assert_wire(tool(b"4"), device(b"rs485\r"))
        self.assert_logged_after("Schnittstelle (4): rs485", NOTHING_CHOSEN)
        assert_idle(self, self.s, self.wire)

        dialog = self.read(PARAM_INTERFACE, INTERFACE_TITLE, "Schnittstelle (4): rs485")
        self.robot.click(dialog, IDC_INTERFACE[2])
        close_dialog(self, self.robot, dialog, IDOK)
        self.assert_wire(tool(b"4"), device(b"rs485\r"), tool(b"2"), device(ESC), tool(b"2\r"))
        assert_idle(self, self.s, self.wire)

        dialog = self.read(PARAM_INTERFACE, INTERFACE_TITLE, "Schnittstelle (4): RS485")
        self.assertEqual(checked_buttons(self.robot, dialog, IDC_INTERFACE), [2])
        close_dialog(self, self.robot, dialog, IDCANCEL)
        self.assert_wire(tool(b"4"), device(b"RS485\r"))
        self.assert_logged_after("Schnittstelle (4): RS485")
        assert_idle(self, self.s, self.wire)

    def test_c_with_no_button_chosen_writes_nothing(self):
        dialog = self.read(PARAM_C, C_TITLE, "Parameter c: x")
        self.assertEqual(checked_buttons(self.robot, dialog, IDC_PARAM_C), [])
        close_dialog(self, self.robot, dialog, IDOK)
        self.assert_wire(tool(b"c"), device(b"x\r"))  # no "C", no 4294967295
        self.assertTrue(self.s.log_has(NOTHING_CHOSEN))
        self.assert_logged_after("Parameter c: x", NOTHING_CHOSEN)
        assert_idle(self, self.s, self.wire)

        dialog = self.read(PARAM_C, C_TITLE, "Parameter c: x")
        self.robot.click(dialog, IDC_PARAM_C[1])
        close_dialog(self, self.robot, dialog, IDOK)
        self.assert_wire(tool(b"c"), device(b"x\r"), tool(b"C"), device(ESC), tool(b"1\r"))
        self.assert_logged_after("Parameter c: x", "Parameter c schreiben (C): 1")
        assert_idle(self, self.s, self.wire)

        dialog = self.read(PARAM_C, C_TITLE, "Parameter c: 1")
        self.assertEqual(checked_buttons(self.robot, dialog, IDC_PARAM_C), [1])
        close_dialog(self, self.robot, dialog, IDCANCEL)
        self.assert_wire(tool(b"c"), device(b"1\r"))
        assert_idle(self, self.s, self.wire)


if __name__ == "__main__":
    unittest.main(verbosity=2)
