"""ZEV.EXE started by a script: its steps run against ZEVSIM.EXE on a pty pair with nobody
at the window. The exit code says how the run ended, the log says it in words, the result
file keeps one row per unit, and the settings file is left as it was."""
import contextlib
import csv
import hashlib
import io
import os
import re
import subprocess
import sys
import tempfile
import time
import unittest

from zevharness.firmware_files import write_image
from zevharness.ptys import pty_pair
from zevharness.robot import Robot
from zevharness.session import wait_for
from zevharness.simulator import simulator, windows_path
from zevharness.tool import IDC_COM, IDC_DEVICE, IDC_LOG, TITLE, tool_folder

SETTINGS = "[Setup]\nLanguageLibrary=ZEV_EN.DLL\n[ComPort]\nComPortNo=3\n[Device]\nDevice=Brennix\n"
CORLAXA = ["/port", "1", "/device", "Corlaxa"]
HEADER = ["Date", "Time", "Port", "Device", "Identification", "Result", "Exit code", "Seconds", "Firmware",
          "Firmware bytes", "Firmware SHA-256"]
STEP_COLUMNS = ["Connect", "Download", "Download file", "Clock", "Clock file", "Restore settings",
                "Restore settings file", "Save settings", "Save settings file", "Readout", "Readout file"]
IMAGE_SIZE = 132 * 6 + 40  # seven blocks, the last one short


def run_tool(folder, args, timeout=90):
    """ZEV.EXE run to its end as a script runs it: its exit code and what it wrote to stderr.
    Its output goes to files, not pipes: a Wine service the run starts inherits them, and
    a pipe it holds would keep the test waiting after the tool has ended."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        done = subprocess.run(["wine", folder.exe] + list(args), cwd=folder.path, stdin=subprocess.DEVNULL,
                              stdout=out, stderr=err, timeout=timeout)
        err.seek(0)
        return done.returncode, err.read().decode("cp1252", "replace")


def rows(path):
    with open(path, newline="", encoding="cp1252") as f:
        return list(csv.reader(io.StringIO(f.read())))


def field_text(field):
    """A field as the tool meant it: each \\xHH made its byte (a full file name's backslashes)."""
    return re.sub(r"\\x([0-9A-F]{2})", lambda m: chr(int(m.group(1), 16)), field)


def steps_of(row):
    """The row's step columns by their header names, the empty ones left out."""
    return {name: field_text(value) for name, value in zip(STEP_COLUMNS, row[11:]) if value}


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
        """The port and the device of ZEV.INI are as they were: the command line's are for its run."""
        after = self.folder.settings()
        for section in ("ComPort", "Device", "Setup"):
            self.assertEqual(after[section], self.settings_before[section], "the command line's choices are not kept")

    def test_one_unit_every_step_done(self):
        pty_pair(self, 1)
        sim = self.start_sim(self)
        code, err = run_tool(self.folder, CORLAXA + [
            "/download", "fw.IMG", "/clock", "/save-settings", "unit.ZEVSET", "/readout", "unit.LOG",
            "/result", "units.csv"])
        self.assertEqual(code, 0, err + "\n".join(log_texts(self.folder)))
        self.assertEqual(err, "")

        # the device saw every step, in order, and the usual good-bye (which the simulator
        # may say a moment after the tool has ended)
        sim.wait_for_output("command E:", 10.0)
        said = sim.output()
        steps = ["download ended with the end frame: 7 blocks", "clock set to", 'command r: answering',
                 'command c: answering', "command O: read-out", "command E: session ended"]
        self.assertEqual(sorted(steps, key=said.find), steps, said)
        self.assertEqual(said.count("command E:"), 1, "one disconnect")
        texts = log_texts(self.folder)
        self.assertIn("Unattended run: " + " ".join(CORLAXA) + " /download fw.IMG /clock /save-settings unit.ZEVSET"
                      " /readout unit.LOG /result units.csv", texts)
        self.assertIn("Unit 1", texts)
        self.assertTrue(any(t.startswith("Unit 1: every step done (") for t in texts), texts)
        self.assertIn("Unattended run ended: exit code 0 (every step done)", texts)
        self.assertTrue(os.path.exists(self.folder.file("unit.ZEVSET")))
        self.assertTrue(os.path.exists(self.folder.file("unit.LOG")))

        table = rows(self.folder.file("units.csv"))
        self.assertEqual(table[0], HEADER + STEP_COLUMNS)
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
        self.assertEqual(len(row), len(table[0]))
        self.assertEqual(steps_of(row), {
            "Connect": "done", "Download": "done", "Download file": windows_path(self.image), "Clock": "done",
            "Save settings": "done", "Save settings file": windows_path(self.folder.file("unit.ZEVSET")),
            "Readout": "done", "Readout file": windows_path(self.folder.file("unit.LOG"))})
        self.assert_settings_unchanged()

    def test_bad_arguments_send_nothing_and_name_the_argument(self):
        pair = pty_pair(self, 1)
        cases = [
            (["/clock", "/bogus"], "Unknown argument: /bogus"),
            (["/clock", "/download"], "/download needs a value"),
            (["/download", "/clock"], "/download needs a value"),
            (["/port", "5", "/clock"], "/port 5: the port is a number from 1 to 4"),
            (["/device", "Vantix", "/clock"], "/device Vantix: the device is Vantik, Corlaxa or Brennix"),
            (["/clock", "/quiet", "/QUIET"], "/QUIET is given twice"),
            (["/result", "units.csv"], "/result needs at least one step"),
            (["/device", "Vantik", "/save-settings", "a.ZEVSET"], "/save-settings needs a Corlaxa (/device Corlaxa)"),
        ]
        for args, message in cases:
            with self.subTest(args=args):
                code, err = run_tool(self.folder, ["/port", "1"] + args if "/port" not in args else args)
                self.assertEqual(code, 1, err)
                self.assertIn(message, err)
                self.assertIn("Usage: ZEV.EXE [/port N|COMn|URL]", err)
                self.assertIn("Exit codes: 0 every step done, 1 bad arguments", err)
        self.assertEqual(pair.read(timeout=0.3), b"", "nothing is sent")
        self.assertFalse(os.path.exists(self.folder.file("ZevLog.TXT")), "no window, no log")
        self.assertFalse(os.path.exists(self.folder.file("units.csv")))
        self.assert_settings_unchanged()

    def test_each_failure_kind_has_its_exit_code_and_its_log_line(self):
        # A settings file whose 'f' the device will not keep.
        with contextlib.ExitStack() as run:
            pty_pair(run, 1)
            self.start_sim(run)
            self.assertEqual(run_tool(self.folder, CORLAXA + ["/save-settings", "saved.ZEVSET"])[0], 0)
        with open(self.folder.file("saved.ZEVSET"), encoding="cp1252") as f:
            text = f.read()
        self.assertIn("\nf=2\n", text)
        with open(self.folder.file("other.ZEVSET"), "w", encoding="cp1252", newline="") as f:
            f.write(text.replace("\nf=2\n", "\nf=3\n"))

        cases = [
            # name, simulator (None: no device; "no pair": no port), arguments, code, log line, outcomes
            ("port", "no pair", ["/port", "2", "/device", "Corlaxa", "/clock"], 2,
             "COM2 cannot be opened", {"Connect": "failed: port cannot be opened", "Clock": "skipped"}),
            ("no answer", None, CORLAXA + ["/clock"], 3, "No answer from the device (time-out)",
             {"Connect": "failed: no answer", "Clock": "skipped"}),
            ("time-out", ["--silent-after-frame", "3"], CORLAXA + ["/download", "fw.IMG", "/clock"], 4,
             "Firmware download abandoned at block 3 of 7",
             {"Connect": "done", "Download": "failed: time-out", "Download file": windows_path(self.image),
              "Clock": "skipped"}),
            ("NAK", ["--silent-after", "T", "--nak-frame", "2", "--nak-repeat", "200"],
             CORLAXA + ["/download", "fw.IMG"], 4, "The device refused block 2 of the firmware file 100 times",
             {"Connect": "done", "Download": "failed: NAK", "Download file": windows_path(self.image)}),
            ("not verified", ["--write-not-kept", "F"], CORLAXA + ["/restore-settings", "other.ZEVSET"], 6,
             "Device settings not verified: 1 of the values differ from the file",
             {"Connect": "done", "Restore settings": "failed: not verified",
              "Restore settings file": windows_path(self.folder.file("other.ZEVSET"))}),
        ]
        for name, sim_args, args, code, line, outcomes in cases:
            with self.subTest(kind=name), contextlib.ExitStack() as run:
                if os.path.exists(self.folder.file("r.csv")):
                    os.remove(self.folder.file("r.csv"))
                if sim_args != "no pair":
                    pty_pair(run, 1)
                if sim_args not in (None, "no pair"):
                    self.start_sim(run, *sim_args)
                got, err = run_tool(self.folder, args + ["/result", "r.csv"])
                texts = log_texts(self.folder)
                self.assertEqual(got, code, "\n".join(texts[-12:]))
                self.assertEqual(err, "", "the script learns it from the exit code and the log")
                run_lines = texts[texts.index("Unattended run: " + " ".join(args + ["/result", "r.csv"])):]
                self.assertTrue(any(line in t for t in run_lines), "\n".join(run_lines))
                self.assertTrue(any(t.endswith("(exit code %d)" % code) for t in run_lines), run_lines)
                self.assertIn("Unattended run ended: exit code %d" % code, "\n".join(run_lines))
                table = rows(self.folder.file("r.csv"))
                self.assertEqual(table[0], HEADER + STEP_COLUMNS)
                row = table[1]
                self.assertEqual(len(row), len(table[0]))
                self.assertEqual(row[5:7], ["failed", str(code)])
                self.assertEqual(steps_of(row), outcomes)
        self.assert_settings_unchanged()

    def start_download(self, robot):
        """The tool started by the robot with a download and the clock after it; its main
        window once the download has begun."""
        robot.start(self.folder.exe, self.folder.path,
                    " ".join(CORLAXA + ["/download", "fw.IMG", "/clock", "/result", "r.csv"]))
        main = robot.window(TITLE, 15.0)
        self.assertIsNotNone(main)
        self.assertTrue(wait_for(lambda: "Firmware download started" in robot.text(main, IDC_LOG), 10.0),
                        robot.text(main, IDC_LOG))
        return main

    def test_closing_the_window_stops_the_unit_and_records_it(self):
        pty_pair(self, 1)
        self.start_sim(self, "--silent-after-frame", "2")
        with Robot() as robot:
            # the device is silent after the second block: the download waits for its answer
            main = self.start_download(robot)
            time.sleep(1.0)
            robot.close(main)
            self.assertEqual(robot.exit_code(15.0), 7)
        texts = log_texts(self.folder)
        self.assertTrue(any(t.startswith("Firmware download abandoned at block 2 of 7") for t in texts), texts)
        self.assertIn("Unit 1: download failed: the window was closed before the steps were done (exit code 7)",
                      texts)
        row = rows(self.folder.file("r.csv"))[1]
        self.assertEqual(steps_of(row), {"Connect": "done", "Download": "failed: stopped",
                                         "Download file": windows_path(self.image), "Clock": "skipped"})

    def test_pulling_the_cable_fails_the_step_with_the_ports_code(self):
        pair = pty_pair(self, 1)
        write_image(self.image, 132 * 200)
        sim = self.start_sim(self, "--line-rate")
        with Robot() as robot:
            self.start_download(robot)
            time.sleep(0.5)
            pair.stop()
            sim.kill()
            self.assertEqual(robot.exit_code(20.0), 2, "\n".join(log_texts(self.folder)[-10:]))
        texts = log_texts(self.folder)
        self.assertTrue(any(t.startswith("Firmware download abandoned at block") for t in texts), texts)
        self.assertIn("Unattended run ended: exit code 2 (the port cannot be opened, or it failed)", texts)
        row = rows(self.folder.file("r.csv"))[1]
        self.assertEqual(steps_of(row), {"Connect": "done", "Download": "failed: link lost",
                                         "Download file": windows_path(self.image), "Clock": "skipped"})

    def test_a_second_copy_in_the_same_folder_says_why_and_ends(self):
        """The first copy holds the log: the second cannot keep a record, says so to the
        script, and sends nothing."""
        pair = pty_pair(self, 1)
        with Robot() as robot:
            robot.start(self.folder.exe, self.folder.path, "")
            self.assertIsNotNone(robot.window(TITLE, 15.0))
            code, err = run_tool(self.folder, CORLAXA + ["/clock", "/result", "r.csv"])
        self.assertEqual(code, 5, err)
        self.assertIn("ZevLog.TXT", err)
        self.assertEqual(pair.read(timeout=0.3), b"")
        self.assertFalse(os.path.exists(self.folder.file("r.csv")))

    def test_a_bench_flashes_three_units_in_a_row_one_of_them_failing(self):
        """/repeat: each unit is one row; the second unit goes silent part-way through its
        download. The simulators are swapped as a technician swaps units."""
        pty_pair(self, 1)
        csv_path = self.folder.file("units.csv")

        def row_count():
            return len(rows(csv_path)) - 1 if os.path.exists(csv_path) else 0

        with Robot() as robot:
            robot.start(self.folder.exe, self.folder.path,
                        " ".join(CORLAXA + ["/download", "fw.IMG", "/readout", "unit.LOG", "/result", "units.csv",
                                            "/repeat", "/quiet"]))
            main = robot.window(TITLE, 15.0)
            self.assertIsNotNone(main)
            # /quiet: minimised; the run's own commands only, the choices greyed
            self.assertTrue(wait_for(lambda: robot.iconic(main)), "not minimised")
            self.assertFalse(any(robot.enabled(main, control) for control in IDC_COM + IDC_DEVICE))
            units = (["--settings", self.sim_settings("SN 1")],
                     ["--settings", self.sim_settings("SN 2"), "--silent-after-frame", "3"],
                     ["--settings", self.sim_settings("SN 3")])
            for number, sim_args in enumerate(units, 1):
                with contextlib.ExitStack() as unit:
                    self.start_sim(unit, *sim_args)
                    # the download's response time-out is 10 s
                    self.assertTrue(wait_for(lambda: row_count() >= number, 30.0),
                                    "\n".join(log_texts(self.folder)[-15:]))
            robot.close(main)
            # the last unit that failed gives the run's exit code
            self.assertEqual(robot.exit_code(15.0), 4)

        table = rows(csv_path)
        self.assertEqual(len(table), 4, table)
        self.assertEqual([row[4] for row in table[1:]], ["Corlaxa SN 1", "Corlaxa SN 2", "Corlaxa SN 3"])
        self.assertEqual([row[5] for row in table[1:]], ["done", "failed", "done"])
        image = windows_path(self.image)
        self.assertEqual(steps_of(table[2]), {"Connect": "done", "Download": "failed: time-out", "Download file": image,
                                              "Readout": "skipped"})
        for number in (1, 3):
            self.assertEqual(steps_of(table[number]), {
                "Connect": "done", "Download": "done", "Download file": image, "Readout": "done",
                "Readout file": windows_path(self.folder.file("unit-%d.LOG" % number))})
        self.assertTrue(all(len(row) == len(table[0]) for row in table))
        # each unit's read-out in a file of its own
        self.assertTrue(os.path.exists(self.folder.file("unit-1.LOG")))
        self.assertFalse(os.path.exists(self.folder.file("unit-2.LOG")))
        self.assertTrue(os.path.exists(self.folder.file("unit-3.LOG")))
        texts = log_texts(self.folder)
        self.assertEqual(sum(t.startswith("Take the unit off") for t in texts), 3, texts)
        self.assertIn("Unit 3: every step done", "\n".join(texts))

    def sim_settings(self, ident):
        path = self.folder.file("sim-%s.ini" % ident.replace(" ", ""))
        with open(path, "w") as f:
            f.write("[Device]\nIdent=Corlaxa %s\n" % ident)
        return windows_path(path)


if __name__ == "__main__":
    unittest.main()
