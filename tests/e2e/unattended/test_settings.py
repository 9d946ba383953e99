"""/save-settings and /restore-settings run by a script: ZEV.EXE with arguments against
ZEVSIM.EXE as a Corlaxa on a pty pair, nobody at the window. The exit code, the log and
the device's own account of what it was given must agree: a second save to one name
replaces the first, a restore is verified only when every value reads back as the file
holds it, a file as an editor leaves it restores, and a reply that is no value of its
letter stops the run before anything is written."""
import contextlib
import os
import re
import subprocess
import tempfile
import unittest

from zevharness.disks import small_tmpfs
from zevharness.ptys import pty_pair
from zevharness.simulator import simulator, windows_path
from zevharness.tool import tool_folder

SETTINGS = "[Setup]\nLanguageLibrary=ZEV_EN.DLL\n[ComPort]\nComPortNo=3\n[Device]\nDevice=Brennix\n"
CORLAXA = ["/port", "1", "/device", "Corlaxa"]
LETTERS = "rh3bjwf4c"
# What the simulated Corlaxa holds unless told otherwise, and a unit set up differently.
DEVICE = {"r": "9,33,0", "h": "0", "3": "OTHER", "b": "0", "j": "0", "w": "1", "f": "2", "4": "RS232", "c": "0"}
GOLDEN = {"r": "30,40,9", "h": "1", "3": "SCANIA", "b": "1", "j": "1", "w": "0", "f": "3", "4": "RS485", "c": "1"}
WRITE_LETTERS = "RH1BJWF2C"


def settings_text(values, type_name="Corlaxa"):
    lines = ["[Device]", "Type=" + type_name, "Identification=Corlaxa V2.14 SN 104711", "", "[Values]"]
    lines += ["%s=%s" % (k, values[k]) for k in LETTERS] + ["", "[End]", ""]
    return "\r\n".join(lines)


class Run:
    """What one run of the tool left: its exit code and standard error, the log's lines of
    the run without their time stamps, and what the simulator said it was given."""

    def __init__(self, code, err, lines, device):
        self.code, self.err, self.lines, self.device = code, err, lines, device

    def text(self):
        return "\n".join(self.lines)


class UnattendedSettingsTest(unittest.TestCase):
    def setUp(self):
        self.folder = tool_folder(self, SETTINGS)

    def run_tool(self, args, *sim_args, replies=None):
        """ZEV.EXE run to its end with CORLAXA + `args` against a fresh simulated Corlaxa
        with `sim_args`, answering `replies` where given."""
        with contextlib.ExitStack() as run:
            pty_pair(run, 1)
            if replies:
                path = self.folder.file("sim.ini")
                with open(path, "w") as f:
                    f.write("[Replies]\n" + "".join('%s="%s"\n' % item for item in replies.items()))
                sim_args = ("--settings", windows_path(path)) + sim_args
            sim = simulator(run, self.folder.path, "--type", "1", *sim_args, port=21)
            sim.wait_for_output("waiting for a wake-up")
            # Standard error goes to a file: a Wine service the run starts may hold a pipe
            # open long after the tool has ended.
            with open(self.folder.file("stderr.txt"), "w+b") as err:
                try:
                    code = subprocess.run(["wine", self.folder.exe] + CORLAXA + args, cwd=self.folder.path,
                                          stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=err,
                                          timeout=90).returncode
                except subprocess.TimeoutExpired:
                    self.fail("the run did not end:\n%s\n%s" % ("\n".join(self.log_texts()[-20:]),
                                                                  sim.output()[-3000:]))
                err.seek(0)
                stderr = err.read().decode("cp1252", "replace")
            device = sim.output()
            if code == 3:  # the wake-up's answer never came: where it went, for the failure
                print("ZEVSIM.EXE said:\n%s\nits hex log ends:\n%s" % (device[-2000:], sim.log_text()[-3000:]))
        if not os.path.exists(self.folder.file("ZevLog.TXT")):
            self.fail("the run left no log: exit code %#x, standard error:\n%s" % (code & 0xFFFFFFFF, stderr))
        texts = self.log_texts()
        start = "Unattended run: " + " ".join(CORLAXA + args)
        self.assertIn(start, texts)
        return Run(code, stderr, texts[texts.index(start):], device)

    def log_texts(self):
        """The log's lines without their time stamps. The log keeps a garbled reply's bytes
        as they came: not all of them are cp1252."""
        with open(self.folder.file("ZevLog.TXT"), "rb") as f:
            return [line[9:] for line in f.read().decode("cp1252", "replace").split("\r\n") if line]

    def write(self, name, text, encoding="ascii"):
        with open(self.folder.file(name), "w", encoding=encoding, newline="") as f:
            f.write(text)

    def read(self, name):
        with open(self.folder.file(name), newline="", encoding="cp1252") as f:
            return f.read()

    def assert_ended(self, run, code):
        self.assertEqual(run.code, code, run.text())
        self.assertEqual(run.err, "", "the script learns it from the exit code and the log")
        self.assertIn("Unattended run ended: exit code %d" % code, run.text())

    def assert_nothing_written(self, run):
        self.assertNotIn("waiting for the value text", run.device, "a write letter reached the device")

    # --- saves --------------------------------------------------------------------------

    def test_a_second_save_to_one_name_replaces_the_first(self):
        first = self.run_tool(["/save-settings", "unit.ZEVSET"])
        self.assert_ended(first, 0)
        self.assertIn("\r\nc=0\r\n", self.read("unit.ZEVSET"))

        # the next unit, set up otherwise, saved to the same name
        second = self.run_tool(["/save-settings", "unit.ZEVSET"], replies=dict(DEVICE, c="1", r="12,40,6"))
        self.assert_ended(second, 0)
        self.assertIn("Device settings saved to " + windows_path(self.folder.file("unit.ZEVSET")), second.lines)
        text = self.read("unit.ZEVSET")
        self.assertIn("\r\nr=12,40,6\r\n", text)
        self.assertIn("\r\nc=1\r\n", text)
        self.assertNotIn("c=0", text)
        self.assertEqual(sorted(n for n in os.listdir(self.folder.path) if n.startswith("unit.")), ["unit.ZEVSET"],
                         "a temporary file is left")

    def test_another_benchs_temporary_file_does_not_stop_a_save(self):
        # NAME.tmp beside the file, held by another bench (here a folder of that name: it
        # cannot be written): each process saves through a temporary file of its own.
        os.mkdir(self.folder.file("bench.ZEVSET.tmp"))
        run = self.run_tool(["/save-settings", "bench.ZEVSET"])
        self.assert_ended(run, 0)
        self.assertIn("\r\nr=9,33,0\r\n", self.read("bench.ZEVSET"))
        self.assertEqual(sorted(n for n in os.listdir(self.folder.path) if n.startswith("bench.")),
                         ["bench.ZEVSET", "bench.ZEVSET.tmp"])

    def test_a_full_disk_leaves_the_older_file_as_it_was(self):
        disk = small_tmpfs(self)
        if disk is None:
            self.skipTest("no tmpfs can be mounted here (not root)")
        path = os.path.join(disk, "unit.ZEVSET")
        with open(path, "w", newline="") as f:
            f.write("an older file\r\n")
        with open(os.path.join(disk, "filler"), "wb", buffering=0) as f, contextlib.suppress(OSError):
            while True:  # until the disk is full
                f.write(b"\0" * 4096)
        run = self.run_tool(["/save-settings", windows_path(path)])
        self.assert_ended(run, 5)
        self.assertTrue(any(t.startswith("The settings file %s cannot be written (Disk full.)" % windows_path(path))
                            for t in run.lines), run.text())
        with open(path, newline="") as f:
            self.assertEqual(f.read(), "an older file\r\n")
        self.assertEqual(sorted(os.listdir(disk)), ["filler", "unit.ZEVSET"], "a temporary file is left")

    # --- restores that do not verify ------------------------------------------------------

    def test_a_lost_write_of_the_last_letter_is_not_verified(self):
        self.write("c.ZEVSET", settings_text(dict(DEVICE, c="1")))
        run = self.run_tool(["/restore-settings", "c.ZEVSET"], "--write-not-kept", "C")
        self.assert_ended(run, 6)
        self.assertIn('write C "1": not kept (fault option)', run.device)
        # every value is read twice, before and after the write, 'c' last
        self.assertEqual(run.device.count("command c: answering"), 2, run.device)
        self.assertIn('Device settings: \'c\' differs after the write: the device answers "0", the file holds "1"',
                      run.lines)
        self.assertIn("Device settings not verified: 1 of the values differ from the file", run.lines)
        self.assertNotIn("restored and verified", run.text())

    def test_a_file_whose_only_differences_are_refused_is_not_verified(self):
        self.write("refused.ZEVSET", settings_text(dict(DEVICE, r="60,33,0")))
        run = self.run_tool(["/restore-settings", "refused.ZEVSET"])
        self.assert_ended(run, 6)
        self.assertIn("Device settings: 'r' is not written (outside 2 to 50)", run.lines)
        self.assertIn("Device settings not verified: 1 of the values differ from the file", run.lines)
        self.assertNotIn("the device already held them", run.text())
        self.assertNotIn("restored and verified", run.text())
        self.assert_nothing_written(run)

    # --- a file as an editor leaves it ----------------------------------------------------

    def test_a_file_as_an_editor_leaves_it_restores_and_verifies(self):
        # Saved by an editor in UTF-8 with a byte-order mark, CR LF lines; a person added
        # blanks around '=' and at the ends of lines, wrote the type in lower case and the
        # commas of 'r' as lower-case escapes.
        lines = ["; golden unit", "[Device]", "  Type = corlaxa ", "Identification=Corlaxa V2.14 SN 1 ", "",
                 "[Values]", "r = 30\\x2c40\\x2c9  "]
        lines += ["%s%s=%s%s" % (k, " " * (i % 2), " " * (i % 3), GOLDEN[k] + "\t" * (i % 2))
                  for i, k in enumerate(LETTERS[1:])]
        lines += ["[End] ", ""]
        self.write("edited.ZEVSET", "\ufeff" + "\r\n".join(lines), encoding="utf-8")
        with open(self.folder.file("edited.ZEVSET"), "rb") as f:
            raw = f.read()
        self.assertTrue(raw.startswith(b"\xef\xbb\xbf; golden unit\r\n[Device]\r\n  Type = corlaxa \r\n"), raw)
        self.assertIn(b"\r\nh=1\r\n3 = SCANIA\t\r\n", raw)

        run = self.run_tool(["/restore-settings", "edited.ZEVSET"])
        self.assert_ended(run, 0)
        self.assertIn("Device settings restored and verified", run.lines)
        # the device took every value of the file: its own account, letter by letter
        for k in LETTERS:
            self.assertIn("'%s' now answers \"%s\"" % (k, GOLDEN[k]), run.device)
        written = re.findall(r"command (\S): ESC, waiting for the value text", run.device)
        self.assertEqual("".join(written), WRITE_LETTERS)

    # --- replies that are no value ---------------------------------------------------------

    def test_a_reply_that_is_no_value_stops_the_run_before_anything_is_written(self):
        self.write("golden.ZEVSET", settings_text(GOLDEN))
        self.write("c.ZEVSET", settings_text(dict(DEVICE, c="1")))
        reply = "Device settings: the device's reply to %s is no value of that letter "
        cases = [
            # what, arguments, simulator, replies, exit code, the run's line (a pattern)
            ("a doubled line end in a save", ["/save-settings", "a.ZEVSET"], ("--extra-cr", "h"), None, 8,
             re.escape(reply % "'3'" + '(""). Saving the device settings stopped at \'3\': no file was written')),
            ("an empty line in a save", ["/save-settings", "b.ZEVSET"], (), dict(DEVICE, h=""), 8,
             re.escape(reply % "'h'" + '(""). Saving the device settings stopped at \'h\': no file was written')),
            ("garbage in a save", ["/save-settings", "g.ZEVSET"], ("--garbage-every", "4"), None, 8,
             re.escape(reply % "'3'") + r'\("(\\x[89A-F][0-9A-F])+OTHER"\)\. '
             + re.escape("Saving the device settings stopped at '3': no file was written")),
            ("a doubled line end in a restore", ["/restore-settings", "golden.ZEVSET"], ("--extra-cr", "w"), None, 8,
             re.escape(reply % "'f'" + '(""). Restoring the device settings stopped at \'f\': nothing was written')),
            ("garbage in the reads back", ["/restore-settings", "c.ZEVSET"], ("--garbage-every", "13"), None, 6,
             re.escape(reply % "'h'") + r'\("(\\x[89A-F][0-9A-F])+0"\)\. '
             + re.escape("Restoring the device settings stopped at 'h'; already written: 'C'")),
        ]
        for what, args, sim_args, replies, code, line in cases:
            with self.subTest(what):
                run = self.run_tool(args, *sim_args, replies=replies)
                self.assert_ended(run, code)
                self.assertTrue(any(re.fullmatch(line, t) for t in run.lines), run.text())
                self.assertNotIn("Device settings saved", run.text())
                self.assertNotIn("restored and verified", run.text())
                if args[0] == "/save-settings":
                    self.assertFalse(os.path.exists(self.folder.file(args[1])), "a file was written")
                    self.assertEqual([n for n in os.listdir(self.folder.path) if n.endswith(".tmp")], [])
                elif code == 8:
                    self.assert_nothing_written(run)
                # nothing is read after the letter the run stopped at
                stopped = re.search(r"stopped at '(.)'", line.replace("\\", "")).group(1)
                after = LETTERS[LETTERS.index(stopped) + 1:]
                for letter in after:
                    self.assertEqual(run.device.count("command %s: answering" % letter),
                                     1 if code == 6 else 0, (letter, run.device))


if __name__ == "__main__":
    unittest.main()
