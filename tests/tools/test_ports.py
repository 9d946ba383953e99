"""./zev ports on a made-up machine (USB adapters, a UART, ttyS nodes with nothing behind
them, a port this user may not open) and on this machine, checked against the kernel."""
import fcntl
import glob
import os
import struct
import subprocess
import sys
import tempfile
import unittest

import fake_tree

TOP = os.path.abspath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
import ports

TIOCGSERIAL = 0x541E
DIALOUT = 20


def zev_ports(dev_root=None, sys_root=None):
    env = {k: v for k, v in os.environ.items() if k not in ("ZEV_DEV_ROOT", "ZEV_SYS_ROOT")}
    if dev_root:
        env.update(ZEV_DEV_ROOT=dev_root, ZEV_SYS_ROOT=sys_root)
    run = subprocess.run([os.path.join(TOP, "zev"), "ports"], env=env, capture_output=True, text=True, timeout=60)
    return run.returncode, run.stdout


def listed(output):
    return [line.split()[0] for line in output.splitlines() if line.startswith("  /")]


class MadeUpMachine(unittest.TestCase):
    def setUp(self):
        folder = tempfile.TemporaryDirectory()
        self.addCleanup(folder.cleanup)
        self.dev, self.sys = os.path.join(folder.name, "dev"), os.path.join(folder.name, "sys")
        os.makedirs(self.dev)
        os.makedirs(self.sys)

    def build(self):
        s = self.sys
        fake_tree.tty(s, "ttyUSB0", fake_tree.driver(s, "usb1/1-1/1-1:1.0/ttyUSB0", "usb-serial", "ftdi_sio"))
        fake_tree.tty(s, "ttyUSB1", fake_tree.driver(s, "usb1/1-2/1-2:1.0/ttyUSB1", "usb-serial", "cp210x"))
        fake_tree.tty(s, "ttyACM0", fake_tree.driver(s, "usb1/1-3/1-3:1.0", "usb", "cdc_acm"))
        # A UART behind a serial-base port device (newer kernels): the controller's driver counts.
        fake_tree.driver(s, "platform/serial8250", "platform", "serial8250")
        ctrl = fake_tree.driver(s, "platform/serial8250/serial8250:0", "serial-base", "ctrl")
        port = fake_tree.driver(s, "platform/serial8250/serial8250:0/serial8250:0.0", "serial-base", "port")
        os.makedirs(ctrl, exist_ok=True)
        fake_tree.tty(s, "ttyS0", port, uart_type=4)
        for n in (1, 2, 31):  # nodes the kernel makes with no UART behind them
            fake_tree.tty(s, "ttyS%d" % n, port, uart_type=0)
            fake_tree.node(self.dev, "ttyS%d" % n)
        fake_tree.node(self.dev, "ttyUSB0", mode=0o666)
        fake_tree.node(self.dev, "ttyUSB1", mode=0o660, gid=DIALOUT)
        fake_tree.node(self.dev, "ttyACM0")
        fake_tree.node(self.dev, "ttyS0")
        fake_tree.node(self.dev, "tty1")  # no serial device
        fake_tree.link(os.path.join(self.dev, "serial", "by-id", "usb-FTDI_FT232R_A1B2-if00-port0"),
                       os.path.join(self.dev, "ttyUSB0"))

    def test_ports_drivers_and_access(self):
        self.build()
        code, out = zev_ports(self.dev, self.sys)
        print(out)
        self.assertEqual(code, 0)
        self.assertEqual(listed(out), [os.path.join(self.dev, n) for n in ("ttyUSB0", "ttyUSB1", "ttyACM0", "ttyS0")])
        lines = {line.split()[0]: line for line in out.splitlines() if line.startswith("  /")}
        for name, driver in (("ttyUSB0", "ftdi_sio"), ("ttyUSB1", "cp210x"), ("ttyACM0", "cdc_acm"),
                             ("ttyS0", "serial8250")):
            self.assertIn("driver %s " % driver, lines[os.path.join(self.dev, name)])
        self.assertIn("also %s/serial/by-id/usb-FTDI_FT232R_A1B2-if00-port0" % self.dev, out)

        # A user of his own group only: the dialout port is not his, with the way to get it.
        text = "\n".join(ports.report(self.dev, self.sys, 1000, {1000}))
        print(text)
        usb0, usb1 = [line for line in text.splitlines() if "/ttyUSB" in line and "driver" in line]
        self.assertIn("read+write: yes", usb0)
        self.assertIn("read+write: NO (-rw-rw---- root:dialout)", usb1)
        self.assertIn("sudo usermod -aG dialout $USER, then log out and in again", text)
        self.assertEqual(text.count("usermod"), 3)  # ttyUSB1, ttyACM0 and ttyS0
        # In the group, he may.
        self.assertNotIn("usermod", "\n".join(ports.report(self.dev, self.sys, 1000, {1000, DIALOUT})))

    def test_no_device(self):
        for n in range(32):
            fake_tree.node(self.dev, "ttyS%d" % n)
            fake_tree.tty(self.sys, "ttyS%d" % n, self.sys, uart_type=0)
        code, out = zev_ports(self.dev, self.sys)
        self.assertEqual(code, 0)
        self.assertIn("no serial device found", out)
        self.assertEqual(listed(out), [])


def uart_present(path):
    """The kernel's own word on a ttyS: TIOCGSERIAL's type is not PORT_UNKNOWN (needs root)."""
    try:
        fd = os.open(path, os.O_RDWR | os.O_NONBLOCK | os.O_NOCTTY)
    except OSError:
        return False
    try:
        return struct.unpack("i", fcntl.ioctl(fd, TIOCGSERIAL, bytes(72))[:4])[0] != 0
    except OSError:
        return False
    finally:
        os.close(fd)


class ThisMachine(unittest.TestCase):
    @unittest.skipUnless(os.geteuid() == 0, "asking the UARTs themselves needs root")
    def test_listing_matches_the_kernel(self):
        expected = sorted(glob.glob("/dev/ttyUSB*") + glob.glob("/dev/ttyACM*"))
        expected += sorted((p for p in glob.glob("/dev/ttyS*") if uart_present(p)), key=lambda p: int(p[9:]))
        code, out = zev_ports()
        print(out)
        self.assertEqual(code, 0)
        self.assertEqual(sorted(listed(out)), sorted(expected))
        if not expected:
            self.assertIn("no serial device found", out)


if __name__ == "__main__":
    unittest.main(verbosity=2)
