"""The device settings saved to a file and restored from one, through the real ZEV.EXE
against ZEVSIM.EXE: a save reads the nine values with the reads of the cycles and
writes what the device answered; a restore reads the device, shows the comparison, and
on OK writes what differs with the write transactions of the cycles and reads every
value back. Cloning is a restore of another device's file: afterwards the second device
answers every read as the first one did. A file that cannot be used sends nothing."""
import os
import shutil
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "harness"))
from operations import ESC, IDCANCEL, IDOK, SimWire, answer_box, assert_idle, assert_no_box  # noqa: E402
from parameters import Talk, device, simulator_settings, tool  # noqa: E402
from processes import on_end  # noqa: E402
from robot import RobotTestCase, windows_path  # noqa: E402
from session import READOUT, sim_session, wait_for  # noqa: E402

SAVE, RESTORE = 40030, 40031
IDC_SETTINGS_FILE, IDC_SETTINGS_ROWS = 1040, 1041
COMPARE_TITLE = "Geräteeinstellungen wiederherstellen"
BOX_TITLE = "Zevanto"
IDYES = 6

LETTERS = b"rh3bjwf4c"
# Device A and device B of one type, every value different.
A = {"r": "30,40,9", "h": "1", "3": "SCANIA", "b": "1", "j": "1", "w": "0", "f": "3", "4": "RS485", "c": "1"}
B = {"r": "9,33,0", "h": "0", "3": "OTHER", "b": "0", "j": "0", "w": "1", "f": "2", "4": "RS232", "c": "0"}
# What restoring A's values into B sends after each write letter's ESC.
A_WRITES = [(b"R", b"30,40,9\r"), (b"H", b"1\r"), (b"1", b"2\r"), (b"B", b"1\r"), (b"J", b"1\r"),
            (b"W", b"0\r"), (b"F", b"3\r"), (b"2", b"2\r"), (b"C", b"1\r")]


def reads(values):
    """The nine reads on the wire, each answered with the value of `values`."""
    turns = []
    for letter in LETTERS:
        key = chr(letter)
        turns += [tool(bytes([letter])), device(values[key].encode() + b"\r")]
    return turns


def writes(pairs):
    """Write letters, each answered with ESC, its value text going out with the next
    letter (no answer to a value text is awaited)."""
    turns, pending = [], b""
    for letter, text in pairs:
        turns += [tool(pending + letter), device(ESC)]
        pending = text
    return turns, pending


def restore_turns(before, pairs, after):
    """A restore on the wire: the reads, the writes, the reads back."""
    write_turns, last_text = writes(pairs)
    back = reads(after)
    back[0] = tool(last_text + back[0][1])
    return reads(before) + write_turns + back


def settings_text(type_name, values, ident="Corlaxa V2.14 SN 104711"):
    lines = ["[Device]", "Type=" + type_name, "Identification=" + ident, "Saved=2026-12-07 10:00:00", "",
             "[Values]"] + ["%s=%s" % (chr(k), values[chr(k)]) for k in LETTERS] + ["", "[End]", ""]
    return "\r\n".join(lines)


def without_header_times(text):
    """A settings file without the lines that say when and from which unit it came."""
    return [line for line in text.splitlines() if not line.startswith(("Saved=", "Identification="))]


class SettingsSession:
    """One simulated Corlaxa with `values`, its tool connected, and a folder for files."""

    def __init__(self, owner, robot, port, values, ident, sim_args=()):
        settings = simulator_settings(owner, **values)
        with open(settings, "a") as f:
            f.write("[Device]\nIdent=%s\n" % ident)
        self.s = sim_session(owner, robot, 1, port, sim_args=("--settings", windows_path(settings)) + tuple(sim_args))
        self.s.connect()
        self.talk = Talk(self.s.sim)
        self.wire = SimWire(self.s.sim)
        self.robot = robot

    def choose_file(self, test, command, path):
        self.talk.mark()
        self.s.command(command)
        dialog = self.robot.other_window(self.s.main, 5.0)
        test.assertIsNotNone(dialog, "no file dialog")
        self.robot.file_dialog(dialog, path)
        test.assertTrue(self.robot.gone(dialog), "the file dialog stays open")

    def save(self, test, path):
        self.choose_file(test, SAVE, path)
        test.assertTrue(self.s.log_has("Geräteeinstellungen gesichert in " + windows_path(path)),
                        self.s.run.log_window()[-600:])

    def restore(self, test, path):
        """Starts a restore of `path`: the comparison dialog, once the device is read."""
        self.choose_file(test, RESTORE, path)
        dialog = self.robot.other_window(self.s.main, 8.0)
        test.assertIsNotNone(dialog, "no comparison")
        test.assertEqual(self.robot.title(dialog), COMPARE_TITLE)
        return dialog

    def rows(self, dialog):
        return [row.split("\t") for row in self.robot.items(dialog, IDC_SETTINGS_ROWS)]

    def finish(self, test, dialog, button, last_line):
        self.robot.post_click(dialog, button)
        test.assertTrue(self.robot.gone(dialog), "the comparison stays open")
        test.assertTrue(self.s.log_has(last_line, 10.0), self.s.run.log_window()[-800:])


class Files:
    def __init__(self, owner):
        self.folder = tempfile.mkdtemp(prefix="zevset-")
        on_end(owner, shutil.rmtree, self.folder, True)

    def path(self, name):
        return os.path.join(self.folder, name)

    def write(self, name, text):
        with open(self.path(name), "w", newline="") as f:
            f.write(text)
        return self.path(name)


class CloneTest(RobotTestCase):
    """Device A saved, its file restored into device B, B saved again."""

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.files = Files(cls)
        cls.a = SettingsSession(cls, cls.robot, 1, A, "Corlaxa V2.14 SN 200001")
        cls.b = SettingsSession(cls, cls.robot, 2, B, "Corlaxa V2.14 SN 200002")

    def test_a_clone_answers_every_read_as_the_device_it_was_saved_from(self):
        a_path, b_path = self.files.path("a.ZEVSET"), self.files.path("b.ZEVSET")
        self.a.save(self, a_path)
        self.assertEqual(self.a.talk.since_mark(reads(A)), reads(A))
        with open(a_path, newline="") as f:
            a_text = f.read()
        self.assertIn("\r\n[Device]\r\nType=Corlaxa\r\nIdentification=Corlaxa V2.14 SN 200001\r\n", a_text)
        for key in "rh3bjwf4c":
            self.assertIn("\r\n%s=%s\r\n" % (key, A[key]), a_text)
        self.assertTrue(a_text.endswith("\r\n[End]\r\n"))
        self.assertEqual([n for n in os.listdir(self.files.folder)], ["a.ZEVSET"], "a temporary file is left")
        assert_idle(self, self.a.s, self.a.wire)

        dialog = self.b.restore(self, a_path)
        self.assertEqual(self.robot.text(dialog, IDC_SETTINGS_FILE), windows_path(a_path))
        self.assertEqual(self.b.rows(dialog),
                         [[k, B[k], A[k], "wird geschrieben"] for k in "rh3bjwf4c"])
        self.b.finish(self, dialog, IDOK, "Geräteeinstellungen wiederhergestellt und geprüft")
        self.assertEqual(self.b.talk.since_mark(restore_turns(B, A_WRITES, A)), restore_turns(B, A_WRITES, A))
        assert_idle(self, self.b.s, self.b.wire)

        self.b.save(self, b_path)
        self.assertEqual(self.b.talk.since_mark(reads(A)), reads(A))
        with open(b_path, newline="") as f:
            b_text = f.read()
        self.assertEqual(without_header_times(b_text), without_header_times(a_text))
        self.assertIn("Identification=Corlaxa V2.14 SN 200002\r\n", b_text)

        # The same file again: every row equal, nothing written, nothing more to prove.
        dialog = self.b.restore(self, a_path)
        self.assertEqual([row[3] for row in self.b.rows(dialog)], ["gleich"] * 9)
        self.b.finish(self, dialog, IDOK, "das Gerät hatte sie schon, nichts wurde geschrieben")
        self.assertEqual(self.b.talk.since_mark(reads(A)), reads(A))
        assert_idle(self, self.b.s, self.b.wire)


class RestoreFaultsTest(RobotTestCase):
    """A device that takes 'F' with ESC but keeps its old 'f'; the files a restore
    refuses; values the device would not take; Cancel."""

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.files = Files(cls)
        cls.d = SettingsSession(cls, cls.robot, 1, B, "Corlaxa V2.14 SN 300003", sim_args=("--write-not-kept", "F"))

    def setUp(self):
        self.d.talk.mark()

    def assert_refused(self, name, text, message):
        """Restoring file `name` holding `text` sends nothing and says `message`."""
        path = self.files.write(name, text)
        self.d.choose_file(self, RESTORE, path)
        title, shown = answer_box(self, self.robot, self.d.s.main, IDOK)
        self.assertEqual(title, BOX_TITLE)
        self.assertIn(message, shown)
        self.assertIn(windows_path(path), shown)
        self.assertIn(shown, self.d.s.run.log_window())
        self.assertEqual(self.d.talk.since_mark([], timeout=0.5), [])
        assert_idle(self, self.d.s, self.d.wire)

    def test_a_file_for_another_device_type_sends_nothing(self):
        self.assert_refused("vantik.ZEVSET", settings_text("Vantik", A),
                            "Einstellungen eines Geräts vom Typ Vantik; verbunden ist ein Gerät vom Typ Corlaxa")

    def test_a_file_cut_short_or_garbled_sends_nothing(self):
        whole = settings_text("Corlaxa", A)
        self.assert_refused("cut.ZEVSET", whole[:whole.index("[End]")], "die Datei ist abgeschnitten")
        self.assert_refused("garbled.ZEVSET", whole.replace("w=0", "w 0"),
                            "Zeile 12 ist weder Kommentar noch Abschnitt noch Schlüssel=Wert")
        self.assert_refused("missing.ZEVSET", whole.replace("c=1\r\n", ""), "der Wert 'c' fehlt")

    def test_cancel_writes_nothing(self):
        dialog = self.d.restore(self, self.files.write("cancel.ZEVSET", settings_text("Corlaxa", A)))
        self.d.finish(self, dialog, IDCANCEL, "Wiederherstellen der Geräteeinstellungen abgebrochen")
        self.assertEqual(self.d.talk.since_mark(reads(B)), reads(B))
        assert_idle(self, self.d.s, self.d.wire)

    def test_a_value_out_of_range_is_shown_and_never_written(self):
        values = dict(B, r="60,33,0", c="1")
        dialog = self.d.restore(self, self.files.write("range.ZEVSET", settings_text("Corlaxa", values)))
        rows = self.d.rows(dialog)
        self.assertEqual(rows[0], ["r", "9,33,0", "60,33,0", "außerhalb von 2 bis 50"])
        self.assertEqual(rows[8], ["c", "0", "1", "wird geschrieben"])
        self.assertEqual([row[3] for row in rows[1:8]], ["gleich"] * 7)
        self.d.finish(self, dialog, IDOK, "Geräteeinstellungen nicht bestätigt: 1 Werte weichen von der Datei ab")
        self.assertEqual(answer_box(self, self.robot, self.d.s.main, IDOK)[1],
                         "Geräteeinstellungen nicht bestätigt: 1 Werte weichen von der Datei ab")
        after = dict(B, c="1")
        self.assertEqual(self.d.talk.since_mark(restore_turns(B, [(b"C", b"1\r")], after)),
                         restore_turns(B, [(b"C", b"1\r")], after))
        log = self.d.s.run.log_window()
        self.assertIn("Geräteeinstellungen: 'r' wird nicht geschrieben (außerhalb von 2 bis 50)", log)
        self.assertIn("Geräteeinstellungen: 'r' weicht nach dem Schreiben ab: das Gerät antwortet \"9,33,0\", "
                      "die Datei enthält \"60,33,0\"", log)
        # c went in: put it back for the other tests
        dialog = self.d.restore(self, self.files.write("back.ZEVSET", settings_text("Corlaxa", B)))
        self.d.finish(self, dialog, IDOK, "Geräteeinstellungen wiederhergestellt und geprüft")

    def test_a_write_the_device_does_not_keep_is_named_after_the_read_back(self):
        values = dict(B, f="3")
        dialog = self.d.restore(self, self.files.write("f.ZEVSET", settings_text("Corlaxa", values)))
        self.assertEqual(self.d.rows(dialog)[6], ["f", "2", "3", "wird geschrieben"])
        self.assertEqual(self.d.rows(dialog)[5], ["w", "1", "1", "gleich"])
        self.d.finish(self, dialog, IDOK, "'f' weicht nach dem Schreiben ab: das Gerät antwortet \"2\", "
                                          "die Datei enthält \"3\"")
        self.assertEqual(answer_box(self, self.robot, self.d.s.main, IDOK)[1],
                         "Geräteeinstellungen nicht bestätigt: 1 Werte weichen von der Datei ab")
        self.assertEqual(self.d.talk.since_mark(restore_turns(B, [(b"F", b"3\r")], B)),
                         restore_turns(B, [(b"F", b"3\r")], B))
        self.assertTrue(self.d.s.sim_log_has('not kept'))
        assert_idle(self, self.d.s, self.d.wire)


class RestoreCutShortTest(RobotTestCase):
    """A device that stops answering at the 'J' write; and the busy question in the
    middle of a restore."""

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.files = Files(cls)
        cls.d = SettingsSession(cls, cls.robot, 1, B, "Corlaxa V2.14 SN 400004", sim_args=("--silent-after", "J"))

    def test_a_time_out_in_the_middle_says_what_was_written(self):
        path = self.files.write("a.ZEVSET", settings_text("Corlaxa", A))
        dialog = self.d.restore(self, path)
        self.robot.post_click(dialog, IDOK)
        self.assertTrue(self.robot.gone(dialog))
        self.assertEqual(answer_box(self, self.robot, self.d.s.main, IDOK, 5.0)[1],
                         "Keine Antwort vom Gerät (Zeitüberschreitung)")
        self.assertTrue(self.d.s.log_has("Wiederherstellen der Geräteeinstellungen bei 'J' abgebrochen; "
                                         "schon geschrieben: 'R', 'H', '1', 'B'"), self.d.s.run.log_window()[-600:])
        write_turns, _ = writes(A_WRITES[:5])
        expected = reads(B) + write_turns[:-1]  # 'J' gets no ESC, and its value text does not go
        self.assertEqual(self.d.talk.since_mark(expected), expected)
        self.assertNotIn("wiederhergestellt und geprüft", self.d.s.run.log_window())


class RestoreBusyTest(RobotTestCase):
    """A command in the middle of a restore gets the busy question; Yes ends the restore,
    and the log says what had been written by then."""

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.files = Files(cls)
        cls.d = SettingsSession(cls, cls.robot, 1, B, "Corlaxa V2.14 SN 600006", sim_args=("--reply-delay", "400"))

    def test_yes_to_the_busy_question_ends_the_restore(self):
        dialog = self.d.restore(self, self.files.write("a.ZEVSET", settings_text("Corlaxa", A)))
        self.robot.post_click(dialog, IDOK)
        self.assertTrue(self.robot.gone(dialog))
        self.assertTrue(self.d.s.log_has("Eingabeart schreiben (H)", 8.0), self.d.s.run.log_window()[-600:])
        self.d.s.command(READOUT)
        self.assertEqual(answer_box(self, self.robot, self.d.s.main, IDYES)[0], "Gerät beschäftigt")
        log = self.d.s.run.log_window()
        self.assertRegex(log, r"Wiederherstellen der Geräteeinstellungen bei '[H1B]' abgebrochen; "
                              r"schon geschrieben: 'R'(, 'H')?(, '1')?\r\n")
        self.assertNotIn("wiederhergestellt und geprüft", log)
        # the read-out that was asked for runs
        self.assertTrue(self.d.s.log_has("TEXT S=", 10.0))


class SaveFailureTest(RobotTestCase):
    """A settings file that cannot be replaced: the older file stays as it was, and no
    temporary file is left behind."""

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.files = Files(cls)
        cls.d = SettingsSession(cls, cls.robot, 1, B, "Corlaxa V2.14 SN 500005")

    def test_a_file_held_by_another_program_is_left_as_it_was(self):
        path = self.files.write("held.ZEVSET", "an older file\r\n")
        self.robot.lock(path)
        try:
            self.d.talk.mark()
            self.d.s.command(SAVE)
            dialog = self.robot.other_window(self.d.s.main, 5.0)
            self.robot.file_dialog(dialog, path)
            # the file dialog asks before it replaces the older file
            question = self.robot.other_window(dialog, 5.0)
            self.assertIn("held.ZEVSET", self.robot.text(question, 0xFFFF))
            self.robot.post_click(question, IDYES)
            title, text = answer_box(self, self.robot, self.d.s.main, IDOK, 8.0)
        finally:
            self.robot.unlock(path)
        self.assertIn("Die Einstellungsdatei %s kann nicht geschrieben werden" % windows_path(path), text)
        self.assertIn("die Geräteeinstellungen wurden nicht gesichert", text)
        with open(path, newline="") as f:
            self.assertEqual(f.read(), "an older file\r\n")
        self.assertEqual(os.listdir(self.files.folder), ["held.ZEVSET"])
        assert_idle(self, self.d.s, self.d.wire)


if __name__ == "__main__":
    unittest.main()
