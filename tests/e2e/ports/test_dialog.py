"""The ports dialog (Verbindung > Anschlüsse...): a mapping entered is written to [Ports] of
ZEV.INI, named in the radio button at once and used by the next connect; a value the
program cannot open is refused with the field and the reason and the focus back in it;
Cancel writes nothing; an emptied field removes its key."""
import contextlib
import time
import unittest

from test_settings import PortsBench, log_texts, settings  # this folder (tools/ports.py is another ports)
from zevharness.robot import RobotTestCase
from zevharness.session import wait_for

PORTS = 40032
IDOK, IDCANCEL = 1, 2
IDC_PORTS = (1050, 1051, 1052, 1053)


class PortsDialogTest(RobotTestCase):
    def open_dialog(self, bench):
        self.robot.command(bench.run.main, PORTS)
        dialog = self.robot.other_window(bench.run.main, 5.0)
        self.assertIsNotNone(dialog, "no ports dialog")
        self.assertEqual(self.robot.title(dialog), "Anschlüsse")
        return dialog

    def box_over(self, main, dialog, timeout=5.0):
        """The message box over the dialog: a window of the program that is neither the main
        window nor the dialog (which the robot finds too while the box is not up yet), and
        its text once it has one."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            hwnd = self.robot.other_window(dialog, 0.2)
            if hwnd not in (None, main):
                text = self.robot.text(hwnd, 0xFFFF)
                if text:
                    return hwnd, text
            time.sleep(0.05)
        self.fail("no message box over the dialog")

    def ok(self, dialog):
        self.robot.post_click(dialog, IDOK)
        self.assertTrue(self.robot.gone(dialog))

    def test_a_mapping_entered_is_written_shown_and_used(self):
        with contextlib.ExitStack() as owner:
            bench = PortsBench(owner, self.robot, settings(1, "COM3=socket://127.0.0.1:1\n"), 7)
            main = bench.run.main

            # What the file holds is shown; a bad value is refused with its field and reason.
            dialog = self.open_dialog(bench)
            self.assertEqual([self.robot.text(dialog, i) for i in IDC_PORTS], ["", "", "socket://127.0.0.1:1", ""])
            self.robot.set_text(dialog, IDC_PORTS[1], "rfc2217://10.1.2.3:70000")
            self.robot.post_click(dialog, IDOK)
            box = self.box_over(main, dialog)
            self.assertTrue(box[1].startswith("COM2: der TCP-Port ist keine Zahl von 1 bis 65535."), box[1])
            self.robot.post_click(box[0], IDOK)
            self.assertTrue(self.robot.gone(box[0]))
            self.assertTrue(wait_for(lambda: self.robot.focus(dialog) == IDC_PORTS[1], 5.0))
            # Cancel: nothing written, nothing shown
            self.robot.post_click(dialog, IDCANCEL)
            self.assertTrue(self.robot.gone(dialog))
            self.assertEqual(bench.folder.settings()["Ports"], {"COM3": "socket://127.0.0.1:1"})
            self.assertEqual(bench.radio_text(1), "COM&2")

            # COM1 to COM7, COM2 to a network port (in another case), COM3 emptied.
            dialog = self.open_dialog(bench)
            self.robot.set_text(dialog, IDC_PORTS[0], "com7")
            self.robot.set_text(dialog, IDC_PORTS[1], "  RFC2217://10.1.2.3:4001 ")
            self.robot.set_text(dialog, IDC_PORTS[2], "")
            self.ok(dialog)
            # the dialog is gone before the program has written what it gave: its last line
            # is logged once the file is written
            self.assertTrue(wait_for(lambda: any("COM3 öffnet wieder" in t for t in log_texts(bench.run))))
            self.assertEqual(bench.folder.settings()["Ports"], {"COM1": "COM7", "COM2": "rfc2217://10.1.2.3:4001"})
            self.assertEqual(bench.radio_text(0), "COM&1 (COM7)")
            # cut to the button's width with Windows' ellipsis, the host's start still shown
            self.assertTrue(bench.radio_text(1).startswith("COM&2 (rfc2217://10.1"), bench.radio_text(1))
            self.assertTrue(bench.radio_text(1).endswith(")"), bench.radio_text(1))
            self.assertEqual(bench.radio_text(2), "COM&3")
            texts = log_texts(bench.run)
            for line in ("Anschlüsse: COM1 führt jetzt zu COM7 (ab dem nächsten Verbinden)",
                         "Anschlüsse: COM2 führt jetzt zu rfc2217://10.1.2.3:4001 (ab dem nächsten Verbinden)",
                         "Anschlüsse: COM3 öffnet wieder seine eigene COM-Schnittstelle (ab dem nächsten Verbinden)"):
                self.assertIn(line, texts)

            # The next connect of COM1 goes to COM7, where the simulator is.
            bench.connect()
            self.assertIn("wake-up for type 00", bench.sim.output())
            texts = log_texts(bench.run)
            self.assertEqual(texts[texts.index("Schnittstelle geöffnet") + 1], "COM1 führt zu COM7")

            # Opened again with the same values and confirmed with Enter: nothing changes.
            dialog = self.open_dialog(bench)
            self.assertEqual(self.robot.text(dialog, IDC_PORTS[1]), "rfc2217://10.1.2.3:4001")
            lines = len(log_texts(bench.run))
            self.robot.key(dialog, 0x0D)  # Enter: OK
            self.assertTrue(self.robot.gone(dialog))
            self.assertEqual(len(log_texts(bench.run)), lines)
            self.assertEqual(bench.run.close(), 0)
            self.assertEqual(bench.folder.settings()["Ports"], {"COM1": "COM7", "COM2": "rfc2217://10.1.2.3:4001"})

    def test_a_value_the_program_does_not_use_is_shown_to_be_mended(self):
        with contextlib.ExitStack() as owner:
            bench = PortsBench(owner, self.robot, settings(1, "COM1=COM7x\nCOM2=rfc2217://gateway\n"), 7)
            main = bench.run.main
            dialog = self.open_dialog(bench)
            self.assertEqual([self.robot.text(dialog, i) for i in IDC_PORTS], ["COM7x", "rfc2217://gateway", "", ""])
            # as it stands it is refused, as any bad value typed in
            self.robot.post_click(dialog, IDOK)
            box = self.box_over(main, dialog)
            self.assertTrue(box[1].startswith("COM1: "), box[1])
            self.robot.post_click(box[0], IDOK)
            self.assertTrue(self.robot.gone(box[0]))
            # mended and cleared: the file holds the mended value, the cleared key is gone
            self.robot.set_text(dialog, IDC_PORTS[0], "COM7")
            self.robot.set_text(dialog, IDC_PORTS[1], "")
            self.ok(dialog)
            self.assertTrue(wait_for(lambda: any("COM2 öffnet wieder" in t for t in log_texts(bench.run))))
            self.assertEqual(bench.folder.settings()["Ports"], {"COM1": "COM7"})
            self.assertEqual(bench.radio_text(0), "COM&1 (COM7)")
            self.assertEqual(bench.run.close(), 0)


if __name__ == "__main__":
    unittest.main()
