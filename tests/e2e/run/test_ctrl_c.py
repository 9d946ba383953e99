"""./zev run on a virtual display, ended with Ctrl+C once the tool is up: everything the
run started has ended, the Wine prefix's server and services included.

Runs tools/run.sh in ZEV_RUN_DIR, a folder of its own (and a Wine prefix of its own, made
once), so that it neither touches nor ends the technician's run in build/run."""
import os
import signal
import subprocess
import sys
import time
import unittest

TOP = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..")
from zevharness.processes import start_process

RUN_DIR = os.environ["ZEV_RUN_DIR"]
PREFIX = os.path.join(RUN_DIR, "wine", "xvfb-prefix")


def prefix_processes(prefix):
    """[(pid, command line)] of the processes with WINEPREFIX=prefix in their environment:
    everything the run starts inherits it (Xvfb, socat, the session), Wine's own too."""
    found = []
    wanted = b"WINEPREFIX=" + os.fsencode(os.path.abspath(prefix))
    for name in os.listdir("/proc"):
        if not name.isdigit():
            continue
        try:
            with open("/proc/%s/environ" % name, "rb") as f:
                if wanted not in f.read().split(b"\0"):
                    continue
            with open("/proc/%s/cmdline" % name, "rb") as f:
                found.append((int(name), f.read().replace(b"\0", b" ").decode(errors="replace")))
        except OSError:  # gone meanwhile, or not ours to read
            pass
    return found


def as_from_a_terminal():
    """SIGINT as a shell in a terminal leaves it, whatever the test's own start left."""
    signal.signal(signal.SIGINT, signal.SIG_DFL)


class CtrlC(unittest.TestCase):
    def test_everything_the_run_started_ends(self):
        env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WINEPREFIX")}
        env["ZEV_RUN_DIR"] = RUN_DIR
        # A process group of its own, as a terminal gives a command: Ctrl+C reaches all of it.
        run = start_process(self, [os.path.join(TOP, "tools", "run.sh")], env=env, stdout=subprocess.PIPE,
                            stderr=subprocess.STDOUT, start_new_session=True, preexec_fn=as_from_a_terminal)

        # The tool is up when its ZEV.EXE runs (the first run makes the prefix first).
        deadline = time.monotonic() + 120
        while not any("ZEV.EXE" in line for _, line in prefix_processes(PREFIX)):
            if run.poll() is not None or time.monotonic() > deadline:
                self.fail("ZEV.EXE did not start; run.sh said:\n" + run.stdout.read().decode(errors="replace"))
            time.sleep(0.1)
        self.assertTrue(any("ZEVSIM.EXE" in line for _, line in prefix_processes(PREFIX)))

        os.killpg(run.pid, signal.SIGINT)
        output = run.communicate(timeout=60)[0].decode(errors="replace")
        print(output)
        self.assertEqual(run.returncode, 130)
        self.assertNotIn("left running", output, "the run's own clean-up missed something")
        self.assertEqual(prefix_processes(PREFIX), [])


if __name__ == "__main__":
    unittest.main(verbosity=2)
