"""The main window and the keyboard, through the real ZEV.EXE against ZEVSIM.EXE at the line
rate: Enter and Esc with the focus on a radio button during a firmware download end
nothing (the download runs to its end); the close box asks before it ends a download,
No being the default, and ends it only on Yes, with the log saying where the download
stopped; Exit ends an idle tool at once. German Alt+V no longer reaches the Vantik radio
button (its letter is the menu's)."""
import os
import shutil
import sys
import tempfile
import unittest

from zevharness.firmware_files import LARGE_S19, s19_lines, s19_path
from zevharness.operations import IDC_PROGRESS, IDNO, IDYES, assert_no_box, file_log_texts, start_download
from zevharness.robot import RobotTestCase, windows_path
from zevharness.session import sim_session, wait_for
from zevharness.tool import IDC_DEVICE, TITLE

VK_RETURN, VK_ESCAPE = 0x0D, 0x1B
EXIT = 2  # the menu's Exit is Cancel's command
DONE = "Firmware-Download abgeschlossen"
END_QUESTION = "Ein Firmware-Download läuft.\nZevanto beenden und den Download abbrechen?"
DISCONNECTED = "Verbindung getrennt"


class MainWindowKeyboardTest(RobotTestCase):
    def session(self, device_type=2):
        files = tempfile.mkdtemp(prefix="zevkeys-")
        self.addCleanup(shutil.rmtree, files, True)
        self.fw_out = os.path.join(files, "fw.out")
        s = sim_session(self, self.robot, device_type,
                        sim_args=("--line-rate", "--firmware-out", windows_path(self.fw_out)))
        s.connect()
        return s

    def firmware(self, lines):
        """An S-record file of the large firmware's first `lines` lines and its end record:
        a few seconds of download at the line rate. Its lines."""
        every = s19_lines(s19_path(LARGE_S19))
        chosen = every[:lines] + every[-1:]
        self.path = os.path.join(os.path.dirname(self.fw_out), "fw.S19")
        with open(self.path, "w", newline="\r\n") as f:
            f.write("\n".join(chosen) + "\n")
        return chosen

    def download_running(self, s, lines=400):
        chosen = self.firmware(lines)
        start_download(self, self.robot, s, self.path)
        self.assertTrue(wait_for(lambda: self.robot.progress(s.main, IDC_PROGRESS)[0] > 0, 10.0))
        return chosen

    def test_enter_and_esc_on_a_radio_button_end_no_download(self):
        s = self.session()
        lines = self.download_running(s)
        for control in (IDC_DEVICE[2], IDC_DEVICE[0]):
            self.robot.move_focus(s.main, control)
            for key in (VK_RETURN, VK_ESCAPE, VK_RETURN, VK_ESCAPE):
                self.robot.key(s.main, key)
        self.assertIsNone(self.robot.exit_code(1.0), "the tool ended")
        assert_no_box(self, self.robot, s.main)
        # the download runs to its end, and the device has every line
        self.assertTrue(s.log_has(DONE, 90.0), "the download did not end")
        self.assertTrue(wait_for(lambda: s.sim.output().count("firmware written") == 1))
        with open(self.fw_out) as f:
            self.assertEqual(f.read().splitlines(), lines)
        self.assertEqual(s.run.radio_index(IDC_DEVICE), 2)
        self.assertNotIn(DISCONNECTED, s.run.log_window())
        # idle, Esc still ends nothing; Exit ends the tool at once, without a question
        self.robot.key(s.main, VK_ESCAPE)
        self.assertIsNone(self.robot.exit_code(0.5))
        self.robot.command(s.main, EXIT)
        self.assertEqual(self.robot.exit_code(10.0), 0)
        self.assertEqual(file_log_texts(s.folder)[-3:], [DISCONNECTED, "End", "Programm beendet"])

    def test_the_close_box_asks_before_it_ends_a_download(self):
        s = self.session()
        total = len(self.download_running(s, lines=1000))
        # No, the default, and the download goes on
        box = self.robot.message_box(s.main, 0.1)
        self.assertIsNone(box)
        self.robot.close(s.main)
        box = self.robot.message_box(s.main, 5.0)
        self.assertIsNotNone(box, "no question")
        self.assertEqual(box[1:], (TITLE, END_QUESTION))
        self.assertEqual(self.robot.focus(box[0]), IDNO)
        before = self.robot.progress(s.main, IDC_PROGRESS)[0]
        self.robot.post_click(box[0], IDNO)
        self.assertTrue(self.robot.gone(box[0]))
        self.assertTrue(wait_for(lambda: self.robot.progress(s.main, IDC_PROGRESS)[0] > before, 5.0))
        self.assertIsNone(self.robot.exit_code(0.3))

        # Yes ends the tool; the log says where the download stopped, and the device gets "E"
        self.robot.close(s.main)
        box = self.robot.message_box(s.main, 5.0)
        self.assertEqual(box[1:], (TITLE, END_QUESTION))
        self.robot.post_click(box[0], IDYES)
        self.assertEqual(self.robot.exit_code(10.0), 0)
        lines = file_log_texts(s.folder)
        self.assertNotIn(DONE, lines)
        abandoned = [line for line in lines if line.startswith("Firmware-Download abgebrochen bei Zeile ")]
        self.assertEqual(len(abandoned), 1, lines)
        at, of = abandoned[0].split("Zeile ")[1].split(" von ")
        self.assertTrue(0 < int(at) < total, abandoned)
        self.assertEqual(int(of), total)
        self.assertEqual(lines[lines.index(abandoned[0]):], [abandoned[0], DISCONNECTED, "End", "Programm beendet"])
        self.assertTrue(wait_for(lambda: "without an end record" in s.sim.output()), s.sim.output())

    def test_german_alt_v_leaves_a_connected_corlaxa_alone(self):
        s = self.session(device_type=1)
        self.robot.move_focus(s.main, IDC_DEVICE[1])
        self.robot.syschar(s.main, "v")
        # Alt+V opens the "Verbindung" menu (if the dialog manager leaves it to the menu),
        # which Esc closes again: the radio buttons and the connection stay as they were
        self.robot.key(s.main, VK_ESCAPE)
        self.robot.key(s.main, VK_ESCAPE)
        self.assertFalse(wait_for(lambda: DISCONNECTED in s.run.log_window(), 1.0), s.run.log_window())
        self.assertEqual(s.run.radio_index(IDC_DEVICE), 1)
        self.assertIsNone(self.robot.exit_code(0.2))


if __name__ == "__main__":
    unittest.main(verbosity=2)
