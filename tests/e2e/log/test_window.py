"""The log window and the log file of the real ZEV.EXE under what a device can send: a
burst of lines, a line longer than an edit control holds, and a settings file that cannot
be written at the end."""
import os
import re
import sys
import time
import unittest

from zevharness.device_end import DeviceEndTestCase
from zevharness.session import DISCONNECT, wait_for
from zevharness.tool import tool_folder, tool_run

STAMP = re.compile(r"^([01][0-9]|2[0-3]):[0-5][0-9]:[0-5][0-9] ")
TEARDOWN = ["Verbindung getrennt", "End", "Programm beendet"]


def window_lines(text):
    lines = text.split("\r\n")
    assert lines[-1] == "", "the window ends with a line end"
    return lines[:-1]


class LogWindowTest(DeviceEndTestCase):
    def test_a_burst_of_lines_ends_in_the_window_as_in_the_file(self):
        self.start(1, 0)
        self.connect(0)
        self.pair.write(b"\r")  # ends the identification left in the receive line
        lines = [b"%d" % (100000 + n) for n in range(10000)]
        self.pair.write(b"\r".join(lines) + b"\r")
        self.assertTrue(self.log_has(">> (CR) %d\r\n" % (100000 + 9999), 60.0), "the burst did not arrive")
        shown = window_lines(self.run.log_window())
        # still answering: a command goes out at once
        self.robot.command(self.run.main, DISCONNECT)
        self.assertEqual(self.pair.read(count=1, timeout=3.0), b"E")
        self.assertTrue(self.log_has("Verbindung getrennt"))
        self.assertEqual(self.run.close(), 0)

        entries = self.folder.log_lines()[2:-1]
        self.assertEqual([e[9:] for e in entries[-3:]], TEARDOWN)
        burst = [e for e in entries if e[9:].startswith(">> (CR) 1")]
        self.assertEqual([e[9:] for e in burst], [">> (CR) " + line.decode() for line in lines])
        # the window, as it was after the burst: the last lines of the file, stamps and all
        self.assertGreater(len(shown), 5)
        end = entries.index(burst[-1]) + 1
        self.assertEqual(shown, entries[end - len(shown):end])
        for line in shown:
            self.assertRegex(line, STAMP)

    def test_a_line_longer_than_an_edit_holds_is_cut_in_the_window_and_whole_in_the_file(self):
        self.start(1, 0)
        self.connect(0)
        long_line = bytes(b"ABCDEFGHIJKLMNOPQRSTUVWXYZ"[n % 26] for n in range(40000))
        self.pair.write(b"\r" + long_line + b"\rAFTER\r")
        self.assertTrue(self.log_has(">> (CR) AFTER\r\n", 20.0), "the lines did not arrive")
        shown = [line for line in window_lines(self.run.log_window()) if ">> (CR) ABC" in line]
        self.assertEqual(len(shown), 1)
        self.assertTrue(shown[0][9:].startswith(">> (CR) " + long_line[:3000].decode()))
        self.assertTrue(shown[0].endswith(" [... cut: %d characters, the log file holds them all]"
                                          % (9 + 8 + 40000)), shown[0][-100:])
        self.assertLess(len(shown[0]), 4200)
        self.assertEqual(self.run.close(), 0)
        self.assertIn(">> (CR) " + long_line.decode(), [e[9:] for e in self.folder.log_lines()])

    def test_a_settings_file_that_cannot_be_written_is_said_before_the_log_ends(self):
        folder = tool_folder(self)
        os.mkdir(folder.file("ZEV.INI"))  # a folder where the file should be
        run = tool_run(self, folder, self.robot)
        self.assertIsNotNone(run.start())
        self.assertEqual(run.close(), 0)
        texts = [line[9:] for line in folder.log_lines()[2:-1]]
        self.assertEqual(texts[-2:], ["End", "Programm beendet"])
        unsaved = [t for t in texts if t.startswith("Die Einstellungsdatei ")]
        self.assertEqual(len(unsaved), 1, texts)
        self.assertIn("ZEV.INI kann nicht geschrieben werden (", unsaved[0])
        self.assertLess(texts.index(unsaved[0]), texts.index("End"))


if __name__ == "__main__":
    unittest.main(verbosity=2)
