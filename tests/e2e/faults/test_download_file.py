"""A firmware file the download cannot trust, through the real ZEV.EXE against ZEVSIM.EXE:
an image or S-record file cut short while its download runs stops the download without
its end frame and says how far it got, never "complete"; an empty file, or one with no
data record in it (blank lines, or a header and an end record alone), is refused before
'D'; S-records the device would refuse are named before 'D', and only Yes sends the file
as it is (the device then refuses the bad line until the tool gives up on it)."""
import os
import shutil
import sys
import tempfile
import unittest

from zevharness.firmware_files import LARGE_S19, SMALL_S19, block_frames, s19_lines, s19_path, write_image
from zevharness.operations import (DISCONNECT, IDC_PROGRESS, IDNO, IDOK, IDYES, SimWire, answer_box,
                        assert_idle, log_texts, log_texts_after, start_download)
from zevharness.processes import sub_test
from zevharness.robot import RobotTestCase, windows_path
from zevharness.session import sim_session, wait_for
from zevharness.tool import TITLE

STARTED = "Firmware-Download gestartet: "
DONE = "Firmware-Download abgeschlossen"
CUT = 4096  # what is left of the file: one buffer of the tool's reads


def frames_of(lines):
    return b"".join(line.encode() + b"\r" for line in lines)


class FirmwareFileFaultTest(RobotTestCase):
    def setUp(self):
        self.files = tempfile.mkdtemp(prefix="zevfwfile-")
        self.addCleanup(shutil.rmtree, self.files, True)

    def session(self, device_type, *sim_args, owner=None):
        s = sim_session(owner or self, self.robot, device_type, sim_args=sim_args)
        s.connect()
        return s

    def write_file(self, name, data):
        path = os.path.join(self.files, name)
        with open(path, "wb") as f:
            f.write(data)
        return path

    def cut_while_sent(self, s, path):
        """Starts the download of `path` and cuts the file to CUT bytes once the first
        frame has gone (while the tool still reads from its first buffer)."""
        start_download(self, self.robot, s, path)
        self.assertTrue(wait_for(lambda: self.robot.progress(s.main, IDC_PROGRESS)[0] > 0, 10.0))
        os.truncate(path, CUT)

    def assert_stopped(self, s, path, sent, size, abandoned):
        """The box and the log say how far the download got; the file is let go, the bar
        is at 0, the tool is idle, and "complete" is said nowhere."""
        stopped = ("Die Firmware-Datei %s konnte nicht bis zum Ende gelesen werden (die Datei hat sich während "
                   "des Sendens geändert): der Download endete nach %d von %d Bytes." % (windows_path(path), sent, size))
        self.assertEqual(answer_box(self, self.robot, s.main, IDOK, 60.0), (TITLE, stopped))
        self.assertEqual(log_texts_after(s.run, STARTED), [stopped, abandoned])
        self.assertEqual(self.robot.progress(s.main, IDC_PROGRESS)[0], 0)
        self.robot.lock(path)  # nobody holds the file any more
        self.robot.unlock(path)

    def test_an_image_cut_short_while_it_is_sent_is_not_reported_complete(self):
        s = self.session(1, "--line-rate")
        wire = SimWire(s.sim)
        path = os.path.join(self.files, "fw.IMG")
        image = write_image(path, 512 * 128)
        wire.mark()
        self.cut_while_sent(s, path)
        self.assert_stopped(s, path, CUT, len(image), "Firmware-Download abgebrochen bei Block 32 von 512")
        # the blocks of the part that was left, and no end frame
        expected = b"D" + b"".join(block_frames(image)[:CUT // 128])
        self.assertEqual(wire.quiet_since_mark(), expected)
        self.assertEqual(s.sim.output().count("firmware written"), 0)
        # idle: the device, left in its download, is woken up anew
        s.command(DISCONNECT)
        self.assertTrue(wait_for(lambda: log_texts(s.run)[-1] == "Verbindung getrennt"))
        s.connect()
        assert_idle(self, s, wire)

    def test_an_s19_file_cut_short_while_it_is_sent_is_not_reported_complete(self):
        s = self.session(2, "--line-rate")
        wire = SimWire(s.sim)
        with open(s19_path(LARGE_S19), "rb") as f:
            data = f.read()
        path = self.write_file("fw.S19", data)
        wire.mark()
        self.cut_while_sent(s, path)
        # the whole lines of what was left; the line the cut went through is not sent
        whole = data[:data.rindex(b"\n", 0, CUT) + 1]
        lines = whole.decode().splitlines()
        total = len(data.decode().splitlines())
        self.assert_stopped(s, path, len(whole), len(data),
                            "Firmware-Download abgebrochen bei Zeile %d von %d" % (len(lines), total))
        self.assertEqual(wire.quiet_since_mark(), b"D" + frames_of(lines))
        self.assertNotIn("with its end record", s.sim.output())

    def test_a_file_with_nothing_to_send_is_refused_before_d(self):
        lines = s19_lines(s19_path(SMALL_S19))
        header_only = "\r\n".join([lines[0], lines[-1]]).encode()  # S0 and S9: no data record
        for device_type, name, data in ((1, "empty.IMG", b""), (0, "empty.S19", b""),
                                        (2, "blank.S19", b"\r\n\r\n\n"), (0, "header.S19", header_only)):
            with sub_test(self, file=name) as owner:
                s = self.session(device_type, owner=owner)
                wire = SimWire(s.sim)
                path = self.write_file(name, data)
                wire.mark()
                start_download(self, self.robot, s, path)
                refused = ("Die Firmware-Datei %s enthält nichts zu senden: der Download beginnt nicht."
                           % windows_path(path))
                self.assertEqual(answer_box(self, self.robot, s.main, IDOK), (TITLE, refused))
                self.assertEqual(log_texts(s.run)[-1], refused)
                self.assertNotIn(STARTED + windows_path(path), log_texts(s.run))
                self.assertEqual(wire.quiet_since_mark(), b"")
                if device_type == 1:
                    assert_idle(self, s, wire)

    def test_bad_s_records_are_named_before_d_and_sent_only_on_yes(self):
        s = self.session(0)
        wire = SimWire(s.sim)
        lines = s19_lines(s19_path(SMALL_S19))
        bad = lines[2][:-2] + ("00" if lines[2][-2:] != "00" else "01")  # its checksum wrong
        odd = lines[:2] + [bad] + lines[3:5] + ["S1 not hex"] + lines[5:]
        path = self.write_file("bad.S19", "\r\n".join(odd).encode())
        finding = ("Die Firmware-Datei %s: 2 ihrer Zeilen sind kein gültiger S-Record; die erste ist Zeile 3 "
                   "(ihre Prüfsumme ist falsch)." % windows_path(path))
        question = finding + "\n\nDie Datei trotzdem senden? Das Gerät entscheidet, was es annimmt."

        # No, the default: nothing is sent
        wire.mark()
        start_download(self, self.robot, s, path)
        box = self.robot.message_box(s.main, 5.0)
        self.assertEqual(box[1:], (TITLE, question))
        # the box may be found a moment before its dialog manager has put the focus on No
        wait_for(lambda: self.robot.focus(box[0]) == IDNO, 2.0)
        self.assertEqual(self.robot.focus(box[0]), IDNO)
        self.robot.post_click(box[0], IDNO)
        self.assertTrue(self.robot.gone(box[0]))
        self.assertEqual(log_texts(s.run)[-1], finding)
        self.assertEqual(wire.quiet_since_mark(), b"")

        # Yes: the file goes as it stands, and the device refuses the bad line until the
        # tool gives up on it
        wire.mark()
        start_download(self, self.robot, s, path)
        self.assertEqual(answer_box(self, self.robot, s.main, IDYES), (TITLE, question))
        refused = "Das Gerät hat Zeile 3 der Firmware-Datei 100-mal in Folge abgelehnt: der Download endet."
        self.assertEqual(answer_box(self, self.robot, s.main, IDOK, 30.0), (TITLE, refused))
        self.assertEqual(wire.quiet_since_mark(), b"D" + frames_of(odd[:2]) + frames_of([bad]) * 100)
        self.assertEqual(log_texts(s.run)[-2:],
                         [refused, "Firmware-Download abgebrochen bei Zeile 3 von %d" % len(odd)])
        self.assertEqual(self.robot.progress(s.main, IDC_PROGRESS)[0], 0)
        assert_idle(self, s, wire)


if __name__ == "__main__":
    unittest.main(verbosity=2)
