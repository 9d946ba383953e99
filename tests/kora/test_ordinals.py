#!/usr/bin/env python3
"""KORA.DLL exports its functions by ordinal only, and a program linked against its
import library imports them by ordinal.

    test_ordinals.py OBJDUMP KORA.DLL PROGRAM.EXE
"""
import re
import subprocess
import sys

EXPECTED = {1, 2, 3, 4, 7, 8, 9, 10, 11}


def headers(objdump, path):
    return subprocess.run([objdump, "-p", path], stdout=subprocess.PIPE, text=True, check=True).stdout


def main(objdump, dll, exe):
    exports = headers(objdump, dll)
    ordinals = {int(n) for n in re.findall(r"\+base\[\s*(\d+)\]", exports)}
    names = re.search(r"\[Ordinal/Name Pointer\] Table\n((?:[ \t]+\[.*\n)*)", exports)
    imports = re.search(r"DLL Name: KORA\.DLL\n.*?\n(.*?)\n\n", headers(objdump, exe), re.S)
    failures = []
    if ordinals != EXPECTED:
        failures.append("exported ordinals %s, expected %s" % (sorted(ordinals), sorted(EXPECTED)))
    if names and names.group(1).strip():
        failures.append("exported names:\n" + names.group(1))
    if not imports:
        failures.append("%s does not import KORA.DLL" % exe)
    else:
        rows = [row.split() for row in imports.group(1).splitlines() if row.strip()]
        if any(len(row) < 3 or row[2] != "<none>" for row in rows):
            failures.append("imported by name:\n" + imports.group(1))
        if {int(row[1], 16) for row in rows} - EXPECTED:
            failures.append("imports unknown ordinals:\n" + imports.group(1))
    for failure in failures:
        print(failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:4]))
