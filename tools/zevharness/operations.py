"""What the end-to-end tests of the device operations share: the menu commands, the German
texts the tool logs and shows, the bytes the device received, and the checks that the
tool is idle again and that no box is open."""
import re
import time

from . import hex_log
from .session import wait_for

# Menu commands (app/resource.h)
QUERY, CAPTURE, CLOCK, TEXT_S, READOUT = 40002, 40003, 40004, 40005, 40006
COMMAND_Y, COMMAND_X, COMMAND_XS, TEXT_N, TEXT_H = 40007, 40008, 40009, 40010, 40011
CONNECT, DISCONNECT, DOWNLOAD, CONFIG_READ = 40012, 40013, 40017, 40018

# Controls and buttons
IDC_PROGRESS, IDC_TEXT_ENTRY = 1003, 1006
IDC_DOWNLOAD_STATUS = 1080  # the line under the bar while a download runs
IDOK, IDCANCEL, IDYES, IDNO = 1, 2, 6, 7

ACK, NAK, ESC, CR = b"\x06", b"\x15", b"\x1b", b"\r"
END_FRAME = b"\0\0\0\0"

# What the German language library says
RX_TIMEOUT = "Keine Antwort vom Gerät (Zeitüberschreitung)"
BUSY_CAPTION = "Gerät beschäftigt"
BUSY_QUESTION = "Ein Vorgang läuft noch.\nAbbrechen und den neuen Befehl ausführen?"
COMMAND_Y_LOG = "Befehl Y an das Gerät"


class Matching:
    """Equal to any text the regular expression matches whole: a log line whose numbers
    differ from run to run, in a list of lines compared at once."""

    __hash__ = None

    def __init__(self, pattern):
        self.pattern = re.compile(pattern)

    def __eq__(self, other):
        return isinstance(other, str) and self.pattern.fullmatch(other) is not None

    def __repr__(self):
        return "Matching(%r)" % self.pattern.pattern


# The line after a complete download's: the time it took, and the lines or blocks a second.
DOWNLOAD_TOOK = Matching(r"Dauer: \d+:\d\d(:\d\d)? \(\d+,\d (Zeilen|Blöcke)/s\)")


def log_texts(run):
    """The lines the log window shows, without their time stamps."""
    return [line[9:] for line in run.log_window().split("\r\n") if line]


def log_texts_after(run, text):
    """The log window's lines after the last one that starts with `text`."""
    lines = log_texts(run)
    starts = [i for i, line in enumerate(lines) if line.startswith(text)]
    if not starts:
        raise AssertionError("no log line starts with %r; the log shows:\n%s" % (text, "\n".join(lines)))
    return lines[starts[-1] + 1:]


def file_log_texts(folder):
    """The lines of the log file, without their time stamps (the file is complete once
    the program has ended)."""
    return [line[9:] for line in folder.log_lines()[2:] if line]


class SimWire:
    """The bytes the simulator received, read back from its hex log, counted from a mark."""

    def __init__(self, sim):
        self.sim = sim
        self.start = 0

    def received(self):
        return hex_log.received(self.sim.log_text())

    def mark(self):
        self.start = len(self.received())

    def since_mark(self, count, timeout=5.0):
        """The bytes since the mark, once there are at least `count` (or after `timeout`)."""
        wait_for(lambda: len(self.received()) - self.start >= count, timeout)
        return self.received()[self.start:]

    def quiet_since_mark(self, quiet=0.3):
        """The bytes since the mark once nothing more has come for `quiet` seconds."""
        before = None
        while True:
            now = self.received()[self.start:]
            if now == before:
                return now
            before = now
            time.sleep(quiet)


def assert_idle(test, s, wire):
    """The tool of SimSession `s` is idle and not busy: the clock command goes out at
    once, without the busy question, and nothing comes before it. The clock is done when
    its text has come, and the tool idle again for the next command (a command that
    ends on the device's ESC alone gives no such sign)."""
    wire.mark()
    s.command(CLOCK)
    sent = wire.since_mark(15)
    test.assertEqual((sent[:1], len(sent), sent[-2:]), (b"T", 15, b"\r\r"), sent)
    assert_no_box(test, s.robot, s.main)


def answer_box(test, robot, main, button, timeout=5.0):
    """Answers the box the tool shows over `main` with `button`: (title, text)."""
    box = robot.message_box(main, timeout)
    test.assertIsNotNone(box, "no box")
    robot.post_click(box[0], button)
    test.assertTrue(robot.gone(box[0]), "the box did not close")
    return box[1], box[2]


def assert_no_box(test, robot, main, timeout=0.3):
    box = robot.other_window(main, timeout)
    test.assertIsNone(box, "a box is open: %r" % (box and robot.text(box, 0xFFFF)))


def start_download(test, robot, session, path):
    """Gives the download command and chooses `path` in the tool's open dialog; the
    download then runs."""
    session.command(DOWNLOAD)
    dialog = robot.other_window(session.main, 5.0)
    test.assertIsNotNone(dialog, "no file dialog")
    robot.file_dialog(dialog, path)
    test.assertTrue(robot.gone(dialog), "the file dialog stays open")


def cancel_dialog(test, robot, main, timeout=5.0):
    """Cancels the dialog the tool opens over `main` (the user changes nothing); its title."""
    dialog = robot.other_window(main, timeout)
    test.assertIsNotNone(dialog, "no dialog")
    title = robot.title(dialog)
    robot.post_click(dialog, IDCANCEL)
    test.assertTrue(robot.gone(dialog), "the dialog did not close")
    return title
