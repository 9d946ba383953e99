"""An unattended run refuses before it touches the device what it could not finish: a step
the device type does not offer (exit code 1, the usage text), and a file it names that it
could not send or restore (exit code 5, the reason in the log and on stderr). Nothing goes
out on the port then: no wake-up, no byte. Started with no console (as by a scheduled
task), it says the same in the log and in ZEV-ERROR.TXT beside it, and no box waits for a
person: the process ends by itself."""
import contextlib
import os
import subprocess
import tempfile
import unittest

from zevharness.firmware_files import SMALL_S19, s19_lines, s19_path, write_image
from zevharness.ptys import pty_pair
from zevharness.robot import test_bin, windows_path
from zevharness.simulator import simulator
from zevharness.tool import tool_folder

SETTINGS = "[Setup]\nLanguageLibrary=ZEV_EN.DLL\n[ComPort]\nComPortNo=3\n[Device]\nDevice=Brennix\n"
USAGE = "Usage: ZEV.EXE [/port N|COMn|URL]"
REFUSED = "Nothing is sent: a file the command line names cannot be used"
ERROR_FILE = "ZEV-ERROR.TXT"
STILL_RUNNING = 200  # the launcher's code for a program that did not end by itself


def settings_text(type_name):
    """A complete settings file of a device of type `type_name`, as the tool writes one."""
    values = {"r": "30,40,9", "h": "1", "3": "SCANIA", "b": "1", "j": "1", "w": "0", "f": "3", "4": "RS485", "c": "1"}
    lines = (["[Device]", "Type=" + type_name, "Identification=Corlaxa V2.14 SN 104711",
              "Saved=2026-12-07 10:00:00", "", "[Values]"] + ["%s=%s" % (k, values[k]) for k in "rh3bjwf4c"]
             + ["", "[End]", ""])
    return "\r\n".join(lines)


def run_wine(folder, command, timeout):
    """A Windows program run to its end: its exit code and its stderr. The output goes to a
    file, not a pipe: a program of Wine's that the run starts (the desktop of the first
    window in the prefix) inherits it and keeps it open long after the run has ended."""
    with tempfile.TemporaryFile() as err:
        done = subprocess.run(["wine"] + command, cwd=folder.path, stdin=subprocess.DEVNULL,
                              stdout=subprocess.DEVNULL, stderr=err, timeout=timeout)
        err.seek(0)
        return done.returncode, err.read().decode("cp1252", "replace")


def run_tool(folder, args, timeout=90):
    """ZEV.EXE run to its end as a script with a console runs it: its code and its stderr."""
    return run_wine(folder, [folder.exe] + list(args), timeout)


def run_detached(folder, args, wait_ms=30000):
    """ZEV.EXE started with no console and no standard handles, as a scheduled task starts
    it; its exit code, or STILL_RUNNING when it had not ended by itself after `wait_ms`."""
    launcher = os.path.join(test_bin(), "detached_start.exe")
    code, err = run_wine(folder, [launcher, str(wait_ms), windows_path(folder.path), windows_path(folder.exe)]
                         + list(args), wait_ms / 1000 + 60)
    if code == 250:
        raise AssertionError(err)
    if code == STILL_RUNNING:
        raise AssertionError("ZEV.EXE did not end by itself: a box waits for a person")
    return code


def read_text(path):
    with open(path, encoding="cp1252", newline="") as f:
        return f.read()


def log_texts(folder):
    """The log file's lines without their time stamps."""
    return [line[9:] for line in folder.log_lines() if line]


class UnattendedArgumentsTest(unittest.TestCase):
    def setUp(self):
        self.folder = tool_folder(self, SETTINGS)
        self.settings_before = self.folder.settings()

    def write(self, name, data):
        path = self.folder.file(name)
        with open(path, "wb") as f:
            f.write(data)
        return path

    def start_sim(self, owner, device_type, *args):
        sim = simulator(owner, self.folder.path, "--type", str(device_type), *args, port=21)
        sim.wait_for_output("waiting for a wake-up")
        return sim

    def assert_nothing_sent(self, pair, sim=None):
        self.assertEqual(pair.read(timeout=0.3), b"", "nothing is sent")
        if sim is not None:
            self.assertNotIn("wake-up for type", sim.output(), "the device saw no wake-up")

    def assert_settings_unchanged(self):
        after = self.folder.settings()
        for section in ("ComPort", "Device", "Setup"):
            self.assertEqual(after[section], self.settings_before[section])

    # --- steps the device type does not offer ------------------------------------------------

    def test_a_step_the_device_type_does_not_offer_is_a_bad_argument(self):
        pair = pty_pair(self, 1)
        cases = [
            (["/device", "Vantik", "/clock"], "/clock needs a Corlaxa (/device Corlaxa): a Vantik does not offer it"),
            (["/device", "Brennix", "/readout", "x.LOG"],
             "/readout needs a Corlaxa (/device Corlaxa): a Brennix does not offer it"),
            (["/device", "Brennix", "/download", "fw.S19", "/clock"],
             "/clock needs a Corlaxa (/device Corlaxa): a Brennix does not offer it"),
            (["/device", "Vantik", "/restore-settings", "a.ZEVSET"],
             "/restore-settings needs a Corlaxa (/device Corlaxa): a Vantik does not offer it"),
            (["/device", "vantik", "/save-settings", "a.ZEVSET"],
             "/save-settings needs a Corlaxa (/device Corlaxa): a Vantik does not offer it"),
            # without /device, the device of ZEV.INI (a Brennix) is the one asked
            (["/clock"], "/clock needs a Corlaxa (/device Corlaxa): a Brennix does not offer it"),
        ]
        for args, message in cases:
            with self.subTest(args=args):
                code, err = run_tool(self.folder, ["/port", "1"] + args + ["/result", "r.csv"])
                self.assertEqual(code, 1, err)
                self.assertIn(message, err)
                self.assertIn(USAGE, err)
        self.assert_nothing_sent(pair)
        self.assertFalse(os.path.exists(self.folder.file("ZevLog.TXT")), "no window, no log")
        self.assertFalse(os.path.exists(self.folder.file("r.csv")))
        self.assertFalse(os.path.exists(self.folder.file("x.LOG")))
        self.assert_settings_unchanged()

    def test_a_vantik_takes_its_download(self):
        """The download is every type's step: a Vantik's S-record file goes out whole."""
        pty_pair(self, 1)
        sim = self.start_sim(self, 0)
        lines = s19_lines(s19_path(SMALL_S19))
        self.write("fw.S19", ("\r\n".join(lines) + "\r\n").encode())
        code, err = run_tool(self.folder, ["/port", "1", "/device", "Vantik", "/download", "fw.S19"])
        self.assertEqual(code, 0, err + "\n".join(log_texts(self.folder)[-10:]))
        self.assertEqual(err, "")
        self.assertIn("download ended", sim.output())

    # --- files looked at before the device is touched -------------------------------------------

    def assert_file_refused(self, args, reasons, device_type, sim_args=()):
        """The run ends with code 5 before the port is opened: the simulator on the other end
        sees no wake-up and the pty not a byte; the log and stderr say why, and no row is
        written, since no unit was served."""
        with contextlib.ExitStack() as run:
            pair = pty_pair(run, 1)
            sim = self.start_sim(run, device_type, *sim_args)
            code, err = run_tool(self.folder, ["/port", "1"] + args + ["/result", "r.csv"])
            texts = log_texts(self.folder)
            self.assertEqual(code, 5, err + "\n".join(texts[-10:]))
            self.assert_nothing_sent(pair, sim)
        for reason in reasons:
            self.assertIn(reason, err)
            self.assertTrue(any(reason in t for t in texts), texts)
        self.assertIn(REFUSED, err)
        run_lines = texts[texts.index("Unattended run: " + " ".join(["/port", "1"] + args + ["/result", "r.csv"])):]
        self.assertTrue(any(t.startswith(REFUSED) for t in run_lines), run_lines)
        self.assertIn("Unattended run ended: exit code 5 (a file cannot be read or written)", run_lines)
        self.assertNotIn("Unit 1", run_lines, "no unit was begun")
        self.assertFalse(os.path.exists(self.folder.file("r.csv")), "no unit, no row")

    def test_firmware_files_that_cannot_be_sent_are_refused_before_the_wake_up(self):
        lines = s19_lines(s19_path(SMALL_S19))
        header_only = [lines[0], lines[-1]]
        self.assertTrue(header_only[0].startswith("S0") and header_only[1][:2] in ("S7", "S8", "S9"), header_only)
        self.write("header.S19", ("\r\n".join(header_only) + "\r\n").encode())
        bad = lines[1][:-2] + ("00" if lines[1][-2:] != "00" else "01")  # its checksum wrong
        self.write("bad.S19", ("\r\n".join([lines[0], bad] + lines[2:]) + "\r\n").encode())
        self.write("empty.IMG", b"")
        cases = [
            ("S0 and S9 only", 0, ["/device", "Vantik", "/download", "header.S19"],
             ["The firmware file %s holds nothing to send" % windows_path(self.folder.file("header.S19"))]),
            ("a bad S-record", 2, ["/device", "Brennix", "/download", "bad.S19"],
             ["The firmware file %s: 1 of its lines are no valid S-record; the first is line 2 (" %
              windows_path(self.folder.file("bad.S19"))]),
            ("an empty image", 1, ["/device", "Corlaxa", "/download", "empty.IMG"],
             ["The firmware file %s holds nothing to send" % windows_path(self.folder.file("empty.IMG"))]),
            ("a missing image", 1, ["/device", "Corlaxa", "/download", "missing.IMG", "/clock"],
             ["The firmware file %s cannot be opened" % windows_path(self.folder.file("missing.IMG"))]),
        ]
        for name, device_type, args, reasons in cases:
            with self.subTest(file=name):
                self.assert_file_refused(args, reasons, device_type)

    def test_a_restore_before_a_missing_firmware_file_writes_nothing(self):
        """The settings would have been written before the download found its file gone: the
        unit is left as it was, and every bad file is named, not only the first."""
        text = settings_text("Corlaxa")
        self.write("good.ZEVSET", text.encode("cp1252"))
        self.write("other.ZEVSET", settings_text("Brennix").encode("cp1252"))
        write_image(self.folder.file("fw.IMG"), 132 * 3)
        self.assert_file_refused(
            ["/device", "Corlaxa", "/restore-settings", "good.ZEVSET", "/download", "missing.IMG"],
            ["The firmware file %s cannot be opened" % windows_path(self.folder.file("missing.IMG"))], 1)
        self.assertFalse([t for t in log_texts(self.folder) if "good.ZEVSET" in t and "Unattended run" not in t],
                         "a settings file of the device's type is fit")
        self.assert_file_refused(
            ["/device", "Corlaxa", "/restore-settings", "other.ZEVSET", "/download", "fw.IMG"],
            ["The file %s holds the settings of a Brennix device; the device connected is a Corlaxa" %
             windows_path(self.folder.file("other.ZEVSET"))], 1)
        self.write("cut.ZEVSET", text[:text.index("[End]")].encode("cp1252"))
        self.assert_file_refused(
            ["/device", "Corlaxa", "/restore-settings", "cut.ZEVSET", "/clock", "/restore-settings", "missing.ZEVSET",
             "/restore-settings", "cut.ZEVSET"],
            ["The file %s is no complete device settings file: it ends before [End]" %
             windows_path(self.folder.file("cut.ZEVSET")),
             "The settings file %s cannot be read" % windows_path(self.folder.file("missing.ZEVSET"))], 1)
        self.assertEqual(sum("cut.ZEVSET is no complete" in t for t in log_texts(self.folder)), 1,
                         "a file named twice is looked at once")

    def test_the_german_library_says_it_in_german(self):
        pair = pty_pair(self, 1)
        code, err = run_tool(self.folder, ["/lang", "ZEV_DE.DLL", "/port", "1", "/device", "Brennix", "/clock"])
        self.assertEqual(code, 1, err)
        self.assertIn("/clock braucht ein Corlaxa (/device Corlaxa): ein Brennix bietet es nicht an", err)
        self.write("header.S19", b"S00600004844521B\r\nS9030000FC\r\n")
        code, err = run_tool(self.folder, ["/lang", "ZEV_DE.DLL", "/port", "1", "/device", "Brennix", "/download",
                                           "header.S19"])
        self.assertEqual(code, 5, err)
        self.assertIn("Die Firmware-Datei %s enthält nichts zu senden" % windows_path(self.folder.file("header.S19")),
                      err)
        self.assertIn("Es wird nichts gesendet: eine Datei aus der Befehlszeile ist nicht verwendbar (jede wird "
                      "geprüft, bevor das Gerät angesprochen wird).", err)
        self.assert_nothing_sent(pair)

    # --- no console -----------------------------------------------------------------------------

    def test_with_no_console_messages_go_to_the_log_and_the_error_file_and_no_box_waits(self):
        pair = pty_pair(self, 1)
        error_file = self.folder.file(ERROR_FILE)

        # bad arguments: code 1 (not a box that waits), the usage in the error file and in the log
        self.assertEqual(run_detached(self.folder, ["/port", "1", "/bogus"]), 1)
        said = read_text(error_file)
        self.assertRegex(said, r"^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d Unknown argument: /bogus\r\n")
        self.assertIn(USAGE, said)
        texts = log_texts(self.folder)
        self.assertIn("Unknown argument: /bogus", texts)
        self.assertTrue(any(t.startswith(USAGE) for t in texts), texts)
        self.assertEqual(run_detached(self.folder, ["/port", "1", "/device", "Vantik", "/clock"]), 1)
        said = read_text(error_file)
        self.assertIn("Unknown argument: /bogus", said, "the error file keeps the runs before")
        self.assertIn("/clock needs a Corlaxa (/device Corlaxa): a Vantik does not offer it", said)
        self.assertIn("/clock needs a Corlaxa (/device Corlaxa): a Vantik does not offer it", log_texts(self.folder))

        # a file the run cannot send: code 5, said in both files
        os.remove(error_file)
        self.assertEqual(run_detached(self.folder, ["/port", "1", "/device", "Corlaxa", "/download", "missing.IMG"]), 5)
        said = read_text(error_file)
        self.assertIn("The firmware file %s cannot be opened" % windows_path(self.folder.file("missing.IMG")), said)
        self.assertIn(REFUSED, said)
        self.assertIn("Unattended run ended: exit code 5 (a file cannot be read or written)", log_texts(self.folder))
        self.assertIn("Unattended run ended: exit code 5 (a file cannot be read or written)", said)
        self.assert_nothing_sent(pair)

        # a step that fails in the run: what would have been a box is in both files, and the
        # run ends by itself with the step's code
        os.remove(error_file)
        self.assertEqual(run_detached(self.folder, ["/port", "1", "/device", "Corlaxa", "/clock"]), 3)
        said = read_text(error_file)
        self.assertIn("No answer from the device", said)
        self.assertTrue(said.rstrip().endswith("Unattended run ended: exit code 3 (no answer to the wake-up)"), said)
        texts = log_texts(self.folder)
        self.assertTrue(any("No answer from the device" in t for t in texts), texts)
        self.assertIn("Unattended run ended: exit code 3 (no answer to the wake-up)", texts)

    def test_with_a_console_nothing_goes_to_the_error_file(self):
        pty_pair(self, 1)
        code, err = run_tool(self.folder, ["/port", "1", "/device", "Vantik", "/clock"])
        self.assertEqual(code, 1)
        self.assertIn("a Vantik does not offer it", err)
        self.assertFalse(os.path.exists(self.folder.file(ERROR_FILE)))


if __name__ == "__main__":
    unittest.main()
