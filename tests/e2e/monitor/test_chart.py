"""The monitor's chart through the real ZEV.EXE with Python as the device: a delivery sent
frame by frame (a ramp, a plateau with impulse errors rising, a stop) is saved with "Save
chart..." and the PNG's pixels read back: the file is the chart's size, the plateau lies
at its flow's height against the value axis, the ramp before it and the stop after it, the
error trace rises. A save into a folder that cannot be written, or onto a full disk, says
why in the log and in a box and leaves no file, the one there before as it was; the
monitor goes on. And ZEVSIM's deliveries at the line rate (a ramp, a plateau, a pause,
impulse errors while the flow runs) as the chart draws them."""
import os
import shutil
import subprocess
import tempfile
import time
import unittest

from zevharness.disks import small_tmpfs
from zevharness.monitor_frames import full_frame
from zevharness.operations import IDOK, IDYES, log_texts
from zevharness.robot import windows_path
from zevharness.session import sim_session, wait_for
from zevharness.simulator import windows_path as sim_path
from monitor.chart_png import ERRORS, FLOW, Png, grid_rows, plot_frame, trace_rows
from monitor.test_window import MONITOR, TITLE, MonitorWindowTestCase

IDC_CHART, IDC_SAVE_CHART = 1060, 1064
SAVED = "Das Diagramm wurde in %s gespeichert"
FAILED = "Das Diagramm kann nicht in %s gespeichert werden ("
PLATEAU = 120  # L/min: the value axis then runs to 140 in 7 steps of 20


class ChartSaving(MonitorWindowTestCase):
    """Saves the monitor's chart as the user does; the tests are the subclasses'."""

    def folder_for_png(self):
        folder = tempfile.mkdtemp(prefix="zevpng-")
        self.addCleanup(shutil.rmtree, folder, True)
        return folder

    def save_chart(self, window, path, replace=False):
        self.robot.post_click(window, IDC_SAVE_CHART)
        dialog = self.robot.window("Save As", 5.0)
        self.assertIsNotNone(dialog, "no save dialog")
        self.robot.file_dialog(dialog, path)
        if replace:  # the dialog asks whether the file there is to be replaced: Yes
            question = self.new_window((self.run.main, window, dialog), 5.0)
            self.assertIsNotNone(question, "no question about the file there")
            self.robot.post_click(question, IDYES)
        self.assertTrue(self.robot.gone(dialog))

    def new_window(self, known, timeout):
        """A window of the program other than those `known` (the newest besides each)."""
        def find():
            for one in known:
                hwnd = self.robot.other_window(one, 0.05)
                if hwnd and hwnd not in known:
                    return hwnd
            return None
        return wait_for(find, timeout)

    def box_beside(self, main, monitor, timeout):
        """A window of the program that is neither the main window nor the monitor."""
        return self.new_window((main, monitor), timeout)


class ChartTest(ChartSaving):
    def send_delivery(self, window):
        """A ramp to PLATEAU in 3 s, the plateau for 6 s with the impulse errors rising from
        0 to 4, a stop for 3 s: a frame every 0.1 s, as the device sends them."""
        flows = [PLATEAU * i // 30 for i in range(30)] + [PLATEAU] * 60 + [0] * 30
        errors = [0] * 30 + [i // 12 for i in range(60)] + [4] * 30
        start = time.monotonic()
        for n, (flow, count) in enumerate(zip(flows, errors)):
            self.send(full_frame(flow=flow, twice_errors=2 * count))
            time.sleep(max(0.0, start + 0.1 * (n + 1) - time.monotonic()))
        self.assertTrue(self.shows(window, 1021, "0"))
        time.sleep(0.6)  # the chart paints what came on its timer

    def test_the_saved_chart_shows_the_ramp_the_plateau_at_its_height_the_stop_and_the_errors(self):
        self.start(1, 0)
        self.connect(0)
        window = self.start_monitor()
        self.send_delivery(window)
        path = os.path.join(self.folder_for_png(), "delivery.png")
        self.save_chart(window, path)
        self.assertTrue(self.log_has(SAVED % windows_path(path)), self.run.log_window()[-400:])
        self.assertEqual(os.listdir(os.path.dirname(path)), ["delivery.png"], "a temporary file was left")

        png = Png(path)
        self.assertEqual((png.width, png.height), self.robot.client_size(window, IDC_CHART))
        left, top, right, bottom = frame = plot_frame(png)
        # The value axis: 7 steps of 20 up to 140, so 6 grid lines inside the frame.
        grid = grid_rows(png, frame)
        self.assertEqual(len(grid), 6, grid)
        # The values lie inside the frame: 0 on the row above its bottom line, 140 below its top.
        zero_row, top_row = bottom - 1, top + 1
        step = (zero_row - top_row) / 7.0
        for n, y in enumerate(sorted(grid, reverse=True), start=1):
            self.assertAlmostEqual(y, zero_row - n * step, delta=1.0)
        plateau_row = zero_row - PLATEAU / 140.0 * (zero_row - top_row)

        # Column by column from the left: where the flow trace lies.
        columns = []
        for x in range(left + 1, right):
            rows = trace_rows(png, frame, FLOW, x)
            if rows:
                columns.append((x, min(rows), max(rows)))
        self.assertGreater(len(columns), 20, "hardly any flow trace")
        at_plateau = [x for x, top_row, low_row in columns
                      if abs(top_row - plateau_row) <= 2 and abs(low_row - plateau_row) <= 2]
        self.assertGreater(len(at_plateau), 10, "the plateau is not at %d L/min's height" % PLATEAU)
        first_plateau, last_plateau = at_plateau[0], at_plateau[-1]
        # The plateau takes 6 s of the minute shown (the times are those the frames came at:
        # a tool held up on a busy machine draws it shorter), the trace 12 s.
        seconds = 60.0 / (right - left)
        self.assertGreater((last_plateau - first_plateau) * seconds, 2.0)
        # Before the plateau the ramp rises from the bottom; after it the flow is 0.
        ramp = [(top_row, low_row) for x, top_row, low_row in columns if x < first_plateau]
        self.assertGreater(len(ramp), 2, "no ramp before the plateau")
        self.assertGreaterEqual(ramp[0][1], zero_row - 2, "the ramp does not start at 0")
        self.assertEqual([r for r, _ in ramp], sorted((r for r, _ in ramp), reverse=True), "the ramp does not rise")
        self.assertGreater(ramp[-1][0] - plateau_row, -4, "the ramp goes above the plateau")
        stop = [(x, top_row) for x, top_row, _ in columns if x > last_plateau + 3]
        self.assertTrue(stop, "no stop after the plateau")
        self.assertTrue(all(r >= zero_row - 3 for _, r in stop[3:]), stop)
        # Nothing drawn after the last frame: the minute is not over.
        self.assertLess(columns[-1][0] - left, (right - left) * 0.5)

        # The error trace, on its own scale, rises during the plateau and holds after it.
        errors = [(x, min(trace_rows(png, frame, ERRORS, x)))
                  for x in range(left + 1, right) if trace_rows(png, frame, ERRORS, x)]
        self.assertTrue(errors, "no error trace")
        during = [r for x, r in errors if first_plateau <= x <= last_plateau]
        self.assertGreater(during[0] - during[-1], (bottom - top) / 2, "the errors do not rise")
        self.assertEqual(during, sorted(during, reverse=True), "the error count falls")

    def test_a_folder_that_cannot_be_written_leaves_no_file_and_says_why(self):
        read_only = tempfile.mkdtemp(prefix="zevro-")
        self.addCleanup(os.rmdir, read_only)
        if subprocess.run(["mount", "-t", "tmpfs", "-o", "ro,size=64k", "tmpfs", read_only],
                          stderr=subprocess.DEVNULL).returncode != 0:
            self.skipTest("no read-only tmpfs can be mounted here (not root)")
        self.addCleanup(subprocess.run, ["umount", "-l", read_only])
        self.start(1, 0)
        self.connect(0)
        window = self.start_monitor()
        self.send(full_frame(flow=50))
        self.assertTrue(self.shows(window, 1021, "50"))
        path = os.path.join(read_only, "chart.png")
        self.save_chart(window, path)
        box = self.box_beside(self.run.main, window, 10.0)
        self.assertIsNotNone(box, "no box about the chart")
        text = self.robot.text(box, 0xFFFF)
        self.robot.post_click(box, IDOK)
        self.assertTrue(self.robot.gone(box))
        self.assertTrue(text.startswith(FAILED % windows_path(path)), text)
        self.assertGreater(len(text), len(FAILED % windows_path(path)) + 2, "no reason given")
        self.assertEqual(log_texts(self.run).count(text), 1, "said once, in the log")
        self.assertEqual(os.listdir(read_only), [])
        # the monitor goes on
        self.send(full_frame(flow=51))
        self.assertTrue(self.shows(window, 1021, "51"))

    def test_a_full_disk_keeps_the_file_there_before(self):
        mount_point = small_tmpfs(self)
        if mount_point is None:
            self.skipTest("no tmpfs can be mounted here (not root)")
        path = os.path.join(mount_point, "chart.png")
        old = b"the chart saved before" * 10
        with open(path, "wb") as f:
            f.write(old)
        # The disk all but full: a few hundred bytes are left, less than any chart takes.
        disk = os.statvfs(mount_point)
        with open(os.path.join(mount_point, "filler"), "wb") as f:
            f.write(b"\0" * (disk.f_bavail * disk.f_frsize - 512))
        self.start(1, 0)
        self.connect(0)
        window = self.start_monitor()
        for flow in range(0, 300, 10):
            self.send(full_frame(flow=flow, twice_errors=flow // 20))
        self.assertTrue(self.shows(window, 1021, "290"))
        time.sleep(0.6)
        self.save_chart(window, path, replace=True)
        box = self.box_beside(self.run.main, window, 10.0)
        self.assertIsNotNone(box, "no box about the chart")
        text = self.robot.text(box, 0xFFFF)
        self.robot.post_click(box, IDOK)
        self.assertTrue(self.robot.gone(box))
        self.assertTrue(text.startswith(FAILED % windows_path(path)), text)
        with open(path, "rb") as f:
            self.assertEqual(f.read(), old, "the file there before was changed")
        self.assertEqual(sorted(os.listdir(mount_point)), ["chart.png", "filler"], "a temporary file was left")


class SimulatedChartTest(ChartSaving):
    """ZEVSIM's deliveries: 2 s ramps, 6 s at 300 L/min (give or take 2 %, as a pump
    runs), 4 s pauses, an impulse error every flowing second."""
    PEAK = 300  # the value axis then runs to 350 in 7 steps of 50

    def test_the_simulators_deliveries_as_the_chart_draws_them(self):
        files = self.folder_for_png()
        settings = os.path.join(files, "sim.ini")
        with open(settings, "w") as f:
            f.write("[Monitor]\nPeakFlow=%d\nRampMs=2000\nHoldMs=6000\nPauseMs=4000\nErrorEveryMs=1000\n" % self.PEAK)
        session = sim_session(self, self.robot, 0, sim_args=("--line-rate", "--settings", sim_path(settings)))
        session.connect()
        session.command(MONITOR)
        window = self.robot.window(TITLE, 5.0)
        self.assertIsNotNone(window)
        self.assertTrue(session.log_has("Impulserror", 10.0))
        time.sleep(17.0)  # more than a delivery and its pause
        self.run = session.run
        path = os.path.join(files, "deliveries.png")
        self.save_chart(window, path)
        self.assertTrue(session.log_has(SAVED % windows_path(path)))

        png = Png(path)
        self.assertEqual((png.width, png.height), self.robot.client_size(window, IDC_CHART))
        left, top, right, bottom = frame = plot_frame(png)
        zero_row, top_row = bottom - 1, top + 1
        self.assertEqual(len(grid_rows(png, frame)), 6)
        def row(flow):
            return zero_row - flow / 350.0 * (zero_row - top_row)
        highest, lowest = row(self.PEAK * 1.02) - 2, row(self.PEAK * 0.98) + 2
        flow_columns = [(x, trace_rows(png, frame, FLOW, x)) for x in range(left + 1, right)]
        flow_columns = [(x, rows) for x, rows in flow_columns if rows]
        self.assertTrue(all(min(rows) >= highest for _, rows in flow_columns), "the flow goes above the peak")
        # The longest run of columns at the plateau's height: about 6 s of the minute shown.
        run = longest = 0
        for _, rows in flow_columns:
            run = run + 1 if highest <= min(rows) and max(rows) <= lowest else 0
            longest = max(longest, run)
        seconds = 60.0 / (right - left)
        self.assertGreater(longest * seconds, 2.0, "no plateau at %d L/min" % self.PEAK)
        self.assertLess(longest * seconds, 10.0, "a plateau longer than a delivery holds")
        # The pause: columns with the flow at 0.
        self.assertTrue(any(min(rows) >= zero_row - 3 for _, rows in flow_columns), "no pause")
        # The impulse errors rise while the flow runs: the error trace goes up somewhere.
        errors = [min(trace_rows(png, frame, ERRORS, x)) for x in range(left + 1, right)
                  if trace_rows(png, frame, ERRORS, x)]
        self.assertTrue(errors, "no error trace")
        self.assertGreater(max(errors) - min(errors), (bottom - top) / 3, "the errors do not rise")


if __name__ == "__main__":
    unittest.main(verbosity=2)
