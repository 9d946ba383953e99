"""Pty pairs that stand in for a serial cable in the tests.

The test Wine prefix maps COMn to ZEV_TTY/COMn (the tool's end) and COM(n+20) to
ZEV_TTY/COMn.dev (the device's end). A PtyPair made with socat joins the two, so the
tool's COM port talks either to a Windows program on the device's COM port (the
simulator) or to Python code that opens the device end directly.
"""
import array
import fcntl
import os
import select
import subprocess
import termios
import time

from .processes import end_process, ends_with_parent, enter

# termios speed constants back to baud rates
_SPEEDS = {getattr(termios, "B%d" % b): b for b in
           (50, 75, 110, 134, 150, 200, 300, 600, 1200, 1800, 2400, 4800, 9600,
            19200, 38400, 57600, 115200, 230400)}


def _queued(fd, request):
    """The bytes waiting in a tty's queue (FIONREAD: to be read; TIOCOUTQ: to be sent)."""
    count = array.array("i", [0])
    fcntl.ioctl(fd, request, count)
    return count[0]


def remove_links(links):
    """Removes the symlinks {path: target} a pty pair made, unless a newer pair for the same
    port has made one its own."""
    for path, target in links.items():
        try:
            if os.readlink(path) == target:
                os.unlink(path)
        except OSError:
            pass


def tty_dir():
    return os.environ["ZEV_TTY"]


def tty_speed(path):
    """The baud rate last set on a tty, by whichever side set it."""
    fd = os.open(path, os.O_RDONLY | os.O_NOCTTY | os.O_NONBLOCK)
    try:
        return _SPEEDS.get(termios.tcgetattr(fd)[5], -1)
    finally:
        os.close(fd)


class TtyEnd:
    """One end of a pty pair opened from Python: raw bytes in and out."""

    def __init__(self, path):
        self.path = path
        self.fd = os.open(path, os.O_RDWR | os.O_NOCTTY | os.O_NONBLOCK)

    def close(self):
        if self.fd is not None:
            os.close(self.fd)
            self.fd = None

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def write(self, data, timeout=30.0):
        """Writes all of `data`, waiting while the other side does not take it (a pty
        holds a few kilobytes); TimeoutError when it takes nothing for `timeout` seconds."""
        view = memoryview(bytes(data))
        deadline = time.monotonic() + timeout
        while view:
            select.select([], [self.fd], [], 1.0)
            try:
                view = view[os.write(self.fd, view):]
                deadline = time.monotonic() + timeout
            except BlockingIOError:
                if time.monotonic() > deadline:
                    raise TimeoutError("%s took nothing for %.0f s" % (self.path, timeout))

    def read(self, count=None, timeout=1.0, until=None):
        """Reads `count` bytes (no more: what follows stays for the next read), or up to
        and including the byte string `until`, or whatever arrives within `timeout`
        seconds. Returns the bytes read."""
        data = b""
        deadline = time.monotonic() + timeout
        while True:
            if count is not None and len(data) >= count:
                return data
            if until is not None and until in data:
                return data
            left = deadline - time.monotonic()
            if left <= 0:
                return data
            ready, _, _ = select.select([self.fd], [], [], left)
            if ready:
                try:
                    data += os.read(self.fd, 4096 if count is None else count - len(data))
                except BlockingIOError:
                    continue

    def drain(self, quiet=0.05):
        """Discards what has arrived until the line is quiet for `quiet` seconds."""
        while self.read(timeout=quiet):
            pass


def pty_pair(owner, port=1, ttydir=None):
    """A started PtyPair for COM `port`, torn down when `owner` (a TestCase, a test class or
    an ExitStack) ends."""
    return enter(owner, PtyPair(port, ttydir))


class PtyPair:
    """A socat pty pair for COM port `port` of the test prefix. Start it as a context
    manager, or with pty_pair(), so that it is torn down whatever happens."""

    def __init__(self, port=1, ttydir=None):
        ttydir = ttydir or tty_dir()
        self.port = port
        self.tool_path = os.path.join(ttydir, "COM%d" % port)
        self.device_path = self.tool_path + ".dev"
        self._socat = None
        self._links = {}
        self._device = None

    def start(self, timeout=5.0):
        """Starts socat; on a failure, what was started is ended before the error."""
        try:
            self._start(timeout)
        except BaseException:
            self.stop()
            raise
        return self

    def _start(self, timeout):
        os.makedirs(os.path.dirname(self.tool_path), exist_ok=True)
        for path in (self.tool_path, self.device_path):
            if os.path.lexists(path):
                os.unlink(path)
        self._socat = subprocess.Popen(
            ["socat", "pty,raw,echo=0,link=%s" % self.tool_path,
             "pty,raw,echo=0,link=%s" % self.device_path],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            start_new_session=True, preexec_fn=ends_with_parent())
        deadline = time.monotonic() + timeout
        while not (os.path.exists(self.tool_path) and os.path.exists(self.device_path)):
            if time.monotonic() > deadline or self._socat.poll() is not None:
                raise RuntimeError("socat did not make the pty pair for COM%d" % self.port)
            time.sleep(0.01)
        self._links = {path: os.readlink(path) for path in (self.tool_path, self.device_path)}

    @property
    def socat_pid(self):
        return self._socat.pid if self._socat else None

    def stop(self):
        """Tears the pair down, as a cable pulled out would. Fine when it is down already."""
        self.close_device()
        if self._socat:
            end_process(self._socat)
        self._socat = None
        remove_links(self._links)
        self._links = {}

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.stop()

    # --- the device's end, driven from Python -------------------------------------
    def device(self):
        """The device's end, opened on first use."""
        if self._device is None:
            self._device = TtyEnd(self.device_path)
        return self._device

    def close_device(self):
        if self._device is not None:
            self._device.close()
            self._device = None

    def write(self, data):
        self.device().write(data)

    def read(self, count=None, timeout=1.0, until=None):
        return self.device().read(count, timeout, until)

    def drain(self, quiet=0.05):
        self.device().drain(quiet)

    def wait_taken(self, timeout=3.0, settle=0.1):
        """Waits until the tool has read what the device's end wrote: it has left the
        device end's output queue and the tool end's input queue. The tool's serial thread
        hands it to the window a moment later (`settle` seconds). False on a time-out."""
        tool = os.open(self.tool_path, os.O_RDONLY | os.O_NOCTTY | os.O_NONBLOCK)
        try:
            deadline = time.monotonic() + timeout
            while _queued(self.device().fd, termios.TIOCOUTQ) or _queued(tool, termios.FIONREAD):
                if time.monotonic() > deadline:
                    return False
                time.sleep(0.005)
        finally:
            os.close(tool)
        time.sleep(settle)
        return True

    def wait_held(self, count, timeout=3.0):
        """Waits until `count` bytes wait in the tool end's input queue, for a tool that has
        its end closed: what the device's end wrote has passed socat, and a tool that opens
        its end now finds it there. False on a time-out."""
        deadline = time.monotonic() + timeout
        while True:
            tool = os.open(self.tool_path, os.O_RDONLY | os.O_NOCTTY | os.O_NONBLOCK)
            try:
                if _queued(tool, termios.FIONREAD) >= count:
                    return True
            finally:
                os.close(tool)
            if time.monotonic() > deadline:
                return False
            time.sleep(0.005)

    # --- what the tool set on its end ----------------------------------------------
    def tool_speed(self):
        """The baud rate that the program set on its end of the pair."""
        return tty_speed(self.tool_path)

    def watch_speeds(self, seconds, interval=0.001):
        """Samples the tool end's baud rate for `seconds`; returns [(time, baud)] at
        every change, the first sample included."""
        changes = []
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            try:
                speed = self.tool_speed()
            except OSError:
                speed = -1
            if not changes or changes[-1][1] != speed:
                changes.append((time.monotonic(), speed))
            time.sleep(interval)
        return changes
