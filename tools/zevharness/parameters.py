"""What the end-to-end tests of the parameter cycles and the configuration editor share:
the menu commands, the dialogs and their controls, the German log texts, a simulated
device with the replies a test class gives it, and the talk on the wire turn by turn."""
import os
import shutil
import tempfile
import time

from . import hex_log
from .operations import IDCANCEL, SimWire
from .processes import on_end
from .robot import RobotTestCase, windows_path
from .session import sim_session, wait_for

# Menu commands (app/resource.h)
PARAM_F, CONFIG_EDIT, PARAM_G, PARAM_INTERFACE = 40016, 40018, 40019, 40020
PARAM_C, PARAM_WF, PARAM_J = 40022, 40023, 40024

# Controls of the parameter dialogs
IDC_PARAM_G_ON, IDC_PARAM_J_ON, IDC_PARAM_F_ZERO = 1011, 1000, 1011
IDC_W_ON, IDC_F_LOW, IDC_F_HIGH = 1013, 1026, 1027
IDC_INTERFACE = (1014, 1015, 1016, 1017)  # RS232, RS232 MODIFIED, RS485; 1017 is none of them
IDC_PARAM_C = (1025, 1026)

# Controls of the configuration editor
IDC_CFG_MODE = (1002, 1004)    # direct, in thirds
IDC_CFG_OPTION = (1003, 1017)  # 0, 1
IDC_CFG_KIND = 1005            # checked: SCANIA
IDC_CFG_VALUE1, IDC_CFG_VALUE2, IDC_CFG_VALUE3 = 1014, 1013, 1012
IDC_CFG_VALUE1_THIRDS, IDC_CFG_VALUE3_THIRDS = 1015, 1016
IDC_CFG_CALCULATE = 1007

# Dialog titles
G_TITLE, J_TITLE, F_TITLE, WF_TITLE = "Parameter g", "Parameter j", "Parameter F schreiben", "Parameter w und f"
INTERFACE_TITLE, C_TITLE, CONFIG_TITLE = "Schnittstelle", "Parameter c", "Konfiguration"

NOTHING_CHOSEN = "Kein Wert gewählt: es wird nichts geschrieben."


def simulator_settings(owner, **replies):
    """A settings file for ZEVSIM.EXE whose [Replies] are `replies`, each kept as it
    stands, blanks included; removed when `owner` ends. Its path."""
    folder = tempfile.mkdtemp(prefix="zevparams-")
    on_end(owner, shutil.rmtree, folder, True)
    path = os.path.join(folder, "sim.ini")
    with open(path, "w") as f:
        f.write("[Replies]\n")
        for key, value in replies.items():
            f.write('%s="%s"\n' % (key, value))
    return path


def open_dialog(test, robot, main, title, timeout=5.0):
    """The dialog the tool opens over `main`, which must carry `title`."""
    dialog = robot.other_window(main, timeout)
    test.assertIsNotNone(dialog, "no %s dialog" % title)
    test.assertEqual(robot.title(dialog), title)
    return dialog


def close_dialog(test, robot, dialog, button):
    robot.post_click(dialog, button)
    test.assertTrue(robot.gone(dialog), "the dialog stays open")


def checked_buttons(robot, dialog, ids):
    """The positions of the checked buttons of a radio group."""
    return [i for i, cid in enumerate(ids) if robot.checked(dialog, cid)]


def tool(data):
    """A turn of the tool on the wire."""
    return ("tool", data)


def device(data):
    """A turn of the device on the wire."""
    return ("device", data)


class Talk:
    """The simulator's hex log as turns: the bytes one side sent before the other spoke,
    counted from a mark."""

    def __init__(self, sim):
        self.sim = sim
        self.start = 0

    def _entries(self):
        return [(kind, data) for _, kind, data in hex_log.entries(self.sim.log_text()) if kind != "--"]

    def mark(self):
        self.start = len(self._entries())

    def turns(self):
        turns = []
        for kind, data in self._entries()[self.start:]:
            side = "tool" if kind == "RX" else "device"
            if turns and turns[-1][0] == side:
                turns[-1] = (side, turns[-1][1] + data)
            else:
                turns.append((side, data))
        return turns

    def since_mark(self, expected, timeout=5.0, quiet=0.3):
        """The turns since the mark once they are as many bytes as `expected` (or after
        `timeout`), and nothing more has come for `quiet` seconds."""
        count = sum(len(data) for _, data in expected)
        wait_for(lambda: sum(len(data) for _, data in self.turns()) >= count, timeout)
        before = None
        while True:
            now = self.turns()
            if now == before:
                return now
            before = now
            time.sleep(quiet)


class SimSessionTestCase(RobotTestCase):
    """One ZEVSIM.EXE for the test class, connected, answering with `replies` (the keys
    of simulator_settings)."""
    replies = {}

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        settings = simulator_settings(cls, **cls.replies)
        cls.s = sim_session(cls, cls.robot, 1, sim_args=("--settings", windows_path(settings)))
        cls.s.connect()
        cls.talk = Talk(cls.s.sim)
        cls.wire = SimWire(cls.s.sim)

    def tearDown(self):
        # A test that failed with its dialog open leaves the tool to the next one.
        dialog = self.robot.other_window(self.s.main, 0.1)
        if dialog is not None:
            close_dialog(self, self.robot, dialog, IDCANCEL)

    def assert_wire(self, *turns):
        """The turns on the wire since the talk's mark are exactly `turns`."""
        self.assertEqual(self.talk.since_mark(turns), list(turns))
