"""The serial adapter pulled out in the middle of a transaction, through the real ZEV.EXE and
KORA.DLL: the pty pair torn down during a firmware download, a capture, the configuration
write chain and the monitor, and while idle. Each time the tool says so once ("KORA -
Error" and what to do about it, in one box and one log line, no time-out on top of it),
ends the transaction (file closed, capture kept, progress bar at 0, monitor closed) and
stays usable: a command meanwhile says once that the link is lost and sends nothing; the
adapter plugged back on the same path, disconnect and connect wake the device up again
without a restart. Python plays the device; ZEVSIM.EXE streams the monitor's frames."""
import contextlib
import os
import sys
import time
import unittest

from zevharness.device_end import DeviceEndTestCase
from zevharness.firmware_files import block_frames, write_image
from zevharness.operations import (ACK, CAPTURE, CLOCK, CONFIG_READ, DISCONNECT, DOWNLOAD, DOWNLOAD_TOOK, END_FRAME, ESC,
                        IDC_PROGRESS, IDOK, RX_TIMEOUT, log_texts, log_texts_after)
from zevharness.parameters import CONFIG_TITLE, open_dialog
from zevharness.ptys import pty_pair
from zevharness.robot import windows_path
from zevharness.session import sim_session, wait_for
from zevharness.tool import TITLE

LINK_ERROR = "KORA - Error\n\nCOM1 "
# The box's second paragraph, also in the box of a command while the link is lost
ADVICE = "\n\nSobald der Adapter wieder steckt: Verbindung > Trennen, dann Verbindung > Verbinden."
LINK_LOST = "Die Verbindung zum Gerät ist unterbrochen: es wurde nichts gesendet." + ADVICE
DISCONNECTED = "Verbindung getrennt"
DOWNLOAD_STARTED = "Firmware-Download gestartet: "
DOWNLOAD_DONE = "Firmware-Download abgeschlossen"
CAPTURING = "Auslesen in Datei "
MONITOR, MONITOR_TITLE = 40015, "Durchflussmonitor"


class AdapterPulledTest(DeviceEndTestCase):
    def box(self, run, others, timeout=5.0):
        """The box over the main window: a window besides it that is none of `others`."""
        end = time.monotonic() + timeout
        while time.monotonic() < end:
            hwnd = self.robot.other_window(run.main, 0.5)
            if hwnd is not None and hwnd not in others:
                return hwnd
            time.sleep(0.05)
        self.fail("no box")

    def pull(self, run=None, closes=(), after=()):
        """Tears the pair down as a pulled adapter does: one box and one log line say so,
        followed only by the lines `after` (where the transaction cut off stopped); once the
        box is answered the windows `closes` of the transaction cut off (the monitor) go,
        and no other box follows (the response timer of the transaction cut off must not
        report a time-out of it). The error text."""
        run = run or self.run
        self.pair.stop()
        self.assertTrue(wait_for(lambda: LINK_ERROR in run.log_window()), "no link error logged")
        box = self.box(run, closes)
        title, text = self.robot.title(box), self.robot.text(box, 0xFFFF)
        self.robot.post_click(box, IDOK)
        self.assertTrue(self.robot.gone(box), "the box did not close")
        # The transaction's own windows close once the box is answered, a moment after it
        # on a busy machine: they are no second box.
        for window in closes:
            self.assertTrue(self.robot.gone(window), "the window %r stays open" % self.robot.title(window))
        self.assertEqual(title, TITLE)
        self.assertTrue(text.startswith(LINK_ERROR) and len(text) > len(LINK_ERROR + ADVICE) + 5, text)
        self.assertTrue(text.endswith(ADVICE), text)
        self.assert_no_box(run, timeout=1.5)  # past the 1000 ms of a command's response timer
        self.assertEqual(log_texts(run)[-1 - len(after):], [text] + list(after))
        self.assertNotIn(RX_TIMEOUT, run.log_window())
        return text

    def plug_back_and_reconnect(self, device_type, run=None):
        """A new pair on the same path; the tool, still showing the device as connected,
        is disconnected (the closed link sends nothing) and connected again."""
        self.run = run or self.run
        self.pair = pty_pair(self, 1)
        self.robot.command(self.run.main, DISCONNECT)
        self.assertTrue(wait_for(lambda: log_texts(self.run)[-1] == DISCONNECTED))
        self.assertEqual(self.pair.read(timeout=0.3), b"", "the disconnect went nowhere")
        self.plugged = getattr(self, "plugged", 0) + 1  # a line of its own for each connect
        self.connect(device_type, b"PLUGGED BACK %d\r" % self.plugged)
        self.assert_no_box()

    def assert_idle(self):
        """The clock command goes out at once, without the busy question; once its text
        has come the tool is idle again for the next command."""
        self.robot.command(self.run.main, CLOCK)
        self.assertEqual(self.pair.read(count=1, timeout=3.0), b"T")
        self.assert_no_box()
        self.pair.write(ESC)
        text = self.pair.read(count=14, timeout=3.0)
        self.assertEqual((len(text), text[-2:]), (14, b"\r\r"), text)

    def test_one_command_after_the_pull_brings_one_box(self):
        self.start(1, 1)
        self.connect(1)
        self.pull()
        monitors_before = self.robot.window(MONITOR_TITLE, 0.1)
        for command in (CLOCK, MONITOR):
            with self.subTest(command=command):
                self.robot.command(self.run.main, command)
                box = self.box(self.run, ())
                title, text = self.robot.title(box), self.robot.text(box, 0xFFFF)
                self.robot.post_click(box, IDOK)
                self.assertTrue(self.robot.gone(box), "the box did not close")
                self.assertEqual((title, text), (TITLE, LINK_LOST))
                self.assert_no_box(timeout=1.5)  # no response timer was armed
                self.assertEqual(log_texts(self.run)[-1], LINK_LOST)
        self.assertNotIn(RX_TIMEOUT, self.run.log_window())
        self.assertIsNone(monitors_before)
        self.assertIsNone(self.robot.window(MONITOR_TITLE, 0.3), "the monitor opened")
        self.plug_back_and_reconnect(1)
        self.assert_idle()

    def test_download_is_ended_its_file_closed_and_a_new_download_runs(self):
        self.start(1, 1)
        self.connect(1)
        path = os.path.join(self.folder.path, "fw.IMG")
        frames = block_frames(write_image(path, 6 * 128 + 5))

        def download(acked):
            """Starts the download and answers 'D' and the first `acked` blocks."""
            self.robot.command(self.run.main, DOWNLOAD)
            self.robot.file_dialog(self.robot.other_window(self.run.main, 5.0), path)
            self.assertEqual(self.pair.read(count=1, timeout=5.0), b"D")
            self.pair.write(ESC)
            for number in range(acked):
                self.assertEqual(self.pair.read(count=len(frames[number]), timeout=5.0), frames[number])
                self.pair.write(ACK)

        download(3)
        self.assertEqual(self.pair.read(count=len(frames[3]), timeout=5.0), frames[3])
        self.assertEqual(self.robot.progress(self.run.main, IDC_PROGRESS)[0], 4 * 128)
        abandoned = "Firmware-Download abgebrochen bei Block 4 von 7"
        text = self.pull(after=[abandoned])
        # no false success, the bar back at 0, the file let go: it can be held exclusively
        self.assertEqual(log_texts_after(self.run, DOWNLOAD_STARTED), [text, abandoned])
        self.assertEqual(self.robot.progress(self.run.main, IDC_PROGRESS)[0], 0)
        self.robot.lock(path)
        self.robot.unlock(path)

        self.plug_back_and_reconnect(1)
        download(len(frames))
        self.assertEqual(self.pair.read(count=4, timeout=5.0), END_FRAME)
        # complete once the device has taken the end frame too
        self.pair.write(ACK)
        self.assertTrue(self.log_has(DOWNLOAD_DONE))
        self.assertEqual(log_texts_after(self.run, DOWNLOAD_STARTED), [DOWNLOAD_DONE, DOWNLOAD_TOOK])
        self.assert_idle()

    def test_capture_keeps_the_lines_received_before_the_pull(self):
        self.start(1, 1)
        self.connect(1)
        path = os.path.join(self.folder.path, "cut.LOG")
        self.robot.command(self.run.main, CAPTURE)
        self.robot.file_dialog(self.robot.other_window(self.run.main, 5.0), path)
        self.assertEqual(self.pair.read(count=1, timeout=5.0), b"O")
        self.pair.write(ESC + b"FIRST\rSECOND\r")
        self.assertTrue(self.log_has(">> SECOND"))
        early = "Auslesen vorzeitig beendet: 2 Zeilen in %s behalten" % windows_path(path)
        text = self.pull(after=[early])
        self.assertEqual(log_texts_after(self.run, CAPTURING), [">> FIRST", ">> SECOND", text, early])
        with open(path, "rb") as f:
            self.assertEqual(f.read(), b"FIRST\r\nSECOND\r\n")
        self.robot.lock(path)
        self.robot.unlock(path)
        self.plug_back_and_reconnect(1)
        self.assert_idle()

    def test_config_write_chain_cut_after_each_letter(self):
        self.start(1, 1)
        self.connect(1)
        written = ["Konfiguration schreiben (R): 9,33,0", "Eingabeart schreiben (H): 0",
                   "Art schreiben (1): OTHER", "Option schreiben (B): 0"]
        # what the tool sends after each ESC: the value text and the next letter
        steps = [(b"R", b"9,33,0\r"), (b"H", b"0\r"), (b"1", b"0\r"), (b"B", b"0\r")]
        for cut in range(len(steps)):
            with self.subTest(cut_after=steps[cut][0]):
                self.robot.command(self.run.main, CONFIG_READ)
                for letter, reply in ((b"r", b"9,33,0"), (b"h", b"0"), (b"3", b"OTHER"), (b"b", b"0")):
                    self.assertEqual(self.pair.read(count=1, timeout=3.0), letter)
                    self.pair.write(reply + b"\r")
                editor = open_dialog(self, self.robot, self.run.main, CONFIG_TITLE)
                self.robot.post_click(editor, IDOK)
                self.assertTrue(self.robot.gone(editor))
                for number, (letter, value) in enumerate(steps[:cut + 1]):
                    self.assertEqual(self.pair.read(count=1, timeout=3.0), letter)
                    if number < cut:
                        self.pair.write(ESC)
                        self.assertEqual(self.pair.read(count=len(value), timeout=3.0), value)
                # the letter `cut` waits for its ESC
                self.assertTrue(self.log_has(written[cut]))
                letters = ["'%s'" % letter.decode() for letter, _ in steps]
                stopped = "Konfiguration unvollständig geschrieben: %s wurde nicht angenommen; " % letters[cut] + (
                    "davor geschrieben: " + ", ".join(letters[:cut]) if cut else "nichts wurde geschrieben")
                text = self.pull(after=[stopped])
                self.assertEqual(log_texts_after(self.run, "Konfiguration b: "), written[:cut + 1] + [text, stopped])
                self.plug_back_and_reconnect(1)
                self.assert_idle()

    def test_monitor_closes_and_a_new_connect_works(self):
        with contextlib.ExitStack() as owner:
            s = sim_session(owner, self.robot, 0)
            s.connect()
            s.command(MONITOR)
            window = self.robot.window(MONITOR_TITLE, 5.0)
            self.assertIsNotNone(window)
            self.assertTrue(s.log_has("Impulserror", 10.0), "no frames")
            self.pair = s.pair
            self.pull(s.run, closes=(window,))
            self.assertEqual(s.sim.wait_exit(), 1, "the simulator ends when its port goes")
            self.plug_back_and_reconnect(0, s.run)
            self.assert_idle()
            self.assertEqual(s.run.close(), 0)
            # every line reached the file, the link error's among them
            lines = "\n".join(s.folder.log_lines())
            self.assertIn("Impulserror", lines)
            self.assertIn("KORA - Error\n", lines.replace("\r", ""))


if __name__ == "__main__":
    unittest.main(verbosity=2)
