"""ZEVSIM.EXE --replay on a pty pair, Python on the tool's end: a trace written here in
the tool's format is played back with its gaps or fast, a send the trace does not have
is noted and not answered, and a file that is no trace is refused."""
import time
import unittest

from zevharness import hex_log
from sim.sim_test_case import ESC, SimTestCase, windows_path
from zevharness.simulator import Simulator
from zevharness.tool_end import ToolEnd, speed_of

WAKE_UP = b"**\x18B01"
IDENT = b"Corlaxa V2.14 SN 104711\r"  # 24 bytes: two rows in the trace


def trace_record(ms, sent, operation, name, data):
    """One record as the tool's trace writes it: time, TX or RX, the operation, sixteen
    bytes a row in hex and as text, further rows indented under the first."""
    time_text = "%02d:%02d:%02d.%03d" % (ms // 3600000, ms // 60000 % 60, ms // 1000 % 60, ms % 1000)
    lead = "%s %s %2d %-12s " % (time_text, "TX" if sent else "RX", operation, name)
    rows = []
    for start in range(0, len(data), 16):
        row = data[start:start + 16]
        hex_column = "".join("%02X " % b for b in row).ljust(48)
        text = "".join(chr(b) if 0x20 <= b < 0x7F else "." for b in row)
        rows.append((lead if start == 0 else " " * len(lead)) + hex_column + "|" + text + "|")
    return "\r\n".join(rows) + "\r\n"


# 14:03:07.100 onwards: the wake-up answered after 300 ms, 'r' answered in two pieces
# 100 ms and 600 ms after it, 'g' answered by nothing (a time-out in the field), 'F'
# answered with ESC and its value text with a garbled reply, then the disconnect.
T0 = (14 * 3600 + 3 * 60 + 7) * 1000 + 100
TRACE = ("Zevanto traffic trace, started 2024-03-05 14:03:07\r\n"
         "time         TX sent / RX received, the operation in progress, the bytes in hex |as text|\r\n"
         + trace_record(T0, True, 1, "wake-up", WAKE_UP)
         + trace_record(T0 + 300, False, 1, "wake-up", IDENT)
         + trace_record(T0 + 2000, True, 13, "config r", b"r")
         + trace_record(T0 + 2100, False, 13, "config r", b"9,33")
         + trace_record(T0 + 2600, False, 13, "config r", b",0\r")
         + trace_record(T0 + 4000, True, 21, "read g", b"g")
         + trace_record(T0 + 6000, True, 31, "write F", b"F")
         + trace_record(T0 + 6010, False, 31, "write F", ESC)
         + trace_record(T0 + 6020, True, 31, "write F", b"3\r")
         + trace_record(T0 + 6050, False, 0, "idle", b"\x85\x00\x1b?")
         + trace_record(T0 + 9000, True, 0, "idle", b"E"))


class ReplayTest(SimTestCase):
    def replay(self, *args, trace=TRACE):
        with open(self.file("ZevTrace.TXT"), "wb") as f:
            f.write(trace.encode("utf-8"))
        self.sim = Simulator(self.folder, "--replay", windows_path(self.file("ZevTrace.TXT")), *args)
        self.sim.wait_for_output("waiting for the tool")
        self.tool = ToolEnd(self.pair)

    def timed(self, data, until, timeout=3.0):
        """Sends `data`; returns the answer up to `until` and the seconds it took."""
        sent = time.monotonic()
        self.tool.write(data)
        answer = self.tool.read(until=until, timeout=timeout)
        return answer, time.monotonic() - sent

    def answers_to(self, letter):
        """[(seconds after it received `letter`, bytes)] of each write the simulator made in
        answer, from its hex log: the last time it received the letter, up to the next bytes it
        received."""
        log = hex_log.entries(self.sim.log_text())
        last = max(i for i, (_, kind, data) in enumerate(log) if kind == "RX" and data == letter)
        pieces = []
        for when, kind, data in log[last + 1:]:
            if kind == "RX":
                break
            if kind == "TX":
                pieces.append((when - log[last][0], data))
        return pieces

    def test_a_session_replays_with_the_traces_gaps_and_its_faults(self):
        self.replay()
        self.tool.set_baud(9600)
        self.tool.write(WAKE_UP[:3])  # in pieces: answered when the record is whole
        self.assertEqual(self.tool.read(timeout=0.3), b"")
        answer, took = self.timed(WAKE_UP[3:], b"\r")
        self.assertEqual(answer, IDENT)
        self.assertGreaterEqual(took, 0.28)
        self.assertEqual(speed_of(self.pair.device_path), 19200)  # the device's working rate
        self.tool.set_baud(19200)

        sent = time.monotonic()
        self.tool.write(b"r")
        self.assertEqual(self.tool.read(count=4), b"9,33")
        first = time.monotonic() - sent
        self.assertEqual(self.tool.read(until=b"\r"), b",0\r")
        second = time.monotonic() - sent
        self.assertGreaterEqual(first, 0.08)
        self.assertGreaterEqual(second, 0.58)
        # each piece in a write of its own, its gap after the letter kept, by the simulator's
        # own clock (a busy machine may let the test read late, not the device answer early)
        pieces = self.answers_to(b"r")
        self.assertEqual([data for _, data in pieces], [b"9,33", b",0\r"])
        self.assertGreaterEqual(pieces[0][0], 0.099)
        self.assertGreaterEqual(pieces[1][0], 0.599)

        self.tool.write(b"g")  # no answer in the trace: none here
        self.assertEqual(self.tool.read(timeout=1.0), b"")

        # the tool joins the letter and its value text: each record is matched in the stream
        answer, _ = self.timed(b"F3\r", b"?")
        self.assertEqual(answer, ESC + b"\x85\x00\x1b?")  # the garbled reply as it came

        self.tool.write(b"E")
        self.sim.wait_for_output("the trace's last TX record (line 14) has come")
        # the note comes just before the switch; a busy machine may hold the simulator between them
        deadline = time.monotonic() + 30.0
        while speed_of(self.pair.device_path) != 9600 and time.monotonic() < deadline:
            time.sleep(0.01)
        self.assertEqual(speed_of(self.pair.device_path), 9600)
        self.assertEqual(self.sim.stop(), 0)
        log = self.sim.log_text()
        self.assertIn(" RX 72 ", log)  # the hex log has both directions
        self.assertIn(" TX 39 2C 33 33 ", log)

    def test_a_send_the_trace_does_not_have_is_noted_and_not_answered(self):
        self.replay("--replay-fast")
        self.assertEqual(self.tool.ask(WAKE_UP), IDENT)
        self.tool.write(b"X")
        self.assertEqual(self.tool.read(timeout=0.5), b"")
        self.sim.wait_for_output("the tool sent 58 |X| where the TX record of line 6 has 72 |r|: "
                                 "no TX record of the trace starts so; no answer")
        # the same record is still expected, and fast it is answered at once: both pieces
        # due together, in one write
        answer, _ = self.timed(b"r", b"\r")
        self.assertEqual(answer, b"9,33,0\r")
        self.assertEqual([data for _, data in self.answers_to(b"r")], [b"9,33,0\r"])
        # a letter further on: the records between are skipped
        answer, _ = self.timed(b"F", ESC)
        self.assertEqual(answer, ESC)
        self.sim.wait_for_output("the tool sent 46 |F| where the TX record of line 9 has 67 |g|: going on at the TX "
                                 "record of line 10 (1 TX records and their answers skipped)")
        self.assertIn("no TX record of the trace starts so", self.sim.log_text())
        self.assertEqual(self.sim.stop(), 0)

    def test_a_trace_with_a_byte_order_mark_cut_in_its_last_line_plays_its_whole_records(self):
        # as support gets it from a tool that ended while writing the disconnect's record,
        # saved again by an editor that puts a byte-order mark in front
        last_line = TRACE.rindex("\r\n", 0, len(TRACE) - 2) + 2
        self.replay("--replay-fast", trace="\ufeff" + TRACE[:last_line + 40])
        self.assertIn("stopped reading %s at line 14: the file ends in the middle of this line (cut off, as when the "
                      "tool ended while writing it); the whole records before it are read"
                      % windows_path(self.file("ZevTrace.TXT")), self.sim.output())
        self.assertIn(": 5 TX records, answers at once", self.sim.output())
        self.assertEqual(self.tool.ask(WAKE_UP), IDENT)
        self.tool.set_baud(19200)
        answer, _ = self.timed(b"r", b"\r")
        self.assertEqual(answer, b"9,33,0\r")
        answer, _ = self.timed(b"F3\r", b"?")
        self.assertEqual(answer, ESC + b"\x85\x00\x1b?")
        self.sim.wait_for_output("the trace's last TX record (line 12) has come")
        # the disconnect's record was cut: it is not played
        self.tool.write(b"E")
        self.sim.wait_for_output("the tool sent 45 |E| after the trace's last TX record: no TX record of the trace "
                                 "starts so; no answer")
        self.assertEqual(speed_of(self.pair.device_path), 19200)
        self.assertEqual(self.sim.stop(), 0)
        self.assertIn("stopped reading", self.sim.log_text())
        self.assertIn("at line 14: the file ends in the middle of this line", self.sim.log_text())

    def test_a_file_that_is_no_trace_is_refused_with_its_line(self):
        # the 'r' record of line 6 with a byte that is no hex
        broken = TRACE[:TRACE.index("14:03:09.100")] + "14:03:09.100 TX 13 config r     7G" + " " * 45 + "|r|\r\n"
        path = self.file("ZevTrace.TXT")
        with open(path, "w", newline="") as f:
            f.write(broken)
        self.sim = Simulator(self.folder, "--replay", windows_path(path))
        self.assertEqual(self.sim.wait_exit(), 2)
        self.assertIn("is no traffic trace of the tool: line 6: the bytes are not in the trace's columns",
                      self.sim.output())
        self.assertIn("line 6: the bytes are not", self.sim.log_text())

if __name__ == "__main__":
    unittest.main(verbosity=2)
