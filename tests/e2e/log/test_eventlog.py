"""The log file that a run of the real ZEV.EXE leaves, and a log file that cannot be made."""
import os
import re
import subprocess
import sys
import unittest

from zevharness.tool import tool_folder, tool_run

STAMP = re.compile(r"^([01][0-9]|2[0-3]):[0-5][0-9]:[0-5][0-9] ")
SOURCE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..")


def source_commit():
    """The commit the build's sources come from, as the program names it."""
    try:
        head = subprocess.run(["git", "-C", SOURCE, "rev-parse", "--short=7", "HEAD"], capture_output=True,
                              text=True, check=True).stdout.strip()
    except (OSError, subprocess.CalledProcessError):
        return "commit unknown"
    clean = subprocess.run(["git", "-C", SOURCE, "diff", "--quiet", "HEAD", "--"]).returncode == 0
    return head if clean else head + ", modified"


class EventLogRunTest(unittest.TestCase):
    def setUp(self):
        self.folder = tool_folder(self)

    def test_a_run_leaves_banner_start_and_end(self):
        with open(self.folder.file("ZevLog.TXT"), "wb") as f:
            f.write(b"left from an earlier run\r\n")
        run = tool_run(self, self.folder)
        self.assertIsNotNone(run.start())
        self.assertEqual(run.close(), 0)
        lines = self.folder.log_lines()
        self.assertRegex(lines[0], r"^Zevanto Version \d+\.\d+\.\d+\.\d{4,} \(")
        self.assertTrue(lines[0].endswith(" (%s)" % source_commit()), lines[0])
        self.assertEqual(lines[1], "=" * 69)
        self.assertEqual(lines[-1], "", "the file ends with a line end")
        entries = lines[2:-1]
        for line in entries:
            self.assertRegex(line, STAMP)
        texts = [line[9:] for line in entries]
        self.assertEqual(texts[0], "Programm gestartet")
        self.assertEqual(texts[-2:], ["End", "Programm beendet"])
        self.assertNotIn("left from an earlier run", "\n".join(lines))

    def test_a_log_file_that_cannot_be_made_is_reported_and_the_program_ends(self):
        os.mkdir(self.folder.file("ZevLog.TXT"))  # a folder where the file should go
        run = tool_run(self, self.folder)
        run.launch()
        box = run.robot.window("Zevanto", 10.0)
        self.assertIsNotNone(box)
        text = run.robot.text(box, 0xFFFF)
        self.assertIn("ZevLog.TXT", text)
        self.assertIn("kann nicht angelegt werden", text)
        run.robot.click(box, 1)
        self.assertEqual(run.robot.exit_code(10.0), 0)
        self.assertEqual(self.folder.settings()["ComPort"]["ComPortNo"], "1")


if __name__ == "__main__":
    unittest.main(verbosity=2)
