"""ZEVSIM.EXE itself under Wine on COM21, with Python on the tool's end of the pty
pair (COM1) playing ZEV.EXE: wake-up and baud switch, reads and writes, a block
download into the firmware file, the monitor stream, and the ways it ends."""
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))

from zevharness.ptys import pty_pair
from zevharness.tool_end import speed_of, tool_end
from zevharness.simulator import EXE, simulator, windows_path

ESC, ACK, NAK = b"\x1b", b"\x06", b"\x15"

class SimulatorTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="zevsim-")
        self.addCleanup(shutil.rmtree, self.folder, ignore_errors=True)
        self.pair = pty_pair(self, 1)
        self.tool = None

    def start(self, *args):
        sim = simulator(self, self.folder, *args)
        sim.wait_for_output("waiting for a wake-up")
        self.tool = tool_end(self, self.pair)
        return sim

    def file(self, name):
        return os.path.join(self.folder, name)

    def test_session_wake_up_read_write_and_hex_log(self):
        sim = self.start("--type", "1")
        self.assertEqual(self.tool.wake_up(1, 19200), b"Corlaxa V2.14 SN 104711\r")
        self.assertEqual(speed_of(self.pair.device_path), 19200)  # the simulator switched too
        self.assertEqual(self.tool.ask(b"r"), b"9,33,0\r")
        self.assertEqual(self.tool.ask(b"G", until=ESC), ESC)
        self.tool.write(b"0\r")
        self.assertEqual(self.tool.ask(b"g"), b"0\r")
        self.tool.write(b"E")
        sim.wait_for_output("back to 9600 baud")
        self.assertEqual(speed_of(self.pair.device_path), 9600)
        self.assertEqual(sim.stop(), 0)

        log = sim.log_text()
        self.assertRegex(log, r"\d\d:\d\d:\d\d\.\d{6} RX 2A 2A 18 42 30 31 +\|\*\*\.B01\|")
        self.assertRegex(log, r"RX 47 +\|G\|")
        self.assertRegex(log, r"RX 30 0D[ 0-9A-F]*\|0\.")  # "g" may come in the same read
        self.assertIn('write G "0": \'g\' now answers "0"', log)
        self.assertRegex(log, r"TX 39 2C 33 33 2C 30 0D +\|9,33,0\.\|")
        self.assertIn("ending: standard input closed", log)

    def test_settings_file_and_block_download_into_the_firmware_file(self):
        with open(self.file("sim.ini"), "w") as f:
            f.write("[Device]\nIdent=Corlaxa TEST 9\n[Replies]\nr=12,40,7\n")
        sim = self.start("--type", "1", "--settings", windows_path(self.file("sim.ini")),
                         "--firmware-out", windows_path(self.file("fw.bin")))
        self.assertEqual(self.tool.wake_up(1, 19200), b"Corlaxa TEST 9\r")
        self.assertEqual(self.tool.ask(b"r"), b"12,40,7\r")

        blocks = [bytes((i * 7 + n) & 0xFF for i in range(128)) for n in range(3)]

        def frame(number, data):
            total = sum(data) & 0xFFFF
            return bytes([number, 0x80, total >> 8, total & 0xFF]) + data

        self.assertEqual(self.tool.ask(b"D", until=ESC), ESC)
        self.assertEqual(self.tool.ask(frame(0, blocks[0]), until=ACK), ACK)
        damaged = bytearray(frame(1, blocks[1]))
        damaged[70] ^= 0x40
        self.assertEqual(self.tool.ask(bytes(damaged), until=NAK), NAK)
        self.assertEqual(self.tool.ask(frame(1, blocks[1]), until=ACK), ACK)
        self.assertEqual(self.tool.ask(frame(2, blocks[2]), until=ACK), ACK)
        self.assertEqual(self.tool.ask(b"\0\0\0\0", until=ACK), ACK)
        sim.wait_for_output("firmware written")
        with open(self.file("fw.bin"), "rb") as f:
            self.assertEqual(f.read(), b"".join(blocks))
        self.assertEqual(sim.stop(), 0)

    def test_monitor_frames_over_the_line_until_the_next_command(self):
        sim = self.start("--type", "0", "--frame-length", "144")
        self.assertEqual(self.tool.wake_up(0, 38400), b"Vantik V2.14 SN 104711\r")
        self.tool.write(b"M")
        stream = self.tool.read(count=2000)
        frames = stream.split(b"\r")[:-1]  # the last piece may be cut off
        self.assertGreater(len(frames), 5)
        for frame in frames:
            self.assertNotRegex(frame, b"[\x06\x15\x1b]")  # XON and XOFF come raw, as any byte
            unescaped, shift = bytearray(), False
            for byte in frame:
                if byte == 0x10:
                    shift = True
                else:
                    unescaped.append(byte - 0x20 if shift else byte)
                    shift = False
            self.assertEqual(len(unescaped), 144)
            self.assertTrue(unescaped.startswith(b"Vantik V2.14"))
        self.tool.write(b"r")
        self.assertTrue(self.tool.read(until=b"9,33,0\r").endswith(b"9,33,0\r"))
        self.assertEqual(self.tool.read(timeout=0.5), b"")  # the stream has stopped
        self.assertEqual(sim.stop(), 0)

    def test_a_vanished_port_ends_the_simulator(self):
        sim = self.start("--type", "2")
        self.assertEqual(self.tool.wake_up(2, 38400), b"Brennix V2.14 SN 104711\r")
        self.tool.close()
        self.pair.stop()  # the cable is pulled: socat and its ptys go away
        self.assertEqual(sim.wait_exit(), 1)
        self.assertIn("the port has gone away", sim.log_text())

    def test_ctrl_c_ends_the_simulator(self):
        sim = self.start("--no-stdin")
        sim.proc.send_signal(signal.SIGINT)
        self.assertEqual(sim.wait_exit(), 0)
        self.assertIn("ending: Ctrl+C", sim.log_text())

    def test_a_time_limit_ends_the_simulator(self):
        sim = self.start("--no-stdin", "--seconds", "1")
        self.assertEqual(sim.wait_exit(), 0)
        self.assertIn("1 seconds are over", sim.output())

    def test_a_port_that_cannot_be_opened_is_named(self):
        # COM22 stands for COM2's device end, which no pty pair serves in this test
        result = subprocess.run(["wine", EXE, "--port", "COM22", "--no-stdin"], capture_output=True,
                                stdin=subprocess.DEVNULL, timeout=30)
        self.assertEqual(result.returncode, 2)
        self.assertIn(b"cannot open COM22", result.stdout)

    def test_a_bad_command_line_is_named(self):
        result = subprocess.run(["wine", EXE, "--port", "COM21", "--type", "7"], capture_output=True,
                                stdin=subprocess.DEVNULL, timeout=30)
        self.assertEqual(result.returncode, 2)
        self.assertIn(b"--type 7: expected a number from 0 to 2", result.stderr)


if __name__ == "__main__":
    unittest.main(verbosity=2)
