#!/usr/bin/env python3
"""Writes the release zip: the runnable set, a sample ZEV.INI and the technician's guides
in one folder, Zevanto-<version>/.

    make_dist.py --version 1.0.0.1 --dist build/dist --out build/Zevanto-1.0.0.1.zip

The same inputs give the same bytes: the entries are sorted, every one carries the same
date and permissions, and the text files get CR LF whatever the checkout did to them."""
import argparse
import os
import sys
import zipfile

TOP = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
PROGRAM = ("ZEV.EXE", "KORA.DLL", "ZEV_DE.DLL", "ZEV_EN.DLL", "ZEVSIM.EXE")
# name in the zip: file in the sources
DOCUMENTS = {
    "ZEV.INI": "docs/ZEV.INI",
    "Zevanto-Guide-DE.html": "docs/guide/Zevanto-Guide-DE.html",
    "Zevanto-Guide-EN.html": "docs/guide/Zevanto-Guide-EN.html",
}
# The earliest date a zip can hold; no clock of the build ends up in the zip.
FIXED_DATE = (1980, 1, 1, 0, 0, 0)


def crlf(data):
    return data.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")


def entries(dist):
    """(name, bytes, mode) of every file, sorted by name."""
    found = []
    for name in PROGRAM:
        with open(os.path.join(dist, name), "rb") as f:
            found.append((name, f.read(), 0o755))
    for name, source in DOCUMENTS.items():
        with open(os.path.join(TOP, source), "rb") as f:
            found.append((name, crlf(f.read()), 0o644))
    return sorted(found)


def write_zip(path, folder, files):
    partial = path + ".part"
    with zipfile.ZipFile(partial, "w") as archive:
        for name, data, mode in files:
            info = zipfile.ZipInfo(folder + "/" + name, date_time=FIXED_DATE)
            info.create_system = 3  # permissions in the Unix form, the same on every host
            info.external_attr = (0o100000 | mode) << 16
            info.compress_type = zipfile.ZIP_DEFLATED
            archive.writestr(info, data, compresslevel=9)
    os.replace(partial, path)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--version", required=True)
    parser.add_argument("--dist", required=True, help="the build's folder of the runnable set")
    parser.add_argument("--out", required=True)
    args = parser.parse_args()
    try:
        files = entries(args.dist)
    except OSError as error:
        print("make_dist: %s" % error, file=sys.stderr)
        return 1
    write_zip(args.out, "Zevanto-" + args.version, files)
    print("%s (%d bytes)" % (args.out, os.path.getsize(args.out)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
