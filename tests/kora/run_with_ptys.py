#!/usr/bin/env python3
"""Runs a command while socat pty pairs stand in for the cables of some COM ports.

    run_with_ptys.py PORT... -- COMMAND...

Exits with the command's exit code.
"""
import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "harness"))
from ptys import PtyPair  # noqa: E402


def main(argv):
    split = argv.index("--")
    pairs = [PtyPair(int(port)) for port in argv[:split]]
    try:
        for pair in pairs:
            pair.start()
        return subprocess.call(argv[split + 1:])
    finally:
        for pair in pairs:
            pair.stop()


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
