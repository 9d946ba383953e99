"""The disk of a file the tool writes fills up in the middle of a session, through the
real ZEV.EXE with Python as the device: the file is on a small tmpfs (mounted here; the
test runs as root). The tool says the system's reason once, in the window and in one box,
goes on without the file, and the file ends with its last whole line (or CSV row).

The log file: ZevLog.TXT is a link into the tmpfs, which a read-out fills; the window
goes on with every later line, commands still run, and the file keeps every whole line
up to the failure, unchanged. Where no tmpfs can be mounted (not root), the link points
to /dev/full instead: every write fails from the start, and the same checks hold for a
file that holds nothing past the banner. The monitor's recording and the traffic trace
need the tmpfs; without it they are skipped."""
import csv
import io
import os
import sys
import unittest

from zevharness.device_end import DeviceEndTestCase, settings_for
from zevharness.disks import SIZE, small_tmpfs
from zevharness.monitor_frames import full_frame
from zevharness.operations import ESC, IDOK, QUERY, READOUT, assert_no_box, log_texts
from zevharness.ptys import pty_pair
from zevharness.robot import windows_path
from zevharness.session import wait_for
from zevharness.tool import tool_folder, tool_run
from monitor.test_window import MonitorWindowTestCase
from monitor.test_record import HEADER, IDC_RECORD, RECORD, STOP
from ops.test_capture import CaptureFolder
from log.test_trace import records

FAILED = "Die Protokolldatei ZevLog.TXT kann nicht geschrieben werden ("
DISK_FULL = "Disk full."  # Wine's text of the system's error 112, ERROR_DISK_FULL
FREE_BYTES = 24 * 1024  # left on the tmpfs for the log file


def small_disk(test, free_bytes=FREE_BYTES, name="ZevLog.TXT"):
    """A tmpfs of 64 KB with all but free_bytes taken: the path of an empty file `name` on
    it, or None when it cannot be mounted."""
    mount_point = small_tmpfs(test)
    if mount_point is None:
        return None
    with open(os.path.join(mount_point, "filler"), "wb") as f:
        f.write(b"\0" * (SIZE - free_bytes))
    path = os.path.join(mount_point, name)
    open(path, "wb").close()
    return path


class LogDiskFullTest(DeviceEndTestCase):
    def setUp(self):
        self.pair = pty_pair(self, 1)
        self.folder = tool_folder(self, settings_for(1, 0))
        self.target = small_disk(self) or "/dev/full"
        os.symlink(self.target, self.folder.file("ZevLog.TXT"))
        self.run = tool_run(self, self.folder, self.robot)
        self.assertIsNotNone(self.run.start())
        self.seen = []  # every line the window has shown, in order

    def watch(self, last):
        """Waits until the window shows `last` and adds the lines it shows to `seen`."""
        self.assertTrue(self.log_has(last), "%r did not reach the window" % last)
        shown = self.run.log_window().split("\r\n")[:-1]
        overlap = max((n for n in range(min(len(shown), len(self.seen)) + 1)
                       if self.seen[len(self.seen) - n:] == shown[:n]), default=0)
        self.assertTrue(overlap > 0 or not self.seen, "lines came faster than they were watched")
        self.seen += shown[overlap:]

    def read_out(self, lines, per_batch=3):
        """A read-out of `lines`, each batch sent once the window shows the one before."""
        self.robot.command(self.run.main, READOUT)
        self.assertEqual(self.pair.read(count=1, timeout=5.0), b"V")
        self.pair.write(ESC)
        for start in range(0, len(lines), per_batch):
            batch = lines[start:start + per_batch]
            self.pair.write(b"".join(line + b"\r" for line in batch))
            self.watch(" >> " + batch[-1].decode() + "\r\n")
        self.pair.write(b"\r")
        self.watch(" >> \r\n")

    def kept(self):
        """What the log file holds (None for /dev/full, which reads as endless zeros)."""
        if self.target == "/dev/full":
            return None
        with open(self.target, "rb") as f:
            return f.read()

    def test_a_full_disk_is_said_once_and_the_window_and_the_commands_go_on(self):
        self.watch("Programm gestartet")
        self.connect(0)
        self.watch(">> (Init.) ZEV TEST DEVICE")
        lines = [b"ZEILE %04d " % n + b"%-100s" % (b"WERT %d" % (n * 7)) for n in range(400)]
        self.read_out(lines)

        box = self.robot.message_box(self.run.main, 5.0)
        self.assertIsNotNone(box, "no box about the log file")
        self.robot.post_click(box[0], IDOK)
        self.assertTrue(self.robot.gone(box[0]))
        self.assertTrue(box[2].startswith(FAILED + DISK_FULL + ")"), box[2])
        failures = [line for line in self.seen if FAILED in line]
        self.assertEqual([line[9:] for line in failures], [box[2]], "said once, in the window")

        # the tool goes on: a query, a second read-out, no second box
        self.robot.command(self.run.main, QUERY)
        self.assertEqual(self.pair.read(count=1, timeout=5.0), b"L")
        self.pair.write(b"0815\r")
        self.watch("Antwort: 0815")
        self.pair.drain()
        self.read_out([b"NACHHER %d" % n for n in range(20)])
        assert_no_box(self, self.robot, self.run.main, 1.0)
        kept = self.kept()
        self.assertEqual(self.run.close(), 0)
        seen_texts = [line[9:] for line in self.seen]
        self.assertEqual([t for t in seen_texts if t.startswith(">> ZEILE")], [">> " + l.decode() for l in lines])
        self.assertEqual(seen_texts[-1], ">> ", "the window got every line after the failure")
        self.assertEqual(seen_texts.count(">> NACHHER 19"), 1)

        # the file: every line up to the failure as the window showed it, nothing after
        self.assertEqual(self.kept(), kept, "written after the failure")
        if kept is None:
            return
        banner, rule, rest = kept.split(b"\r\n", 2)
        self.assertTrue(banner.startswith(b"Zevanto Version "), banner)
        self.assertEqual(rule, b"=" * 69)
        before = self.seen[:self.seen.index(failures[0])]
        expected = "".join(line + "\r\n" for line in before).encode("cp1252")
        self.assertTrue(rest == b"" or rest.endswith(b"\r\n"), "the file ends in half a line: %r" % rest[-80:])
        self.assertEqual(rest, expected[:len(rest)], "the file differs from the window's lines")
        print("\nthe log file kept %d bytes on a disk with %d free; %d of %d read-out lines"
              % (len(kept), FREE_BYTES, rest.count(b">> ZEILE"), len(lines)))
        longest = max(len(line) for line in before) + 2
        self.assertGreater(len(kept), FREE_BYTES - longest, "more lost than the line the disk filled in")
        self.assertLess(rest.count(b">> ZEILE"), len(lines), "the disk did not fill")


class CaptureDiskFullTest(CaptureFolder, DeviceEndTestCase):
    """A capture whose file's disk is full: the tool says the file could not be written
    and that its lines are in the log, which holds them all; it stays idle and usable."""

    def test_a_capture_that_does_not_fit_on_its_disk_is_said_and_its_lines_stay_in_the_log(self):
        path = small_disk(self, free_bytes=4096)
        if path is None:
            self.skipTest("no tmpfs can be mounted here (not root)")
        self.files = os.path.dirname(path)
        self.start(1, 0)
        self.connect(0)
        lines = [b"ZAEHLER %04d = %s" % (n, b"9" * 80) for n in range(200)]
        chosen = self.choose(self.run.main, "full.LOG")
        self.assertEqual(self.pair.read(count=1, timeout=5.0), b"O")
        self.pair.write(ESC + b"".join(line + b"\r" for line in lines) + b"\r")
        self.assertTrue(self.log_has("Die Auslesedatei "), self.run.log_window()[-500:])
        window = self.run.log_window()
        self.assertIn("Die Auslesedatei %s konnte nicht geschrieben werden (" % windows_path(chosen), window)
        self.assertIn("): ihre Zeilen stehen im Protokoll\r\n", window)
        self.robot.command(self.run.main, QUERY)  # idle: no busy question
        self.assertEqual(self.pair.read(count=1, timeout=5.0), b"L")
        self.pair.write(b"0815\r")
        self.assertTrue(self.log_has("Antwort: 0815"))
        self.assertEqual(self.run.close(), 0)
        logged = [line.split(" ", 1)[1] for line in self.folder.log_lines() if " >> ZAEHLER " in line]
        self.assertEqual(logged, [">> " + line.decode() for line in lines], "the log holds every line")
        failures = [line for line in self.folder.log_lines() if "Die Auslesedatei " in line]
        self.assertEqual(len(failures), 1, failures)


class RecordingDiskFullTest(MonitorWindowTestCase):
    """The monitor's recording on a full disk: the reason once, in the log and in a box;
    the recording ends, the CSV file with its last whole row; the monitor goes on."""

    def box_beside(self, main, monitor, timeout):
        """A window of the program that is neither the main window nor the monitor."""
        def find():
            for one, other in ((main, monitor), (monitor, main)):
                hwnd = self.robot.other_window(one, 0.05)
                if hwnd and hwnd != other:
                    return hwnd
            return None
        return wait_for(find, timeout)

    def test_a_recording_that_does_not_fit_is_said_once_and_ends_with_its_last_whole_row(self):
        path = small_disk(self, free_bytes=4096, name="flow.csv")
        if path is None:
            self.skipTest("no tmpfs can be mounted here (not root)")
        os.remove(path)
        self.start(1, 0)
        self.connect(0)
        window = self.start_monitor()
        self.robot.post_click(window, IDC_RECORD)
        dialog = self.robot.window("Save As", 5.0)
        self.assertIsNotNone(dialog, "no save dialog")
        self.robot.file_dialog(dialog, path)
        self.assertTrue(self.robot.gone(dialog))
        self.assertTrue(wait_for(lambda: self.robot.text(window, IDC_RECORD) == STOP, 5.0))

        failed = "Die Aufzeichnungsdatei %s kann nicht geschrieben werden (%s)" % (windows_path(path), DISK_FULL)
        flows = list(range(1, 121))
        for flow in flows:
            self.send(full_frame(flow=flow))
        box = self.box_beside(self.run.main, window, 10.0)
        self.assertIsNotNone(box, "no box about the recording")
        self.assertEqual(self.robot.text(box, 0xFFFF), failed)
        self.robot.post_click(box, IDOK)
        self.assertTrue(self.robot.gone(box))
        self.assertTrue(self.shows(window, 1021, str(flows[-1])), "the monitor did not go on")
        self.assertTrue(wait_for(lambda: self.robot.text(window, IDC_RECORD) == RECORD, 5.0))
        self.assertTrue(self.log_has("Aufzeichnung der Monitorwerte in %s beendet" % windows_path(path)))
        self.send(full_frame(flow=7))
        self.assertTrue(self.shows(window, 1021, "7"))
        self.assertIsNone(self.box_beside(self.run.main, window, 1.0), "a second box")
        self.assertEqual(log_texts(self.run).count(failed), 1, "said once")

        with open(path, "rb") as f:
            kept = f.read()
        self.assertTrue(kept.endswith(b"\r\n"), "the file ends in half a row: %r" % kept[-80:])
        rows = list(csv.reader(io.StringIO(kept.decode("ascii"), newline="")))
        self.assertEqual(rows[0], HEADER)
        self.assertEqual([int(r[1]) for r in rows[1:]], flows[:len(rows) - 1], "rows lost or out of order")
        self.assertTrue(all(len(r) == len(HEADER) for r in rows))
        self.assertLess(len(rows) - 1, len(flows), "the disk did not fill")
        self.assertGreater(len(kept), 4096 - 100, "more lost than the row the disk filled in")


class TraceDiskFullTest(DeviceEndTestCase):
    """The traffic trace on a full disk: the reason once, in the log and in a box; the
    trace ends with its last whole record row; the tool and its log go on."""

    def test_a_trace_that_does_not_fit_is_said_once_and_ends_with_its_last_whole_row(self):
        path = small_disk(self, free_bytes=16 * 1024, name="ZevTrace.TXT")
        if path is None:
            self.skipTest("no tmpfs can be mounted here (not root)")
        self.pair = pty_pair(self, 1)
        self.folder = tool_folder(self, settings_for(1, 0) + "[Debug]\nTrace=1\n")
        os.symlink(path, self.folder.file("ZevTrace.TXT"))
        self.run = tool_run(self, self.folder, self.robot)
        self.assertIsNotNone(self.run.start())
        self.connect(0)
        self.robot.command(self.run.main, READOUT)
        self.assertEqual(self.pair.read(count=1, timeout=5.0), b"V")
        self.pair.write(ESC)
        lines = [b"ZEILE %04d " % n + b"W" * 40 for n in range(60)]
        for line in lines:
            self.pair.write(line + b"\r")
            self.assertTrue(self.log_has(">> " + line.decode()))
        failed = ("Die Datei ZevTrace.TXT für den Datenverkehr kann nicht geschrieben werden (%s): "
                  "es wird nichts aufgezeichnet" % DISK_FULL)
        box = self.robot.message_box(self.run.main, 5.0)
        self.assertIsNotNone(box, "no box about the trace")
        self.assertEqual(box[2], failed)
        self.robot.post_click(box[0], IDOK)
        self.assertTrue(self.robot.gone(box[0]))
        self.pair.write(b"\r")
        self.assertTrue(self.log_has(" >> \r\n"))
        self.robot.command(self.run.main, QUERY)  # the tool goes on
        self.assertEqual(self.pair.read(count=1, timeout=5.0), b"L")
        self.pair.write(b"0815\r")
        self.assertTrue(self.log_has("Antwort: 0815"))
        assert_no_box(self, self.robot, self.run.main, 1.0)
        self.assertEqual(self.run.close(), 0)
        self.assertEqual([line[9:] for line in self.folder.log_lines()].count(failed), 1, "said once")

        with open(path, "rb") as f:
            kept = f.read()
        self.assertTrue(kept.endswith(b"\r\n"), "the trace ends in half a row: %r" % kept[-80:])
        received = b"".join(r[4] for r in records(kept.decode("ascii")) if r[1] == "RX")
        sent = ESC + b"".join(line + b"\r" for line in lines)
        self.assertTrue(received.startswith(b"ZEV TEST DEVICE\r"), received[:40])
        self.assertTrue(sent.startswith(received[len(b"ZEV TEST DEVICE\r"):]), "records lost or out of order")
        self.assertGreater(len(kept), 16 * 1024 - 100, "more lost than the row the disk filled in")


if __name__ == "__main__":
    unittest.main(verbosity=2)
