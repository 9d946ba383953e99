"""The live flow monitor through the real ZEV.EXE and KORA.DLL: frames of each length
from a device played by Python (exact bytes, raw 0x00, 0x11, 0x13, 0x7F, 0x80 and 0xFF in
the decoded fields) and from ZEVSIM's stream; the window's read-outs and the log; hiding,
the busy question, a restart, and the window closing when the connection returns to idle;
the keyboard in the window: Tab between its buttons, Enter and Esc hide it."""
import os
import sys
import time
import unittest

from zevharness.device_end import DeviceEndTestCase
from zevharness.monitor_frames import full_frame, on_the_wire, shortened
from zevharness.operations import BUSY_CAPTION, DISCONNECT, IDCANCEL, IDYES, QUERY, answer_box, log_texts
from zevharness.session import sim_session, wait_for

MONITOR = 40015
TITLE = "Durchflussmonitor"
STARTED = "Durchflussmonitor gestartet"
IDC_VOLUME, IDC_READING1, IDC_BAR, IDC_LITRES, IDC_WHOLE = 1008, 1009, 1010, 1012, 1013
IDC_READING2, IDC_DEVIATION, IDC_COUNTERS, IDC_FLOW, IDC_ERRORS = 1016, 1017, 1018, 1021, 1022
IDC_RECORD, IDOK = 1030, 1
VK_TAB, VK_RETURN, VK_ESCAPE = 0x09, 0x0D, 0x1B

# The decoded fields carry the bytes a serial line with flow control could lose or change.
ODD_BYTES = dict(volume=1234.5, reading1=-0.004, reading2=98765.4321, flow=0x1113, whole=-7.9,
                 deviation=0.125, twice_errors=0x00FF, litres=2.5, counter1=0x7F80FF11, counter2=0x1300807F)


class MonitorWindowTestCase(DeviceEndTestCase):
    """Starts the monitor and feeds it frames; the tests are the subclasses'."""

    def start_monitor(self):
        self.robot.command(self.run.main, MONITOR)
        self.assertEqual(self.pair.read(count=1, timeout=3.0), b"M")
        window = self.robot.window(TITLE, 5.0)
        self.assertIsNotNone(window, "no monitor window")
        return window

    def send(self, frame, length=146):
        self.pair.write(on_the_wire(shortened(frame, length)))

    def shows(self, window, control_id, text, timeout=5.0):
        return wait_for(lambda: self.robot.text(window, control_id) == text, timeout)


class MonitorTest(MonitorWindowTestCase):
    def test_frames_of_each_length_fill_the_read_outs_and_log_the_changes(self):
        self.start(1, 0)
        self.connect(0)
        window = self.start_monitor()
        self.assertTrue(self.log_has(STARTED))
        for byte in (0x00, 0x11, 0x13, 0x7F, 0x80, 0xFF):
            self.assertIn(byte, full_frame(**ODD_BYTES)[56:146])

        self.send(full_frame(**ODD_BYTES))
        self.assertTrue(self.shows(window, IDC_FLOW, "4371"), self.robot.text(window, IDC_FLOW))
        self.assertEqual(self.robot.text(window, IDC_ERRORS), "127")
        self.assertEqual(self.robot.progress(window, IDC_BAR), (1000, 1000))
        self.assertEqual(self.robot.text(window, IDC_COUNTERS), "(2139160337 : 318799999)")
        self.assertEqual(self.robot.text(window, IDC_VOLUME), "   1234.50")
        self.assertEqual(self.robot.text(window, IDC_READING1), "     -0.00")
        self.assertEqual(self.robot.text(window, IDC_READING2), "  98765.43")
        self.assertEqual(self.robot.text(window, IDC_DEVIATION), "+0.12")
        self.assertEqual(self.robot.text(window, IDC_WHOLE), "-7")
        self.assertEqual(self.robot.text(window, IDC_LITRES), "2.5")
        line = "Impulserror 127 (2139160337:318799999)  1234L 4371L/min (2.50L)"
        self.assertTrue(self.log_has(line))

        # the same count with the flow running: no new line; the short forms decode the same
        self.send(full_frame(**dict(ODD_BYTES, flow=120, counter2=0x01020304)), 144)
        self.assertTrue(self.shows(window, IDC_FLOW, "120"))
        self.assertEqual(self.robot.text(window, IDC_COUNTERS), "(2139160337 : 16908288)")  # low half zero
        self.assertEqual(self.robot.progress(window, IDC_BAR), (120, 1000))
        self.send(full_frame(**dict(ODD_BYTES, flow=121, counter1=42, counter2=43)), 140)
        self.assertTrue(self.shows(window, IDC_COUNTERS, "(42 : 43)"))
        self.send(full_frame(**ODD_BYTES)[:145])
        self.assertTrue(self.log_has("* Frame Length Error (145) *"))
        self.assertEqual(self.robot.text(window, IDC_FLOW), "121")
        self.send(full_frame(**dict(ODD_BYTES, flow=0, counter1=42, counter2=43)))
        self.assertTrue(self.log_has("Impulserror 127 (   42:   43)  1234L    0L/min (2.50L)"))
        self.assertEqual(log_texts(self.run).count(line), 1)
        # every line reached the file as it was logged
        with open(self.folder.file("ZevLog.TXT"), "rb") as f:
            self.assertIn(b"0L/min (2.50L)\r\n", f.read())

    def test_hidden_restarted_and_closed_by_idle(self):
        self.start(1, 0)
        self.connect(0)
        window = self.start_monitor()
        self.send(full_frame(flow=300, twice_errors=2))
        self.assertTrue(self.shows(window, IDC_FLOW, "300"))

        self.robot.click(window, IDCANCEL)
        self.assertIsNone(self.robot.window(TITLE, 0.5), "Cancel hides the monitor")
        self.send(full_frame(flow=400, twice_errors=4))  # still monitoring: dropped unseen
        self.send(full_frame(flow=400, twice_errors=4)[:100])
        self.assertTrue(self.log_has("* Frame Length Error (100) *"))
        self.assertNotIn("Impulserror  2 (    0:    0)     0L  400L/min", self.run.log_window())

        # the monitor still runs: its start asks first; Yes starts it anew
        self.robot.command(self.run.main, MONITOR)
        self.assertEqual(answer_box(self, self.robot, self.run.main, IDYES)[0], BUSY_CAPTION)
        self.assertEqual(self.pair.read(count=1, timeout=3.0), b"M")
        window = self.robot.window(TITLE, 5.0)
        self.assertIsNotNone(window, "shown again")

        # another command with Yes closes it and goes out (the box by its title: the
        # monitor is another window of the program)
        self.robot.command(self.run.main, QUERY)
        box = self.robot.window(BUSY_CAPTION, 5.0)
        self.assertIsNotNone(box, "no busy question")
        self.robot.post_click(box, IDYES)
        self.assertEqual(self.pair.read(count=1, timeout=3.0), b"L")
        self.assertTrue(self.robot.gone(window), "idle closes the monitor")
        self.pair.write(b"0815\r")
        self.assertTrue(self.log_has("Antwort: 0815"))
        self.assertEqual(self.pair.read(count=1, timeout=3.0), b"\r")

        # after idle the monitor starts without a question; a disconnect closes it
        window = self.start_monitor()
        self.robot.command(self.run.main, DISCONNECT)
        self.assertEqual(self.pair.read(count=1, timeout=3.0), b"E")
        self.assertTrue(self.robot.gone(window))


    def test_the_keyboard_moves_between_the_buttons_and_enter_or_esc_hides_the_window(self):
        self.start(1, 0)
        self.connect(0)
        window = self.start_monitor()
        # a part volume no check of a value typed would let pass: the window takes none back
        self.send(full_frame(flow=300, twice_errors=2, litres=150.25))
        self.assertTrue(self.shows(window, IDC_LITRES, "150.25"))
        self.robot.move_focus(window, IDC_RECORD)
        order = []
        for _ in range(3):
            self.robot.key(window, VK_TAB)
            self.assertTrue(wait_for(lambda: self.robot.focus(window) != (order or [IDC_RECORD])[-1], 3.0))
            order.append(self.robot.focus(window))
        self.assertEqual(order, [IDOK, IDCANCEL, IDC_RECORD])

        # Enter presses the button that has the focus (OK here); Esc is Cancel from anywhere
        for key, focus in ((VK_RETURN, IDOK), (VK_ESCAPE, IDC_RECORD)):
            with self.subTest(key=key):
                self.robot.move_focus(window, focus)
                self.robot.key(window, key)
                self.assertTrue(wait_for(lambda: self.robot.window(TITLE, 0.1) is None, 3.0), "the window stays")
                self.assertIsNone(self.robot.other_window(self.run.main, 0.3), "a box came")
                # hidden, not ended: the monitor still runs, and its start asks first
                self.robot.command(self.run.main, MONITOR)
                self.assertEqual(answer_box(self, self.robot, self.run.main, IDYES)[0], BUSY_CAPTION)
                self.assertEqual(self.pair.read(count=1, timeout=3.0), b"M")
                window = self.robot.window(TITLE, 5.0)
                self.assertIsNotNone(window, "shown again")
        self.assertNotIn("Bitte", self.run.log_window())

    def test_ending_the_program_while_only_the_monitor_runs_asks_nothing(self):
        self.start(1, 0)
        self.connect(0)
        window = self.start_monitor()
        self.send(full_frame(flow=300, twice_errors=2, litres=150.25))
        self.assertTrue(self.shows(window, IDC_LITRES, "150.25"))
        self.robot.close(self.run.main)
        code = self.robot.exit_code(10.0)
        box = None if code is not None else self.robot.other_window(self.run.main, 0.5)
        self.assertIsNone(box, "asked: %r" % (box and self.robot.text(box, 0xFFFF)))
        self.assertEqual(code, 0)
        # the device was told the session is over, after the monitor's letter
        tail = self.pair.read(timeout=1.0)
        self.assertTrue(tail.endswith(b"E"), "the line's last bytes: %r; the log: %r" % (tail, self.folder.log_lines()[-6:]))
        self.assertEqual([line for line in self.folder.log_lines() if line][-1][9:], "Programm beendet")


class SimulatedMonitorTest(DeviceEndTestCase):
    def test_the_simulator_stream_in_each_frame_length(self):
        for length in (146, 144, 140):
            with self.subTest(length=length):
                with __import__("contextlib").ExitStack() as owner:
                    session = sim_session(owner, self.robot, 0, sim_args=["--frame-length", str(length)])
                    session.connect()
                    session.command(MONITOR)
                    window = self.robot.window(TITLE, 5.0)
                    self.assertIsNotNone(window)
                    self.assertTrue(wait_for(lambda: self.robot.text(window, IDC_COUNTERS).startswith("("), 10.0))
                    self.assertTrue(session.log_has("Impulserror", 10.0))
                    self.assertNotIn("Frame Length Error", session.run.log_window())
                    session.command(DISCONNECT)
                    self.assertTrue(self.robot.gone(window))


if __name__ == "__main__":
    unittest.main(verbosity=2)
