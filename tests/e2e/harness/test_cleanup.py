"""A test that fails ends what it started: tests that fail on purpose, in a sub-test and in
a whole test, after starting a pty pair and ZEV.EXE on COM1. Afterwards their socat and
their ZEV.EXE are gone, and COM1 opens again, in the next sub-test and after the run.
The same holds for a test process that is killed, as a ctest time-out does."""
import os
import shutil
import signal
import subprocess
import sys
import unittest

from zevharness.processes import start_process, sub_test
from zevharness.ptys import pty_pair
from zevharness.robot import RobotTestCase, windows_path
from zevharness.session import CONNECT, wait_for
from zevharness.tool import tool_folder, tool_run

SETTINGS = "[ComPort]\nComPortNo=1\n[Device]\nDevice=Vantik\n"
WAKE_UP = b"**\x18B00"

# A test process that starts a pair and ZEV.EXE on COM1 and is then killed.
KILLED = """
import sys, time
from zevharness.ptys import PtyPair
from zevharness.tool import ToolFolder, ToolRun
pair = PtyPair(1).start()
folder = ToolFolder(sys.argv[1])
run = ToolRun(folder)
run.start()
print(pair.socat_pid, folder.path, run.main is not None, flush=True)
time.sleep(60)
"""


def running(pid):
    """Whether the process runs (a zombie has ended)."""
    try:
        with open("/proc/%d/stat" % pid) as f:
            return f.read().rsplit(")", 1)[1].split()[0] != "Z"
    except OSError:
        return False


def programs_in(folder):
    """Command lines of the processes started from `folder`, as Wine names them."""
    ps = subprocess.run(["ps", "-e", "-ww", "-o", "args="], stdout=subprocess.PIPE, text=True).stdout
    return [line for line in ps.splitlines() if windows_path(folder) in line]


class CleanUpTest(RobotTestCase):
    def connect_on_com1(self, owner):
        """A pair and ZEV.EXE on COM1, owned by `owner`; the bytes the device end got
        after the connect: the wake-up when the program could open COM1."""
        pair = pty_pair(owner, 1)
        folder = tool_folder(owner, SETTINGS)
        run = tool_run(owner, folder, self.robot)
        self.assertIsNotNone(run.start())
        self.robot.command(run.main, CONNECT)
        return pair, folder, pair.read(count=len(WAKE_UP), timeout=5.0)

    def test_a_failed_test_and_sub_test_leave_nothing_running(self):
        outer = self
        started = []  # (socat pid, folder) of each start
        wake_ups = []

        class Failing(unittest.TestCase):
            def start(self, owner):
                pair, folder, wake_up = outer.connect_on_com1(owner)
                started.append((pair.socat_pid, folder.path))
                wake_ups.append(wake_up)

            def test_fails(self):
                self.start(self)
                self.fail("on purpose")

            def test_fails_in_each_sub_test(self):
                for n in range(2):
                    with sub_test(self, n=n) as owner:
                        self.start(owner)
                        self.fail("on purpose")

        result = unittest.TestResult()
        unittest.defaultTestLoader.loadTestsFromTestCase(Failing).run(result)
        self.assertEqual(result.errors, [])
        self.assertEqual(len(result.failures), 3, result.failures)
        self.assertTrue(all("on purpose" in text for _, text in result.failures), result.failures)

        # Each start after the first found COM1 free, so the program sent its wake-up.
        self.assertEqual(wake_ups, [WAKE_UP] * 3)
        self.assertEqual(len(started), 3)
        for socat, folder in started:
            self.assertFalse(running(socat), "socat %d still runs" % socat)
            self.assertEqual(programs_in(folder), [])
            self.assertFalse(os.path.exists(folder))
        # and after the run (the robot, which would end its programs, still runs)
        self.assertEqual(self.connect_on_com1(self)[2], WAKE_UP)

    def test_a_killed_test_process_leaves_nothing_running(self):
        child = start_process(self, [sys.executable, "-c", KILLED, SETTINGS],
                              stdout=subprocess.PIPE, text=True)
        socat, folder, window = child.stdout.readline().split()
        self.addCleanup(shutil.rmtree, folder, ignore_errors=True)
        self.assertEqual(window, "True", "ZEV.EXE did not open its window")
        self.assertEqual(len(programs_in(folder)), 1)
        child.send_signal(signal.SIGKILL)
        child.wait()
        # socat ends with the process that started it, ZEV.EXE with the robot's job
        self.assertTrue(wait_for(lambda: not running(int(socat)), 5.0), "socat %s still runs" % socat)
        self.assertTrue(wait_for(lambda: not programs_in(folder), 5.0), programs_in(folder))
        self.assertEqual(self.connect_on_com1(self)[2], WAKE_UP)


if __name__ == "__main__":
    unittest.main(verbosity=2)
