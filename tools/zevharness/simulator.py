"""ZEVSIM.EXE, the device simulator, run under Wine on the device's end of a pty pair.

Its standard input stays open until stop(): closing it ends the simulator. What it says
goes to a file in the given folder; its hex log of every byte to another. A Simulator is
a context manager that kills it on the way out; simulator() hands it to an owner."""
import os
import subprocess
import time

from .processes import end_process, ends_with_parent, enter

EXE = os.path.join(os.environ.get("ZEV_DIST", ""), "ZEVSIM.EXE")

def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def simulator(owner, folder, *args, port=21):
    """A started Simulator, killed when `owner` (a TestCase or an ExitStack) ends. `port`
    None: on no COM port (the arguments say --tcp or --rfc2217)."""
    return enter(owner, Simulator(folder, *args, port=port))


class Simulator:
    """ZEVSIM.EXE on COM `port` (the device's end of COM port - 20) with its files in `folder`."""

    def __init__(self, folder, *args, port=21):
        self.log = os.path.join(folder, "sim.log")
        self.out = os.path.join(folder, "sim.out")
        command = ["wine", EXE] + (["--port", "COM%d" % port] if port else []) + ["--log", windows_path(self.log)] + list(args)
        with open(self.out, "wb") as out:
            self.proc = subprocess.Popen(command, stdin=subprocess.PIPE, stdout=out, stderr=subprocess.STDOUT,
                                         preexec_fn=ends_with_parent())  # also with --no-stdin

    def output(self):
        with open(self.out, "rb") as f:
            return f.read().decode("latin-1")

    def log_text(self):
        with open(self.log, "rb") as f:
            return f.read().decode("latin-1")

    def wait_for_output(self, text, timeout=30.0):
        deadline = time.monotonic() + timeout
        while text not in self.output():
            # its last words may have come between the look at its output and the one at its end
            ended = self.proc.poll() is not None and text not in self.output()
            if ended or time.monotonic() > deadline:
                raise AssertionError("ZEVSIM.EXE did not say %r (%s); it said:\n%s"
                                     % (text, "exit code %s" % self.proc.returncode if ended else "still running",
                                        self.output()))
            time.sleep(0.05)

    def wait_exit(self, timeout=15.0):
        try:
            return self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            threads = self.threads()  # what held it, before it is killed
            self.proc.kill()
            self.proc.wait()
            raise AssertionError("ZEVSIM.EXE did not end in %g s; its threads: %s; it said:\n%s\nits log ends:\n%s"
                                 % (timeout, threads, self.output(), self.log_text()[-2000:]))

    def threads(self):
        """Each thread of the running simulator as "TID STATE WCHAN" (R running, S waiting, D
        in the kernel), or why that cannot be read."""
        try:
            found = []
            for tid in sorted(os.listdir("/proc/%d/task" % self.proc.pid), key=int):
                with open("/proc/%d/task/%s/stat" % (self.proc.pid, tid)) as f:
                    state = f.read().rsplit(")", 1)[1].split()[0]
                with open("/proc/%d/task/%s/wchan" % (self.proc.pid, tid)) as f:
                    found.append("%s %s %s" % (tid, state, f.read().strip() or "-"))
            return ", ".join(found)
        except OSError as error:
            return "not readable (%s)" % error

    def stop(self):
        """Closes its standard input, which ends it; returns the exit code."""
        if self.proc.stdin and not self.proc.stdin.closed:
            self.proc.stdin.close()
        return self.wait_exit()

    def kill(self):
        """Ends it at once if it still runs; fine when it has ended."""
        end_process(self.proc, grace=0)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.kill()
