"""The one-line query 'L', the acknowledged commands 'Y', 'X' and 'x', the commands that
ask first and their Cancel, and the busy question, through the real ZEV.EXE: the bytes
the device receives and the lines the tool logs. Against ZEVSIM.EXE (sim_session), and
Python as the device (DeviceEndTestCase) where an operation must wait for the test."""
import os
import sys
import unittest

from zevharness.device_end import DeviceEndTestCase
from zevharness.operations import (BUSY_CAPTION, BUSY_QUESTION, CAPTURE, CLOCK, COMMAND_X, COMMAND_XS, COMMAND_Y,
                        COMMAND_Y_LOG, DOWNLOAD, ESC, IDCANCEL, IDNO, IDYES, NAK, QUERY, READOUT, TEXT_H, TEXT_N,
                        TEXT_S, SimWire, answer_box, assert_idle, assert_no_box, log_texts)
from zevharness.processes import sub_test
from zevharness.robot import RobotTestCase
from zevharness.session import sim_session, wait_for

L_LINE = "00012345.67 L"  # ZEVSIM's 'L' reply


class QueriesAndCommandsTest(RobotTestCase):
    def session(self, device_type, *sim_args, owner=None):
        s = sim_session(owner or self, self.robot, device_type, sim_args=sim_args)
        s.connect()
        return s

    def test_the_l_query_by_device_type_and_answer(self):
        # device type, simulator options, what the device receives, the logged reply
        cases = [
            (0, (), b"L\r", L_LINE),                    # the line; a Vantik takes a lone CR back
            (0, ("--l-answer", "esc"), b"L\r", ""),     # ESC alone: an empty reply, still the CR
            (1, ("--line-gap", "300"), b"L", L_LINE),   # ESC, then the line: no CR back
            (2, (), b"L", L_LINE),                      # the line alone, no CR back
        ]
        for device_type, sim_args, received, reply in cases:
            with sub_test(self, device_type=device_type, sim_args=sim_args) as owner:
                s = self.session(device_type, *sim_args, owner=owner)
                wire = SimWire(s.sim)
                wire.mark()
                s.command(QUERY)
                self.assertTrue(s.log_has("Antwort: "))
                self.assertEqual(log_texts(s.run)[-1], "Antwort: " + reply)
                # idle: the next command goes out without the busy question, and nothing
                # came between the two
                s.command(COMMAND_Y)
                self.assertEqual(wire.since_mark(len(received) + 1), received + b"Y")
                self.assertTrue(s.log_has(COMMAND_Y_LOG))
                assert_no_box(self, self.robot, s.main)

    def test_y_x_and_x_say_what_they_send_and_end_with_the_devices_esc(self):
        s = self.session(1)
        wire = SimWire(s.sim)
        for command, letter in ((COMMAND_Y, "Y"), (COMMAND_X, "X"), (COMMAND_XS, "x")):
            with self.subTest(letter=letter):
                wire.mark()
                s.command(command)
                self.assertEqual(wire.since_mark(1), letter.encode())
                self.assertTrue(s.log_has("Befehl %s an das Gerät" % letter))
                self.assertEqual(log_texts(s.run)[-1], "Befehl %s an das Gerät" % letter)
                # the device's ESC has ended it: the next command follows the letter alone
                assert_idle(self, s, wire)

    def test_commands_that_ask_first_send_nothing_when_cancelled(self):
        s = self.session(1)
        wire = SimWire(s.sim)
        # the command, and the title of what it asks with
        asks = [(TEXT_S, "Text senden (S)"), (TEXT_N, "Text mit N senden"), (TEXT_H, "Text mit H senden"),
                (CAPTURE, "Save As"), (DOWNLOAD, "Open")]
        for command, title in asks:
            with self.subTest(title=title):
                s.command(command)
                dialog = self.robot.other_window(s.main, 5.0)
                self.assertIsNotNone(dialog)
                self.assertEqual(self.robot.title(dialog), title)
                self.robot.post_click(dialog, IDCANCEL)
                self.assertTrue(self.robot.gone(dialog))
                # idle and not busy: the next command is the first thing on the wire
                assert_idle(self, s, wire)
        logged = "\n".join(log_texts(s.run))
        for text in ("Text (S)", "Text mit", "Auslesen in Datei", "Firmware-Download"):
            self.assertNotIn(text, logged)


class BusyQuestionTest(DeviceEndTestCase):
    def ask_busy(self, command, button):
        self.robot.command(self.run.main, command)
        title, text = answer_box(self, self.robot, self.run.main, button)
        self.assertEqual((title, text), (BUSY_CAPTION, BUSY_QUESTION))

    def test_yes_ends_the_waiting_operation_and_the_new_one_is_busy_in_turn(self):
        self.start(1, 1)
        self.connect(1)
        self.robot.command(self.run.main, READOUT)
        self.assertEqual(self.pair.read(count=1, timeout=3.0), b"V")
        # A NAK outside a download stops the response timer: the read-out waits until the
        # busy question ends it, however slow the machine.
        self.pair.write(NAK)
        self.assertTrue(self.log_has("[NAK]"))
        self.ask_busy(QUERY, IDYES)
        self.assertEqual(self.pair.read(count=1, timeout=3.0), b"L")
        self.pair.write(NAK)  # the query waits in turn
        self.assertTrue(wait_for(lambda: log_texts(self.run).count("[NAK]") == 2))
        self.ask_busy(CLOCK, IDNO)
        self.assertEqual(self.pair.read(timeout=0.5), b"", "No sent something")
        # the query still runs: its line completes it
        self.pair.write(ESC + L_LINE.encode() + b"\r")
        self.assertTrue(self.log_has("Antwort: " + L_LINE))
        self.robot.command(self.run.main, CLOCK)
        self.assertEqual(self.pair.read(count=1, timeout=3.0), b"T")
        assert_no_box(self, self.robot, self.run.main)

    def test_an_acknowledged_command_is_busy_until_the_devices_esc(self):
        self.start(1, 1)
        self.connect(1)
        self.robot.command(self.run.main, COMMAND_XS)
        self.assertEqual(self.pair.read(count=1, timeout=3.0), b"x")
        self.assertTrue(self.log_has("Befehl x an das Gerät"))
        self.pair.write(NAK)  # no time-out while the test asks
        self.assertTrue(self.log_has("[NAK]"))
        self.ask_busy(COMMAND_Y, IDNO)
        self.assertEqual(self.pair.read(timeout=0.5), b"", "No sent something")
        # The ESC ends the command; a line after it is a stray line to an idle tool, and
        # once it is logged the ESC has been handled.
        self.pair.write(ESC + b"AFTER\r")
        self.assertTrue(self.log_has(">> (CR) AFTER"))
        self.robot.command(self.run.main, COMMAND_Y)
        self.assertEqual(self.pair.read(count=1, timeout=3.0), b"Y")
        assert_no_box(self, self.robot, self.run.main)
        self.pair.write(ESC)


if __name__ == "__main__":
    unittest.main(verbosity=2)
