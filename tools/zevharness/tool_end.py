"""The tool's end of a pty pair, driven from Python, for tests that run the device
simulator on the device's end (COM n+20) and play the tool themselves."""
import termios
import time

from .processes import enter
from .ptys import TtyEnd, tty_speed as speed_of  # noqa: F401  (speed_of for the tests)

_BAUDS = {9600: termios.B9600, 19200: termios.B19200, 38400: termios.B38400}


def tool_end(owner, pair):
    """The tool's end of `pair`, closed when `owner` (a TestCase or an ExitStack) ends."""
    return enter(owner, ToolEnd(pair))


class ToolEnd(TtyEnd):
    """Opens `pair.tool_path` (where ZEV.EXE would sit) for reading and writing."""

    def __init__(self, pair):
        super().__init__(pair.tool_path)
        self.pair = pair

    def set_baud(self, baud):
        attrs = termios.tcgetattr(self.fd)
        attrs[4] = attrs[5] = _BAUDS[baud]
        termios.tcsetattr(self.fd, termios.TCSANOW, attrs)

    def read(self, count=None, until=None, timeout=3.0):
        return super().read(count, timeout, until)

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
