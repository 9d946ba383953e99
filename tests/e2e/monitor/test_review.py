"""A recording of the monitor opened for a review through the real ZEV.EXE (Monitor >
Aufzeichnung öffnen...): one the monitor window recorded from frames that Python sent as
the device, opened while the monitor still runs, and an hour across midnight written by the
test in the same format, each in a window of its own named after its file, with the span's
buttons and the scroll bar; the chart saved as a PNG shows the recording's ramp, plateau at
its height against the value axis, stop and rising errors, the whole of it and a minute of it;
a file that is no recording gets a box and one log line with its line and why, and the tool
goes on; a last row cut short is left out and said."""
import csv
import os
import shutil
import tempfile
import unittest

from zevharness.monitor_frames import full_frame
from zevharness.operations import IDOK, answer_box, log_texts
from zevharness.robot import windows_path
from zevharness.session import wait_for
from monitor import test_record
from monitor.chart_png import ERRORS, FLOW, Png, grid_rows, plot_frame, trace_rows
from monitor.test_window import MonitorWindowTestCase

OPEN_RECORDING = 40033
IDC_REC_CHART, IDC_REC_SCROLL, IDC_REC_SUMMARY, IDC_REC_SAVE_CHART = 1070, 1071, 1076, 1078
IDC_SPANS = (1072, 1073, 1074, 1075)  # whole, 15, 5, 1 minutes
IDCANCEL = 2


def row(time_text, flow, errors):
    return "%s,%d,%d,42,43,12.50,1.50,123456.00,123468.50,123468,0.25" % (time_text, flow, errors)


def write_recording(path, rows, last_line_end=True):
    """A recording as the monitor writes it: its header, then a row a frame, CR LF."""
    with open(path, "w", newline="") as f:
        f.write("\r\n".join([",".join(test_record.HEADER)] + rows) + ("\r\n" if last_line_end else ""))


def hour_rows(start_seconds, seconds, frames_a_second):
    """Rows of a delivery: a ramp, a plateau at 400 L/min, a stop, impulse errors rising."""
    rows = []
    count = int(seconds * frames_a_second) + 1
    for n in range(count):
        at = n / frames_a_second
        day_ms = int(round((start_seconds + at) * 1000)) % (24 * 3600 * 1000)
        flow = min(400, int(at * 2)) if at < seconds * 0.8 else 0
        errors = int(at // 600)
        rows.append(row("%02d:%02d:%02d.%03d" % (day_ms // 3600000, day_ms // 60000 % 60, day_ms // 1000 % 60,
                                                 day_ms % 1000), flow, errors))
    return rows


PLATEAU = 120  # L/min: the value axis then runs to 140 in 7 steps of 20


def delivery_rows():
    """20 minutes at 4 frames a second: a ramp to PLATEAU in 3 minutes, the plateau to the
    15th minute with the impulse errors rising from 0 to 5, then a stop."""
    rows = []
    for n in range(20 * 60 * 4 + 1):
        at = n / 4.0
        flow = int(PLATEAU * at / 180) if at < 180 else PLATEAU if at < 900 else 0
        errors = 0 if at < 180 else min(5, int((at - 180) // 144))
        rows.append(row("10:%02d:%02d.%03d" % (at // 60, at % 60, n % 4 * 250), flow, errors))
    return rows


def flow_columns(png, frame):
    """(x, highest row, lowest row) of the flow trace in each column inside the frame."""
    left, top, right, bottom = frame
    columns = []
    for x in range(left + 1, right):
        rows = trace_rows(png, frame, FLOW, x)
        if rows:
            columns.append((x, min(rows), max(rows)))
    return columns


class ReviewTest(MonitorWindowTestCase):
    choose_file = test_record.MonitorRecordTest.choose_file

    def files(self):
        folder = tempfile.mkdtemp(prefix="zevreview-")
        self.addCleanup(shutil.rmtree, folder, True)
        return folder

    def open_recording(self, path):
        """The menu command, and `path` chosen in its open dialog."""
        self.robot.command(self.run.main, OPEN_RECORDING)
        dialog = self.robot.window("Open", 5.0)
        self.assertIsNotNone(dialog, "no open dialog")
        self.robot.file_dialog(dialog, path)
        self.assertTrue(self.robot.gone(dialog))

    def review_window(self, name):
        window = self.robot.window("%s - Aufzeichnung" % name, 10.0)
        self.assertIsNotNone(window, "no review window for %s" % name)
        return window

    def test_a_recording_of_the_monitor_opens_while_the_monitor_runs(self):
        self.start(1, 0)
        self.connect(0)
        monitor = self.start_monitor()
        path = self.choose_file(monitor, "flow.csv")
        for flow, twice_errors in ((100, 0), (250, 2), (400, 6)):
            self.send(full_frame(flow=flow, twice_errors=twice_errors))
            self.assertTrue(self.shows(monitor, 1021, str(flow)))
        self.robot.post_click(monitor, 1030)  # the recording stops
        self.assertTrue(self.log_has("Aufzeichnung der Monitorwerte in Z:"))
        with open(path, newline="") as f:
            rows = list(csv.reader(f))[1:]
        self.assertEqual([r[1:3] for r in rows], [["100", "0"], ["250", "1"], ["400", "3"]])

        self.open_recording(path)
        window = self.review_window("flow.csv")
        summary = "3 Frames ab %s, Dauer 0:00" % rows[0][0]
        self.assertEqual(self.robot.text(window, IDC_REC_SUMMARY), summary)
        self.assertTrue(self.log_has("Aufzeichnung %s geöffnet: %s" % (windows_path(path), summary)))
        self.assertTrue(self.robot.checked(window, IDC_SPANS[0]), "the whole recording is shown first")
        self.assertFalse(self.robot.enabled(window, IDC_REC_SCROLL), "nothing to scroll")
        # the monitor goes on beside it
        self.send(full_frame(flow=77))
        self.assertTrue(self.shows(monitor, 1021, "77"))

    def test_an_hour_across_midnight_opens_whole_and_zooms_to_a_span(self):
        self.start(1, 0)
        folder = self.files()
        path = os.path.join(folder, "hour.csv")
        write_recording(path, hour_rows(23 * 3600 + 30 * 60, 3600, 25))
        self.open_recording(path)
        window = self.review_window("hour.csv")
        self.assertEqual(self.robot.text(window, IDC_REC_SUMMARY), "90001 Frames ab 23:30:00.000, Dauer 1:00:00")
        self.assertEqual([self.robot.checked(window, i) for i in IDC_SPANS], [True, False, False, False])
        self.assertFalse(self.robot.enabled(window, IDC_REC_SCROLL))
        for span in (IDC_SPANS[3], IDC_SPANS[1], IDC_SPANS[0]):
            self.robot.click(window, span)
            self.assertTrue(wait_for(lambda: self.robot.enabled(window, IDC_REC_SCROLL) == (span != IDC_SPANS[0])),
                            "the scroll bar for span %d" % span)
        # Close ends the window, the tool stays
        self.robot.post_click(window, IDCANCEL)
        self.assertTrue(self.robot.gone(window))
        self.assertIsNotNone(self.robot.window("Zevanto", 1.0))

    def save_chart(self, window, path):
        self.robot.post_click(window, IDC_REC_SAVE_CHART)
        dialog = self.robot.window("Save As", 5.0)
        self.assertIsNotNone(dialog, "no save dialog")
        self.robot.file_dialog(dialog, path)
        self.assertTrue(self.robot.gone(dialog))
        self.assertTrue(self.log_has("Das Diagramm wurde in %s gespeichert" % windows_path(path)))
        png = Png(path)
        self.assertEqual((png.width, png.height), self.robot.client_size(window, IDC_REC_CHART))
        return png

    def test_the_chart_shows_the_ramp_the_plateau_at_its_height_the_stop_and_the_errors(self):
        self.start(1, 0)
        folder = self.files()
        path = os.path.join(folder, "delivery.csv")
        write_recording(path, delivery_rows())
        self.open_recording(path)
        window = self.review_window("delivery.csv")

        png = self.save_chart(window, os.path.join(folder, "whole.png"))
        left, top, right, bottom = frame = plot_frame(png)
        grid = grid_rows(png, frame)
        self.assertEqual(len(grid), 6, grid)  # 7 steps of 20 to 140
        zero_row, top_row = bottom - 1, top + 1
        step = (zero_row - top_row) / 7.0
        for n, y in enumerate(sorted(grid, reverse=True), start=1):
            self.assertAlmostEqual(y, zero_row - n * step, delta=1.0)
        plateau_row = zero_row - PLATEAU / 140.0 * (zero_row - top_row)
        columns = flow_columns(png, frame)
        at_plateau = [x for x, high, low in columns if abs(high - plateau_row) <= 2 and abs(low - plateau_row) <= 2]
        self.assertGreater(len(at_plateau), 20, "the plateau is not at %d L/min's height" % PLATEAU)
        # the whole recording across the plot: the plateau from the 3rd to the 15th of 20 minutes
        width = float(right - left)
        self.assertAlmostEqual((at_plateau[0] - left) / width, 3 / 20.0, delta=0.02)
        self.assertAlmostEqual((at_plateau[-1] - left) / width, 15 / 20.0, delta=0.02)
        ramp = [(high, low) for x, high, low in columns if x < at_plateau[0]]
        self.assertGreater(len(ramp), 5, "no ramp before the plateau")
        self.assertGreaterEqual(ramp[0][1], zero_row - 2, "the ramp does not start at 0")
        self.assertEqual([h for h, _ in ramp], sorted((h for h, _ in ramp), reverse=True), "the ramp does not rise")
        stop = [high for x, high, low in columns if x > at_plateau[-1] + 3]
        self.assertTrue(stop and all(r >= zero_row - 2 for r in stop), "no stop after the plateau")
        self.assertGreater(columns[-1][0] - left, width * 0.97, "the recording's end is not at the plot's end")
        errors = [min(trace_rows(png, frame, ERRORS, x)) for x in range(at_plateau[0], at_plateau[-1])
                  if trace_rows(png, frame, ERRORS, x)]
        self.assertTrue(errors, "no error trace")
        self.assertGreater(errors[0] - errors[-1], (bottom - top) / 2, "the errors do not rise")
        self.assertEqual(errors, sorted(errors, reverse=True), "the error count falls")

        # a minute about the middle: the plateau across the whole plot
        self.robot.click(window, IDC_SPANS[3])
        self.assertTrue(wait_for(lambda: self.robot.enabled(window, IDC_REC_SCROLL)))
        png = self.save_chart(window, os.path.join(folder, "minute.png"))
        frame = plot_frame(png)
        zero_row, top_row = frame[3] - 1, frame[1] + 1
        plateau_row = zero_row - PLATEAU / 140.0 * (zero_row - top_row)
        columns = flow_columns(png, frame)
        self.assertGreater(len(columns), (frame[2] - frame[0]) * 0.9, "the trace does not cross the minute")
        self.assertTrue(all(abs(high - plateau_row) <= 2 and abs(low - plateau_row) <= 2 for x, high, low in columns),
                        "a minute of the plateau is not flat at its height")

    def test_a_file_that_is_no_recording_is_refused_with_its_line_and_the_tool_goes_on(self):
        self.start(1, 0)
        folder = self.files()
        good = row("14:03:07.123", 120, 3)
        bad_line = row("14:03:07.373", 120, 3).replace(",120,", ",12O,")
        cases = [
            ("number.csv", [good, bad_line, good],
             'Zeile 3, "%s...": Spalte 2 (flow (L/min)) ist keine Zahl.' % bad_line[:60]),
            ("columns.csv", [good, "14:03:07.373,120,3"], 'Zeile 3, "14:03:07.373,120,3": sie hat 3 Spalten, eine Zeile hat 11.'),
            ("back.csv", [good, row("14:02:07.123", 1, 0)],  # a minute back: no clock set back a little
             'Zeile 3, "%s...": die Zeit geht hinter 14:03:07.123 der Zeile davor zurück.' % row("14:02:07.123", 1, 0)[:60]),
        ]
        for name, rows, why in cases:
            with self.subTest(name):
                path = os.path.join(folder, name)
                write_recording(path, rows)
                self.open_recording(path)
                title, text = answer_box(self, self.robot, self.run.main, IDOK)
                expected = "Die Datei %s ist keine Aufzeichnung des Durchflussmonitors: %s" % (windows_path(path), why)
                self.assertEqual((title, text), ("Zevanto", expected))
                self.assertEqual(log_texts(self.run).count(expected), 1)
                self.assertIsNone(self.robot.window("%s - Aufzeichnung" % name, 0.3))

        firmware = os.path.join(folder, "firmware.csv")
        with open(firmware, "w") as f:
            f.write("S00F000068656C6C6F202020202000003C\nS9030000FC\n")
        self.open_recording(firmware)
        self.assertEqual(answer_box(self, self.robot, self.run.main, IDOK)[1],
                         'Die Datei %s ist keine Aufzeichnung des Durchflussmonitors: Zeile 1, '
                         '"S00F000068656C6C6F202020202000003C": sie nennt nicht die Spalten einer Aufzeichnung.'
                         % windows_path(firmware))
        empty = os.path.join(folder, "empty.csv")
        open(empty, "w").close()
        self.open_recording(empty)
        self.assertEqual(answer_box(self, self.robot, self.run.main, IDOK)[1],
                         "Die Datei %s ist leer: sie ist keine Aufzeichnung des Durchflussmonitors." % windows_path(empty))
        header_only = os.path.join(folder, "header.csv")
        write_recording(header_only, [])
        self.open_recording(header_only)
        self.assertEqual(answer_box(self, self.robot, self.run.main, IDOK)[1],
                         "Die Aufzeichnung %s enthält keine Frames." % windows_path(header_only))

        # a recording held by another program with no sharing: the system's reason
        held = os.path.join(folder, "held.csv")
        write_recording(held, [good])
        self.robot.lock(held)
        try:
            self.open_recording(held)
            text = answer_box(self, self.robot, self.run.main, IDOK)[1]
        finally:
            self.robot.unlock(held)
        self.assertTrue(text.startswith("Die Aufzeichnung %s kann nicht gelesen werden (" % windows_path(held)), text)
        self.assertIn(text, log_texts(self.run))

        # the tool goes on: a recording opens, the device is connected as ever
        path = os.path.join(folder, "good.csv")
        write_recording(path, [good])
        self.open_recording(path)
        self.review_window("good.csv")
        self.connect(0)

    def test_a_last_row_cut_short_is_left_out_and_each_file_opens_its_own_window(self):
        self.start(1, 0)
        folder = self.files()
        cut = os.path.join(folder, "cut.csv")
        whole = [row("09:00:00.000", 10, 0), row("09:00:01.500", 20, 0)]
        with open(cut, "w", newline="") as f:
            f.write("\r\n".join([",".join(test_record.HEADER)] + whole) + "\r\n" + row("09:00:02.000", 30, 0)[:17])
        self.open_recording(cut)
        first = self.review_window("cut.csv")
        self.assertEqual(self.robot.text(first, IDC_REC_SUMMARY), "2 Frames ab 09:00:00.000, Dauer 0:01")
        cut_line = ("Die letzte Zeile von %s, Zeile 4, ist abgeschnitten: die Aufzeichnung wird ohne sie gezeigt"
                    % windows_path(cut))
        self.assertTrue(self.log_has(cut_line))
        lines = log_texts(self.run)
        self.assertLess(lines.index(cut_line), [i for i, l in enumerate(lines) if l.startswith("Aufzeichnung Z:")][0])

        other = os.path.join(folder, "other.csv")
        write_recording(other, hour_rows(0, 120, 4))
        self.open_recording(other)
        second = self.review_window("other.csv")
        self.assertNotEqual(first, second)
        self.assertEqual(self.robot.text(second, IDC_REC_SUMMARY), "481 Frames ab 00:00:00.000, Dauer 2:00")
        self.assertIsNotNone(self.robot.window("cut.csv - Aufzeichnung", 1.0), "the first window stays")


if __name__ == "__main__":
    unittest.main(verbosity=2)
