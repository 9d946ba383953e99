"""Faults of a serial port on the network, through the real ZEV.EXE: the RFC 2217 server
(ser2net) killed in the middle of a firmware download is the link's failure, one box and
one log line as for a pulled adapter, and once the server is back a reconnect works; a
host that does not answer fails the open within KORA's 5 s with the open-failure line and
KORA's text naming host and port, as does a port nobody listens on, at once."""
import socket
import time
import unittest

from zevharness.net_session import net_session
from zevharness.operations import CONNECT, DISCONNECT, DOWNLOAD, IDC_PROGRESS, IDOK, log_texts
from zevharness.robot import RobotTestCase
from zevharness.netservers import free_tcp_port
from zevharness.session import DEVICE_NAMES, wait_for
from zevharness.tool import tool_folder, tool_run
from zevharness.firmware_files import write_image

LINK_ERROR = "KORA - Error\n\n"
OPEN_FAILED = "Schnittstelle konnte nicht geöffnet werden"
DOWNLOAD_DONE = "Firmware-Download abgeschlossen"


class NetworkFaultsTest(RobotTestCase):
    def box(self, main, timeout=10.0):
        """The box over the main window: its text, once it is answered."""
        box = self.robot.other_window(main, timeout)
        self.assertIsNotNone(box, "no box")
        text = self.robot.text(box, 0xFFFF)
        self.robot.post_click(box, IDOK)
        self.assertTrue(self.robot.gone(box), "the box did not close")
        return text

    def assert_no_box(self, main, timeout=1.0):
        box = self.robot.other_window(main, timeout)
        self.assertIsNone(box, "a second box: %r" % (box and self.robot.text(box, 0xFFFF)))

    def test_server_killed_in_the_middle_of_a_download(self):
        s = net_session(self, self.robot, "ser2net", 1, sim_args=("--line-rate",))
        s.connect()
        path = s.folder.file("fw.IMG")
        write_image(path, 60 * 128)
        s.command(DOWNLOAD)
        self.robot.file_dialog(self.robot.other_window(s.main, 10.0), path)
        self.assertTrue(wait_for(lambda: self.robot.progress(s.main, IDC_PROGRESS)[0] >= 5 * 128, 20.0),
                        "the download did not get going")
        s.server.kill()

        text = self.box(s.main)
        self.assertTrue(text.startswith(LINK_ERROR), text)
        self.assert_no_box(s.main)
        lines = log_texts(s.run)
        self.assertEqual(sum(line.startswith("KORA - Error") for line in lines), 1, lines)
        self.assertTrue(any(line.startswith("Firmware-Download abgebrochen") for line in lines), lines)
        self.assertNotIn(DOWNLOAD_DONE, s.run.log_window())

        # the server back on its port: disconnect, connect, and the download runs through
        s.server.start()
        s.command(DISCONNECT)
        self.assertTrue(s.log_has("Verbindung getrennt"))
        self.assert_no_box(s.main, 0.5)
        s.connect()
        write_image(path, 3 * 128 + 1)
        s.command(DOWNLOAD)
        self.robot.file_dialog(self.robot.other_window(s.main, 10.0), path)
        self.assertTrue(s.log_has(DOWNLOAD_DONE, 30.0), s.run.log_window()[-1500:])
        self.assertEqual(s.run.close(), 0)

    def open_fails(self, url):
        """ZEV.EXE with COM1 mapped to `url` connects; the failure's box text, its log lines
        and the seconds from the command to the box."""
        folder = tool_folder(self, "[ComPort]\nComPortNo=1\n[Device]\nDevice=%s\n[Ports]\nCOM1=%s\n"
                             % (DEVICE_NAMES[0], url))
        run = tool_run(self, folder, self.robot)
        self.assertIsNotNone(run.start())
        started = time.monotonic()
        self.robot.command(run.main, CONNECT)
        box = self.robot.other_window(run.main, 15.0)
        took = time.monotonic() - started
        self.assertIsNotNone(box, "no box")
        text = self.robot.text(box, 0xFFFF)
        self.robot.post_click(box, IDOK)
        self.assertTrue(self.robot.gone(box))
        lines = log_texts(run)
        self.assertEqual(run.close(), 0)
        return text, lines, took

    def test_a_host_that_does_not_answer_fails_the_open_within_5_seconds(self):
        # A listener whose queue is full: the kernel answers no further connect at all.
        listener = socket.socket()
        self.addCleanup(listener.close)
        port = free_tcp_port()
        listener.bind(("127.0.0.1", port))
        listener.listen(0)
        for _ in range(3):
            filler = socket.socket()
            self.addCleanup(filler.close)
            filler.setblocking(False)
            try:
                filler.connect(("127.0.0.1", port))
            except BlockingIOError:
                pass
        time.sleep(0.2)
        text, lines, took = self.open_fails("rfc2217://127.0.0.1:%d" % port)
        where = "127.0.0.1:%d" % port
        self.assertIn(where, text)
        self.assertTrue(any(line.startswith(OPEN_FAILED) for line in lines), lines)
        self.assertTrue(any(where in line for line in lines), lines)
        # it waited for the answer (no refusal came), and gave up within KORA's 5 s and the
        # box's way to the screen
        self.assertGreater(took, 3.0)
        self.assertLess(took, 12.0)

    def test_a_port_nobody_listens_on_fails_the_open_at_once(self):
        port = free_tcp_port()
        text, lines, took = self.open_fails("socket://127.0.0.1:%d" % port)
        self.assertIn("127.0.0.1:%d" % port, text)
        self.assertTrue(any(line.startswith(OPEN_FAILED) for line in lines), lines)


if __name__ == "__main__":
    unittest.main(verbosity=2)
