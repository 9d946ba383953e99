#!/usr/bin/env python3
"""./zev run's session: ZEV.EXE in its folder on COM1, and on the other end of COM1 either
the device simulator ZEVSIM.EXE (over a pty pair) or a real serial device.

    bench_session.py RUNDIR TTYDIR SHOTDIR [--device PATH] [--headless]

With --headless (no display of the user's) the UI robot drives a short session, connect,
one read-out, disconnect, and photographs the windows; otherwise the technician works."""
import argparse
import configparser
import contextlib
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "harness"))
from processes import end_on_signals  # noqa: E402
from ptys import pty_pair  # noqa: E402
from robot import Robot  # noqa: E402
from simulator import simulator  # noqa: E402

TITLE = "Zevanto"
CONNECT, DISCONNECT, READOUT = 40012, 40013, 40006
DEVICE_NAMES = ("Vantik", "Corlaxa", "Brennix")


def settings_for_com1(rundir):
    """Selects COM1 in ZEV.INI, keeping the rest; returns the device type it names."""
    path = os.path.join(rundir, "ZEV.INI")
    parser = configparser.RawConfigParser()
    parser.optionxform = str
    parser.read(path, encoding="cp1252")
    if not parser.has_section("ComPort"):
        parser.add_section("ComPort")
    parser.set("ComPort", "ComPortNo", "1")
    with open(path, "w", encoding="cp1252", newline="\r\n") as f:
        parser.write(f, space_around_delimiters=False)
    name = parser.get("Device", "Device", fallback="Vantik")
    return DEVICE_NAMES.index(name) if name in DEVICE_NAMES else 0


def screenshot(path):
    """The virtual screen, trimmed to the windows on it."""
    time.sleep(0.5)  # let the windows paint
    raw = path + ".raw.png"
    subprocess.run(["import", "-window", "root", raw], check=True)
    subprocess.run(["convert", raw, "-trim", "+repage", path], check=True)
    os.unlink(raw)
    return path


def wait_for_log(robot, main, text, timeout):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        if text in (robot.text(main, 1002) or ""):
            return True
        time.sleep(0.1)
    return False


def headless(rundir, shotdir):
    os.makedirs(shotdir, exist_ok=True)
    shots = []
    with Robot() as robot:
        robot.start(os.path.join(rundir, "ZEV.EXE"), rundir)
        main = robot.window(TITLE, 30.0)
        if main is None:
            print("zev: the main window did not open", file=sys.stderr)
            robot.kill()
            return 1
        shots.append(screenshot(os.path.join(shotdir, "main-window.png")))

        robot.command(main, CONNECT)
        if wait_for_log(robot, main, "(Init.)", 20.0):
            robot.command(main, READOUT)
            wait_for_log(robot, main, ">> \r\n", 10.0)
            shots.append(screenshot(os.path.join(shotdir, "session.png")))
            robot.command(main, DISCONNECT)
        else:
            print("zev: the device did not answer the wake-up", file=sys.stderr)
            box = robot.other_window(main, 20.0)  # the response time-out
            if box is not None:
                robot.click(box, 1)

        robot.syscommand(main, 16)  # the about item of the system menu
        about = robot.other_window(main, 10.0)
        if about is not None:
            shots.append(screenshot(os.path.join(shotdir, "about-box.png")))
            robot.click(about, 1)
            robot.gone(about)

        robot.close(main)
        code = robot.exit_code(15.0)
        if code is None:
            robot.kill()
    print("Screenshots: %s" % ", ".join(shots))
    return 0 if code == 0 else 1


def main():
    end_on_signals()  # ./zev run ends the session with SIGTERM on Ctrl+C
    parser = argparse.ArgumentParser()
    parser.add_argument("rundir")
    parser.add_argument("ttydir")
    parser.add_argument("shotdir")
    parser.add_argument("--device", help="a real serial device on COM1: no simulator")
    parser.add_argument("--headless", action="store_true")
    args = parser.parse_args()

    device_type = settings_for_com1(args.rundir)
    sim = None
    with contextlib.ExitStack() as owner:  # ends the simulator and the pair, whatever happens
        if not args.device:
            pty_pair(owner, 1, args.ttydir)
            sim = simulator(owner, args.rundir, "--type", str(device_type), port=21)
            owner.callback(sim.stop)  # first the polite end, which completes its log
            sim.wait_for_output("waiting for a wake-up")
            print("Simulated %s on COM1 (ZEVSIM.EXE, type %d)" % (DEVICE_NAMES[device_type], device_type))
        if args.headless:
            code = headless(args.rundir, args.shotdir)
        else:
            code = subprocess.run(["wine", "ZEV.EXE"], cwd=args.rundir).returncode
    print("Settings:    %s" % os.path.join(args.rundir, "ZEV.INI"))
    print("Log:         %s" % os.path.join(args.rundir, "ZevLog.TXT"))
    if sim:
        print("Device log:  %s" % sim.log)
    return code


if __name__ == "__main__":
    try:
        sys.exit(main())
    except KeyboardInterrupt:  # Ctrl+C or SIGTERM, after everything started has ended
        sys.exit(130)
