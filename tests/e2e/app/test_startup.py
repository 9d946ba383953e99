"""Start-up and shutdown of the real ZEV.EXE: the settings file it reads and writes
back, the language library, the radio groups and the system menu's about box."""
import os
import random
import sys
import unittest

from zevharness.processes import sub_test
from zevharness.tool import IDC_COM, IDC_DEVICE, tool_folder, tool_run
from zevharness.robot import RobotTestCase, windows_path

SETTINGS = "[Setup]\nLanguageLibrary={lib}\n[ComPort]\nComPortNo={port}\n[Device]\nDevice={device}\n"


def settings(lib="ZEV_DE.DLL", port=1, device="Vantik"):
    return SETTINGS.format(lib=lib, port=port, device=device)


class StartupTest(RobotTestCase):
    def setUp(self):
        self.folder = None

    def start(self, text=None, command_line=None, folder=None, owner=None):
        """ZEV.EXE in a new folder with ZEV.INI `text` (or in `folder`), ended and removed
        with `owner`: the test, or a sub-test's stack."""
        owner = self if owner is None else owner
        self.folder = folder or tool_folder(owner, text)
        self.run = tool_run(owner, self.folder, self.robot)
        self.assertIsNotNone(self.run.start(command_line=command_line), "no main window")
        return self.run

    def test_no_settings_file_runs_with_defaults_and_writes_them_back(self):
        run = self.start()
        self.assertEqual(run.radio_index(IDC_COM), 0)
        self.assertEqual(run.radio_index(IDC_DEVICE), 0)
        self.assertIn("Programm gestartet", run.log_window())
        self.assertEqual(run.close(), 0)
        self.assertEqual(self.folder.settings(), {
            "Setup": {"LanguageLibrary": "ZEV_DE.DLL"},
            "ComPort": {"ComPortNo": "1"},
            "Device": {"Device": "Vantik"},
            "Debug": {"Trace": "0", "TraceLimitMB": "100"}})

    def test_com_port_number_outside_one_to_four_starts_on_com1(self):
        for stored, index in (("0", 0), ("5", 0), ("4", 3), ("-3", 0), ("2", 1)):
            with sub_test(self, ComPortNo=stored) as owner:
                run = self.start(settings(port=stored), owner=owner)
                self.assertEqual(run.radio_index(IDC_COM), index)
                self.assertEqual(run.close(), 0)
                self.assertEqual(self.folder.settings()["ComPort"]["ComPortNo"], str(index + 1))

    def test_device_name_is_matched_exactly(self):
        for stored, index, written in (("Corlaxa", 1, "Corlaxa"), ("Brennix", 2, "Brennix"),
                                       ("corlaxa", 0, "Vantik"), ("", 0, "Vantik"), ("Vantik2", 0, "Vantik")):
            with sub_test(self, Device=stored) as owner:
                run = self.start(settings(device=stored), owner=owner)
                self.assertEqual(run.radio_index(IDC_DEVICE), index)
                self.assertEqual(run.close(), 0)
                self.assertEqual(self.folder.settings()["Device"]["Device"], written)

    def test_the_release_sample_settings_file_is_read_and_keeps_its_comments(self):
        with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..", "docs", "ZEV.INI")) as f:
            sample = f.read()
        comments = [line for line in sample.splitlines() if line.startswith(";")]
        changed = sample.replace("ComPortNo=1", "ComPortNo=3").replace("Device=Vantik", "Device=Brennix")
        run = self.start(changed.replace("ZEV_DE.DLL\n", "ZEV_EN.DLL\n"))
        self.assertEqual(run.radio_index(IDC_COM), 2)
        self.assertEqual(run.radio_index(IDC_DEVICE), 2)
        self.assertIn("Program started", run.log_window())
        self.robot.click(run.main, IDC_COM[1])
        self.assertEqual(run.close(), 0)
        with open(self.folder.file("ZEV.INI"), encoding="cp1252") as f:
            kept = f.read()
        self.assertEqual([line for line in kept.splitlines() if line.startswith(";")], comments)
        self.assertEqual(self.folder.settings()["ComPort"]["ComPortNo"], "2")
        self.assertEqual(self.folder.settings()["Device"]["Device"], "Brennix")

    def test_port_and_device_chosen_in_the_window_are_written_back(self):
        run = self.start(settings(port=1, device="Vantik"))
        self.robot.click(run.main, IDC_COM[2])
        self.robot.click(run.main, IDC_DEVICE[2])
        self.assertEqual(run.radio_index(IDC_COM), 2)
        self.assertEqual(run.close(), 0)
        saved = self.folder.settings()
        self.assertEqual(saved["ComPort"]["ComPortNo"], "3")
        self.assertEqual(saved["Device"]["Device"], "Brennix")
        log = [line for line in self.folder.log_lines() if line]
        # a COM radio logs both strings, a device radio the first only
        texts = [line[9:] for line in log]
        com = texts.index("Auswahl geändert: Gerät nicht verbunden")
        self.assertEqual(texts[com + 1], "Anschluss gewechselt")
        self.assertEqual(texts[com + 2], "Auswahl geändert: Gerät nicht verbunden")
        self.assertNotEqual(texts[com + 3], "Anschluss gewechselt")

    def test_window_closed_with_no_radio_selected(self):
        run = self.start(settings(port=2, device="Corlaxa"))
        for cid in IDC_COM:
            self.robot.uncheck(run.main, cid)
        self.robot.click(run.main, IDC_DEVICE[1])  # reads the controls: no COM radio
        self.assertEqual(run.close(), 0)
        self.assertEqual(self.folder.settings()["ComPort"]["ComPortNo"], "0")
        self.assertEqual(self.folder.settings()["Device"]["Device"], "Corlaxa")

        run = self.start(settings(port=2, device="Brennix"))
        for cid in IDC_DEVICE:
            self.robot.uncheck(run.main, cid)
        self.robot.click(run.main, IDC_COM[3])
        self.assertEqual(run.close(), 0)
        self.assertEqual(self.folder.settings()["ComPort"]["ComPortNo"], "4")
        self.assertEqual(self.folder.settings()["Device"]["Device"], "Vantik")

        # and the next start reads port 0 as COM1
        run = self.start(settings(port=0, device="Vantik"))
        self.assertEqual(run.radio_index(IDC_COM), 0)

    def expect_library_message(self, library_setting, shown_name):
        self.folder = self.folder or tool_folder(self, "[Setup]\nLanguageLibrary=%s\n" % library_setting)
        box = tool_run(self, self.folder, self.robot).start_box("Error")
        self.assertEqual(self.robot.text(box, 0xFFFF), "Library %s not found !" % shown_name)
        self.assertIsNone(self.robot.window("Zevanto", 0.3), "the main window must not open")
        self.robot.click(box, 1)  # OK
        self.assertEqual(self.robot.exit_code(), 0)
        saved = self.folder.settings()
        self.assertEqual(saved["Setup"]["LanguageLibrary"], library_setting)
        self.assertNotIn("ComPort", saved)
        self.assertNotIn("Device", saved)

    def test_missing_language_library_stops_with_a_message(self):
        self.expect_library_message("ZEV_XX.DLL", "ZEV_XX.DLL")

    def test_language_library_that_is_no_dll_fails_like_a_missing_one(self):
        self.folder = tool_folder(self, "[Setup]\nLanguageLibrary=ZEV_DE.DLL\n")
        with open(self.folder.file("ZEV_DE.DLL"), "wb") as f:
            f.write(b"this is not a library\r\n" * 40)
        self.expect_library_message("ZEV_DE.DLL", "ZEV_DE.DLL")

    def test_library_name_is_cut_to_nineteen_characters(self):
        self.expect_library_message("ABCDEFGHIJKLMNOPQRSTUVWXYZ.DLL", "ABCDEFGHIJKLMNOPQRS")

    def test_library_name_of_300_characters_or_of_a_folder(self):
        with sub_test(self, name="300 characters"):
            self.folder = None
            self.expect_library_message("L" * 296 + ".DLL", "L" * 19)
        with sub_test(self, name="a folder") as owner:
            self.folder = tool_folder(owner, "[Setup]\nLanguageLibrary=SPRACHE\n")
            os.mkdir(self.folder.file("SPRACHE"))
            self.expect_library_message("SPRACHE", "SPRACHE")

    def test_damaged_or_oversized_settings_start_on_the_defaults(self):
        huge = "9" * 65536
        garbage = bytes(random.Random(5).randrange(256) for _ in range(8192))
        for name, content in (("binary garbage", garbage),
                              ("values of 64 KB", settings(port=huge, device="X" * 65536).encode())):
            with sub_test(self, settings=name) as owner:
                folder = tool_folder(owner)
                with open(folder.file("ZEV.INI"), "wb") as f:
                    f.write(content)
                run = self.start(folder=folder, owner=owner)
                self.assertEqual(run.radio_index(IDC_COM), 0)
                self.assertEqual(run.radio_index(IDC_DEVICE), 0)
                self.assertIn("Programm gestartet", run.log_window())
                self.assertEqual(run.close(), 0)
                with open(folder.file("ZEV.INI"), "rb") as f:
                    written = f.read()
                self.assertIn(b"ComPortNo=1\r\n", written)
                self.assertIn(b"Device=Vantik\r\n", written)
        with sub_test(self, settings="a library name of 64 KB"):
            self.folder = None
            self.expect_library_message("B" * 65536, "B" * 19)

    def test_a_library_without_the_main_window_stops_with_a_message(self):
        self.folder = tool_folder(self, "[Setup]\nLanguageLibrary=KORA.DLL\n")
        box = tool_run(self, self.folder, self.robot).start_box("Error")
        self.assertEqual(self.robot.text(box, 0xFFFF),
                         "The main window cannot be created from library KORA.DLL !")
        self.robot.click(box, 1)
        self.assertEqual(self.robot.exit_code(), 0)
        self.assertEqual(self.folder.settings()["Setup"]["LanguageLibrary"], "KORA.DLL")

    def test_english_library(self):
        run = self.start(settings(lib="ZEV_EN.DLL"))
        self.assertIn("Program started", run.log_window())
        self.assertEqual(run.close(), 0)
        self.assertEqual(self.folder.settings()["Setup"]["LanguageLibrary"], "ZEV_EN.DLL")

    def test_settings_file_found_however_the_program_is_started(self):
        for name, line in (("quoted path with an argument", '"{exe}" /quiet'), ("unquoted path", "{exe}")):
            with sub_test(self, start=name) as owner:
                folder = tool_folder(owner, settings(port=3))
                run = self.start(folder=folder, command_line=line.format(exe=windows_path(folder.exe)), owner=owner)
                self.assertEqual(run.radio_index(IDC_COM), 2)
                self.assertEqual(run.close(), 0)
                self.assertEqual(folder.settings()["Device"]["Device"], "Vantik")

        # A folder whose name holds a dot: the settings stay next to the program, and no
        # file is made where the first dot of the path would point.
        dotted = tool_folder(self)
        os.rename(dotted.path, dotted.path + ".v2")
        wrong_place = dotted.path + ".INI"
        dotted.path += ".v2"
        dotted.write_settings(settings(port=4))
        run = self.start(folder=dotted)
        self.assertEqual(run.radio_index(IDC_COM), 3)
        self.assertEqual(run.close(), 0)
        self.assertEqual(dotted.settings()["Device"]["Device"], "Vantik")
        self.assertFalse(os.path.exists(wrong_place))

    def test_system_menu_about_box(self):
        run = self.start()
        for command in (16, 31):
            with self.subTest(command=command):
                self.robot.syscommand(run.main, command)
                about = self.robot.other_window(run.main, 5.0)
                self.assertIsNotNone(about, "no about box for %d" % command)
                self.assertEqual(self.robot.title(about), "Info über Zevanto")
                self.robot.click(about, 1)
                self.assertTrue(self.robot.gone(about))
        self.robot.syscommand(run.main, 32)
        self.assertIsNone(self.robot.other_window(run.main, 1.0), "32 must not open the about box")
        self.assertEqual(run.close(), 0)


if __name__ == "__main__":
    unittest.main(verbosity=2)
