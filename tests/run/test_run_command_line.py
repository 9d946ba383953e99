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

TOP = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
from zevharness.firmware_files import write_image

RUN_DIR = os.environ["ZEV_RUN_DIR"]


class RunCommandLine(unittest.TestCase):
    def setUp(self):
        self.cwd = tempfile.mkdtemp(prefix="zevrun-")
        self.addCleanup(shutil.rmtree, self.cwd, True)
        write_image(os.path.join(self.cwd, "fw.IMG"), 132 * 3)

    def run_tool(self, *args):
        env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WINEPREFIX")}
        env.update(ZEV_RUN_DIR=RUN_DIR, ZEV_USER_DIR=self.cwd)
        done = subprocess.run([os.path.join(TOP, "tools", "run.sh"), "--"] + list(args), cwd=self.cwd, env=env,
                              stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=180)
        return done.returncode, done.stdout.decode("utf-8", "replace")

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


if __name__ == "__main__":
    unittest.main()
