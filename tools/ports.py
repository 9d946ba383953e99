#!/usr/bin/env python3
"""./zev ports: the serial devices of this machine, each with its driver and whether this
user may open it for reading and writing (what ./zev run --port needs).

USB adapters (/dev/ttyUSB*, /dev/ttyACM*) are listed when their node is there. Of the
/dev/ttyS* nodes the kernel makes (often 32), most have no UART behind them: the tty's
`type` in sysfs, readable by anyone, is 0 (unknown) for those.

ZEV_DEV_ROOT and ZEV_SYS_ROOT (default /dev and /sys) let a test use a tree of its own."""
import grp
import os
import pwd
import re
import stat
import sys

NAME = re.compile(r"^tty(USB|ACM|S)[0-9]+$")


def read_text(path):
    try:
        with open(path) as f:
            return f.read().strip()
    except OSError:
        return None


def driver_of(sys_root, name):
    """The name of the driver behind the tty: ftdi_sio, cp210x, cdc_acm, serial8250...
    Newer kernels put a serial-base port device between a UART and its tty, whose
    driver is the generic "port": the controller's own driver is further up."""
    device = os.path.join(sys_root, "class", "tty", name, "device")
    if not os.path.exists(device):
        return None
    path = os.path.realpath(device)
    while path.startswith(os.path.realpath(sys_root)) and path != "/":
        driver = os.path.join(path, "driver")
        if os.path.exists(driver):
            bus = os.path.basename(os.path.dirname(os.path.dirname(os.path.realpath(driver))))
            if bus != "serial-base":
                return os.path.basename(os.path.realpath(driver))
        path = os.path.dirname(path)
    return None


def has_uart(sys_root, name):
    """A ttyS with a UART behind it: its sysfs `type` is not 0 (PORT_UNKNOWN). Without
    that attribute, a driver bound to the device is taken as the sign."""
    kind = read_text(os.path.join(sys_root, "class", "tty", name, "type"))
    if kind is not None:
        return kind.isdigit() and int(kind) != 0
    return driver_of(sys_root, name) is not None


def is_console(sys_root, name):
    active = read_text(os.path.join(sys_root, "class", "tty", "console", "active")) or ""
    return name in active.split()


def may_open(st, uid, groups):
    """Read and write access to the node by its mode bits, as the kernel decides it."""
    if uid == 0:
        return True
    if st.st_uid == uid:
        return st.st_mode & 0o600 == 0o600
    if st.st_gid in groups:
        return st.st_mode & 0o060 == 0o060
    return st.st_mode & 0o006 == 0o006


def group_name(gid):
    try:
        return grp.getgrgid(gid).gr_name
    except KeyError:
        return str(gid)


def user_name(uid):
    try:
        return pwd.getpwuid(uid).pw_name
    except KeyError:
        return str(uid)


def permission_hint(st, uid):
    """What gives this user the port: membership of the node's group (dialout on Debian),
    which counts from the next login on."""
    if st.st_mode & 0o060 != 0o060 or st.st_gid == 0:
        return ("only %s may open it: a udev rule can give it to the group dialout "
                '(GROUP="dialout", MODE="0660"), or run as root' % user_name(st.st_uid))
    group = group_name(st.st_gid)
    try:
        members = grp.getgrgid(st.st_gid).gr_mem
    except KeyError:
        members = []
    if user_name(uid) in members:
        return "you are in the group %s since this session started: log out and in again" % group
    return "add yourself to the group %s: sudo usermod -aG %s $USER, then log out and in again" % (group, group)


def by_id_links(dev_root):
    """{tty name: /dev/serial/by-id/... link}, the names that stay when adapters move."""
    links = {}
    folder = os.path.join(dev_root, "serial", "by-id")
    try:
        entries = sorted(os.listdir(folder))
    except OSError:
        return links
    for entry in entries:
        path = os.path.join(folder, entry)
        links.setdefault(os.path.basename(os.path.realpath(path)), path)
    return links


def sort_key(name):
    kind, number = re.match(r"^tty([A-Z]+)([0-9]+)$", name).groups()
    return ("USB", "ACM", "S").index(kind), int(number)


def find_ports(dev_root, sys_root):
    """[name] of the serial devices present, USB adapters first."""
    try:
        names = [n for n in os.listdir(dev_root) if NAME.match(n)]
    except OSError:
        return []
    ports = [n for n in names if not n.startswith("ttyS") or has_uart(sys_root, n)]
    return sorted(ports, key=sort_key)


def report(dev_root, sys_root, uid, groups):
    """The listing as lines of text."""
    ports = find_ports(dev_root, sys_root)
    if not ports:
        return ["zev: no serial device found (no /dev/ttyUSB* or /dev/ttyACM*, "
                "and no /dev/ttyS* with a UART behind it)"]
    links = by_id_links(dev_root)
    lines = ["zev: serial devices (use one with ./zev run --port DEVICE):"]
    for name in ports:
        path = os.path.join(dev_root, name)
        st = os.stat(path)
        access = may_open(st, uid, groups)
        mode = "%s %s:%s" % (stat.filemode(st.st_mode), user_name(st.st_uid), group_name(st.st_gid))
        line = "  %-14s driver %-10s %s" % (path, driver_of(sys_root, name) or "unknown",
                                           "read+write: yes" if access else "read+write: NO (%s)" % mode)
        if is_console(sys_root, name):
            line += "  (the system console)"
        lines.append(line)
        if name in links:
            lines.append("      also %s" % links[name])
        if not access:
            lines.append("      " + permission_hint(st, uid))
    return lines


def main():
    dev_root = os.environ.get("ZEV_DEV_ROOT", "/dev")
    sys_root = os.environ.get("ZEV_SYS_ROOT", "/sys")
    groups = set(os.getgroups()) | {os.getegid()}
    print("\n".join(report(dev_root, sys_root, os.geteuid(), groups)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
