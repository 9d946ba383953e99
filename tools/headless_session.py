#!/usr/bin/env python3
"""A short session of ZEV.EXE on a virtual display, driven by the UI robot: the main
window and the about box are photographed, then the tool is closed.

    headless_session.py RUNDIR SCREENSHOTDIR   (DISPLAY, WINEPREFIX set by ./zev run)"""
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "harness"))
from robot import Robot  # noqa: E402

TITLE = "Zevanto"


def screenshot(path):
    """The screen, trimmed to the windows on it."""
    time.sleep(0.5)  # let the windows paint
    raw = path + ".raw.png"
    subprocess.run(["import", "-window", "root", raw], check=True)
    subprocess.run(["convert", raw, "-trim", "+repage", path], check=True)
    os.unlink(raw)
    return path


def main(rundir, shotdir):
    os.makedirs(shotdir, exist_ok=True)
    shots = []
    with Robot() as robot:
        robot.start(os.path.join(rundir, "ZEV.EXE"), rundir)
        main_window = robot.window(TITLE, 30.0)
        if main_window is None:
            print("zev: the main window did not open", file=sys.stderr)
            robot.kill()
            return 1
        shots.append(screenshot(os.path.join(shotdir, "main-window.png")))

        robot.syscommand(main_window, 16)  # the about item of the system menu
        about = robot.other_window(main_window, 10.0)
        if about is not None:
            shots.append(screenshot(os.path.join(shotdir, "about-box.png")))
            robot.click(about, 1)
            robot.gone(about)

        robot.close(main_window)
        code = robot.exit_code(15.0)
        if code is None:
            robot.kill()
    print("Screenshots: %s" % ", ".join(shots))
    print("Settings:    %s" % os.path.join(rundir, "ZEV.INI"))
    print("Log:         %s" % os.path.join(rundir, "ZevLog.TXT"))
    return 0 if code == 0 else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
