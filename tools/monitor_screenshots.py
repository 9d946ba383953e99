#!/usr/bin/env python3
"""The monitor window with its chart after a minute of ZEVSIM's frames, photographed on
the virtual display that monitor_screenshots.sh starts: a delivery that ramps up, holds,
ramps down and stops, with impulse errors rising while the flow runs.

    monitor_screenshots.py RUNDIR TTYDIR PNG LANGUAGE SECONDS

RUNDIR is made the tool's folder (the program from build/dist, a ZEV.INI for COM1 and a
Vantik in LANGUAGE, DE or EN); the simulator plays the device on COM1's pty pair. PNG is
the monitor window alone."""
import contextlib
import os
import shutil
import subprocess
import sys
import time

from zevharness.processes import end_on_signals
from zevharness.ptys import pty_pair
from zevharness.robot import Robot
from zevharness.simulator import simulator, windows_path

TITLES = {"DE": ("Zevanto", "Durchflussmonitor"), "EN": ("Zevanto", "Flow monitor")}
CONNECT, MONITOR, DISCONNECT = 40012, 40015, 40013
# One delivery a minute: 8 s up, 30 s at 240 L/min, 8 s down, 14 s without flow.
PROFILE = "[Monitor]\nPeakFlow=240\nRampMs=8000\nHoldMs=30000\nPauseMs=14000\nErrorEveryMs=4000\n"


def main():
    end_on_signals()
    rundir, ttydir, png, language, seconds = sys.argv[1:6]
    main_title, monitor_title = TITLES[language]
    dist = os.environ["ZEV_DIST"]
    os.makedirs(rundir, exist_ok=True)
    for name in os.listdir(dist):
        if name.upper().endswith((".EXE", ".DLL")):
            shutil.copy(os.path.join(dist, name), rundir)
    with open(os.path.join(rundir, "ZEV.INI"), "w", newline="\r\n") as f:
        f.write("[Setup]\nLanguageLibrary=ZEV_%s.DLL\n[ComPort]\nComPortNo=1\n[Device]\nDevice=Vantik\n" % language)
    with open(os.path.join(rundir, "sim.ini"), "w") as f:
        f.write(PROFILE)
    with contextlib.ExitStack() as owner, Robot() as robot:
        pty_pair(owner, 1, ttydir)
        sim = simulator(owner, rundir, "--type", "0", "--line-rate", "--settings",
                        windows_path(os.path.join(rundir, "sim.ini")))
        owner.callback(sim.stop)
        sim.wait_for_output("waiting for a wake-up")
        robot.start(os.path.join(rundir, "ZEV.EXE"), rundir)
        main = robot.window(main_title, 30.0)
        if main is None:
            print("monitor_screenshots: the main window did not open", file=sys.stderr)
            robot.kill()
            return 1
        robot.command(main, CONNECT)
        time.sleep(3.0)
        robot.command(main, MONITOR)
        monitor = robot.window(monitor_title, 10.0)
        if monitor is None:
            print("monitor_screenshots: the monitor did not open", file=sys.stderr)
            robot.kill()
            return 1
        time.sleep(float(seconds))
        # The monitor alone: the screen cut to the monitor's window (found by its title).
        raw = png + ".raw.png"
        subprocess.run(["import", "-window", "root", raw], check=True)
        geometry = subprocess.run(["xwininfo", "-name", monitor_title], capture_output=True, text=True).stdout
        values = {}
        for line in geometry.splitlines():
            key, _, value = line.strip().partition(":")
            values[key] = value.strip()
        x, y = int(values["Absolute upper-left X"]), int(values["Absolute upper-left Y"])
        width, height = int(values["Width"]), int(values["Height"])
        subprocess.run(["convert", raw, "-crop", "%dx%d+%d+%d" % (width, height, x, y), "+repage", "-strip", png],
                       check=True)
        os.unlink(raw)
        robot.command(main, DISCONNECT)
        time.sleep(1.0)
        robot.close(main)
        if robot.exit_code(15.0) is None:
            robot.kill()
    print("Screenshot: %s" % png)
    return 0


if __name__ == "__main__":
    sys.exit(main())
