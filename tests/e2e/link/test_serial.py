"""The serial link of the real ZEV.EXE through the real KORA.DLL, with Python playing the
device on the other end of a pty pair: wake-up bytes and baud rates, the identification
line, disconnect, framing, garbage, the response time-outs and a cable pulled out."""
import os
import random
import sys
import threading
import time
import unittest

from zevharness.device_end import DeviceEndTestCase
from zevharness.processes import sub_test
from zevharness.session import CONNECT, DISCONNECT, READOUT, WORKING_BAUD, wait_for


class LinkTest(DeviceEndTestCase):
    def test_wake_up_baud_switch_and_disconnect_for_each_device_type(self):
        for port, device_type in ((1, 0), (3, 1), (1, 2)):
            with sub_test(self, port=port, device_type=device_type) as owner:
                self.start(port, device_type, owner)
                speeds = []
                watcher = threading.Thread(target=lambda: speeds.extend(self.pair.watch_speeds(1.5)))
                watcher.start()
                time.sleep(0.1)
                self.robot.command(self.run.main, CONNECT)
                wake_up = self.pair.read(count=6, timeout=5.0)
                arrived = time.monotonic()
                watcher.join()
                self.assertEqual(wake_up, b"**\x18B%02d" % device_type)
                rates = [baud for _, baud in speeds]
                self.assertIn(9600, rates, "the wake-up goes out at 9600 baud")
                self.assertEqual(rates[-1], WORKING_BAUD[device_type])
                opened = next(t for t, baud in speeds if baud == 9600)
                switched = next(t for t, baud in speeds if t > opened and baud == WORKING_BAUD[device_type])
                self.assertLess(opened, arrived)
                print("COM%d type %d: %d baud %.0f ms after the port opened at 9600"
                      % (port, device_type, WORKING_BAUD[device_type], (switched - opened) * 1000))

                time.sleep(0.1)
                self.pair.write(b"DEVICE %d READY\r" % device_type)
                self.assertTrue(self.log_has(">> (Init.) DEVICE %d READY" % device_type))

                self.robot.command(self.run.main, CONNECT)  # connected: nothing happens
                self.assertEqual(self.pair.read(timeout=0.5), b"")

                self.robot.command(self.run.main, DISCONNECT)
                self.assertEqual(self.pair.read(count=1, timeout=3.0), b"E")
                self.assertTrue(self.log_has("Verbindung getrennt"))
                self.assertTrue(wait_for(lambda: self.pair.tool_speed() == 9600, 3.0), "back at 9600 baud")

                self.robot.command(self.run.main, DISCONNECT)  # not connected: nothing happens
                self.assertEqual(self.pair.read(timeout=1.2), b"")
                # past the link watchdog's 1000 ms after the "E": no box, no line
                self.assert_no_box()
                self.assertTrue(self.run.log_window().endswith("Verbindung getrennt\r\n"))
                self.assertEqual(self.run.close(), 0)

    def test_lines_are_framed_across_receive_events(self):
        self.start(1, 0)
        self.connect(0, answer=b"IDENT\r")
        # the identification stays in the receive line until the next command empties it
        self.pair.write(b"12\r")
        self.assertTrue(self.log_has(">> (CR) IDENT12"))
        self.pair.write(b"AB")
        time.sleep(0.2)
        self.pair.write(b"C\x10\x41\r")
        self.assertTrue(self.log_has(">> (CR) ABC!"))
        long_line = bytes(random.Random(1).choice(b"0123456789ABCDEF") for _ in range(1500))
        self.pair.write(long_line + b"\r")
        self.assertTrue(self.log_has(">> (CR) " + long_line.decode()))

    def test_garbage_leaves_the_tool_responsive_and_idle(self):
        self.start(1, 0)
        self.connect(0)
        rng = random.Random(7)
        end = time.monotonic() + 3.0
        while time.monotonic() < end:
            self.pair.write(bytes(rng.randrange(256) for _ in range(64)))
            time.sleep(0.01)
        self.pair.write(b"\rAFTER\r")
        self.assertTrue(self.log_has(">> (CR) AFTER", 10.0))
        # still responsive: disconnect and connect again
        self.pair.drain()
        self.robot.command(self.run.main, DISCONNECT)
        self.assertEqual(self.pair.read(count=1, timeout=3.0), b"E")
        self.connect(0)

    def test_no_answer_to_the_wake_up_ends_in_the_response_time_out(self):
        self.start(1, 0)
        started = time.monotonic()
        self.connect(0, answer=None)
        box = self.robot.window("Zevanto", 20.0)
        while box == self.run.main:
            box = self.robot.other_window(self.run.main, 20.0)
        waited = time.monotonic() - started
        self.assertIsNotNone(box)
        self.assertEqual(self.robot.text(box, 0xFFFF), "Keine Antwort vom Gerät (Zeitüberschreitung)")
        self.assertGreater(waited, 14.0)
        self.robot.click(box, 1)
        self.assertTrue(self.log_has("Keine Antwort vom Gerät"))
        # idle and not connected: a late answer is an unexpected line
        self.pair.write(b"LATE\r")
        self.assertTrue(self.log_has(">> (CR) LATE"))

    def start_read_out(self):
        """Connected, the read-out command given and taken with ESC; the time of the ESC."""
        self.start(1, 0)
        self.connect(0)
        self.pair.drain()
        self.robot.command(self.run.main, READOUT)
        self.assertEqual(self.pair.read(count=1, timeout=3.0), b"V")
        self.pair.write(b"\x1b")
        return time.monotonic()

    def send_at(self, moment, data):
        """Writes `data` to the device end at time.monotonic() `moment`; the time it did."""
        time.sleep(max(0.0, moment - time.monotonic()))
        sent = time.monotonic()
        self.pair.write(data)
        return sent

    def test_a_read_out_waits_2000_ms_for_its_first_line_and_1000_ms_for_each_next(self):
        # Each line just under its time-out: 2000 ms after the ESC (well over the 1000 ms
        # between lines), then 1000 ms after the line before.
        escape = self.start_read_out()
        first = self.send_at(escape + 1.75, b"A\r")
        self.send_at(first + 0.8, b"B\r")
        self.assertTrue(self.log_has(" >> B\r\n"), self.run.log_window())
        self.pair.write(b"\r")
        self.assertTrue(self.log_has(" >> \r\n"), "the empty line ends the read-out")
        self.assertIn(" >> A\r\n", self.run.log_window())
        self.assertIsNone(self.robot.other_window(self.run.main, 0.3), "a message box is open")
        self.assertNotIn("Keine Antwort vom Gerät", self.run.log_window())

    def test_a_read_out_without_lines_ends_in_the_response_time_out(self):
        escape = self.start_read_out()
        box = self.robot.other_window(self.run.main, 10.0)
        waited = time.monotonic() - escape
        self.assertIsNotNone(box, "no time-out message")
        self.assertEqual(self.robot.text(box, 0xFFFF), "Keine Antwort vom Gerät (Zeitüberschreitung)")
        self.assertGreater(waited, 1.5, "the 1000 ms between lines, not the 2000 ms after the ESC")
        print("time-out %.0f ms after the ESC" % (waited * 1000))
        self.robot.click(box, 1)
        self.assertTrue(self.log_has("Keine Antwort vom Gerät"))

    def test_a_cable_pulled_out_ends_in_the_link_error(self):
        self.start(1, 0)
        self.connect(0)
        self.pair.stop()
        box = self.robot.other_window(self.run.main, 10.0)
        self.assertIsNotNone(box, "no link error message")
        text = self.robot.text(box, 0xFFFF)
        self.assertTrue(text.startswith("KORA - Error\n\n"), text)
        self.robot.click(box, 1)
        self.assertTrue(self.log_has("KORA - Error"))
        # the tool goes on: a command, then a normal end
        self.robot.command(self.run.main, DISCONNECT)
        self.assertEqual(self.run.close(), 0)


if __name__ == "__main__":
    unittest.main(verbosity=2)
