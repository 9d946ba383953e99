#!/usr/bin/env python3
"""Runs a command while socat pty pairs stand in for the cables of some COM ports.

    run_with_ptys.py PORT... -- COMMAND...

Exits with the command's exit code.
"""
import contextlib
import os
import subprocess
import sys

from zevharness.processes import end_on_signals
from zevharness.ptys import pty_pair


def main(argv):
    end_on_signals()
    split = argv.index("--")
    with contextlib.ExitStack() as owner:
        for port in argv[:split]:
            pty_pair(owner, int(port))
        return subprocess.call(argv[split + 1:])  # which ends the command on an interrupt


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
