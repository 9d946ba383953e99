"""A log file that another program holds, through the real ZEV.EXE: a second ZEV.EXE
started in the folder of a running one cannot create ZevLog.TXT, says so and ends, and the
first one's log stays whole; a log file held open by any program ends the start every
time, with the teardown and the settings written back as at any end."""
import os
import sys
import unittest

from zevharness.robot import RobotTestCase
from zevharness.session import wait_for
from zevharness.tool import IDC_COM, IDC_DEVICE, tool_folder, tool_run

NOT_CREATED = "Die Protokolldatei ZevLog.TXT kann nicht angelegt werden:\n"
ENDS = "\n\nZevanto wird beendet."
SHARING_VIOLATION = "Sharing violation."  # Wine's text of the system's error 32


def log_bytes(folder):
    with open(folder.file("ZevLog.TXT"), "rb") as f:
        return f.read()


class LogFileHeldTest(RobotTestCase):
    def expect_refused_start(self, folder):
        """Starts ZEV.EXE in `folder`, whose log file is held: the box, OK, the end."""
        run = tool_run(self, folder, self.robot)
        run.launch()
        box = self.robot.window("Zevanto", 10.0)
        self.assertIsNotNone(box, "no box about the log file")
        text = self.robot.text(box, 0xFFFF)
        self.assertEqual(text, NOT_CREATED + SHARING_VIOLATION + ENDS)
        self.robot.click(box, 1)
        self.assertEqual(self.robot.exit_code(10.0), 0, "the program did not end after its box")
        return run

    def test_a_second_start_in_the_same_folder_ends_and_the_first_log_stays_whole(self):
        folder = tool_folder(self)
        first = tool_run(self, folder, self.robot)
        first_main = first.start()
        self.assertIsNotNone(first_main)
        self.robot.click(first_main, IDC_COM[1])
        self.assertTrue(wait_for(lambda: b"Anschluss gewechselt\r\n" in log_bytes(folder), 5.0),
                        "the line is not on the disk while the program runs")
        before = log_bytes(folder)

        self.expect_refused_start(folder)
        self.assertEqual(log_bytes(folder), before, "the second start changed the first one's log")

        # the first goes on and writes on where it was
        self.robot.click(first_main, IDC_DEVICE[2])
        self.robot.click(first_main, IDC_COM[0])
        self.robot.close(first_main)
        self.assertTrue(self.robot.gone(first_main, 10.0), "the first program did not end")
        self.assertTrue(wait_for(lambda: log_bytes(folder).endswith(b"Programm beendet\r\n"), 10.0))
        kept = log_bytes(folder)
        self.assertNotIn(b"\0", kept)
        self.assertTrue(kept.startswith(before), "the first session's lines are not whole")
        texts = [line[9:] for line in kept.decode("cp1252").split("\r\n")[2:-1]]
        self.assertEqual(texts.count("Programm gestartet"), 1)
        self.assertEqual(texts.count("Programm beendet"), 1)
        self.assertEqual(texts[-6:], ["Auswahl geändert: Gerät nicht verbunden",  # the device radio
                                      "Auswahl geändert: Gerät nicht verbunden", "Anschluss gewechselt",  # COM1
                                      "Verbindung getrennt", "End", "Programm beendet"])

    def test_a_log_file_held_by_another_program_ends_every_start(self):
        folder = tool_folder(self, "[ComPort]\nComPortNo=3\n[Device]\nDevice=Brennix\n")
        path = folder.file("ZevLog.TXT")
        with open(path, "wb") as f:
            f.write(b"held by another program\r\n")
        for attempt in range(5):
            with self.subTest(attempt=attempt):
                self.robot.lock(path)
                try:
                    run = self.expect_refused_start(folder)
                finally:
                    self.robot.unlock(path)
                run.stop()
                with open(path, "rb") as f:
                    self.assertEqual(f.read(), b"held by another program\r\n")
                # the settings are written back as at any end
                self.assertEqual(folder.settings()["ComPort"]["ComPortNo"], "3")
                self.assertEqual(folder.settings()["Device"]["Device"], "Brennix")


if __name__ == "__main__":
    unittest.main(verbosity=2)
