"""A /dev and /sys of their own for the serial tools' tests: tty nodes as plain files (the
tools look at their names, links and mode bits only) and the sysfs links the kernel makes."""
import os


def link(path, target):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    os.symlink(os.path.relpath(target, os.path.dirname(path)), path)


def driver(sys_root, device, bus, name):
    """A device folder under sys/devices bound to driver `name` of `bus`."""
    path = os.path.join(sys_root, "devices", device)
    os.makedirs(path, exist_ok=True)
    drivers = os.path.join(sys_root, "bus", bus, "drivers", name)
    os.makedirs(drivers, exist_ok=True)
    link(os.path.join(path, "driver"), drivers)
    return path


def tty(sys_root, name, device, uart_type=None):
    """/sys/class/tty/NAME with its device link (and a UART's `type`)."""
    folder = os.path.join(sys_root, "class", "tty", name)
    os.makedirs(folder, exist_ok=True)
    link(os.path.join(folder, "device"), device)
    if uart_type is not None:
        with open(os.path.join(folder, "type"), "w") as f:
            f.write("%d\n" % uart_type)


def node(dev_root, name, mode=0o660, gid=20):
    path = os.path.join(dev_root, name)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    open(path, "w").close()
    os.chmod(path, mode)
    os.chown(path, -1, gid)
    return path
