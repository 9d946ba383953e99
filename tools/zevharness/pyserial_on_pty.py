"""Runs a pyserial script unchanged on a pty: `python3 -m zevharness.pyserial_on_pty SCRIPT ARGS...`.

A pty has no modem lines: Linux answers the modem-line requests (TIOCMBIS, TIOCMBIC,
TIOCMGET, TIOCMSET) on it with ENOTTY, and pyserial passes that on as an error where a UART
would just set RTS and DTR. pyserial's example RFC 2217 server sets them when a client
connects, so on a bare pty it drops every client at once. Here those four requests, and only
when the device refuses them as no tty's, do what a UART wired as a null-modem cable to a
powered device does: a line set is set, and CTS, DSR and CD read as on. Everything else,
the RFC 2217 handling first of all, is pyserial's own.
"""
import errno
import fcntl
import runpy
import struct
import sys
import termios
import types

_MODEM_REQUESTS = {termios.TIOCMBIS, termios.TIOCMBIC, termios.TIOCMGET, termios.TIOCMSET}
_LINES_ON = termios.TIOCM_CTS | termios.TIOCM_DSR | termios.TIOCM_CAR


def _ioctl(fd, request, arg=0, mutate_flag=True):
    try:
        return fcntl.ioctl(fd, request, arg, mutate_flag)
    except OSError as error:
        if request not in _MODEM_REQUESTS or error.errno not in (errno.ENOTTY, errno.EINVAL):
            raise
        if request == termios.TIOCMGET:
            return struct.pack("I", _LINES_ON)
        return arg


def main():
    import serial.serialposix
    shim = types.ModuleType("fcntl")
    shim.__dict__.update(fcntl.__dict__)
    shim.ioctl = _ioctl
    serial.serialposix.fcntl = shim  # the posix port's module alone; nothing else sees the shim
    script = sys.argv[1]
    sys.argv = sys.argv[1:]
    runpy.run_path(script, run_name="__main__")


if __name__ == "__main__":
    main()
