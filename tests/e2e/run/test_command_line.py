"""./zev run -- ARGS: ZEV.EXE runs that command line against the simulator, with the
file names taken from the folder ./zev run was started in; the log's last lines and the
result row are printed, and the exit code is ZEV.EXE's.

Runs tools/run.sh in ZEV_RUN_DIR, a folder of its own, as the Ctrl+C test does."""
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

TOP = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..")
from zevharness.firmware_files import write_image

RUN_DIR = os.environ["ZEV_RUN_DIR"]


class RunCommandLine(unittest.TestCase):
    def setUp(self):
        self.cwd = tempfile.mkdtemp(prefix="zevrun-")
        self.addCleanup(shutil.rmtree, self.cwd, True)
        write_image(os.path.join(self.cwd, "fw.IMG"), 132 * 3)

    def run_tool(self, *args, encoding="replace", terminal=None):
        """./zev run -- ARGS from a terminal with a UTF-8 locale, or one of the encoding
        `terminal`: the exit code and what it printed, decoded as UTF-8 (encoding="strict":
        every byte of it UTF-8)."""
        env = {k: v for k, v in os.environ.items()
               if k not in ("DISPLAY", "WINEPREFIX", "ZEV_TERMINAL_ENCODING") and not k.startswith("LC_")}
        env.update(ZEV_RUN_DIR=RUN_DIR, ZEV_USER_DIR=self.cwd, LANG="C.UTF-8")
        if terminal:
            env["ZEV_TERMINAL_ENCODING"] = terminal
        done = subprocess.run([os.path.join(TOP, "tools", "run.sh"), "--"] + list(args), cwd=self.cwd, env=env,
                              stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=180)
        return done.returncode, done.stdout.decode("utf-8", encoding)

    def test_the_steps_run_and_the_exit_code_is_the_tools(self):
        code, out = self.run_tool("/device", "Corlaxa", "/download", "fw.IMG", "/clock", "/result", "units.csv")
        self.assertEqual(code, 0, out)
        self.assertIn("Simulated Corlaxa on COM1", out)
        self.assertIn("Firmware-Download abgeschlossen", out)
        self.assertIn("Unbeaufsichtigter Lauf beendet: Exit-Code 0", out)
        with open(os.path.join(self.cwd, "units.csv")) as f:
            rows = f.read().splitlines()
        self.assertEqual(len(rows), 2)
        self.assertIn(rows[1], out, "the result row is printed")
        self.assertIn(",fw.IMG,396,", rows[1])

        code, out = self.run_tool("/device", "Corlaxa", "/download", "missing.IMG", "/result", "units.csv")
        self.assertEqual(code, 5, out)
        self.assertIn("missing.IMG", out)
        self.assertIn("Exit code:   5", out)

    def test_a_refused_start_prints_its_text_in_the_terminals_encoding_and_no_earlier_log(self):
        # the log an earlier run left in the tool's folder
        log = os.path.join(RUN_DIR, "run", "ZevLog.TXT")
        os.makedirs(os.path.dirname(log), exist_ok=True)
        with open(log, "wb") as f:
            f.write("08:00:00 Unbeaufsichtigter Lauf beendet: Exit-Code 0 (früherer Lauf)\r\n".encode("cp1252"))
        # and the row an earlier run left in the result file
        with open(os.path.join(self.cwd, "units.csv"), "w", newline="") as f:
            f.write("date,time,port\r\n2026-12-07,08:00:00,COM1-earlier\r\n")
        code, out = self.run_tool("/port", "0", "/clock", "/result", "units.csv",
                                  encoding="strict")  # cp1252 bytes would not decode
        self.assertEqual(code, 1, out)
        self.assertIn("/port 0: der Port ist eine Zahl von 1 bis 4", out)
        self.assertIn("4 Zeitüberschreitung oder NAK in einem Schritt", out)  # the usage text, German
        self.assertNotIn("früherer Lauf", out, "the earlier run's log is not this run's")
        self.assertNotIn("COM1-earlier", out, "nor is the earlier run's row")
        self.assertIn("Exit code:   1", out)
        # a terminal that shows ASCII alone gets "?" for what it cannot show, no stray bytes
        code, out = self.run_tool("/port", "0", "/clock", encoding="strict", terminal="ascii")
        self.assertEqual(code, 1, out)
        self.assertIn("4 Zeit?berschreitung oder NAK in einem Schritt", out)


if __name__ == "__main__":
    unittest.main()
