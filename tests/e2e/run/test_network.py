"""./zev run --rfc2217 -- ARGS: the simulator serves as an RFC 2217 server on a free TCP port
and the run's COM1 is mapped to it; ZEV.EXE runs the command line over the network, and the
result row names where COM1 led. A later run without it takes the mapping out again.

Runs tools/run.sh in ZEV_RUN_DIR, a folder of its own, as the other tests of ./zev run do."""
import configparser
import os
import re
import shutil
import subprocess
import tempfile
import unittest

TOP = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..")
RUN_DIR = os.environ["ZEV_RUN_DIR"]


class RunOnTheNetwork(unittest.TestCase):
    def setUp(self):
        self.cwd = tempfile.mkdtemp(prefix="zevrun-")
        self.addCleanup(shutil.rmtree, self.cwd, True)

    def run_tool(self, *args):
        env = {k: v for k, v in os.environ.items()
               if k not in ("DISPLAY", "WINEPREFIX", "ZEV_TERMINAL_ENCODING") and not k.startswith("LC_")}
        env.update(ZEV_RUN_DIR=RUN_DIR, ZEV_USER_DIR=self.cwd, LANG="C.UTF-8")
        done = subprocess.run([os.path.join(TOP, "tools", "run.sh")] + list(args), cwd=self.cwd, env=env,
                              stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=180)
        return done.returncode, done.stdout.decode("utf-8", "replace")

    def ports(self):
        parser = configparser.RawConfigParser()
        parser.optionxform = str
        parser.read(os.path.join(RUN_DIR, "run", "ZEV.INI"), encoding="cp1252")
        return dict(parser.items("Ports")) if parser.has_section("Ports") else {}

    def test_rfc2217_run_then_a_run_on_the_pty(self):
        code, out = self.run_tool("--rfc2217", "--", "/device", "Corlaxa", "/clock", "/result", "units.csv")
        self.assertEqual(code, 0, out)
        found = re.search(r"Simulated Corlaxa on COM1 = (rfc2217://127\.0\.0\.1:\d+) \(ZEVSIM\.EXE, type 1\)", out)
        self.assertIsNotNone(found, out)
        url = found.group(1)
        self.assertEqual(self.ports().get("COM1"), url)
        with open(os.path.join(self.cwd, "units.csv")) as f:
            rows = f.read().splitlines()
        self.assertEqual(len(rows), 2, rows)
        self.assertIn(url, rows[1])
        with open(os.path.join(RUN_DIR, "run", "sim.log"), "rb") as f:
            sim_log = f.read().decode("latin-1")
        self.assertIn("RFC 2217: the client set 19200 baud", sim_log)

        code, out = self.run_tool("--", "/device", "Corlaxa", "/clock")
        self.assertEqual(code, 0, out)
        self.assertIn("Simulated Corlaxa on COM1 (ZEVSIM.EXE, type 1)", out)
        self.assertNotIn("COM1", self.ports())


if __name__ == "__main__":
    unittest.main(verbosity=2)
