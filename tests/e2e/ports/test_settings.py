"""COM choices mapped in ZEV.INI ([Ports]): the radio button leads to COM7 or COM12 through
Wine's port mapping, the simulator on that port's device end answers the wake-up, the log
says where the link leads right after the open line, the radio button names the target,
and the settings file gets no key it did not have. A bad value is logged once at the start
and the tool stays usable on the choice's own COM port."""
import contextlib
import unittest

from zevharness.ptys import pty_pair
from zevharness.robot import RobotTestCase
from zevharness.session import CONNECT, wait_for
from zevharness.simulator import simulator
from zevharness.tool import IDC_COM, tool_folder, tool_run

OPENED = "Schnittstelle geöffnet"


def settings(port_no, ports="", device="Vantik"):
    text = "[ComPort]\nComPortNo=%d\n[Device]\nDevice=%s\n" % (port_no, device)
    return text + ("[Ports]\n" + ports if ports else "")


def log_texts(run):
    """The log window's lines without their time stamps."""
    return [line[9:] for line in run.log_window().split("\r\n") if line]


class PortsBench:
    """ZEV.EXE in a folder with `settings_text`, the simulator (type 0) on the device end of
    COM `device_port`'s pty pair."""

    def __init__(self, owner, robot, settings_text, device_port, sim_type=0):
        self.folder = tool_folder(owner, settings_text)
        self.pair = pty_pair(owner, device_port)
        self.sim = simulator(owner, self.folder.path, "--type", str(sim_type), port=device_port + 20)
        self.sim.wait_for_output("waiting for a wake-up")
        self.robot = robot
        self.run = tool_run(owner, self.folder, robot)
        if self.run.start() is None:
            raise AssertionError("ZEV.EXE did not open its window")

    def connect(self):
        self.robot.command(self.run.main, CONNECT)
        if not wait_for(lambda: ">> (Init.) " in self.run.log_window(), 20.0):
            raise AssertionError("no identification line; the log shows:\n" + self.run.log_window()
                                 + "\nthe simulator said:\n" + self.sim.output())

    def radio_text(self, index):
        return self.robot.text(self.run.main, IDC_COM[index])


class SettingsMappingTest(RobotTestCase):
    def check_mapped(self, port_no, ports, device_port, shown):
        with contextlib.ExitStack() as owner:
            bench = PortsBench(owner, self.robot, settings(port_no, ports), device_port)
            before = bench.folder.settings()
            choice = "COM%d" % port_no
            self.assertEqual(bench.radio_text(port_no - 1), "COM&%d (%s)" % (port_no, shown))
            for index in range(4):
                if index != port_no - 1:
                    self.assertEqual(bench.radio_text(index), "COM&%d" % (index + 1), "an unmapped choice")
            bench.connect()
            self.assertIn("wake-up for type 00", bench.sim.output(), "the device on %s was woken" % shown)
            texts = log_texts(bench.run)
            opened = texts.index(OPENED)
            self.assertEqual(texts[opened + 1], "%s führt zu %s" % (choice, shown), texts)
            self.assertEqual(bench.run.close(), 0)
            after = bench.folder.settings()
            self.assertEqual(after["Ports"], before["Ports"], "[Ports] is left as it was")
            self.assertEqual(after["ComPort"]["ComPortNo"], str(port_no))

    def test_com7_from_the_settings(self):
        self.check_mapped(1, "COM1=COM7\n", 7, "COM7")

    def test_com12_from_the_settings(self):
        # Written in another letter case and with a leading zero, shown in one spelling.
        self.check_mapped(3, "COM2=\nCOM3=com012\n", 12, "COM12")

    def test_a_bad_value_is_logged_and_its_choice_opens_its_own_port(self):
        with contextlib.ExitStack() as owner:
            ports = "COM1=COM7x\nCOM2=rfc2217://gateway\nCOM4=COM 8\n"
            bench = PortsBench(owner, self.robot, settings(1, ports), 1)
            for index in range(4):
                self.assertEqual(bench.radio_text(index), "COM&%d" % (index + 1))
            bench.connect()
            texts = log_texts(bench.run)
            self.assertEqual(texts[1:4], [
                "ZEV.INI [Ports] COM1=COM7x wird nicht verwendet: auf die Zahl folgt weiterer Text."
                " COM1 öffnet seine eigene COM-Schnittstelle.",
                "ZEV.INI [Ports] COM2=rfc2217://gateway wird nicht verwendet: der TCP-Port (:PORT) fehlt."
                " COM2 öffnet seine eigene COM-Schnittstelle.",
                "ZEV.INI [Ports] COM4=COM 8 wird nicht verwendet: der Wert enthält ein Leer- oder Steuerzeichen."
                " COM4 öffnet seine eigene COM-Schnittstelle."], texts)
            # an unmapped port logs as it always has: no line about where it leads
            opened = texts.index(OPENED)
            self.assertTrue(texts[opened + 1].startswith(">> (Init.) "), texts)
            self.assertFalse([t for t in texts if "führt zu" in t], texts)
            self.assertEqual(bench.run.close(), 0)
            self.assertEqual(bench.folder.settings()["Ports"],
                             {"COM1": "COM7x", "COM2": "rfc2217://gateway", "COM4": "COM 8"})

    def test_no_ports_section_is_written(self):
        with contextlib.ExitStack() as owner:
            bench = PortsBench(owner, self.robot, settings(1), 1)
            bench.connect()
            texts = log_texts(bench.run)
            self.assertFalse([t for t in texts if "führt zu" in t or "[Ports]" in t], texts)
            self.assertEqual(bench.run.close(), 0)
            self.assertNotIn("Ports", bench.folder.settings())


if __name__ == "__main__":
    unittest.main()
