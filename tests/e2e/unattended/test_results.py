"""The result file a production line relies on, through the real ZEV.EXE under Wine:
several benches appending to one file at once, a file another program holds open (the
UI robot, a Windows program in the same prefix, holds it with no sharing, as a
spreadsheet does), a full disk, and a result file that cannot be written at all. No row
is lost or cut, the header is written once, and a unit that was done but whose row did
not reach the result file ends with exit code 5.

A bench on a port where no device answers is the cheap unit here: it ends with exit
code 3 after the wake-up's time-out and still writes its row. Units that are done run
against ZEVSIM.EXE on COM1."""
import contextlib
import csv
import io
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

from zevharness.disks import small_tmpfs
from zevharness.ptys import pty_pair
from zevharness.robot import Robot
from zevharness.session import wait_for
from zevharness.simulator import simulator, windows_path
from zevharness.tool import tool_folder
from unattended.test_command_line import CORLAXA, HEADER, SETTINGS, STEP_COLUMNS, log_texts, steps_of

FULL_HEADER = HEADER + STEP_COLUMNS
HEADER_LINE = (",".join(FULL_HEADER) + "\r\n").encode()
# A row of an earlier run, as the tool writes one.
EARLIER_ROW = (b"2026-12-01,08:00:00,COM1,Corlaxa,Corlaxa SN 0,done,0,3.0,,,,done,,,done,,,,,,,\r\n")
HELD = "is held by another program: waiting up to 10 s"
SHARING_VIOLATION = "Sharing violation."  # Wine's text of the system's error 32
DISK_FULL = "Disk full."  # Wine's text of the system's error 112


def table_of(data):
    return list(csv.reader(io.StringIO(data.decode("cp1252"), newline="")))


def read_bytes(path):
    with open(path, "rb") as f:
        return f.read()


def print_device_account(sim, folder):
    """What the device did and heard, and the tool's last log lines."""
    print("ZEVSIM.EXE said:\n%s\nits hex log ends:\n%s\nthe tool's log ends:\n%s"
          % (sim.output()[-2000:], sim.log_text()[-3000:], "\n".join(log_texts(folder)[-10:])))


class ResultFileTestCase(unittest.TestCase):
    def setUp(self):
        self.shared = tempfile.mkdtemp(prefix="zevresults-")
        self.addCleanup(shutil.rmtree, self.shared, True)
        self.result = os.path.join(self.shared, "units.csv")
        self.pending = os.path.join(self.shared, "units.pending.csv")

    def bench(self, settings=SETTINGS):
        """A folder of its own for one ZEV.EXE (each keeps its log beside it)."""
        return tool_folder(self, settings)

    def start(self, folder, args):
        """ZEV.EXE started as a script starts it, not waited for. Its standard error goes to
        a file: a Wine service it happens to start inherits the handle and keeps it open,
        so a pipe would not end with the program."""
        err = tempfile.TemporaryFile()
        self.addCleanup(err.close)
        proc = subprocess.Popen(["wine", folder.exe] + list(args), cwd=folder.path, stdin=subprocess.DEVNULL,
                                stdout=subprocess.DEVNULL, stderr=err)
        proc.err = err
        self.addCleanup(lambda: proc.poll() is None and proc.kill())
        return proc

    def finish(self, proc, timeout=90, folder=None):
        """Its exit code and what it wrote to its standard error."""
        try:
            proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            tail = log_texts(folder)[-10:] if folder and os.path.exists(folder.file("ZevLog.TXT")) else []
            self.fail("ZEV.EXE did not end: %s" % "\n".join(tail))
        proc.err.seek(0)
        return proc.returncode, proc.err.read().decode("cp1252", "replace")

    def done_unit(self, folder, result=None):
        """One unit with its clock set against a simulated Corlaxa on COM1: its exit code and
        its standard error."""
        with contextlib.ExitStack() as unit:
            pty_pair(unit, 1)
            sim = simulator(unit, folder.path, "--type", "1", port=21)
            sim.wait_for_output("waiting for a wake-up")
            proc = self.start(folder, CORLAXA + ["/clock", "/result", windows_path(result or self.result)])
            code, err = self.finish(proc, folder=folder)
            if code == 3:  # the wake-up's answer never came: where it went, for the failure
                print_device_account(sim, folder)
            return code, err

    def assert_rows_whole(self, data):
        """The file is the header once, then rows each of the header's columns, each on its line."""
        self.assertTrue(data.startswith(HEADER_LINE), data[:200])
        self.assertEqual(data.count(HEADER_LINE), 1, "the header more than once")
        self.assertTrue(data.endswith(b"\r\n"), data[-100:])
        table = table_of(data)
        for row in table:
            self.assertEqual(len(row), len(FULL_HEADER), row)
        return table[1:]


class ConcurrentBenchesTest(ResultFileTestCase):
    def start_four(self):
        """Four benches, COM1 to COM4 (no device on them), started at once."""
        folders = [self.bench() for _ in range(4)]
        procs = [self.start(folder, ["/port", str(n), "/device", "Corlaxa", "/clock", "/result",
                                     windows_path(self.result)])
                 for n, folder in enumerate(folders, 1)]
        return folders, procs

    def finish_four(self, folders, procs):
        """Each bench ends with the code of no answer, having said nothing to the script."""
        for folder, proc in zip(folders, procs):
            code, err = self.finish(proc, folder=folder)
            self.assertEqual(code, 3, "\n".join(log_texts(folder)[-8:]))
            self.assertEqual(err, "")

    def waiting(self, folders):
        """The benches whose log says they wait for the held result file."""
        return [folder for folder in folders
                if os.path.exists(folder.file("ZevLog.TXT")) and any(HELD in t for t in log_texts(folder))]

    def assert_one_row_each(self, rows):
        self.assertEqual(sorted(row[2] for row in rows), ["COM1", "COM2", "COM3", "COM4"], rows)
        for row in rows:
            self.assertEqual(steps_of(row), {"Connect": "failed: no answer", "Clock": "skipped"})

    def test_four_benches_appending_at_once_each_have_their_row_under_one_header(self):
        for port in range(1, 5):
            pty_pair(self, port)
        with self.subTest("a new file, four benches at once"):
            self.finish_four(*self.start_four())
            self.assert_one_row_each(self.assert_rows_whole(read_bytes(self.result)))

        with self.subTest("an empty file held while the four start: each waits, the header goes in once"):
            os.remove(self.result)
            open(self.result, "wb").close()
            with Robot() as robot:
                robot.lock(self.result)
                try:
                    folders, procs = self.start_four()
                    # Let go once every bench waits for the file, or 5 s after the first
                    # began to wait (a bench waits 10 s at most): a late one appends after.
                    self.assertTrue(wait_for(lambda: self.waiting(folders), 60.0), "no bench waited for the file")
                    wait_for(lambda: len(self.waiting(folders)) == 4, 5.0)
                finally:
                    robot.unlock(self.result)
            self.finish_four(folders, procs)
            self.assert_one_row_each(self.assert_rows_whole(read_bytes(self.result)))
            self.assertFalse(os.path.exists(self.pending))
            for folder in folders:
                self.assertLessEqual(sum(HELD in t for t in log_texts(folder)), 1, "said more than once")
            print("\n%d of the four benches waited for the held file" % len(self.waiting(folders)))


class HeldResultFileTest(ResultFileTestCase):
    def test_a_file_held_by_another_program_is_waited_for_then_its_row_waits_beside_it(self):
        with open(self.result, "wb") as f:
            f.write(HEADER_LINE + EARLIER_ROW)

        with self.subTest("let go within 10 s: the row lands, the exit code is the unit's"), Robot() as robot:
            folder = self.bench()
            robot.lock(self.result)
            try:
                with contextlib.ExitStack() as unit:
                    pty_pair(unit, 1)
                    sim = simulator(unit, folder.path, "--type", "1", port=21)
                    sim.wait_for_output("waiting for a wake-up")
                    proc = self.start(folder, CORLAXA + ["/clock", "/result", windows_path(self.result)])
                    self.assertTrue(wait_for(lambda: os.path.exists(folder.file("ZevLog.TXT")) and
                                             any(HELD in t for t in log_texts(folder)), 60.0),
                                    "the tool did not wait for the file")
                    robot.unlock(self.result)
                    code, err = self.finish(proc, folder=folder)
            finally:
                with contextlib.suppress(Exception):
                    robot.unlock(self.result)
            self.assertEqual(code, 0, "\n".join(log_texts(folder)[-8:]))
            self.assertEqual(err, "")
            data = read_bytes(self.result)
            rows = self.assert_rows_whole(data)
            self.assertTrue(data.startswith(HEADER_LINE + EARLIER_ROW))
            self.assertEqual(len(rows), 2)
            self.assertEqual(steps_of(rows[1]), {"Connect": "done", "Clock": "done"})
            self.assertFalse(os.path.exists(self.pending))
        kept = read_bytes(self.result)

        with self.subTest("held longer: the row goes to the pending file, exit code 5"), Robot() as robot:
            folder = self.bench()
            robot.lock(self.result)
            try:
                code, err = self.done_unit(folder)
            finally:
                robot.unlock(self.result)
            texts = log_texts(folder)
            self.assertEqual(code, 5, "\n".join(texts[-8:]))
            said = ("The result file %s cannot be written (%s): the unit's row is kept in %s, and the next append "
                    "moves it in" % (windows_path(self.result), SHARING_VIOLATION, windows_path(self.pending)))
            self.assertIn(said, texts)
            self.assertEqual(err.strip(), said, "the script is told on its standard error")
            self.assertIn("Unattended run ended: exit code 5 (a file cannot be read or written)", texts)
            self.assertEqual(read_bytes(self.result), kept, "the held file was changed")
            pending = read_bytes(self.pending)
            self.assertEqual(len(self.assert_rows_whole(pending)), 1)
            held_row = pending[len(HEADER_LINE):]

        with self.subTest("the next append moves the pending row in first, then its own"):
            folder = self.bench()
            code, err = self.done_unit(folder)
            texts = log_texts(folder)
            self.assertEqual(code, 0, "\n".join(texts[-8:]))
            self.assertEqual(err, "")
            self.assertIn("1 earlier rows moved into the result file from %s" % windows_path(self.pending), texts)
            self.assertFalse(os.path.exists(self.pending), "the pending file is left")
            data = read_bytes(self.result)
            self.assertTrue(data.startswith(kept + held_row), data)
            rows = self.assert_rows_whole(data)
            self.assertEqual(len(rows), 4)
            self.assertEqual([row[5] for row in rows], ["done"] * 4)


class RowColumnsTest(ResultFileTestCase):
    def test_a_step_given_twice_has_one_pair_of_columns_with_both_files(self):
        folder = self.bench()
        with contextlib.ExitStack() as unit:
            pty_pair(unit, 1)
            sim = simulator(unit, folder.path, "--type", "1", port=21)
            sim.wait_for_output("waiting for a wake-up")
            proc = self.start(folder, CORLAXA + ["/readout", "a.LOG", "/clock", "/readout", "b.LOG", "/result",
                                                 windows_path(self.result)])
            code, err = self.finish(proc, folder=folder)
        self.assertEqual(code, 0, "\n".join(log_texts(folder)[-8:]))
        rows = self.assert_rows_whole(read_bytes(self.result))
        self.assertEqual(len(rows), 1)
        self.assertEqual(steps_of(rows[0]), {
            "Connect": "done", "Clock": "done", "Readout": "done",
            "Readout file": windows_path(folder.file("a.LOG")) + ";" + windows_path(folder.file("b.LOG"))})
        self.assertTrue(os.path.exists(folder.file("a.LOG")) and os.path.exists(folder.file("b.LOG")))


class OtherHeaderTest(ResultFileTestCase):
    def test_a_file_begun_by_another_version_gets_the_row_and_the_log_says_its_columns_differ(self):
        old = (b"Date,Time,Port,Device,Identification,Result,Exit code,Seconds,Firmware,Firmware bytes,"
               b"Firmware SHA-256,Step 1,Outcome 1,Step 2,Outcome 2\r\n"
               b"2026-11-30,08:00:00,COM1,Corlaxa,Corlaxa SN 0,done,0,3.0,,,,connect,done,clock,done\r\n")
        with open(self.result, "wb") as f:
            f.write(old)
        folder = self.bench()
        code, err = self.done_unit(folder)
        texts = log_texts(folder)
        self.assertEqual(code, 0, "\n".join(texts[-8:]))
        self.assertEqual(err, "")
        self.assertIn("The result file %s begins with another header: its columns are not this version's, the rows "
                      "are appended all the same" % windows_path(self.result), texts)
        data = read_bytes(self.result)
        self.assertTrue(data.startswith(old))
        row = table_of(data[len(old):])
        self.assertEqual(len(row), 1)
        self.assertEqual(len(row[0]), len(FULL_HEADER))
        self.assertEqual(steps_of(row[0]), {"Connect": "done", "Clock": "done"})

        # the same in German
        folder = self.bench(SETTINGS.replace("LanguageLibrary=ZEV_EN.DLL", "LanguageLibrary=ZEV_DE.DLL"))
        self.assertEqual(self.done_unit(folder)[0], 0)
        self.assertIn("Die Ergebnisdatei %s beginnt mit einer anderen Kopfzeile: ihre Spalten sind nicht die dieser "
                      "Version, die Zeilen werden trotzdem angehängt" % windows_path(self.result), log_texts(folder))

        # a file with this version's header says nothing of it
        folder = self.bench()
        self.assertEqual(self.done_unit(folder, os.path.join(self.shared, "new.csv"))[0], 0)
        self.assertFalse(any("begins with another header" in t for t in log_texts(folder)))


class UnwritableResultFileTest(ResultFileTestCase):
    def assert_done_but_not_written(self, result):
        """A unit that is done but whose row the result file cannot take: exit code 5, the
        log and the script told, the row in the pending file beside it."""
        pending = result[:-len(".csv")] + ".pending.csv"
        folder = self.bench()
        code, err = self.done_unit(folder, result)
        texts = log_texts(folder)
        self.assertEqual(code, 5, "\n".join(texts[-8:]))
        self.assertIn("Unit 1: every step done", "\n".join(texts))
        said = [t for t in texts if t.startswith("The result file %s cannot be written (" % windows_path(result))]
        self.assertEqual(len(said), 1, texts[-6:])
        self.assertIn("the unit's row is kept in %s" % windows_path(pending), said[0])
        self.assertEqual(err.strip(), said[0])
        self.assertIn("Unattended run ended: exit code 5 (a file cannot be read or written)", texts)
        self.assertEqual(len(self.assert_rows_whole(read_bytes(pending))), 1)

    def test_a_result_file_that_cannot_be_written_gives_exit_code_5_though_the_unit_was_done(self):
        with self.subTest("a folder of the result file's name"):
            result = os.path.join(self.shared, "folder.csv")
            os.mkdir(result)
            self.assert_done_but_not_written(result)

        with self.subTest("a read-only file"):
            result = os.path.join(self.shared, "readonly.csv")
            with open(result, "wb") as f:
                f.write(HEADER_LINE + EARLIER_ROW)
            os.chmod(result, 0o444)
            if os.geteuid() == 0:
                # read-only for root too
                if subprocess.run(["chattr", "+i", result], stderr=subprocess.DEVNULL).returncode != 0:
                    self.skipTest("the file cannot be made read-only for root here")
                self.addCleanup(subprocess.run, ["chattr", "-i", result])
            self.assert_done_but_not_written(result)
            self.assertEqual(read_bytes(result), HEADER_LINE + EARLIER_ROW)


class FullDiskTest(ResultFileTestCase):
    """The result file on a tmpfs of 64 KB that is full but for a few bytes at the end of
    the file's last page: the row's first bytes fit, the rest does not."""

    def setUp(self):
        super().setUp()
        mount_point = small_tmpfs(self)
        if mount_point is None:
            self.skipTest("no tmpfs can be mounted here (not root)")
        self.result = os.path.join(mount_point, "units.csv")
        self.pending = os.path.join(mount_point, "units.pending.csv")
        self.filler = os.path.join(mount_point, "filler")

    def fill(self):
        """Takes every free byte of the disk."""
        with open(self.filler, "ab", buffering=0) as f:
            for size in (4096, 1):
                with contextlib.suppress(OSError):
                    while True:
                        f.write(b"\0" * size)

    def test_a_row_that_does_not_fit_is_cut_back_and_the_next_unit_s_row_is_whole_on_its_line(self):
        # earlier rows up to 30 bytes short of a page's end
        data = HEADER_LINE + EARLIER_ROW
        pad = 4096 - 30 - len(data) - 2 * len(EARLIER_ROW)
        data += EARLIER_ROW.replace(b"Corlaxa SN 0", b"Corlaxa SN " + b"0" * (pad + 1)) + EARLIER_ROW
        self.assertEqual(len(data), 4096 - 30)
        with open(self.result, "wb") as f:
            f.write(data)
        self.fill()

        folder = self.bench()
        code, err = self.done_unit(folder)
        texts = log_texts(folder)
        self.assertEqual(code, 5, "\n".join(texts[-8:]))
        self.assertIn("The result file %s cannot be written (%s)" % (windows_path(self.result), DISK_FULL), texts)
        lost = [t for t in texts if t.startswith("Nor can %s be written (" % windows_path(self.pending))]
        self.assertEqual(len(lost), 1, texts[-6:])
        self.assertIn("; the unit's row: ", lost[0])
        self.assertIn(",done,0,", lost[0], "the row is kept in the log")
        self.assertIn(lost[0], err)
        self.assertEqual(read_bytes(self.result), data, "the failing row was not cut back")
        self.assertFalse(os.path.exists(self.pending), "an empty pending file is left")

        os.remove(self.filler)
        folder = self.bench()
        code, err = self.done_unit(folder)
        self.assertEqual(code, 0, "\n".join(log_texts(folder)[-8:]))
        after = read_bytes(self.result)
        self.assertTrue(after.startswith(data))
        rows = self.assert_rows_whole(after)
        self.assertEqual(len(rows), 4)
        self.assertEqual(steps_of(rows[-1]), {"Connect": "done", "Clock": "done"})


if __name__ == "__main__":
    unittest.main(verbosity=2)
