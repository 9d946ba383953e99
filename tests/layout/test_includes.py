"""The program's folders keep to their parts: a subsystem's source includes its own headers,
the main window's (app/), the window-free rules of any folder (zev_rules in its CMake file), the
framework's and KORA.DLL's, and nothing private of another subsystem unless its CMake file
says so. The rules themselves include only rules."""
import os
import re
import unittest

TOP = os.path.abspath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
SUBSYSTEMS = ("link", "log", "ops", "params", "monitor", "unattended")
# A subsystem's CMake file that gives it another subsystem's folder says why, next to it.
DECLARED = {
    ("link", "log/LogBurst.h"),
    ("ops", "unattended/UnattendedRun.h"),
    ("unattended", "ops/FirmwareFileCheck.h"),
    ("unattended", "params/DeviceSettingsFileCheck.h"),
}


def cmake_text(path):
    with open(os.path.join(TOP, path)) as f:
        return f.read()


def cmake_list(folder, function):
    """The files that `folder`'s CMakeLists.txt names with `function` (cmake/ZevRules.cmake), as
    paths from the top."""
    paths = []
    for body in re.findall(r"^%s\((.*?)\)" % function, cmake_text(os.path.join(folder, "CMakeLists.txt")),
                           re.S | re.M):
        for line in body.splitlines():
            paths += ["%s/%s" % (folder, name) for name in line.split("#")[0].split()]
    return paths


def program_folders():
    return re.search(r"set\(ZEV_FOLDERS\s+(.*?)\)", cmake_text("cmake/ZevRules.cmake"), re.S).group(1).split()


def rules_sources():
    return [path for folder in program_folders() for path in cmake_list(folder, "zev_rules")]


def headers_of(folder):
    return {name for name in os.listdir(os.path.join(TOP, folder)) if name.endswith(".h")}


def includes(path):
    with open(path, encoding="utf-8", errors="replace") as f:
        return re.findall(r'^\s*#include\s+"([^"]+)"', f.read(), re.M)


class FolderParts(unittest.TestCase):
    def setUp(self):
        self.rules = {os.path.splitext(path)[0] + ".h" for path in rules_sources()}
        self.rules |= {"link/ControlBytes.h"}  # the control bytes' values, no code
        self.where = {}
        for folder in ("app",) + SUBSYSTEMS:
            for header in headers_of(folder):
                self.where[header] = "%s/%s" % (folder, header)

    def sources(self, folder):
        return [os.path.join(folder, name) for name in sorted(os.listdir(os.path.join(TOP, folder)))
                if name.endswith((".cpp", ".h"))]

    def test_a_subsystem_includes_nothing_private_of_another(self):
        wrong = []
        for folder in SUBSYSTEMS:
            for source in self.sources(folder):
                for name in includes(os.path.join(TOP, source)):
                    header = self.where.get(name)
                    if not header or header.startswith(folder + "/") or header.startswith("app/"):
                        continue
                    if header in self.rules or (folder, header) in DECLARED:
                        continue
                    wrong.append("%s includes %s" % (source, header))
        self.assertEqual(wrong, [])

    def test_the_rules_include_only_rules(self):
        wrong = []
        for rule in sorted(self.rules):
            for path in (rule, os.path.splitext(rule)[0] + ".cpp"):
                if not os.path.exists(os.path.join(TOP, path)):
                    continue
                for name in includes(os.path.join(TOP, path)):
                    header = self.where.get(name)
                    if header and header not in self.rules:
                        wrong.append("%s includes %s" % (path, header))
        self.assertEqual(wrong, [])

    def test_the_rules_and_their_tests_are_all_listed(self):
        for path in rules_sources() + cmake_list("tests/pure", "zev_rules_tests"):
            self.assertTrue(os.path.exists(os.path.join(TOP, path)), path)


if __name__ == "__main__":
    unittest.main()
