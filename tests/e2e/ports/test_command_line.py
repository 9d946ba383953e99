"""/port names the port of an unattended run: COM7 itself, or the window's choice 1 with its
mapping to COM7 in ZEV.INI. The simulator on COM7's device end serves the unit, the result
row's Port column shows what was opened, the log says where the link leads, and the
settings file keeps its port. A /port the program cannot open names the forms it takes."""
import csv
import io
import os
import subprocess
import tempfile
import unittest

from zevharness.ptys import pty_pair
from zevharness.simulator import simulator
from zevharness.tool import tool_folder

SETTINGS = "[Setup]\nLanguageLibrary=ZEV_EN.DLL\n[ComPort]\nComPortNo=2\n[Device]\nDevice=Brennix\n"


def run_tool(folder, args, timeout=90):
    """ZEV.EXE run to its end as a script runs it: its exit code and what it wrote to stderr."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        done = subprocess.run(["wine", folder.exe] + list(args), cwd=folder.path, stdin=subprocess.DEVNULL,
                              stdout=out, stderr=err, timeout=timeout)
        err.seek(0)
        return done.returncode, err.read().decode("cp1252", "replace")


def result_rows(path):
    with open(path, newline="", encoding="cp1252") as f:
        return list(csv.DictReader(io.StringIO(f.read())))


def log_texts(folder):
    return [line[9:] for line in folder.log_lines() if line]


class PortArgumentTest(unittest.TestCase):
    def run_clock_on_com7(self, settings_text, port_argument):
        """A Corlaxa on COM7's device end; the tool's run of /clock with /port
        `port_argument`: (its exit code, stderr, its folder, the simulator)."""
        folder = tool_folder(self, settings_text)
        pty_pair(self, 7)
        sim = simulator(self, folder.path, "--type", "1", port=27)
        sim.wait_for_output("waiting for a wake-up")
        code, err = run_tool(folder, ["/port", port_argument, "/device", "Corlaxa", "/clock", "/result", "units.csv"])
        self.assertEqual(code, 0, err + "\n".join(log_texts(folder)) + "\n" + sim.output())
        self.assertIn("clock set to", sim.output())
        return folder

    def check_row_and_settings(self, folder, settings_before):
        rows = result_rows(folder.file("units.csv"))
        self.assertEqual(len(rows), 1)
        self.assertEqual(rows[0]["Port"], "COM7")
        self.assertEqual(rows[0]["Result"], "done")
        after = folder.settings()
        self.assertEqual(after["ComPort"], settings_before["ComPort"], "the command line's port is for its run")
        self.assertEqual(after.get("Ports"), settings_before.get("Ports"))

    def test_port_com7_itself(self):
        folder = self.run_clock_on_com7(SETTINGS, "com7")
        before = {"ComPort": {"ComPortNo": "2"}}
        self.check_row_and_settings(folder, before)
        texts = log_texts(folder)
        opened = texts.index("Port opened")
        self.assertEqual(texts[opened + 1], "Port from the command line: COM7", texts)

    def test_port_1_with_its_mapping_to_com7(self):
        folder = self.run_clock_on_com7(SETTINGS + "[Ports]\nCOM1=COM7\n", "1")
        self.check_row_and_settings(folder, {"ComPort": {"ComPortNo": "2"}, "Ports": {"COM1": "COM7"}})
        texts = log_texts(folder)
        opened = texts.index("Port opened")
        self.assertEqual(texts[opened + 1], "COM1 leads to COM7", texts)

    def test_a_port_that_is_no_form_the_program_takes(self):
        folder = tool_folder(self, SETTINGS)
        for value in ("COM0", "COM257", "rfc2217://host", "tcp://host:4001", "5"):
            with self.subTest(value=value):
                code, err = run_tool(folder, ["/port", value, "/clock"])
                self.assertEqual(code, 1)
                self.assertIn("/port %s: the port is a number from 1 to 4, COMn (n from 1 to 256),"
                              " rfc2217://HOST:PORT or socket://HOST:PORT" % value, err)
        self.assertFalse(os.path.exists(folder.file("units.csv")))


if __name__ == "__main__":
    unittest.main()
