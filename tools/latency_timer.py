#!/usr/bin/env python3
"""The latency timer of a USB serial adapter, for ./zev run --port.

    latency_timer.py set DEVICE           sets it to 1 ms; prints the old value (ms) on
                                          stdout, nothing when it was not changed
    latency_timer.py restore DEVICE MS    puts the old value back

An FTDI adapter holds received bytes back for up to its latency timer (16 ms by default)
before it hands them to the host: each ACK of a stop-and-wait download then waits that
long, a fifth to a third of a download's time at 19200 to 38400 baud. The kernel offers the
timer as /sys/bus/usb-serial/devices/ttyUSBn/latency_timer where the driver has one
(ftdi_sio); elsewhere this says why it leaves the device as it is, and the run goes on.

ZEV_SYS_ROOT (default /sys) lets a test use a tree of its own."""
import os
import re
import sys

from ports import may_open

WANTED_MS = 1
USB_NAME = re.compile(r"^ttyUSB[0-9]+$")


def say(text):
    print("zev: " + text, file=sys.stderr)


def usb_name(device):
    """The ttyUSBn behind DEVICE, following its links one at a time
    (/dev/serial/by-id/usb-FTDI_...-port0 -> ../../ttyUSB0); None when there is none."""
    path, seen = os.path.abspath(device), set()
    name = None
    while path not in seen:
        seen.add(path)
        if USB_NAME.match(os.path.basename(path)):
            name = os.path.basename(path)
        if not os.path.islink(path):
            break
        path = os.path.normpath(os.path.join(os.path.dirname(path), os.readlink(path)))
    return name


def timer_path(sys_root, name):
    return os.path.join(sys_root, "bus", "usb-serial", "devices", name, "latency_timer")


def driver_name(sys_root, name):
    driver = os.path.join(sys_root, "bus", "usb-serial", "devices", name, "driver")
    return os.path.basename(os.path.realpath(driver)) if os.path.exists(driver) else "unknown"


def no_permission(name, path, old):
    say("cannot set %s's latency timer (%s ms) to %d ms: no permission to write %s; the run "
        "goes on, downloads are slower. For this session: sudo sh -c 'echo %d > %s'; for good, "
        'a udev rule: ACTION=="add", SUBSYSTEM=="usb-serial", DRIVER=="ftdi_sio", '
        'ATTR{latency_timer}="%d"' % (name, old, WANTED_MS, path, WANTED_MS, path, WANTED_MS))


def set_timer(device, sys_root, uid, groups):
    """Sets the timer to 1 ms; returns the old value, or None when it was not changed."""
    name = usb_name(device)
    if name is None:
        say("%s is no ttyUSB adapter: it has no latency timer to set" % device)
        return None
    path = timer_path(sys_root, name)
    try:
        with open(path) as f:
            old = int(f.read().strip())
    except FileNotFoundError:
        say("%s (driver %s) has no latency timer: left as it is" % (name, driver_name(sys_root, name)))
        return None
    except (OSError, ValueError) as e:
        say("cannot read %s's latency timer (%s): left as it is" % (name, e))
        return None
    if old == WANTED_MS:
        say("%s's latency timer is %d ms already" % (name, old))
        return None
    if not may_open(os.stat(path), uid, groups):
        no_permission(name, path, old)
        return None
    try:
        with open(path, "w") as f:
            f.write("%d\n" % WANTED_MS)
    except PermissionError:
        no_permission(name, path, old)
        return None
    except OSError as e:
        say("cannot set %s's latency timer: %s; left at %d ms" % (name, e.strerror or e, old))
        return None
    say("%s's latency timer: %d ms -> %d ms (back to %d ms when the run ends)" % (name, old, WANTED_MS, old))
    return old


def restore_timer(device, old, sys_root):
    """Puts the old value back; says so, or why it could not (the adapter was pulled)."""
    name = usb_name(device)
    if name is None:
        return False
    path = timer_path(sys_root, name)
    try:
        with open(path, "w") as f:
            f.write("%d\n" % old)
    except OSError as e:
        say("cannot restore %s's latency timer to %d ms: %s" % (name, old, e.strerror or e))
        return False
    say("%s's latency timer: back to %d ms" % (name, old))
    return True


def main(argv):
    sys_root = os.environ.get("ZEV_SYS_ROOT", "/sys")
    if len(argv) == 2 and argv[0] == "set":
        old = set_timer(argv[1], sys_root, os.geteuid(), set(os.getgroups()) | {os.getegid()})
        if old is not None:
            print(old)
        return 0
    if len(argv) == 3 and argv[0] == "restore" and argv[2].isdigit():
        restore_timer(argv[1], int(argv[2]), sys_root)
        return 0
    print(__doc__.split("\n\n")[1], file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
