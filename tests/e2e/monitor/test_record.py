"""The monitor's recording through the real ZEV.EXE with Python as the device: the record
button of the monitor window asks for a CSV file, every decoded frame becomes a row (a
frame of the wrong length none), the button stops it; the return to idle ends a recording
too, and the log says where each went."""
import csv
import os
import re
import shutil
import sys
import tempfile
import unittest

from zevharness.monitor_frames import full_frame
from zevharness.operations import DISCONNECT
from zevharness.session import wait_for
from monitor.test_window import MonitorWindowTestCase

IDC_RECORD = 1030
RECORD, STOP = "CSV-Aufzeichnung...", "Aufzeichnung beenden"
HEADER = ["time", "flow (L/min)", "impulse errors", "counter 1", "counter 2", "volume (L)", "volume 2 (L)",
          "reading 1 (L)", "reading 2 (L)", "whole reading (L)", "deviation (%)"]


class MonitorRecordTest(MonitorWindowTestCase):
    def choose_file(self, window, name):
        folder = tempfile.mkdtemp(prefix="zevcsv-")
        self.addCleanup(shutil.rmtree, folder, True)
        path = os.path.join(folder, name)
        self.robot.post_click(window, IDC_RECORD)
        dialog = self.robot.window("Save As", 5.0)
        self.assertIsNotNone(dialog, "no save dialog")
        self.robot.file_dialog(dialog, path)
        self.assertTrue(self.robot.gone(dialog))
        self.assertTrue(wait_for(lambda: self.robot.text(window, IDC_RECORD) == STOP, 5.0))
        return path

    def rows(self, path):
        with open(path, newline="") as f:
            return list(csv.reader(f))

    def test_frames_become_rows_until_the_button_stops_the_recording(self):
        self.start(1, 0)
        self.connect(0)
        window = self.start_monitor()
        self.assertEqual(self.robot.text(window, IDC_RECORD), RECORD)
        path = self.choose_file(window, "flow.csv")
        self.assertTrue(self.log_has("Die Monitorwerte werden in Z:%s aufgezeichnet" % path.replace("/", "\\")))
        frames = [dict(flow=120, twice_errors=6, counter1=42, counter2=43, volume=12.5, litres=1.5,
                       reading1=123456.0, reading2=123468.5, whole=123468.9, deviation=0.25),
                  dict(flow=1200, twice_errors=-7, counter1=-1, counter2=0x7FFFFFFF, volume=-0.004),
                  dict(flow=0, whole=float("nan"))]
        for n, values in enumerate(frames):
            self.send(full_frame(**values), (146, 144, 140)[n])
            self.send(full_frame(**values)[:145])  # a length error between: no row
            self.assertTrue(self.log_has("* Frame Length Error (145) *"))
        self.assertTrue(self.shows(window, 1021, "0"))
        self.robot.post_click(window, IDC_RECORD)
        self.assertTrue(wait_for(lambda: self.robot.text(window, IDC_RECORD) == RECORD, 5.0))
        self.assertTrue(self.log_has("Aufzeichnung der Monitorwerte in Z:"))
        self.send(full_frame(flow=77))  # after the stop: no row
        self.assertTrue(self.shows(window, 1021, "77"))

        rows = self.rows(path)
        self.assertEqual(rows[0], HEADER)
        self.assertEqual([r[1:] for r in rows[1:]], [
            ["120", "3", "42", "43", "12.50", "1.50", "123456.00", "123468.50", "123468", "0.25"],
            ["1200", "-3", "-1", "2147418112", "-0.00", "0.00", "0.00", "0.00", "0", "0.00"],  # 144: low half 0
            ["0", "0", "0", "0", "0.00", "0.00", "0.00", "0.00", "0", "0.00"]])  # NaN whole: 0
        for row in rows[1:]:
            self.assertRegex(row[0], r"^\d\d:\d\d:\d\d\.\d{3}$")

    def test_the_return_to_idle_ends_the_recording_and_a_new_start_records_anew(self):
        self.start(1, 0)
        self.connect(0)
        window = self.start_monitor()
        path = self.choose_file(window, "idle.csv")
        self.send(full_frame(flow=5))
        self.assertTrue(self.shows(window, 1021, "5"))
        self.robot.command(self.run.main, DISCONNECT)
        self.assertTrue(self.robot.gone(window))
        self.assertTrue(self.log_has("Aufzeichnung der Monitorwerte in Z:"))
        log = self.run.log_window()
        self.assertLess(log.index("Aufzeichnung der Monitorwerte in"), log.index("Verbindung getrennt"))
        self.assertEqual(len(self.rows(path)), 2)
        self.pair.drain()
        self.connect(0)
        window = self.start_monitor()
        self.assertEqual(self.robot.text(window, IDC_RECORD), RECORD, "a new window does not record")
        self.send(full_frame(flow=6))
        self.assertTrue(self.shows(window, 1021, "6"))
        self.assertEqual(len(self.rows(path)), 2, "nothing more in the old file")


if __name__ == "__main__":
    unittest.main(verbosity=2)
