"""Writes the program's English texts from the English library's script, for the build:
the text a string id falls back to when the language library lacks it (or holds no format
for the arguments) is the one ZEV_EN.DLL holds, and cannot drift from it.

    english_texts.py --rc lang/ZEV_EN.rc --ids app/resource.h --ids framework/afxres.h --out DIR

writes DIR/EnglishTexts.h and DIR/EnglishTexts.cpp. A script it cannot read fails the
build with the file and line (rc_strings.RcError)."""
import argparse
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from rc_strings import RcError, read_ids, read_string_tables  # noqa: E402

HEADER = """// Written by tools/english_texts.py from {rc}: do not edit.
#pragma once

// The English library's text of string nID, as LoadStringA gives it on a Western system;
// nullptr for an id that library does not hold.
const char* EnglishText(unsigned int nID);
"""

SOURCE = """// Written by tools/english_texts.py from {rc}: do not edit.
#include "EnglishTexts.h"

#include <algorithm>
#include <iterator>

namespace {{
struct EnglishEntry {{
    unsigned int nID;
    const char* pszText;
}};

// By id, for the search.
const EnglishEntry kEnglish[] = {{
{entries}
}};
}}

const char* EnglishText(unsigned int nID)
{{
    const EnglishEntry* pEntry = std::lower_bound(std::begin(kEnglish), std::end(kEnglish), nID,
                                                  [](const EnglishEntry& entry, unsigned int n) {{ return entry.nID < n; }});
    return pEntry != std::end(kEnglish) && pEntry->nID == nID ? pEntry->pszText : nullptr;
}}
"""


def c_literal(text, where):
    """The text as a C string literal of the bytes LoadStringA gives (code page 1252)."""
    try:
        data = text.encode("cp1252")
    except UnicodeEncodeError as e:
        raise RcError("%s: %r has no code page 1252 form" % (where, e.object[e.start:e.end]))
    out = []
    for byte in data:
        c = chr(byte)
        if c in '"\\':
            out.append("\\" + c)
        elif c == "\n":
            out.append("\\n")
        elif c == "\r":
            out.append("\\r")
        elif c == "\t":
            out.append("\\t")
        elif 32 <= byte < 127 and c != "?":  # no trigraphs
            out.append(c)
        else:
            out.append("\\%03o" % byte)
    return '"' + "".join(out) + '"'


def write(path, text):
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write(text)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--rc", required=True)
    parser.add_argument("--ids", action="append", required=True)
    parser.add_argument("--out", required=True)
    args = parser.parse_args()
    rc_name = os.path.basename(args.rc)
    try:
        table = read_string_tables(args.rc, read_ids(args.ids))
        if not table:
            raise RcError("%s holds no string table" % rc_name)
        entries = []
        for number in sorted(table):
            if not 0 <= number <= 0xFFFF:
                raise RcError("%s: the string id %s (%d) is no 16-bit id" % (rc_name, table[number][0], number))
            name, text = table[number]
            entries.append("    {{ {}, {} }}, // {}".format(number, c_literal(text, "%s: %s" % (rc_name, name)), name))
    except (RcError, OSError) as e:
        sys.exit("english_texts.py: %s" % e)
    os.makedirs(args.out, exist_ok=True)
    write(os.path.join(args.out, "EnglishTexts.h"), HEADER.format(rc=rc_name))
    write(os.path.join(args.out, "EnglishTexts.cpp"), SOURCE.format(rc=rc_name, entries="\n".join(entries)))


if __name__ == "__main__":
    main()
