"""A session over the network: the real ZEV.EXE with its COM1 mapped to a TCP port
([Ports] COM1=rfc2217://127.0.0.1:PORT or socket://...) and the device simulator behind a
real server: ser2net, pyserial's example RFC 2217 server or socat's raw bridge in front of
the pty relay, with ZEVSIM.EXE on COM21 behind it; or ZEVSIM.EXE itself on the network
(--rfc2217, --tcp). The tool is driven by the UI robot, as in session.py."""
from .netservers import free_tcp_port, pty_relay, pyserial_server, ser2net, socat_bridge
from .processes import enter
from .session import DEVICE_NAMES, SimSession
from .simulator import simulator
from .tool import tool_folder, tool_run

# server name: (how it starts in front of the relay's pty, or None for ZEVSIM.EXE itself
# on the network with that option; the URL's scheme)
SERVERS = {
    "ser2net": (ser2net, None, "rfc2217"),
    "pyserial": (pyserial_server, None, "rfc2217"),
    "socat": (socat_bridge, None, "socket"),
    "zevsim-rfc2217": (None, "--rfc2217", "rfc2217"),
    "zevsim-tcp": (None, "--tcp", "socket"),
}


def net_session(owner, robot, server, device_type=0, sim_args=(), more_settings="", start_tool=True,
                server_options=None):
    """A started NetSession, stopped when `owner` ends. `server_options` go to the server's
    start (ser2net's chardelay=False)."""
    return enter(owner, NetSession(robot, server, device_type, sim_args, more_settings, start_tool, server_options))


class NetSession(SimSession):
    """ZEV.EXE on COM1 mapped to `server`'s URL. `relay` (its rates), `server` (kill() and
    start() it again) and `sim` are there for the test; `url` is what COM1 leads to."""

    def __init__(self, robot, server, device_type=0, sim_args=(), more_settings="", start_tool=True,
                 server_options=None):
        SimSession.__init__(self, robot, device_type, 1, sim_args, more_settings)
        self.server_name = server
        self.server_options = server_options or {}
        self.start_tool = start_tool
        self.relay = self.server = None
        self.url = None

    def _start(self):
        parts = self._parts
        start_server, sim_option, scheme = SERVERS[self.server_name]
        self.folder = tool_folder(parts)
        if start_server:
            self.relay = pty_relay(parts, 1)
            self.sim = simulator(parts, self.folder.path, "--type", str(self.device_type), *self.sim_args, port=21)
            self.sim.wait_for_output("waiting for a wake-up")
            self.server = start_server(parts, self.folder.path, self.relay.server_path, **self.server_options)
            port = self.server.port
        else:
            port = free_tcp_port()
            self.sim = simulator(parts, self.folder.path, "--type", str(self.device_type), *self.sim_args,
                                 sim_option, str(port), port=None)
            self.sim.wait_for_output("waiting for a wake-up")
        self.url = "%s://127.0.0.1:%d" % (scheme, port)
        self.folder.write_settings("[ComPort]\nComPortNo=1\n[Device]\nDevice=%s\n[Ports]\nCOM1=%s\n"
                                   % (DEVICE_NAMES[self.device_type], self.url) + self.more_settings)
        self.run = tool_run(parts, self.folder, self.robot)
        if self.start_tool and self.run.start() is None:
            raise AssertionError("ZEV.EXE did not open its window")
