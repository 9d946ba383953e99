"""How the steps of an unattended run end, against the real ZEV.EXE on a pty pair: a byte
that is not the step's answer never keeps a run waiting, a download is complete only once
the device has taken its last frame, a bench serves each unit once and never replaces an
earlier run's files. The device is ZEVSIM.EXE, or Python where the exact bytes matter."""
import contextlib
import os
import subprocess
import threading
import time
import unittest

from zevharness.firmware_files import write_image
from zevharness.ptys import pty_pair
from zevharness.robot import Robot
from zevharness.session import wait_for
from zevharness.simulator import simulator, windows_path
from zevharness.tool import TITLE, tool_folder

from unattended.test_command_line import CORLAXA, log_texts, rows, run_tool, steps_of

SETTINGS = "[Setup]\nLanguageLibrary=ZEV_EN.DLL\n[ComPort]\nComPortNo=1\n[Device]\nDevice=Corlaxa\n"
ACK, NAK = b"\x06", b"\x15"
BLOCKS = 7


class UnattendedStepsTestCase(unittest.TestCase):
    def setUp(self):
        self.folder = tool_folder(self, SETTINGS)
        self.image = self.folder.file("fw.IMG")
        write_image(self.image, 128 * (BLOCKS - 1) + 40)  # the last block short

    def start_sim(self, owner, *args, ident=None):
        if ident:
            path = self.folder.file("sim-%s.ini" % ident.replace(" ", ""))
            with open(path, "w") as f:
                f.write("[Device]\nIdent=Corlaxa %s\n" % ident)
            args = ("--settings", windows_path(path)) + args
        sim = simulator(owner, self.folder.path, "--type", "1", *args, port=21)
        sim.wait_for_output("waiting for a wake-up")
        return sim

    def outcomes(self, path="r.csv"):
        row = rows(self.folder.file(path))[-1]
        return {name.lower().replace(" ", "-"): value for name, value in steps_of(row).items()
                if not name.endswith(" file")}


class StrayBytesTest(UnattendedStepsTestCase):
    def test_a_lone_ack_to_the_clock_letter_ends_the_step_by_its_time_out(self):
        """A unit still booting answers 'T' with ACK alone: the run is not kept waiting."""
        pair = pty_pair(self, 1)
        result = {}
        tool = threading.Thread(target=lambda: result.update(
            done=run_tool(self.folder, CORLAXA + ["/clock", "/result", "r.csv"], timeout=60)))
        tool.start()
        self.assertEqual(pair.read(count=6, timeout=15.0), b"**\x18B01")
        time.sleep(0.1)  # the tool takes the working rate 30 ms after the wake-up
        pair.write(b"Corlaxa BOOTING\r")
        self.assertEqual(pair.read(count=1, timeout=10.0), b"T")
        pair.write(ACK)
        tool.join(60)
        self.assertFalse(tool.is_alive(), "the run still waits")
        code, err = result["done"]
        texts = log_texts(self.folder)
        self.assertEqual(code, 4, "\n".join(texts[-10:]))
        self.assertIn("[ACK]", texts)
        self.assertIn("No answer from the device (time-out)", texts)
        self.assertEqual(self.outcomes()["clock"], "failed: time-out")
        self.assertEqual(pair.read(timeout=0.3), b"E", "only the good-bye follows")


class EndFrameTest(UnattendedStepsTestCase):
    def run_download(self, *sim_args, steps=("/download", "fw.IMG")):
        with contextlib.ExitStack() as run:
            pty_pair(run, 1)
            sim = self.start_sim(run, *sim_args)
            code, err = run_tool(self.folder, CORLAXA + list(steps) + ["/result", "r.csv"])
            return code, log_texts(self.folder), sim.output()

    def test_the_download_is_complete_only_once_the_device_has_taken_the_end_frame(self):
        # The device checks the image before it answers the end frame: the first time it
        # refuses it, the second time it takes it. The clock follows undisturbed.
        code, texts, said = self.run_download("--end-frame-delay", "400", "--nak-frame", str(BLOCKS + 1),
                                              steps=("/download", "fw.IMG", "/clock"))
        self.assertEqual(code, 0, "\n".join(texts[-12:]))
        repeated = [i for i, t in enumerate(texts) if t.startswith("Repeating block %d " % BLOCKS)]
        complete = [i for i, t in enumerate(texts) if t == "Firmware download complete"]
        self.assertEqual(len(repeated), 1, texts)
        self.assertEqual(len(complete), 1, texts)
        self.assertLess(repeated[0], complete[0], "complete before the device took the end frame")
        self.assertNotIn("[NAK]", texts)
        self.assertNotIn("[ACK]", texts)
        self.assertIn("download ended with the end frame: %d blocks" % BLOCKS, said)
        self.assertEqual(self.outcomes()["download"], "done")
        self.assertEqual(self.outcomes()["clock"], "done")

    def test_an_image_the_device_refuses_is_a_failed_download(self):
        code, texts, said = self.run_download("--refuse-image", "--end-frame-delay", "20")
        self.assertEqual(code, 4, "\n".join(texts[-12:]))
        self.assertIn("The device refused the end of the firmware image 100 times in a row: the download failed.",
                      texts)
        self.assertNotIn("Firmware download complete", texts)
        self.assertIn("Firmware download failed: all %d blocks were sent, but the device did not take the end "
                      "of the image" % BLOCKS, texts)
        self.assertEqual(self.outcomes()["download"], "failed: NAK")

    def test_an_end_frame_without_an_answer_is_a_failed_download(self):
        code, texts, said = self.run_download("--silent-after-frame", str(BLOCKS + 1))
        self.assertEqual(code, 4, "\n".join(texts[-12:]))
        self.assertNotIn("Firmware download complete", texts)
        self.assertIn("No answer from the device (time-out)", texts)
        self.assertIn("Firmware download failed: all %d blocks were sent, but the device did not take the end "
                      "of the image" % BLOCKS, texts)
        self.assertEqual(self.outcomes()["download"], "failed: time-out")


class BenchTest(UnattendedStepsTestCase):
    def test_a_unit_left_on_the_bench_is_served_once_and_files_of_an_earlier_run_stay(self):
        pty_pair(self, 1)
        csv_path = self.folder.file("units.csv")
        # an earlier run's read-outs, which this run must not replace
        for number in (1, 2):
            with open(self.folder.file("unit-%d.LOG" % number), "w") as f:
                f.write("yesterday %d\n" % number)

        def row_count():
            return len(rows(csv_path)) - 1 if os.path.exists(csv_path) else 0

        with Robot() as robot:
            robot.start(self.folder.exe, self.folder.path,
                        " ".join(CORLAXA + ["/clock", "/readout", "unit.LOG", "/result", "units.csv", "/repeat"]))
            main = robot.window(TITLE, 15.0)
            self.assertIsNotNone(main)
            with contextlib.ExitStack() as unit:
                sim = self.start_sim(unit, ident="SN 1")
                self.assertTrue(wait_for(lambda: row_count() == 1, 30.0), "\n".join(log_texts(self.folder)[-15:]))
                # left on the bench: woken up, but served no more
                self.assertTrue(wait_for(lambda: "Take the unit off" in "\n".join(log_texts(self.folder)), 5.0))
                time.sleep(7.0)
                self.assertEqual(row_count(), 1)
                self.assertEqual(sim.output().count("clock set to"), 1, sim.output())
                self.assertEqual(sim.output().count("command O:"), 1, sim.output())
                self.assertGreaterEqual(sim.output().count("command E:"), 2, "its sessions are ended")
                texts = log_texts(self.folder)
                self.assertEqual(sum(t.startswith("Connect the next unit") for t in texts), 1, texts)
                self.assertEqual(texts[-1].split(":")[0], "Take the unit off", "the window shows what it waits for")
            # taken off: the bench says so, and the next unit is served
            self.assertTrue(wait_for(lambda: sum(t.startswith("Connect the next unit")
                                                 for t in log_texts(self.folder)) == 2, 10.0),
                            "\n".join(log_texts(self.folder)[-8:]))
            with contextlib.ExitStack() as unit:
                self.start_sim(unit, ident="SN 2")
                self.assertTrue(wait_for(lambda: row_count() == 2, 30.0), "\n".join(log_texts(self.folder)[-15:]))
            robot.close(main)
            self.assertEqual(robot.exit_code(15.0), 0)

        table = rows(csv_path)
        self.assertEqual([row[4] for row in table[1:]], ["Corlaxa SN 1", "Corlaxa SN 2"])
        texts = log_texts(self.folder)
        self.assertEqual(sum(t.startswith(">> (Init.) ") for t in texts), 2, "one identification line a unit")
        for number in (1, 2):
            with open(self.folder.file("unit-%d.LOG" % number)) as f:
                self.assertEqual(f.read(), "yesterday %d\n" % number, "an earlier run's file was replaced")
        # the units' own read-outs come after the earlier run's numbers
        for number in (3, 4):
            self.assertTrue(os.path.exists(self.folder.file("unit-%d.LOG" % number)), os.listdir(self.folder.path))


if __name__ == "__main__":
    unittest.main()
