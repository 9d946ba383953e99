"""A session on the bench: the real ZEV.EXE and the device simulator ZEVSIM.EXE on the two
ends of a pty pair, the tool driven by the UI robot. Tests check what the simulator
received (its hex log), what the tool logged and the files it wrote."""
import contextlib
import time

from .processes import enter
from .ptys import pty_pair
from .simulator import simulator
from .tool import tool_folder, tool_run

CONNECT, DISCONNECT, READOUT = 40012, 40013, 40006
DEVICE_NAMES = ("Vantik", "Corlaxa", "Brennix")
WORKING_BAUD = (38400, 19200, 38400)


def wait_for(predicate, timeout=5.0, interval=0.05):
    end = time.monotonic() + timeout
    while True:
        value = predicate()
        if value or time.monotonic() > end:
            return value
        time.sleep(interval)


def sim_session(owner, robot, device_type=0, port=1, sim_args=(), more_settings=""):
    """A started SimSession, stopped when `owner` (a TestCase or an ExitStack) ends."""
    return enter(owner, SimSession(robot, device_type, port, sim_args, more_settings))


class SimSession:
    """ZEV.EXE on COM `port`, ZEVSIM.EXE as a device of `device_type` on COM port + 20.
    Each part goes on the session's own ExitStack as it starts, so stop() (and a failed
    start) ends exactly what has started, newest first."""

    def __init__(self, robot, device_type=0, port=1, sim_args=(), more_settings=""):
        self.robot = robot
        self.more_settings = more_settings
        self.device_type = device_type
        self.port = port
        self.sim_args = list(sim_args)
        self._parts = contextlib.ExitStack()
        self.pair = self.folder = self.sim = self.run = None

    def start(self):
        try:
            self._start()
        except BaseException:
            self.stop()
            raise
        return self

    def _start(self):
        parts = self._parts
        self.folder = tool_folder(parts, "[ComPort]\nComPortNo=%d\n[Device]\nDevice=%s\n"
                                  % (self.port, DEVICE_NAMES[self.device_type]) + self.more_settings)
        self.pair = pty_pair(parts, self.port)
        self.sim = simulator(parts, self.folder.path, "--type", str(self.device_type), *self.sim_args,
                             port=self.port + 20)
        self.sim.wait_for_output("waiting for a wake-up")
        self.run = tool_run(parts, self.folder, self.robot)
        if self.run.start() is None:
            raise AssertionError("ZEV.EXE did not open its window")

    @property
    def main(self):
        return self.run.main

    def command(self, command_id):
        self.robot.command(self.run.main, command_id)

    def log_has(self, text, timeout=5.0):
        return wait_for(lambda: text in self.run.log_window(), timeout)

    def sim_log_has(self, text, timeout=5.0):
        return wait_for(lambda: text in self.sim.log_text(), timeout)

    def connect(self):
        before = self.run.log_window().count(">> (Init.) ")  # an earlier connect's line is no answer
        self.command(CONNECT)
        if not wait_for(lambda: self.run.log_window().count(">> (Init.) ") > before, 10.0):
            raise AssertionError("no identification line; the log shows:\n" + self.run.log_window())

    def stop(self):
        """Ends the program and the simulator, tears the pair down and removes the
        folder; fine when some of it has ended already, and when called twice."""
        self._parts.close()

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.stop()
