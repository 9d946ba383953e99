#!/usr/bin/env python3
"""Runs a command while socat pty pairs stand in for the cables of some COM ports.

    run_with_ptys.py PORT... -- COMMAND...

Exits with the command's exit code.
"""
import contextlib
import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "harness"))
from processes import end_on_signals  # noqa: E402
from ptys import pty_pair  # noqa: E402


def main(argv):
    end_on_signals()
    split = argv.index("--")
    with contextlib.ExitStack() as owner:
        for port in argv[:split]:
            pty_pair(owner, int(port))
        return subprocess.call(argv[split + 1:])  # which ends the command on an interrupt


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
