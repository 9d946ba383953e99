"""The two language libraries agree: the same string ids, the same menus (command ids and
structure), every string id the program's code names in both, each string's printf
conversions and inserts the same in both. And the program's English, which the build
writes from ZEV_EN.rc (tools/english_texts.py), is what windres makes of that script:
each text read as windres reads it, and what it cannot read refused with its line.

    test_languages.py WINDRES"""
import os
import re
import struct
import subprocess
import sys
import tempfile
import unittest

TOP = os.path.abspath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
sys.path.insert(0, os.path.join(TOP, "tools"))
from rc_strings import RcError, read_ids, read_menus, read_string_tables  # noqa: E402

LIBRARIES = ("ZEV_DE.rc", "ZEV_EN.rc")
CODE_FOLDERS = ("app", "framework", "link", "log", "monitor", "ops", "params")
ID_HEADERS = (os.path.join(TOP, "app", "resource.h"), os.path.join(TOP, "framework", "afxres.h"))
WINDRES = "x86_64-w64-mingw32-windres"
RT_STRING = 6


def script(name):
    return os.path.join(TOP, "lang", name)


def conversions(text):
    """The printf conversions and the %1 inserts of a text, in order ("%%" is none)."""
    return re.findall(r"%(?:%|[-+ #0]*[0-9]*(?:\.[0-9]+)?[hl]?[a-zA-Z]|[1-9])", text.replace("%%", ""))


def windres_strings(rc_path):
    """Id -> text of the string tables windres compiles from the script (its .res output)."""
    with tempfile.TemporaryDirectory() as folder:
        res = os.path.join(folder, "strings.res")
        run = subprocess.run([WINDRES, "-i", rc_path, "-O", "res", "-o", res, "-I", os.path.dirname(rc_path),
                              "-I", os.path.join(TOP, "app"), "-I", os.path.join(TOP, "framework")],
                             capture_output=True, text=True)
        if run.returncode != 0:
            raise AssertionError("windres: " + run.stderr)
        with open(res, "rb") as f:
            data = f.read()
    strings = {}
    pos = 0
    while pos < len(data):
        size, header = struct.unpack_from("<II", data, pos)
        kind_mark, kind = struct.unpack_from("<HH", data, pos + 8)
        name_mark, block = struct.unpack_from("<HH", data, pos + 12)
        body = data[pos + header:pos + header + size]
        if kind_mark == 0xFFFF and kind == RT_STRING and name_mark == 0xFFFF:
            at = 0
            for n in range(16):
                (length,) = struct.unpack_from("<H", body, at)
                if length:
                    strings[(block - 1) * 16 + n] = body[at + 2:at + 2 + 2 * length].decode("utf-16-le")
                at += 2 + 2 * length
        pos += (header + size + 3) & ~3
    return strings


class LibrariesAgree(unittest.TestCase):
    def setUp(self):
        self.ids = read_ids(ID_HEADERS)
        self.tables = {name: read_string_tables(script(name), self.ids) for name in LIBRARIES}

    def test_the_same_string_ids(self):
        de, en = ({entry[0] for entry in self.tables[name].values()} for name in LIBRARIES)
        self.assertEqual(sorted(de - en), [], "only in ZEV_DE.rc")
        self.assertEqual(sorted(en - de), [], "only in ZEV_EN.rc")
        self.assertEqual(sorted(self.tables["ZEV_DE.rc"]), sorted(self.tables["ZEV_EN.rc"]))

    def test_the_same_menus(self):
        de, en = (read_menus(script(name)) for name in LIBRARIES)
        self.assertIn("IDR_MAIN_MENU", en)
        self.assertEqual(de, en)

    def test_every_string_id_of_the_code_is_in_both(self):
        named = set()
        for folder in CODE_FOLDERS:
            for name in os.listdir(os.path.join(TOP, folder)):
                path = os.path.join(TOP, folder, name)
                if name.endswith((".cpp", ".h")) and path not in ID_HEADERS:
                    with open(path, encoding="utf-8", errors="replace") as f:
                        named |= set(re.findall(r"\b(?:IDS|AFX_IDP)_[A-Z0-9_]+\b", f.read()))
        self.assertGreater(len(named), 100)
        for name in LIBRARIES:
            held = {entry[0] for entry in self.tables[name].values()}
            self.assertEqual(sorted(named - held), [], "named in the code, not in %s" % name)

    def test_each_string_takes_the_same_arguments_in_both(self):
        de, en = (self.tables[name] for name in LIBRARIES)
        differing = ["%s: %s / %s" % (en[n][0], conversions(de[n][1]), conversions(en[n][1]))
                     for n in sorted(en) if n in de and conversions(de[n][1]) != conversions(en[n][1])]
        self.assertEqual(differing, [])


class ScriptsReadAsWindresReadsThem(unittest.TestCase):
    def write(self, folder, text):
        path = os.path.join(folder, "t.rc")
        with open(path, "w", encoding="utf-8") as f:
            f.write('#include "resource.h"\n' + text)
        return path

    def test_both_libraries_as_windres_compiles_them(self):
        ids = read_ids(ID_HEADERS)
        for name in LIBRARIES:
            with self.subTest(library=name):
                ours = {n: text for n, (_, text) in read_string_tables(script(name), ids).items()}
                self.assertEqual(ours, windres_strings(script(name)))

    def test_escapes_quotes_and_both_entry_forms(self):
        text = ('STRINGTABLE\nBEGIN\n'
                '    IDS_ABOUTBOX, "a ""quoted"" \\"word\\" \\\\ tab\\t cr\\r lf\\n end"\n'
                '    IDS_TX_TIMEOUT "no comma" // a comment\n'
                '    /* a comment */ 9999 "by number"\n'
                'END\n')
        with tempfile.TemporaryDirectory() as folder:
            path = self.write(folder, text)
            ours = {n: t for n, (_, t) in read_string_tables(path, read_ids(ID_HEADERS)).items()}
            self.assertEqual(ours[101], 'a "quoted" "word" \\ tab\t cr\r lf\n end')
            self.assertEqual(ours, windres_strings(path))

    def test_what_it_cannot_read_is_refused_with_its_line(self):
        cases = {
            "an escape it does not read": ('STRINGTABLE\nBEGIN\n    IDS_ABOUTBOX "a\\qb"\nEND\n', "t.rc:4"),
            "an id in no header": ('STRINGTABLE\nBEGIN\n    IDS_NO_SUCH_TEXT "x"\nEND\n', "t.rc:4"),
            "adjacent strings": ('STRINGTABLE\nBEGIN\n    IDS_ABOUTBOX "a" "b"\nEND\n', "t.rc:4"),
            "an open string": ('STRINGTABLE\nBEGIN\n    IDS_ABOUTBOX "a\n"\nEND\n', "t.rc:4"),
            "an id twice": ('STRINGTABLE\nBEGIN\n    IDS_ABOUTBOX "a"\n    101 "b"\nEND\n', "t.rc:5"),
            "a conditional": ('#ifdef X\nSTRINGTABLE\nBEGIN\nEND\n#endif\n', "t.rc:2"),
            "table options": ('STRINGTABLE DISCARDABLE\nBEGIN\nEND\n', "t.rc:2"),
            "a text by macro": ('#define TXT "a"\nSTRINGTABLE\nBEGIN\n    IDS_ABOUTBOX TXT\nEND\n', "t.rc:5"),
            "another code page": ('#pragma code_page(1252)\n', "t.rc:2"),
            "no END": ('STRINGTABLE\nBEGIN\n    IDS_ABOUTBOX "a"\n', "ends inside"),
        }
        for case, (text, where) in cases.items():
            with self.subTest(case=case), tempfile.TemporaryDirectory() as folder:
                path = self.write(folder, text)
                with self.assertRaises(RcError) as caught:
                    read_string_tables(path, read_ids(ID_HEADERS))
                self.assertIn(where, str(caught.exception))
                # and the build's generator stops with the same words
                run = subprocess.run([sys.executable, os.path.join(TOP, "tools", "english_texts.py"), "--rc", path,
                                      "--ids", ID_HEADERS[0], "--out", os.path.join(folder, "out")],
                                     capture_output=True, text=True)
                self.assertEqual(run.returncode, 1)
                self.assertIn(str(caught.exception), run.stderr)
                self.assertFalse(os.path.exists(os.path.join(folder, "out")))


if __name__ == "__main__":
    if len(sys.argv) > 1 and not sys.argv[1].startswith("-"):
        WINDRES = sys.argv.pop(1)
    unittest.main()
