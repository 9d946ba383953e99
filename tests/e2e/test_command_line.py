"""ZEV.EXE started by a script: its steps run against ZEVSIM.EXE on a pty pair with nobody
at the window. The exit code says how the run ended, the log says it in words, the result
file keeps one row per unit, and the settings file is left as it was."""
import contextlib
import csv
import hashlib
import io
import os
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "harness"))
from firmware_files import write_image  # noqa: E402
from processes import end_process, enter  # noqa: E402
from ptys import pty_pair  # noqa: E402
from robot import Robot  # noqa: E402
from session import wait_for  # noqa: E402
from simulator import Simulator, simulator  # noqa: E402
from tool import TITLE, ToolRun, tool_folder  # noqa: E402

SETTINGS = "[Setup]\nLanguageLibrary=ZEV_EN.DLL\n[ComPort]\nComPortNo=3\n[Device]\nDevice=Brennix\n"
CORLAXA = ["/port", "1", "/device", "Corlaxa"]
HEADER = ["Date", "Time", "Port", "Device", "Identification", "Result", "Exit code", "Seconds", "Firmware",
          "Firmware bytes", "Firmware SHA-256"]
IMAGE_SIZE = 132 * 6 + 40  # seven blocks, the last one short


def run_tool(folder, args, timeout=90):
    """ZEV.EXE run to its end as a script runs it: its exit code and what it wrote to stderr."""
    done = subprocess.run(["wine", folder.exe] + list(args), cwd=folder.path, stdin=subprocess.DEVNULL,
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=timeout)
    return done.returncode, done.stderr.decode("cp1252", "replace")


def rows(path):
    with open(path, newline="", encoding="cp1252") as f:
        return list(csv.reader(io.StringIO(f.read())))


def log_texts(folder):
    """The log file's lines without their time stamps."""
    return [line[9:] for line in folder.log_lines() if line]


class CommandLineTest(unittest.TestCase):
    def setUp(self):
        self.folder = tool_folder(self, SETTINGS)
        self.settings_before = self.folder.settings()
        self.image = self.folder.file("fw.IMG")
        write_image(self.image, IMAGE_SIZE)

    def start_sim(self, owner, *args):
        sim = simulator(owner, self.folder.path, "--type", "1", *args, port=21)
        sim.wait_for_output("waiting for a wake-up")
        return sim

    def assert_settings_unchanged(self):
        self.assertEqual(self.folder.settings(), self.settings_before, "the command line's choices are not kept")

    def test_one_unit_every_step_done(self):
        pty_pair(self, 1)
        sim = self.start_sim(self)
        code, err = run_tool(self.folder, CORLAXA + [
            "/download", "fw.IMG", "/clock", "/save-settings", "unit.ZEVSET", "/readout", "unit.LOG",
            "/result", "units.csv"])
        self.assertEqual(code, 0, err + "\n".join(log_texts(self.folder)) + sim.output() + sim.log_text()[-3000:])
        self.assertEqual(err, "")

        # the wire: the wake-up, the download's 'D' and blocks, 'T', the nine reads, 'O', 'E'
        received = sim.output()
        self.assertIn("firmware image complete", received.lower() if "complete" in received else received)
        texts = log_texts(self.folder)
        self.assertIn("Unattended run: " + " ".join(CORLAXA) + " /download fw.IMG /clock /save-settings unit.ZEVSET"
                      " /readout unit.LOG /result units.csv", texts)
        self.assertIn("Unit 1", texts)
        self.assertTrue(any(t.startswith("Unit 1: every step done (") for t in texts), texts)
        self.assertIn("Unattended run ended: exit code 0 (every step done)", texts)
        self.assertTrue(os.path.exists(self.folder.file("unit.ZEVSET")))
        self.assertTrue(os.path.exists(self.folder.file("unit.LOG")))

        table = rows(self.folder.file("units.csv"))
        self.assertEqual(table[0], HEADER + ["Step 1", "Outcome 1", "Step 2", "Outcome 2", "Step 3", "Outcome 3",
                                             "Step 4", "Outcome 4", "Step 5", "Outcome 5"])
        self.assertEqual(len(table), 2)
        row = table[1]
        self.assertRegex(row[0], r"^\d{4}-\d\d-\d\d$")
        self.assertRegex(row[1], r"^\d\d:\d\d:\d\d$")
        self.assertEqual(row[2:4], ["COM1", "Corlaxa"])
        self.assertIn("SN", row[4])
        self.assertEqual(row[5:7], ["done", "0"])
        self.assertRegex(row[7], r"^\d+\.\d$")
        with open(self.image, "rb") as f:
            data = f.read()
        self.assertEqual(row[8:11], ["fw.IMG", str(len(data)), hashlib.sha256(data).hexdigest()])
        self.assertEqual(row[11:], ["connect", "done", "download", "done", "clock", "done", "save-settings", "done",
                                    "readout", "done"])
        self.assert_settings_unchanged()


if __name__ == "__main__":
    unittest.main()
