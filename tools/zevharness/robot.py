"""The UI robot (zevrobot.exe) driven from Python.

One robot process runs under Wine for the whole test: it starts the program, finds
its windows and posts clicks and commands, all through cross-process window messages.
Texts come back in the program's code page (1252). A program the robot started ends at
the latest with the robot, even when the robot is killed."""
import os
import subprocess
import sys
import tempfile
import time
import unittest

from .processes import end_process

ENCODING = "cp1252"


def test_bin():
    return os.environ["ZEV_TEST_BIN"]


def _unescape(text):
    out, i = [], 0
    while i < len(text):
        ch = text[i]
        if ch == "\\" and i + 1 < len(text):
            nxt = text[i + 1]
            out.append({"r": "\r", "n": "\n", "t": "\t", "\\": "\\"}.get(nxt, nxt))
            i += 2
        else:
            out.append(ch)
            i += 1
    return "".join(out)


def _escape(text):
    return text.replace("\\", "\\\\").replace("\r", "\\r").replace("\n", "\\n").replace("\t", "\\t")


def windows_path(path):
    """A Linux path as Wine's Z: drive shows it."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


class RobotError(RuntimeError):
    pass


class Robot:
    def __init__(self):
        # What the robot says on standard error (a start tried again) is kept in a file and
        # shown when it ends. The programs it starts inherit that output: a pipe of the
        # test's own would keep ctest waiting for as long as any of them lingers.
        self._errors = tempfile.TemporaryFile()
        self._proc = subprocess.Popen(
            ["wine", os.path.join(test_bin(), "zevrobot.exe"), "serve"],
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=self._errors)

    def call(self, *args):
        line = "\t".join(str(a) for a in args) + "\n"
        self._proc.stdin.write(line.encode(ENCODING))
        self._proc.stdin.flush()
        answer = self._proc.stdout.readline().decode(ENCODING, "replace").rstrip("\r\n")
        if not answer:
            raise RobotError("the robot ended while answering %r" % (args,))
        if answer.startswith("error"):
            raise RobotError(answer)
        return answer

    def _value(self, *args):
        answer = self.call(*args)
        return _unescape(answer[3:]) if answer.startswith("ok ") else None

    # --- the program ---------------------------------------------------------------
    def start(self, program, folder, arguments="", command_line=None):
        if command_line is None:
            return int(self._value("start", windows_path(program), windows_path(folder), arguments))
        return int(self._value("startline", windows_path(program), windows_path(folder), command_line))

    def exit_code(self, timeout=10.0):
        """The program's exit code, or None while it still runs after `timeout`."""
        answer = self.call("exit", int(timeout * 1000))
        return int(answer[3:]) if answer.startswith("ok ") else None

    def kill(self, pid=None):
        """Ends the newest program started, or the one with Windows process id `pid`."""
        if pid is None:
            self.call("kill")
        else:
            self.call("kill", pid)

    # --- windows ---------------------------------------------------------------------
    def window(self, title="", timeout=10.0):
        value = self._value("window", title, int(timeout * 1000))
        return int(value, 16) if value else None

    def other_window(self, hwnd, timeout=3.0):
        value = self._value("other", "%x" % hwnd, int(timeout * 1000))
        return int(value, 16) if value else None

    def gone(self, hwnd, timeout=5.0):
        return self.call("gone", "%x" % hwnd, int(timeout * 1000)) == "ok"

    def title(self, hwnd):
        return self._value("title", "%x" % hwnd)

    def class_name(self, hwnd):
        return self._value("class", "%x" % hwnd)

    def text(self, hwnd, control_id):
        return self._value("text", "%x" % hwnd, control_id)

    def checked(self, hwnd, control_id):
        return self._value("checked", "%x" % hwnd, control_id) == "1"

    def click(self, hwnd, control_id):
        self.call("click", "%x" % hwnd, control_id)

    def post_click(self, hwnd, control_id):
        self.call("postclick", "%x" % hwnd, control_id)

    def uncheck(self, hwnd, control_id):
        self.call("uncheck", "%x" % hwnd, control_id)

    def command(self, hwnd, command_id):
        self.call("command", "%x" % hwnd, command_id)

    def syscommand(self, hwnd, value):
        self.call("syscommand", "%x" % hwnd, value)

    def close(self, hwnd):
        self.call("close", "%x" % hwnd)

    def set_text(self, hwnd, control_id, text):
        """Sets a control's text at once (WM_SETTEXT): an edit's limit does not apply."""
        self.call("settext", "%x" % hwnd, control_id, _escape(text))

    def type_text(self, hwnd, control_id, text):
        """Types `text` into a control character by character, at the caret, as the
        keyboard would: an edit takes no more than its limit."""
        self.call("type", "%x" % hwnd, control_id, _escape(text))

    def focus(self, hwnd):
        """The id of the control of `hwnd` that has the keyboard focus, 0 for none."""
        return int(self._value("focus", "%x" % hwnd))

    def move_focus(self, hwnd, control_id):
        """Moves the focus to a control as Tab would, and returns when the dialog has
        handled it: the control left has had its kill-focus (an edit's checks have run),
        and an edit reached has its whole text selected, so typing replaces it."""
        self.call("movefocus", "%x" % hwnd, control_id)

    def key(self, hwnd, vk):
        """Presses and releases key `vk` (a virtual-key code) where the keyboard focus of
        `hwnd`'s program is, as the keyboard does."""
        self.call("key", "%x" % hwnd, vk)

    def syschar(self, hwnd, char):
        """Alt and the letter `char`, as the dialog manager sees it."""
        self.call("syschar", "%x" % hwnd, char)

    def enabled(self, hwnd, control_id):
        return self._value("enabled", "%x" % hwnd, control_id) == "1"

    def iconic(self, hwnd):
        return self._value("iconic", "%x" % hwnd) == "1"

    def file_dialog(self, hwnd, path):
        """In the open file dialog `hwnd` (Open or Save As): enters `path` as the file
        name and presses OK. A Linux path is given as Wine's Z: drive shows it; any other
        is entered as it stands (a bare name is in the dialog's folder). A question that
        follows (replace the file?) is the caller's to answer."""
        self.call("filedialog", "%x" % hwnd, windows_path(path) if path.startswith("/") else path)

    def controls(self, hwnd):
        """The child controls of `hwnd` in their order: a list of (id, class, text)."""
        answer = self.call("controls", "%x" % hwnd)
        fields = answer[3:].split("\t") if answer.startswith("ok ") else []
        return [(int(fields[i]), fields[i + 1], _unescape(fields[i + 2])) for i in range(0, len(fields) - 2, 3)]

    def client_size(self, hwnd, control_id):
        """The size of a control's client area in pixels: (width, height)."""
        width, height = self._value("clientsize", "%x" % hwnd, control_id).split()
        return int(width), int(height)

    def memory(self, pid):
        """The working set of the process with Windows process id `pid`, in bytes."""
        return int(self._value("memory", pid))

    def progress(self, hwnd, control_id):
        """A progress bar's (position, upper end of its range)."""
        position, upper = self._value("progress", "%x" % hwnd, control_id).split()
        return int(position), int(upper)

    def lock(self, path):
        """Holds an existing file open with no sharing: every other open of it fails with
        a sharing violation (32), while its name still passes a look in a file dialog.
        A Linux path is given as Wine's Z: drive shows it. RobotError with the error code
        when the file cannot be held (one held already, by the robot or another)."""
        self.call("lock", windows_path(path) if path.startswith("/") else path)

    def unlock(self, path):
        """Lets go of a file that lock() holds."""
        self.call("unlock", windows_path(path) if path.startswith("/") else path)

    def message_box(self, owner, timeout=3.0):
        """The next message box (or dialog) besides `owner`: (hwnd, title, text)."""
        deadline = time.monotonic() + timeout
        while True:
            hwnd = self.other_window(owner, max(deadline - time.monotonic(), 0.0))
            if hwnd is None:
                return None
            # On a loaded machine the window found may be a box in the moment between its
            # showing and its text being set, or a dialog on its way out (a file dialog
            # closing just before the box it led to): an empty text is read again for a
            # while, and a window that goes meanwhile gives way to the next one.
            settle = time.monotonic() + 1.0
            text = self.text(hwnd, 0xFFFF)
            gone = False
            while not text and time.monotonic() < settle:
                gone = self.call("gone", "%x" % hwnd, 0) == "ok"
                if gone:
                    break
                time.sleep(0.05)
                text = self.text(hwnd, 0xFFFF)
            if not gone or time.monotonic() > deadline:
                return hwnd, self.title(hwnd), text

    def quit(self):
        """Ends the robot and with it every program it started. Fine when it has ended."""
        if self._proc.poll() is None:
            try:
                self._proc.stdin.write(b"quit\n")
                self._proc.stdin.flush()
            except OSError:
                pass
            try:
                self._proc.wait(10)
            except subprocess.TimeoutExpired:
                pass
        end_process(self._proc)
        if not self._errors.closed:
            self._errors.seek(0)
            said = self._errors.read()
            self._errors.close()
            if said:
                sys.stderr.write(said.decode(ENCODING, "replace"))

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.quit()


class RobotTestCase(unittest.TestCase):
    """Tests that drive the program: one robot for the whole class."""

    @classmethod
    def setUpClass(cls):
        cls.robot = Robot()
        cls.addClassCleanup(cls.robot.quit)
