"""The release zip: what it holds, and that a second build of the same sources in a
folder of its own gives the same bytes.

    test_dist.py SOURCE_DIR BUILD_DIR VERSION

The second build (BUILD_DIR/repro, made afresh) builds only the runnable set; it takes
about as long as a build of the program alone."""
import configparser
import io
import os
import re
import shutil
import subprocess
import sys
import time
import unittest
import zipfile

SOURCE, BUILD, VERSION = sys.argv[1:4]
del sys.argv[1:4]
FOLDER = "Zevanto-" + VERSION
NAMES = ["KORA.DLL", "ZEV.EXE", "ZEV.INI", "ZEVSIM.EXE", "ZEV_DE.DLL", "ZEV_EN.DLL",
         "Zevanto-Guide-DE.html", "Zevanto-Guide-EN.html"]


def make_zip(dist, out):
    subprocess.run([sys.executable, os.path.join(SOURCE, "tools", "make_dist.py"), "--version", VERSION,
                    "--dist", dist, "--out", out], check=True, stdout=subprocess.DEVNULL)
    with open(out, "rb") as f:
        return f.read()


def build_again(folder):
    """Configures and builds the zip in a fresh folder, as ./zev configures build/."""
    shutil.rmtree(folder, ignore_errors=True)
    subprocess.run(["cmake", "-S", SOURCE, "-B", folder,
                    "-DCMAKE_TOOLCHAIN_FILE=" + os.path.join(SOURCE, "cmake", "mingw-w64-x86_64.cmake"),
                    "-DCMAKE_BUILD_TYPE=Release"], check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", folder, "-j2", "--target", "dist_zip"], check=True,
                    stdout=subprocess.DEVNULL)
    with open(os.path.join(folder, FOLDER + ".zip"), "rb") as f:
        return f.read()


def settings_the_program_reads():
    """{(section, key): default} of every ReadString and ReadInt in the program's sources."""
    calls = re.compile(r'\.ReadString\(\s*"(\w+)",\s*"(\w+)",[^;]*?,\s*"([^"]*)"\s*\)'
                       r'|\.ReadInt\(\s*"(\w+)",\s*"(\w+)",\s*(-?\d+)\s*\)')
    found = {}
    for folder in ("app", "link", "ops", "params", "monitor"):
        for name in os.listdir(os.path.join(SOURCE, folder)):
            if name.endswith(".cpp"):
                with open(os.path.join(SOURCE, folder, name), encoding="utf-8") as f:
                    for m in calls.finditer(f.read()):
                        section, key, default = m.group(1, 2, 3) if m.group(1) else m.group(4, 5, 6)
                        found[(section, key)] = default
    return found


def menu_texts(rc):
    """The texts of the menu items of a language library's script, without their '&'."""
    with open(os.path.join(SOURCE, "lang", rc), encoding="utf-8") as f:
        defines = dict(re.findall(r'#define\s+(TXT_\w+)\s+"([^"]*)"', f.read()))
    with open(os.path.join(SOURCE, "lang", "layout.rc"), encoding="utf-8") as f:
        layout = f.read()
    menu = layout[layout.index("IDR_MAIN_MENU MENU"):]
    menu = menu[:menu.index("\nEND")]
    names = re.findall(r"(?:MENUITEM|POPUP)\s+(TXT_\w+)", menu)
    return [defines[n].replace("&", "").rstrip(".") for n in names]


class ReleaseZipTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.zip = make_zip(os.path.join(BUILD, "dist"), os.path.join(BUILD, "tests", FOLDER + ".zip"))
        cls.archive = zipfile.ZipFile(io.BytesIO(cls.zip))

    def read(self, name):
        return self.archive.read(FOLDER + "/" + name)

    def test_the_zip_holds_the_program_the_settings_and_the_guides_in_one_folder(self):
        self.assertEqual(self.archive.namelist(), [FOLDER + "/" + name for name in NAMES])
        for name in NAMES:
            self.assertGreater(len(self.read(name)), 1000 if name != "ZEV.INI" else 100, name)
        for name in ("ZEV.EXE", "ZEVSIM.EXE", "KORA.DLL", "ZEV_DE.DLL", "ZEV_EN.DLL"):
            self.assertEqual(self.read(name)[:2], b"MZ", name)

    def test_the_sample_settings_hold_every_key_the_program_reads_with_its_default(self):
        data = self.read("ZEV.INI")
        self.assertNotIn(b"\n", data.replace(b"\r\n", b""), "private-profile files have CR LF lines")
        parser = configparser.RawConfigParser(comment_prefixes=(";",), inline_comment_prefixes=None)
        parser.optionxform = str
        parser.read_string(data.decode("cp1252"))
        wanted = settings_the_program_reads()
        self.assertGreaterEqual(len(wanted), 3, wanted)
        for (section, key), default in wanted.items():
            self.assertEqual(parser.get(section, key, fallback=None), default, "%s/%s" % (section, key))

    def test_each_guide_names_every_menu_command_as_its_menu_does(self):
        for rc, guide in (("ZEV_DE.rc", "Zevanto-Guide-DE.html"), ("ZEV_EN.rc", "Zevanto-Guide-EN.html")):
            text = self.read(guide).decode("utf-8")
            for item in menu_texts(rc):
                self.assertIn(item, text, "%s does not name %r" % (guide, item))

    def test_a_second_build_in_another_folder_gives_the_same_bytes(self):
        start = time.monotonic()
        again = build_again(os.path.join(BUILD, "repro"))
        print("\nthe second build and its zip: %.0f s; zip %d bytes" % (time.monotonic() - start, len(again)),
              file=sys.stderr)
        if again != self.zip:
            other = zipfile.ZipFile(io.BytesIO(again))
            differ = [n for n in self.archive.namelist()
                      if n not in other.namelist() or other.read(n) != self.archive.read(n)]
            self.fail("the zips differ (%s): a binary is not reproducible, or build/ is not built from the "
                      "current sources"
                      % (", ".join(differ) or "in their headers"))


if __name__ == "__main__":
    unittest.main(verbosity=2)
