"""The tool's end of a pty pair, driven from Python, for tests that run the device
simulator on the device's end (COM n+20) and play the tool themselves."""
import os
import select
import termios
import time

_BAUDS = {9600: termios.B9600, 19200: termios.B19200, 38400: termios.B38400}
_SPEEDS = {value: baud for baud, value in _BAUDS.items()}


def speed_of(path):
    """The baud rate last set on a tty, by whichever side set it."""
    fd = os.open(path, os.O_RDONLY | os.O_NOCTTY | os.O_NONBLOCK)
    try:
        return _SPEEDS.get(termios.tcgetattr(fd)[5], -1)
    finally:
        os.close(fd)


class ToolEnd:
    """Opens `pair.tool_path` (where ZEV.EXE would sit) for reading and writing."""

    def __init__(self, pair):
        self.pair = pair
        self.fd = os.open(pair.tool_path, os.O_RDWR | os.O_NOCTTY | os.O_NONBLOCK)

    def close(self):
        if self.fd is not None:
            os.close(self.fd)
            self.fd = None

    def set_baud(self, baud):
        attrs = termios.tcgetattr(self.fd)
        attrs[4] = attrs[5] = _BAUDS[baud]
        termios.tcsetattr(self.fd, termios.TCSANOW, attrs)

    def write(self, data):
        view = memoryview(bytes(data))
        while view:
            select.select([], [self.fd], [], 1.0)
            view = view[os.write(self.fd, view):]

    def read(self, count=None, until=None, timeout=3.0):
        """Reads `count` bytes, or up to and including `until`, or what comes within
        `timeout` seconds; returns what was read."""
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
                    data += os.read(self.fd, 4096)
                except BlockingIOError:
                    pass

    def ask(self, letter, until=b"\r"):
        """Sends a command letter and returns the answer up to `until`."""
        self.write(letter)
        return self.read(until=until)

    def wake_up(self, device_type, working_baud):
        """Wakes the device as the tool does: the wake-up at 9600 baud, then 30 ms
        later its own port at the working rate. Returns the identification line."""
        self.set_baud(9600)
        self.write(b"**\x18B%02d" % device_type)
        time.sleep(0.03)
        self.set_baud(working_baud)
        return self.read(until=b"\r")
