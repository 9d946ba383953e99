"""One run of the real ZEV.EXE in a folder of its own, as a technician would start it.

ToolFolder copies the runnable set (build/dist) into a fresh temporary folder, writes a
ZEV.INI if asked, and reads back what the program leaves there (ZEV.INI, ZevLog.TXT).
Both are context managers; tool_folder() and tool_run() hand them to an owner (a TestCase
or an ExitStack) that removes the folder and ends the program whatever happens."""
import configparser
import os
import shutil
import tempfile
import time

from .processes import enter
from .robot import Robot, RobotError

# Identifiers of the main window (app/resource.h)
IDC_DEVICE = (1000, 1001, 1004)
IDC_LOG = 1002
IDC_COM = (1010, 1011, 1012, 1013)
TITLE = "Zevanto"
IDYES = 6
# The questions before the end of an operation still running, in both languages.
END_QUESTIONS = ("Ein Vorgang läuft noch.\nZevanto beenden und den Vorgang abbrechen?",
                 "Ein Firmware-Download läuft.\nZevanto beenden und den Download abbrechen?",
                 "An operation is still running.\nEnd Zevanto and abandon it?",
                 "A firmware download is running.\nEnd Zevanto and abandon the download?")


def dist_dir():
    return os.environ["ZEV_DIST"]


class ToolFolder:
    def __init__(self, settings=None, files=("ZEV.EXE", "ZEV_DE.DLL", "ZEV_EN.DLL", "KORA.DLL")):
        self.path = tempfile.mkdtemp(prefix="zevtest-")
        for name in files:
            source = os.path.join(dist_dir(), name)
            if os.path.exists(source):
                shutil.copy(source, self.path)
        if settings is not None:
            self.write_settings(settings)

    @property
    def exe(self):
        return os.path.join(self.path, "ZEV.EXE")

    def file(self, name):
        return os.path.join(self.path, name)

    def write_settings(self, text):
        with open(self.file("ZEV.INI"), "w", newline="\r\n") as f:
            f.write(text)

    def settings(self):
        """ZEV.INI as {section: {key: value}} with the case of its keys kept."""
        parser = configparser.RawConfigParser()
        parser.optionxform = str
        parser.read(self.file("ZEV.INI"), encoding="cp1252")
        return {s: dict(parser.items(s)) for s in parser.sections()}

    def log_lines(self):
        with open(self.file("ZevLog.TXT"), "rb") as f:
            return f.read().decode("cp1252").split("\r\n")

    def remove(self):
        shutil.rmtree(self.path, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.remove()


def tool_folder(owner, settings=None):
    """A ToolFolder removed when `owner` ends."""
    return enter(owner, ToolFolder(settings))


def tool_run(owner, folder, robot=None):
    """A ToolRun, not started yet, whose program is ended when `owner` ends."""
    return enter(owner, ToolRun(folder, robot))


class ToolRun:
    """ZEV.EXE started by the robot in a ToolFolder; `main` is its main window."""

    def __init__(self, folder, robot=None):
        self.folder = folder
        self.robot = robot or Robot()
        self._own_robot = robot is None
        self.main = None
        self.pid = None

    def start(self, timeout=15.0, command_line=None):
        """Starts the program; its main window, or None when none opens in time."""
        self.launch(command_line)
        self.main = self.robot.window(TITLE, timeout)
        return self.main

    def launch(self, command_line=None):
        """Starts the program without waiting for a window (for a start that shows a box)."""
        self.pid = self.robot.start(self.folder.exe, self.folder.path, command_line=command_line)
        return self.pid

    def start_box(self, title, timeout=15.0, command_line=None):
        """Starts the program for a start that ends in a box titled `title`: the box.
        Without it the failure says what became of the program (its exit code, or the
        window it shows instead), so that a run that fails once says why."""
        self.launch(command_line)
        box = self.robot.window(title, timeout)
        if box is None:
            code = self.robot.exit_code(0)
            if code is not None:
                raise AssertionError("no box %r: the program ended with exit code %#x" % (title, code))
            shown = self.robot.window("", 0)
            raise AssertionError("no box %r within %.0f s: the program still runs and shows %s"
                                 % (title, timeout, repr(self.robot.title(shown)) if shown else "no window"))
        return box

    def radio_index(self, ids):
        checked = [i for i, cid in enumerate(ids) if self.robot.checked(self.main, cid)]
        return checked[0] if len(checked) == 1 else (-1 if not checked else checked)

    def log_window(self):
        return self.robot.text(self.main, IDC_LOG)

    def close(self, timeout=10.0):
        """Closes the main window as the close box does; returns the exit code. The close
        box asks before it ends an operation still running: a test that closes right after
        the device's last answer may find its command not quite done on a busy machine,
        and that question is answered Yes (tests of the question answer it themselves)."""
        if not self.main:
            return self.robot.exit_code(timeout)
        self.robot.close(self.main)
        end = time.monotonic() + timeout
        while True:
            code = self.robot.exit_code(0.2)
            if code is not None or time.monotonic() > end:
                return code
            box = self.robot.other_window(self.main, 0.1)
            if box is not None and self.robot.text(box, 0xFFFF) in END_QUESTIONS:
                self.robot.post_click(box, IDYES)

    def stop(self):
        """Ends this run's program if it still runs, even after the robot has started
        another one; fine when it has ended, and when the robot has gone (its programs
        went with it)."""
        if self.pid is not None:
            try:
                self.robot.kill(self.pid)
            except (RobotError, OSError):
                pass
            self.pid = None
        if self._own_robot:
            self.robot.quit()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.stop()
