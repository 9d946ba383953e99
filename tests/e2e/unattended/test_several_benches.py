"""A line of benches on one PC: three ZEV.EXE at once, each in a folder of its own (its own
copy of the program, its own ZEV.INI naming its own COM port), each serving units one
after the other (/repeat) from its own simulated Corlaxa, all appending to one shared
result file. Every unit's row is there exactly once and whole, under one header; each
folder keeps its own log, which holds its own units and no other bench's; each ZEV.INI
keeps its own port.

The units of the three benches are put on at the same moment, and the benches, started
together, wake up together: their rows are written at about the same time."""
import contextlib
import os
import shutil
import tempfile
import unittest

from zevharness.ptys import pty_pair
from zevharness.robot import Robot
from zevharness.session import wait_for
from zevharness.simulator import simulator, windows_path
from zevharness.tool import TITLE, tool_folder
from unattended.test_command_line import log_texts
from unattended.test_results import FULL_HEADER, HEADER_LINE, read_bytes, table_of

BENCHES = (1, 2, 3)  # each bench's COM port; its simulator is on the port 20 above
UNITS = 3            # units each bench serves


def bench_settings(port):
    return "[Setup]\nLanguageLibrary=ZEV_EN.DLL\n[ComPort]\nComPortNo=%d\n[Device]\nDevice=Corlaxa\n" % port


def ident(port, unit):
    return "Corlaxa B%d SN %d" % (port, unit)


class SeveralBenchesTest(unittest.TestCase):
    def setUp(self):
        shared = tempfile.mkdtemp(prefix="zevline-")
        self.addCleanup(shutil.rmtree, shared, True)
        self.result = os.path.join(shared, "units.csv")

    def rows_of(self, port):
        """The rows the shared file holds for the bench on `port` so far."""
        if not os.path.exists(self.result):
            return []
        return [row for row in table_of(read_bytes(self.result))[1:] if row[2] == "COM%d" % port]

    def put_units_on(self, owner, folders, unit):
        """Unit `unit` on every bench at once: a simulated Corlaxa with its own identification."""
        sims = {}
        for port, folder in folders.items():
            path = folder.file("unit%d.ini" % unit)
            with open(path, "w") as f:
                f.write("[Device]\nIdent=%s\n" % ident(port, unit))
            sims[port] = simulator(owner, folder.path, "--type", "1", "--settings", windows_path(path),
                                   port=port + 20)
        for sim in sims.values():
            sim.wait_for_output("waiting for a wake-up")
        return sims

    def test_three_benches_serve_their_units_into_one_result_file(self):
        folders = {port: tool_folder(self, bench_settings(port)) for port in BENCHES}
        for port in BENCHES:
            pty_pair(self, port)
        mains = {}
        with contextlib.ExitStack() as robots:
            for port, folder in folders.items():
                robot = robots.enter_context(Robot())
                # No /port: each bench takes its port from its own ZEV.INI.
                robot.start(folder.exe, folder.path,
                            " ".join(["/clock", "/result", windows_path(self.result), "/repeat", "/quiet"]))
                main = robot.window(TITLE, 30.0)
                self.assertIsNotNone(main, "bench on COM%d: no window" % port)
                mains[port] = (robot, main)

            for unit in range(1, UNITS + 1):
                with contextlib.ExitStack() as units:
                    sims = self.put_units_on(units, folders, unit)
                    for port, folder in folders.items():
                        self.assertTrue(wait_for(lambda: len(self.rows_of(port)) >= unit, 60.0),
                                        "bench on COM%d, unit %d: no row\n%s\n%s"
                                        % (port, unit, "\n".join(log_texts(folder)[-15:]),
                                           sims[port].output()[-1500:]))

            for port, (robot, main) in mains.items():
                robot.close(main)
                self.assertEqual(robot.exit_code(20.0), 0, "\n".join(log_texts(folders[port])[-15:]))

        data = read_bytes(self.result)
        self.assertTrue(data.startswith(HEADER_LINE), data[:300])
        self.assertEqual(data.count(HEADER_LINE), 1, "the header more than once")
        self.assertTrue(data.endswith(b"\r\n"), data[-200:])
        rows = table_of(data)[1:]
        for row in rows:
            self.assertEqual(len(row), len(FULL_HEADER), "a row cut or run into another: %r" % row)
        self.assertEqual(len(rows), len(BENCHES) * UNITS, rows)
        expected = sorted(("COM%d" % port, ident(port, unit)) for port in BENCHES for unit in range(1, UNITS + 1))
        self.assertEqual(sorted((row[2], row[4]) for row in rows), expected, "a row lost, twice, or on another port")
        for row in rows:
            self.assertEqual(row[3:7], ["Corlaxa", row[4], "done", "0"], row)
        # each bench's rows in the order of its units
        for port in BENCHES:
            self.assertEqual([row[4] for row in self.rows_of(port)],
                             [ident(port, unit) for unit in range(1, UNITS + 1)])
        self.assertFalse(os.path.exists(os.path.join(os.path.dirname(self.result), "units.pending.csv")))

        for port, folder in folders.items():
            texts = log_texts(folder)
            identified = [t[len(">> (Init.) "):] for t in texts if t.startswith(">> (Init.) ")]
            self.assertEqual(identified, [ident(port, unit) for unit in range(1, UNITS + 1)],
                             "bench on COM%d: its log holds other units than its own" % port)
            self.assertIn("Unattended run ended: exit code 0 (every step done)", texts)
            self.assertEqual(folder.settings()["ComPort"]["ComPortNo"], str(port))
            self.assertEqual(folder.settings()["Device"]["Device"], "Corlaxa")


if __name__ == "__main__":
    unittest.main()
