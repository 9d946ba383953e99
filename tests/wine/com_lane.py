#!/usr/bin/env python3
"""Runs a test that uses the COM ports in a lane of its own.

    com_lane.py PREFIX:TTYDIR [PREFIX:TTYDIR...] -- COMMAND...

A lane is a Wine prefix with its own pty folder: its COM ports lead to that folder's pty
pairs, and its wineserver keeps its own port claims, window focus and desktop. Two tests
in different lanes cannot meet, so the serial tests run side by side, one a lane. The
test takes the lane that ctest gave it as the resource com_lanes (./zev test passes ctest
the lanes file), else the first free one; either way it holds an exclusive lock on a
file in the lane's prefix until the command ends, waiting while another holds it.
WINEPREFIX and ZEV_TTY are set for the command. Exits with the command's exit code.
"""
import ctypes
import fcntl
import os
import signal
import subprocess
import sys
import time

_PR_SET_PDEATHSIG = 1


def given_lane(lanes):
    """The lane that ctest gave the test (its resource com_lanes), or None."""
    given = os.environ.get("CTEST_RESOURCE_GROUP_0_COM_LANES", "")
    fields = dict(field.split(":", 1) for field in given.split(",") if ":" in field)
    if "id" in fields and int(fields["id"]) < len(lanes):
        return [lanes[int(fields["id"])]]
    return None


def take_lane(lanes):
    """(prefix, ttydir, the open lock file) of the first lane that is free."""
    while True:
        for prefix, ttydir in lanes:
            lock = open(os.path.join(prefix, ".com-lane.lock"), "w")
            try:
                fcntl.flock(lock, fcntl.LOCK_EX | fcntl.LOCK_NB)
            except BlockingIOError:
                lock.close()
                continue
            return prefix, ttydir, lock
        time.sleep(0.1)


def main(argv):
    split = argv.index("--")
    lanes = [arg.split(":", 1) for arg in argv[:split]]
    # The lock stays even for a lane ctest gave: a second ctest run may be using it.
    prefix, ttydir, lock = take_lane(given_lane(lanes) or lanes)
    env = dict(os.environ, WINEPREFIX=prefix, ZEV_TTY=ttydir)
    libc = ctypes.CDLL(None)
    # The test ends with this script, however it ends (a time-out's SIGKILL too).
    test = subprocess.Popen(argv[split + 1:], env=env,
                            preexec_fn=lambda: libc.prctl(_PR_SET_PDEATHSIG, signal.SIGTERM))
    for signum in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP):
        signal.signal(signum, lambda signum, frame: test.send_signal(signum))
    code = test.wait()
    lock.close()
    return code if code >= 0 else 128 - code


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
