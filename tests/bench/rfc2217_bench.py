#!/usr/bin/env python3
"""Benchmark (prints figures, asserts nothing about them): a firmware download over RFC 2217
beside the same download on a local pty, in the same run.

ZEV.EXE downloads the large S19 file into ZEVSIM.EXE at the line rate (--line-rate, 38400
baud), once with COM1 on a pty pair as usual and once with COM1 mapped to
rfc2217://127.0.0.1:PORT, ser2net in front of the pty relay and the simulator behind it.
Efficiency is the protocol's own time (every frame and every ACK on the wire) divided by the
measured time from 'D' to the last ACK, from the simulator's hex log (download_bench.py's
measure). Aim: the network's efficiency within 5 points of the local pty's.

ser2net runs with `chardelay: false`, as a bench for downloads sets it up: by default it
holds what the serial port delivers for two character times (at least 1 ms) to gather it
into fewer packets, and every ACK of a download waits for that. The same download through
ser2net as it comes (its defaults) is measured too and printed beside it: that gap is the
server's, whatever the tool does (Python in the tool's place shows the same)."""
import contextlib
import time

from download_bench import report
from figures import Figures
from zevharness import hex_log
from zevharness.firmware_files import LARGE_S19, s19_path
from zevharness.net_session import net_session
from zevharness.processes import end_on_signals
from zevharness.robot import Robot
from zevharness.session import sim_session

DOWNLOAD = 40017
DONE = "Firmware-Download abgeschlossen"


def download(session, robot, path, timeout=300):
    """One download of `path` in a started session; the simulator's hex log entries."""
    session.connect()
    session.command(DOWNLOAD)
    dialog = robot.other_window(session.main, 10.0)
    if dialog is None:
        raise RuntimeError("no file dialog")
    robot.file_dialog(dialog, path)
    started = time.monotonic()
    while not session.log_has(DONE, 1.0):
        if time.monotonic() - started > timeout:
            raise RuntimeError("the download did not end; the log shows:\n" + session.run.log_window()[-2000:])
    return hex_log.entries(session.sim.log_text())


def main():
    end_on_signals()
    figures = Figures("rfc2217_bench")
    path = s19_path(LARGE_S19)
    with contextlib.ExitStack() as owner:
        robot = owner.enter_context(Robot())
        with contextlib.ExitStack() as run:
            local = report("S19 on a local pty", download(sim_session(run, robot, 0, sim_args=["--line-rate"]),
                                                          robot, path), 38400)
        with contextlib.ExitStack() as run:
            session = net_session(run, robot, "ser2net", 0, sim_args=["--line-rate"],
                                  server_options={"chardelay": False})
            network = report("S19 over RFC 2217 through ser2net on the loopback, chardelay off (%s)" % session.url,
                             download(session, robot, path), 38400)
        with contextlib.ExitStack() as run:
            session = net_session(run, robot, "ser2net", 0, sim_args=["--line-rate"])
            default = report("S19 over RFC 2217 through ser2net with its defaults (chardelay on)",
                             download(session, robot, path), 38400)
    apart = local[1] - network[1]
    print("RFC 2217 efficiency: %.1f %% through ser2net, %.1f %% on the local pty: %.1f points apart (aim: 5 at most)"
          % (network[1], local[1], apart))
    print("RFC 2217 turnaround ACK -> next frame (median): %.2f ms through ser2net, %.2f ms on the local pty"
          % (network[0], local[0]))
    print("Through ser2net with its defaults: %.1f %% (%.1f points below the local pty), turnaround %.2f ms"
          % (default[1], local[1] - default[1], default[0]))
    figures.add("S19 efficiency over RFC 2217 (ser2net, loopback)", network[1], "%", aim=local[1] - 5,
                floor=local[1], lower_is_better=False,
                note="aim within 5 points of the local pty's (the floor column): %.1f points apart" % apart)
    figures.add("S19 turnaround over RFC 2217 (median)", network[0], "ms", floor=local[0],
                note="the floor column: the local pty's")
    figures.add("S19 efficiency over RFC 2217, ser2net's defaults", default[1], "%", floor=local[1],
                lower_is_better=False, note="chardelay on: every ACK held at least 1 ms by the server")


if __name__ == "__main__":
    main()
