"""Every test that runs ZEV.EXE holds a COM-port lane (tests/wine/com_lane.py): the
program's teardown opens its COM port, so a test of it run in a lane's Wine prefix without
the lane takes the port, now and then, from the serial test that holds the lane there (a
refused open, a device's answer lost in a baud switch). Read from ctest's own list of the
tests, as the build configured them.

    test_lanes.py BUILD_DIR"""
import json
import os
import subprocess
import sys
import unittest

BUILD = None
E2E = os.sep + os.path.join("tests", "e2e") + os.sep


def configured_tests():
    listing = subprocess.run(["ctest", "--show-only=json-v1"], cwd=BUILD, capture_output=True, text=True,
                             check=True).stdout
    return json.loads(listing)["tests"]


def holds_a_lane(test):
    properties = {p["name"]: p["value"] for p in test.get("properties", [])}
    command = test.get("command", [])
    return (any(arg.endswith("com_lane.py") for arg in command) or "RESOURCE_GROUPS" in properties
            or "RESOURCE_LOCK" in properties)


class LaneTest(unittest.TestCase):
    def test_every_run_of_the_program_holds_a_lane(self):
        tests = configured_tests()
        e2e = [t for t in tests if any(E2E in arg for arg in t.get("command", []))]
        self.assertGreater(len(e2e), 10, "the end-to-end tests were not found in ctest's list")
        self.assertEqual([t["name"] for t in e2e if not holds_a_lane(t)], [])


if __name__ == "__main__":
    BUILD = sys.argv.pop(1)
    unittest.main()
