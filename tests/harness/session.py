"""A session on the bench: the real ZEV.EXE and the device simulator ZEVSIM.EXE on the two
ends of a pty pair, the tool driven by the UI robot. Tests check what the simulator
received (its hex log), what the tool logged and the files it wrote."""
import time

from ptys import PtyPair
from simulator import Simulator
from tool import ToolFolder, ToolRun

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


class SimSession:
    """ZEV.EXE on COM `port`, ZEVSIM.EXE as a device of `device_type` on COM port + 20."""

    def __init__(self, robot, device_type=0, port=1, sim_args=()):
        self.robot = robot
        self.device_type = device_type
        self.port = port
        self.sim_args = list(sim_args)
        self.pair = PtyPair(port)
        self.folder = ToolFolder("[ComPort]\nComPortNo=%d\n[Device]\nDevice=%s\n"
                                 % (port, DEVICE_NAMES[device_type]))
        self.sim = None
        self.run = None

    def start(self):
        self.pair.start()
        self.sim = Simulator(self.folder.path, "--type", str(self.device_type), *self.sim_args,
                             port=self.port + 20)
        self.sim.wait_for_output("waiting for a wake-up")
        self.run = ToolRun(self.folder, self.robot)
        if self.run.start() is None:
            raise AssertionError("ZEV.EXE did not open its window")
        return self

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
        self.command(CONNECT)
        if not self.log_has(">> (Init.) ", 10.0):
            raise AssertionError("no identification line; the log shows:\n" + self.run.log_window())

    def stop(self):
        if self.run:
            self.run.stop()
        if self.sim:
            if self.sim.proc.stdin and not self.sim.proc.stdin.closed:
                self.sim.proc.stdin.close()
            self.sim.kill()
        self.pair.stop()
        self.folder.remove()

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.stop()
