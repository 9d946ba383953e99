"""The simulator's hex log read back: every byte it received (RX) and sent (TX), with the
time of each entry, so tests can check the bytes on the wire and benchmarks their timing.

    12:00:01.250123 RX 2A 2A 18 42 30 31                               |**.B01|
                       (further rows of the same entry, indented)
    12:00:01.300000 -- a note"""
import re

_ENTRY = re.compile(r"^(\d\d):(\d\d):(\d\d)\.(\d+) (RX|TX|--) ?(.*)$")
_ROW = re.compile(r"^\s+((?:[0-9A-F]{2} )+)\s*\|")


def _hex_part(rest):
    return bytes.fromhex(rest.split("|", 1)[0])


def entries(text):
    """[(seconds of the day, "RX" | "TX" | "--", bytes or note text)] in log order."""
    out = []
    for line in text.splitlines():
        match = _ENTRY.match(line)
        if match:
            h, m, s, frac, kind, rest = match.groups()
            when = int(h) * 3600 + int(m) * 60 + int(s) + int(frac) / 10 ** len(frac)
            out.append([when, kind, rest if kind == "--" else _hex_part(rest)])
            continue
        row = _ROW.match(line)
        if row and out and out[-1][1] != "--":
            out[-1][2] += bytes.fromhex(row.group(1))
    return [tuple(e) for e in out]


def received(text):
    """All bytes the device received, in order."""
    return b"".join(data for _, kind, data in entries(text) if kind == "RX")


def sent(text):
    """All bytes the device sent, in order."""
    return b"".join(data for _, kind, data in entries(text) if kind == "TX")
