"""The robot's commands on the program's own dialogs, shown by robot_target.exe in a
process of its own: typing to an edit's limit and setting a text past it, the focus and
its move, a dialog's controls, a file chosen in the Open and Save As dialogs, a working
set; a file held open with no sharing, and the main window's progress bar in ZEV.EXE
itself."""
import os
import shutil
import sys
import tempfile
import unittest

from zevharness.robot import RobotError, RobotTestCase, test_bin, windows_path
from zevharness.session import wait_for
from zevharness.tool import tool_folder, tool_run

IDOK, IDCANCEL, IDYES, IDNO = 1, 2, 6, 7
IDC_STATIC = -1
IDC_TEXT_ENTRY = 1006
IDC_LOG, IDC_PROGRESS = 1002, 1003
ERROR_SHARING_VIOLATION = 32


class RobotCommandsTest(RobotTestCase):
    def start(self, mode):
        """robot_target.exe in a new folder showing dialog `mode`: (folder, dialog)."""
        self.folder = tempfile.mkdtemp(prefix="zevrobot-")
        self.addCleanup(shutil.rmtree, self.folder, True)
        self.pid = self.robot.start(os.path.join(test_bin(), "robot_target.exe"), self.folder, mode)
        self.addCleanup(self.robot.kill, self.pid)
        dialog = self.robot.window("", 15)
        self.assertIsNotNone(dialog, "no dialog")
        return dialog

    def result(self):
        """What the dialog gave back: (result, path or text)."""
        self.assertEqual(self.robot.exit_code(10), 0)
        with open(os.path.join(self.folder, "result.txt"), "rb") as f:
            lines = f.read().decode("cp1252").split("\n")
        return int(lines[0]), lines[1]

    def answer_box(self, dialog, button):
        """Answers the message box over `dialog` with `button`; its text. Returns when the
        program is back in the dialog's loop."""
        box = self.robot.message_box(dialog)
        self.assertIsNotNone(box, "no message box")
        self.robot.post_click(box[0], button)
        self.assertTrue(self.robot.gone(box[0]))
        self.robot.title(dialog)  # answered only from the dialog's loop
        return box[2]

    def test_typing_stops_at_the_edit_limit_and_a_set_text_does_not(self):
        dialog = self.start("text")
        self.assertEqual(self.robot.title(dialog), "Text senden (S)")
        # the dialog can show before it has set its focus: on a busy machine, a moment later
        self.assertTrue(wait_for(lambda: self.robot.focus(dialog) == IDC_TEXT_ENTRY, 5.0),
                        "the focus is in control %d" % self.robot.focus(dialog))
        self.robot.type_text(dialog, IDC_TEXT_ENTRY, "ABCDEFGHIJ")
        self.assertEqual(self.robot.text(dialog, IDC_TEXT_ENTRY), "ABCDEFGH")

        self.robot.set_text(dialog, IDC_TEXT_ENTRY, "123456789")
        self.assertEqual(self.robot.text(dialog, IDC_TEXT_ENTRY), "123456789")
        self.robot.post_click(dialog, IDOK)
        self.assertEqual(self.answer_box(dialog, IDOK), "Bitte höchstens 8 Zeichen eingeben.")
        self.assertEqual(self.robot.focus(dialog), IDC_TEXT_ENTRY)

        self.robot.set_text(dialog, IDC_TEXT_ENTRY, "Grüße\t1")
        self.robot.post_click(dialog, IDOK)
        self.assertEqual(self.result(), (IDOK, "Grüße\t1"))

    def test_a_focus_moved_as_tab_would_selects_an_edits_text(self):
        dialog = self.start("text")
        self.robot.type_text(dialog, IDC_TEXT_ENTRY, "ABC")
        self.robot.move_focus(dialog, IDCANCEL)
        self.assertEqual(self.robot.focus(dialog), IDCANCEL)
        self.robot.move_focus(dialog, IDC_TEXT_ENTRY)
        # the dialog can show before it has set its focus: on a busy machine, a moment later
        self.assertTrue(wait_for(lambda: self.robot.focus(dialog) == IDC_TEXT_ENTRY, 5.0),
                        "the focus is in control %d" % self.robot.focus(dialog))
        self.robot.type_text(dialog, IDC_TEXT_ENTRY, "XY")  # replaces the selected text
        self.assertEqual(self.robot.text(dialog, IDC_TEXT_ENTRY), "XY")
        self.assertTrue(self.robot.enabled(dialog, IDOK))
        self.robot.post_click(dialog, IDOK)
        self.assertEqual(self.result(), (IDOK, "XY"))

    def test_the_controls_of_a_dialog_in_their_order(self):
        dialog = self.start("text")
        self.robot.set_text(dialog, IDC_TEXT_ENTRY, "a\\b")
        controls = self.robot.controls(dialog)
        self.assertEqual([(cid, cls) for cid, cls, _ in controls],
                         [(IDC_STATIC, "Static"), (IDC_TEXT_ENTRY, "Edit"), (IDOK, "Button"), (IDCANCEL, "Button")])
        self.assertEqual([text for _, _, text in controls][1:], ["a\\b", "OK", "Abbrechen"])
        self.robot.post_click(dialog, IDCANCEL)
        self.assertEqual(self.result(), (IDCANCEL, ""))

    def test_a_file_chosen_in_the_open_dialog(self):
        dialog = self.start("open")
        path = os.path.join(self.folder, "firmware.txt")
        with open(path, "w") as f:
            f.write("S9030000FC\n")
        self.robot.file_dialog(dialog, path)
        result, chosen = self.result()
        self.assertEqual(result, IDOK)
        self.assertEqual(chosen.lower(), windows_path(path).lower())

    def test_save_as_asks_before_replacing_and_no_leaves_the_dialog_open(self):
        dialog = self.start("save")
        existing = os.path.join(self.folder, "capture.txt")
        with open(existing, "w") as f:
            f.write("old\n")
        self.robot.file_dialog(dialog, existing)
        self.assertTrue(self.answer_box(dialog, IDNO))
        self.assertFalse(self.robot.gone(dialog, 0))

        self.robot.file_dialog(dialog, existing)
        self.assertTrue(self.answer_box(dialog, IDYES))
        result, chosen = self.result()
        self.assertEqual(result, IDOK)
        self.assertEqual(chosen.lower(), windows_path(existing).lower())

    def test_a_bare_name_is_saved_in_the_dialogs_folder(self):
        dialog = self.start("save")
        self.robot.file_dialog(dialog, "new")
        result, chosen = self.result()
        self.assertEqual(result, IDOK)
        self.assertEqual(chosen.lower(), windows_path(os.path.join(self.folder, "new.txt")).lower())

    def test_cancel_in_the_file_dialog_gives_no_path(self):
        dialog = self.start("open")
        self.robot.post_click(dialog, IDCANCEL)
        self.assertEqual(self.result(), (IDCANCEL, ""))

    def test_the_working_set_of_a_running_program(self):
        dialog = self.start("text")
        # Any Windows program under Wine has more than a megabyte mapped and in use.
        self.assertGreater(self.robot.memory(self.pid), 1 << 20)
        self.robot.post_click(dialog, IDCANCEL)
        self.assertEqual(self.result(), (IDCANCEL, ""))

    def test_a_locked_file_refuses_a_second_open_and_still_passes_the_open_dialog(self):
        dialog = self.start("open")
        path = os.path.join(self.folder, "held.txt")
        with open(path, "w") as f:
            f.write("S9030000FC\n")
        self.robot.lock(path)
        with self.assertRaisesRegex(RobotError, "^error %d$" % ERROR_SHARING_VIOLATION):
            self.robot.lock(path)  # the open of a second holder fails as any program's does
        self.robot.file_dialog(dialog, path)
        result, chosen = self.result()
        self.assertEqual(result, IDOK)
        self.assertEqual(chosen.lower(), windows_path(path).lower())
        self.robot.unlock(path)
        self.robot.lock(path)  # free again
        self.robot.unlock(path)
        with self.assertRaises(RobotError):
            self.robot.unlock(path)

    def test_the_progress_bar_of_the_main_window(self):
        run = tool_run(self, tool_folder(self), self.robot)
        self.assertIsNotNone(run.start())
        self.assertEqual(self.robot.progress(run.main, IDC_PROGRESS), (0, 100))  # as a new bar starts
        with self.assertRaises(RobotError):
            self.robot.progress(run.main, IDC_LOG)  # no progress bar
        self.assertEqual(run.close(), 0)


if __name__ == "__main__":
    unittest.main()
