"""The logs of earlier sessions, through the real ZEV.EXE: each start keeps the last
session's ZevLog.TXT as ZevLog.1.TXT, the one before as ZevLog.2.TXT, up to nine, the
oldest going; a second start beside a running one changes no file; a kept log that another
program holds stops the moves, is said in the new log, and the new log is written whole."""
import os
import sys
import unittest

from zevharness.robot import RobotTestCase
from zevharness.session import wait_for
from zevharness.tool import IDC_DEVICE, tool_folder, tool_run

CHANGED = "Auswahl geändert: Gerät nicht verbunden"
NOT_CREATED = "Die Protokolldatei ZevLog.TXT kann nicht angelegt werden:\nSharing violation.\n\nZevanto wird beendet."


def kept_name(n):
    return "ZevLog.TXT" if n == 0 else "ZevLog.%d.TXT" % n


def read(folder, name):
    with open(folder.file(name), "rb") as f:
        return f.read()


def log_files(folder):
    """The folder's logs: {name: bytes}."""
    return {name: read(folder, name) for name in os.listdir(folder.path) if name.startswith("ZevLog")}


def ended(folder):
    """The log once the program's last line has reached the disk."""
    wait_for(lambda: read(folder, "ZevLog.TXT").endswith(b"Programm beendet\r\n"), 10.0)
    return read(folder, "ZevLog.TXT")


def texts(data):
    """A log's lines without their time stamps, after the banner."""
    return [line[9:] for line in data.decode("cp1252").split("\r\n")[2:] if line]


class KeptLogsTest(RobotTestCase):
    def session(self, folder, mark):
        """One start and end in `folder`; its log holds `mark` lines of CHANGED, so that
        each session's log differs from the others'. Returns the log it left."""
        run = tool_run(self, folder, self.robot)
        main = run.start()
        self.assertIsNotNone(main)
        for n in range(mark):
            self.robot.click(main, IDC_DEVICE[1 + n % 2])
        self.assertTrue(wait_for(lambda: texts(read(folder, "ZevLog.TXT")).count(CHANGED) == mark))
        self.assertEqual(run.close(), 0)
        data = ended(folder)
        self.assertEqual(texts(data).count(CHANGED), mark)
        self.assertEqual(texts(data)[-1], "Programm beendet")
        return data

    def test_three_starts_leave_the_log_and_two_kept(self):
        folder = tool_folder(self)
        sessions = [self.session(folder, mark) for mark in (1, 2, 3)]
        self.assertEqual(log_files(folder), {"ZevLog.TXT": sessions[2], "ZevLog.1.TXT": sessions[1],
                                             "ZevLog.2.TXT": sessions[0]})
        self.assertEqual(texts(sessions[2])[0], "Programm gestartet")
        self.assertEqual(texts(sessions[2])[1], CHANGED)  # nothing said about the kept logs

    def test_twelve_starts_keep_nine_the_oldest_going(self):
        folder = tool_folder(self)
        sessions = [self.session(folder, mark) for mark in range(1, 13)]
        expected = {kept_name(n): sessions[11 - n] for n in range(10)}
        self.assertEqual(sorted(log_files(folder)), sorted(expected))
        for name, data in expected.items():
            self.assertEqual(read(folder, name), data, name)

    def test_a_second_start_beside_a_running_one_changes_no_file(self):
        folder = tool_folder(self)
        for n in (1, 2):
            with open(folder.file(kept_name(n)), "wb") as f:
                f.write(b"kept %d\r\n" % n)
        with open(folder.file("ZevLog.TXT"), "wb") as f:
            f.write(b"the last session\r\n")
        first = tool_run(self, folder, self.robot)
        first_main = first.start()
        self.assertIsNotNone(first_main)
        self.robot.click(first_main, IDC_DEVICE[1])
        self.assertTrue(wait_for(lambda: CHANGED in texts(read(folder, "ZevLog.TXT"))))
        before = log_files(folder)
        self.assertEqual({name: data for name, data in before.items() if name != "ZevLog.TXT"},
                         {"ZevLog.1.TXT": b"the last session\r\n", "ZevLog.2.TXT": b"kept 1\r\n",
                          "ZevLog.3.TXT": b"kept 2\r\n"})

        second = tool_run(self, folder, self.robot)
        second.launch()
        box = self.robot.window("Zevanto", 10.0)
        self.assertIsNotNone(box, "no box about the log file")
        self.assertEqual(self.robot.text(box, 0xFFFF), NOT_CREATED)
        self.robot.click(box, 1)
        self.assertEqual(self.robot.exit_code(10.0), 0)
        self.assertEqual(log_files(folder), before, "the second start changed the logs")

        # the first writes on, and the next start keeps its log
        self.assertEqual(first.close(), 0)
        last = ended(folder)
        self.assertTrue(last.startswith(before["ZevLog.TXT"]))
        self.session(folder, 1)
        self.assertEqual(read(folder, "ZevLog.1.TXT"), last)
        self.assertEqual(read(folder, "ZevLog.4.TXT"), b"kept 2\r\n")

    def test_a_kept_log_held_open_stops_the_moves_which_the_new_log_says(self):
        folder = tool_folder(self)
        for n in (1, 2, 3):
            with open(folder.file(kept_name(n)), "wb") as f:
                f.write(b"kept %d\r\n" % n)
        with open(folder.file("ZevLog.TXT"), "wb") as f:
            f.write(b"the last session\r\n")
        self.robot.lock(folder.file("ZevLog.2.TXT"))
        try:
            run = tool_run(self, folder, self.robot)
            self.assertIsNotNone(run.start())
            self.assertEqual(run.close(), 0)
            ended(folder)
        finally:
            self.robot.unlock(folder.file("ZevLog.2.TXT"))
        # 3 went to 4; 2, held, stayed, and so did 1; the new log was written whole
        files = log_files(folder)
        self.assertEqual({name: data for name, data in files.items() if name != "ZevLog.TXT"},
                         {"ZevLog.1.TXT": b"kept 1\r\n", "ZevLog.2.TXT": b"kept 2\r\n", "ZevLog.4.TXT": b"kept 3\r\n"})
        lines = texts(files["ZevLog.TXT"])
        self.assertEqual(lines[:2], ["Programm gestartet",
                                     "Das Protokoll der vorigen Sitzung ist nicht aufbewahrt: ZevLog.2.TXT kann nicht "
                                     "in ZevLog.3.TXT umbenannt werden: Sharing violation."])
        self.assertEqual(lines[-1], "Programm beendet")

        # free again: the next start fills the gap
        self.session(folder, 1)
        self.assertEqual(read(folder, "ZevLog.3.TXT"), b"kept 2\r\n")
        self.assertEqual(read(folder, "ZevLog.2.TXT"), b"kept 1\r\n")
        self.assertEqual(read(folder, "ZevLog.1.TXT"), files["ZevLog.TXT"])
        self.assertEqual(read(folder, "ZevLog.4.TXT"), b"kept 3\r\n")


if __name__ == "__main__":
    unittest.main(verbosity=2)
