#!/usr/bin/env python3
"""./zev run's session: ZEV.EXE in its folder on COM1, and on the other end of COM1 either
the device simulator ZEVSIM.EXE (over a pty pair) or a real serial device.

    run_session.py RUNDIR TTYDIR SHOTDIR [--device PATH | --network rfc2217|socket] [--headless]
                   [--cwd DIR -- ARGS...]

With --network the simulator serves on a free TCP port of 127.0.0.1, as an RFC 2217 server
(rfc2217) or a raw TCP device (socket), and the run's ZEV.INI maps COM1 to it
([Ports] COM1=rfc2217://127.0.0.1:PORT); without it a mapping of COM1 is taken out.

With --headless (no display of the user's) the UI robot drives a short session, connect,
one read-out, a text, a firmware download, the monitor (Vantik) or the configuration
editor (Corlaxa), disconnect, and photographs the windows; the window the device of the
settings does not offer is shown with a simulator of the other type afterwards; then a
recording of the monitor opened for a review. Otherwise the technician works.

With ARGS after --, ZEV.EXE runs them unattended (its command line): relative file names
are taken from DIR, the folder ./zev run was started in; the simulator plays the device
that /device names. What it says on standard error is passed on as it comes; then the
last lines of the log and the result row it wrote are printed, and the session exits
with ZEV.EXE's exit code. Everything is printed in the terminal's encoding."""
import argparse
import codecs
import configparser
import contextlib
import os
import select
import shutil
import subprocess
import sys
import tempfile
import time

from zevharness.firmware_files import LARGE_S19, s19_path, write_image
from zevharness.netservers import free_tcp_port
from zevharness.processes import end_on_signals, end_process
from zevharness.ptys import pty_pair
from zevharness.robot import Robot, RobotError
from zevharness.simulator import simulator

TITLE = "Zevanto"
CONNECT, DISCONNECT, READOUT = 40012, 40013, 40006
TEXT_S, DOWNLOAD, MONITOR = 40005, 40017, 40015
CONFIG_EDIT = 40018
OPEN_RECORDING = 40033
SETTINGS_SAVE, SETTINGS_RESTORE = 40030, 40031
IDC_PROGRESS = 1003
IDC_DEVICE = (1000, 1001, 1004)
# What the session looks for in the tool's log and its windows' titles, in the language of
# the library the run's ZEV.INI names ([Setup] LanguageLibrary, German unless set).
TEXTS = {
    "ZEV_DE.DLL": {"selection": "Auswahl geändert", "download done": "Firmware-Download abgeschlossen",
                   "settings saved": "Geräteeinstellungen gesichert in", "monitor": "Durchflussmonitor",
                   "config": "Konfiguration", "compare": "Geräteeinstellungen wiederherstellen"},
    "ZEV_EN.DLL": {"selection": "Selection changed", "download done": "Firmware download complete",
                   "settings saved": "Device settings saved to", "monitor": "Flow monitor",
                   "config": "Configuration", "compare": "Restore device settings"},
}
SAID = dict(TEXTS["ZEV_DE.DLL"])
DEVICE_NAMES = ("Vantik", "Corlaxa", "Brennix")
# The ANSI code page of the tool under Wine with the run's locale (C.UTF-8): what its
# standard error and its log hold.
TOOL_CODE_PAGE = "cp1252"


def settings_for_com1(rundir, target=None):
    """Selects COM1 in ZEV.INI, keeping the rest, and maps it to `target` ([Ports] COM1), or
    to nothing (the COM port itself); returns the device type it names."""
    path = os.path.join(rundir, "ZEV.INI")
    parser = configparser.RawConfigParser()
    parser.optionxform = str
    parser.read(path, encoding="cp1252")
    if not parser.has_section("ComPort"):
        parser.add_section("ComPort")
    parser.set("ComPort", "ComPortNo", "1")
    if target:
        if not parser.has_section("Ports"):
            parser.add_section("Ports")
        parser.set("Ports", "COM1", target)
    elif parser.has_section("Ports"):
        parser.remove_option("Ports", "COM1")
        if not parser.items("Ports"):
            parser.remove_section("Ports")
    with open(path, "w", encoding="cp1252", newline="\r\n") as f:
        parser.write(f, space_around_delimiters=False)
    SAID.update(TEXTS.get(parser.get("Setup", "LanguageLibrary", fallback="").upper(), TEXTS["ZEV_DE.DLL"]))
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


def wait_for_log_after(robot, main, marker, text, timeout):
    """Waits for `text` in the log window below the last line holding `marker`."""
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        log = robot.text(main, 1002) or ""
        last = log.rfind(marker)
        if last >= 0 and text in log[last:]:
            return True
        time.sleep(0.1)
    return False


def text_entry(robot, main, shotdir):
    """A text sent with 'S': the text entry photographed with the text typed in."""
    robot.command(main, TEXT_S)
    dialog = robot.other_window(main, 10.0)
    if dialog is None:
        print("zev: the text entry did not open", file=sys.stderr)
        return []
    robot.type_text(dialog, 1006, "SERVICE")
    shot = screenshot(os.path.join(shotdir, "text-entry.png"))
    robot.click(dialog, 1)  # OK
    wait_for_log(robot, main, "SERVICE", 10.0)
    time.sleep(1.0)  # the device takes 'S' with ESC, then the text goes
    return [shot]


def firmware_file(rundir, device_type):
    """A firmware file of the device's kind: the test build's S-records, or an image."""
    if device_type == 1:
        path = os.path.join(rundir, "firmware.IMG")
        write_image(path, 48 * 1024)
        return path
    return s19_path(LARGE_S19)


def fill_file_dialog(robot, main, path, timeout=10.0):
    """Puts `path` into the file dialog that the command opens, once it is there."""
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        dialog = robot.other_window(main, 1.0)
        if dialog is not None:
            try:
                robot.file_dialog(dialog, path)
                return True
            except RobotError:
                pass  # another window, or the dialog not ready yet
        time.sleep(0.2)
    return False


def download(robot, main, rundir, shotdir, device_type):
    """A firmware download, photographed with the progress bar part-way."""
    try:
        path = firmware_file(rundir, device_type)
    except FileNotFoundError as error:
        print("zev: no firmware file to show a download with: %s" % error, file=sys.stderr)
        return []
    robot.command(main, DOWNLOAD)
    if not fill_file_dialog(robot, main, path):
        print("zev: the file dialog did not open", file=sys.stderr)
        return []
    end = time.monotonic() + 30.0
    while time.monotonic() < end:
        position, upper = robot.progress(main, IDC_PROGRESS)
        if upper and position * 3 >= upper:
            break
        time.sleep(0.1)
    shot = screenshot(os.path.join(shotdir, "download.png"))
    wait_for_log(robot, main, SAID["download done"], 120.0)
    return [shot]


def monitor(robot, main, shotdir):
    """The live flow monitor, photographed with the simulator's values in it."""
    robot.command(main, MONITOR)
    window = robot.window(SAID["monitor"], 10.0)
    if window is None:
        print("zev: the monitor did not open", file=sys.stderr)
        return []
    end = time.monotonic() + 10.0
    while time.monotonic() < end and not robot.text(window, 1018).startswith("("):
        time.sleep(0.1)
    time.sleep(2.0)  # the flow ramps up
    return [screenshot(os.path.join(shotdir, "monitor.png"))]


def photograph_and_cancel(robot, title, what, path):
    """The dialog `title` that a command opens, photographed to `path` and cancelled, so
    that nothing is written."""
    dialog = robot.window(title, 20.0)
    if dialog is None:
        print("zev: the %s did not open" % what, file=sys.stderr)
        return []
    shot = screenshot(path)
    robot.click(dialog, 2)  # Cancel
    robot.gone(dialog)
    return [shot]


def config_editor(robot, main, shotdir):
    """The configuration editor with what the device's configuration read gave."""
    robot.command(main, CONFIG_EDIT)
    return photograph_and_cancel(robot, SAID["config"], "configuration editor",
                                 os.path.join(shotdir, "config-editor.png"))


def settings_compare(robot, main, shotdir):
    """The device settings saved, and another unit's settings set against them in the
    restore's comparison; cancelled, so nothing is written."""
    folder = tempfile.mkdtemp(prefix="zevrun-")
    try:
        saved = os.path.join(folder, "unit-1.ZEVSET")
        robot.command(main, SETTINGS_SAVE)
        if not fill_file_dialog(robot, main, saved) or not wait_for_log(robot, main, SAID["settings saved"], 20.0):
            print("zev: the device settings were not saved", file=sys.stderr)
            return []
        with open(saved, newline="") as f:
            text = f.read()
        other = os.path.join(folder, "unit-7.ZEVSET")
        with open(other, "w", newline="") as f:
            f.write(text.replace("\r\nr=9,33,0\r\n", "\r\nr=30,40,9\r\n").replace("\r\n3=OTHER\r\n", "\r\n3=SCANIA\r\n")
                    .replace("\r\nw=1\r\n", "\r\nw=70000000000\r\n"))
        robot.command(main, SETTINGS_RESTORE)
        if not fill_file_dialog(robot, main, other):
            return []
        return photograph_and_cancel(robot, SAID["compare"], "settings comparison",
                                     os.path.join(shotdir, "settings-compare.png"))
    finally:
        shutil.rmtree(folder, True)


def recording_review(robot, main, shotdir):
    """A recording of the monitor opened for a review, as the monitor writes one: 20 minutes
    of a delivery, a ramp, a plateau with the impulse errors rising, a stop."""
    folder = tempfile.mkdtemp(prefix="zevrun-")
    try:
        path = os.path.join(folder, "delivery.csv")
        rows = ["time,flow (L/min),impulse errors,counter 1,counter 2,volume (L),volume 2 (L),reading 1 (L),"
                "reading 2 (L),whole reading (L),deviation (%)"]
        for n in range(20 * 60 * 4 + 1):
            at = n / 4.0
            flow = int(420 * at / 180) if at < 180 else 420 - (n % 7) if at < 900 else 0
            errors = 0 if at < 180 else min(5, int((at - 180) // 144))
            rows.append("10:%02d:%02d.%03d,%d,%d,%d,%d,%.2f,1.50,0.00,0.00,0,0.00"
                        % (at // 60, at % 60, n % 4 * 250, flow, errors, n, n, n * 0.5))
        with open(path, "w", newline="") as f:
            f.write("\r\n".join(rows) + "\r\n")
        robot.command(main, OPEN_RECORDING)
        if not fill_file_dialog(robot, main, path):
            print("zev: the file dialog did not open", file=sys.stderr)
            return []
        # its title in the language of the run: German or English
        window, end = None, time.monotonic() + 10.0
        while window is None and time.monotonic() < end:
            for title in ("delivery.csv - Aufzeichnung", "delivery.csv - Recording"):
                window = window or robot.window(title, 0.2)
        if window is None:
            print("zev: the recording did not open", file=sys.stderr)
            return []
        shot = screenshot(os.path.join(shotdir, "recording-review.png"))
        robot.click(window, 2)  # Close
        robot.gone(window)
        return [shot]
    finally:
        shutil.rmtree(folder, True)


def corlaxa_windows(robot, main, shotdir):
    return config_editor(robot, main, shotdir) + settings_compare(robot, main, shotdir)


# The windows that only one device type offers: (type, what photographs it)
TYPE_WINDOWS = ((0, monitor), (1, corlaxa_windows))


def other_types(robot, main, shotdir, device_type, restart_device):
    """The windows the chosen device does not offer, each with a simulator of the type that
    does; the chosen device is selected again afterwards, so the settings keep it."""
    shots = []
    for other, photograph in TYPE_WINDOWS:
        if other == device_type or restart_device is None:
            continue
        restart_device(other)
        robot.click(main, IDC_DEVICE[other])
        robot.command(main, CONNECT)
        # the log holds the first device's wake-up too: this one's comes after the new choice
        if wait_for_log_after(robot, main, SAID["selection"], "(Init.)", 20.0):
            shots += photograph(robot, main, shotdir)
        else:
            print("zev: the simulated %s did not answer" % DEVICE_NAMES[other], file=sys.stderr)
        robot.command(main, DISCONNECT)
    robot.click(main, IDC_DEVICE[device_type])
    return shots


def headless(rundir, shotdir, device_type, restart_device=None):
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
            shots += text_entry(robot, main, shotdir)
            shots += download(robot, main, rundir, shotdir, device_type)
            for own, photograph in TYPE_WINDOWS:
                if own == device_type:
                    shots += photograph(robot, main, shotdir)
            robot.command(main, DISCONNECT)
            shots += other_types(robot, main, shotdir, device_type, restart_device)
        else:
            print("zev: the device did not answer the wake-up", file=sys.stderr)
            box = robot.other_window(main, 20.0)  # the response time-out
            if box is not None:
                robot.click(box, 1)

        shots += recording_review(robot, main, shotdir)

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


# The switches of ZEV.EXE whose value is a file of the user's.
FILE_SWITCHES = ("/download", "/restore-settings", "/save-settings", "/readout", "/result")


def switch_name(arg):
    return "/" + arg[1:].lower() if arg[:1] in "/-" else None


def tool_arguments(args, cwd):
    """The arguments with each relative file name made absolute against `cwd` (as a Wine
    path): ZEV.EXE runs in its own folder, the user named the files from theirs."""
    result = list(args)
    for i, arg in enumerate(args[:-1]):
        value = args[i + 1]
        if switch_name(arg) in FILE_SWITCHES and not os.path.isabs(value) and ":" not in value:
            result[i + 1] = "Z:" + os.path.abspath(os.path.join(cwd, value)).replace("/", "\\")
    return result


def argument_value(args, switch):
    for i, arg in enumerate(args[:-1]):
        if switch_name(arg) == switch:
            return args[i + 1]
    return None


def file_state(path):
    """What a write changes: the file's time of change and size; None when there is none."""
    try:
        status = os.stat(path)
    except FileNotFoundError:
        return None
    return status.st_mtime_ns, status.st_size


def pass_on(tool, out):
    """What ZEV.EXE writes to its standard error, line by line as it comes, onto `out` until
    it ends: the tool writes its Windows code page, `out` takes the terminal's encoding.
    Wine's services, which the first program on a new server starts, inherit the pipe and
    keep it open: once the tool has ended, what the pipe holds is all it wrote."""
    fd = tool.stderr.fileno()
    os.set_blocking(fd, False)
    pending = b""
    while True:
        ended = tool.poll() is not None  # looked at first: what it wrote is in the pipe by then
        if not ended:
            select.select([fd], [], [], 0.2)
        try:
            chunk = os.read(fd, 65536)
        except BlockingIOError:
            if ended:
                break
            continue
        if not chunk:  # every writer has closed it
            tool.wait()
            break
        *lines, pending = (pending + chunk).split(b"\n")
        for line in lines:
            out.write(line.rstrip(b"\r").decode(TOOL_CODE_PAGE, "replace") + "\n")
        out.flush()
    if pending:
        out.write(pending.rstrip(b"\r").decode(TOOL_CODE_PAGE, "replace") + "\n")
        out.flush()


def unattended(rundir, args, cwd):
    """ZEV.EXE with a command line; what it did, printed; its exit code."""
    log = os.path.join(rundir, "ZevLog.TXT")
    result = argument_value(args, "/result")
    result_path = os.path.join(cwd, result) if result else None
    before = file_state(log)
    result_before = file_state(result_path) if result else None
    sys.stdout.flush()  # what the session said comes before what the tool says
    tool = subprocess.Popen(["wine", "ZEV.EXE"] + tool_arguments(args, cwd), cwd=rundir, stderr=subprocess.PIPE)
    try:
        pass_on(tool, sys.stderr)
        code = tool.wait()
    finally:
        end_process(tool)
    # A start refused for its arguments writes no log: the one there is an earlier run's.
    # Each start of the tool that gets so far begins its log anew.
    if file_state(log) not in (None, before):
        with open(log, "rb") as f:
            lines = f.read().decode(TOOL_CODE_PAGE, "replace").splitlines()
        print("\n".join(line for line in lines[-20:] if line))
    # Likewise the result file's last row is this run's only when this run appended it.
    if result and file_state(result_path) not in (None, result_before):
        with open(result_path, encoding=TOOL_CODE_PAGE, errors="replace") as f:
            rows = f.read().splitlines()
        print("Result:      %s" % result_path)
        print("\n".join([rows[0], rows[-1]] if len(rows) > 1 else rows))
    print("Exit code:   %d" % code)
    return code


def to_terminal():
    """Everything printed goes out in the encoding of the terminal ./zev run was started in
    (ZEV_TERMINAL_ENCODING, from run.sh, which then sets Wine's own locale), whatever can
    not be shown there as "?"."""
    encoding = os.environ.get("ZEV_TERMINAL_ENCODING") or "utf-8"
    try:
        codecs.lookup(encoding)
    except LookupError:  # a locale Python does not know: the common case
        encoding = "utf-8"
    for stream in (sys.stdout, sys.stderr):
        stream.reconfigure(encoding=encoding, errors="replace")


def main():
    end_on_signals()  # ./zev run ends the session with SIGTERM on Ctrl+C
    to_terminal()
    parser = argparse.ArgumentParser()
    parser.add_argument("rundir")
    parser.add_argument("ttydir")
    parser.add_argument("shotdir")
    parser.add_argument("--device", help="a real serial device on COM1: no simulator")
    parser.add_argument("--network", choices=("rfc2217", "socket"),
                        help="the simulator on the network, COM1 mapped to it")
    parser.add_argument("--headless", action="store_true")
    parser.add_argument("--cwd", default=os.getcwd(), help="the folder the user's file names are relative to")
    argv = sys.argv[1:]
    split = argv.index("--") if "--" in argv else len(argv)
    args = parser.parse_args(argv[:split])
    args.tool_args = argv[split + 1:]  # ZEV.EXE's command line, as given

    net_port = free_tcp_port() if args.network else None
    target = "%s://127.0.0.1:%d" % (args.network, net_port) if net_port else None
    device_type = settings_for_com1(args.rundir, target)
    named = argument_value(args.tool_args, "/device")
    if named and named.capitalize() in DEVICE_NAMES:
        device_type = DEVICE_NAMES.index(named.capitalize())
    sim = None
    with contextlib.ExitStack() as owner:  # ends the simulator and the pair, whatever happens
        restart_device = None
        if not args.device:
            if not net_port:
                pty_pair(owner, 1, args.ttydir)
            line = ["--rfc2217" if args.network == "rfc2217" else "--tcp", str(net_port)] if net_port else []

            def start_device(kind, folder):
                # At the line rate, as on a cable: a download takes the time it takes on the bench.
                os.makedirs(folder, exist_ok=True)
                started = simulator(owner, folder, "--type", str(kind), "--line-rate", *line,
                                    port=None if net_port else 21)
                owner.callback(started.stop)  # first the polite end, which completes its log
                started.wait_for_output("waiting for a wake-up")
                print("Simulated %s on COM1%s (ZEVSIM.EXE, type %d)"
                      % (DEVICE_NAMES[kind], " = " + target if target else "", kind))
                return started

            def restart_device(kind):
                nonlocal sim
                sim.stop()
                sim = start_device(kind, os.path.join(args.rundir, "sim-" + DEVICE_NAMES[kind]))

            sim = start_device(device_type, args.rundir)
            device_log = sim.log
        if args.tool_args:
            code = unattended(args.rundir, args.tool_args, args.cwd)
        elif args.headless:
            code = headless(args.rundir, args.shotdir, device_type, restart_device)
        else:
            code = subprocess.run(["wine", "ZEV.EXE"], cwd=args.rundir).returncode
    print("Settings:    %s" % os.path.join(args.rundir, "ZEV.INI"))
    print("Log:         %s" % os.path.join(args.rundir, "ZevLog.TXT"))
    if sim:
        print("Device log:  %s" % device_log)
    return code


if __name__ == "__main__":
    try:
        sys.exit(main())
    except KeyboardInterrupt:  # Ctrl+C or SIGTERM, after everything started has ended
        sys.exit(130)
