"""Serial ports on the network for the tests: real RFC 2217 and raw TCP servers in front of
a pty, and the relay that puts the simulator behind them.

A server opens a serial device, here TTYDIR/COMn (the tool's end of COM port n, which the
tool then does not use). The simulator opens COM(n+20), TTYDIR/COMn.dev. A PtyRelay joins
the two: it copies the bytes both ways and the baud rate that the server sets on its end to
the simulator's end, as a cable between two UARTs at the rate the server set would carry
them. It records every rate it saw the server set, with the time.

The servers are nobody's code here: ser2net (Debian's ser2net 4.x), pyserial's example
RFC 2217 server run by Debian's own python3, and socat as a raw TCP bridge. Each is started
with an owner (processes.py) that ends it, and nothing is left running.
"""
import errno
import gzip
import os
import pty
import select
import shutil
import socket
import subprocess
import termios
import threading
import time
import tty

from .processes import end_process, enter, start_process
from .ptys import _SPEEDS, remove_links, tty_dir

PYSERIAL_EXAMPLE = "/usr/share/doc/python3-serial/examples/rfc2217_server.py"
DEBIAN_PYTHON = "/usr/bin/python3"  # pyserial is Debian's, in its dist-packages

_BAUD_CONSTANTS = {baud: constant for constant, baud in _SPEEDS.items()}

# Listening ports of the tests, below Linux's ephemeral range (32768 on), so that no outgoing
# connection holds one, and a block of its own for each COM lane, so that tests running side
# by side never pick the same.
_PORT_BASE = 27000
_PORT_BLOCK = 1000


def _lane():
    """0, 1, 2 for the COM lanes tty, tty-b, tty-c (ctest's resource lanes); 0 outside them."""
    name = os.path.basename(os.path.normpath(os.environ.get("ZEV_TTY", "tty")))
    return {"tty": 0}.get(name, ord(name[-1]) - ord("a") if name.startswith("tty-") and len(name) == 5 else 0)


def _listening_ports():
    """The local TCP ports in the listening state (from /proc, without connecting to them)."""
    ports = set()
    for table in ("/proc/net/tcp", "/proc/net/tcp6"):
        try:
            with open(table) as f:
                next(f)
                for line in f:
                    fields = line.split()
                    if fields[3] == "0A":  # LISTEN
                        ports.add(int(fields[1].rsplit(":", 1)[1], 16))
        except OSError:
            pass
    return ports


def _bindable(port):
    with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as probe:
        try:
            probe.bind(("127.0.0.1", port))
            return True
        except OSError:
            return False


_handed_out = set()


def free_tcp_port():
    """A TCP port on 127.0.0.1 that nothing listens on, from this lane's block, and not one
    this process handed out before (a server given it may not have started yet)."""
    base = _PORT_BASE + _lane() * _PORT_BLOCK
    start = (os.getpid() * 7) % _PORT_BLOCK
    listening = _listening_ports()
    for step in range(_PORT_BLOCK):
        port = base + (start + step) % _PORT_BLOCK
        if port not in _handed_out and port not in listening and _bindable(port):
            _handed_out.add(port)
            return port
    raise RuntimeError("no free TCP port in %d-%d" % (base, base + _PORT_BLOCK - 1))


def wait_listening(port, proc=None, timeout=10.0, what="the server"):
    """Waits until something listens on TCP `port` (read from /proc: no connection is made,
    which a one-client server would take for its client). RuntimeError when `proc` ends
    first or after `timeout` seconds."""
    deadline = time.monotonic() + timeout
    while port not in _listening_ports():
        if proc is not None and proc.poll() is not None:
            raise RuntimeError("%s ended (exit code %s) before it listened on port %d"
                               % (what, proc.returncode, port))
        if time.monotonic() > deadline:
            raise RuntimeError("%s did not listen on port %d within %g s" % (what, port, timeout))
        time.sleep(0.02)


def _speed(fd):
    return _SPEEDS.get(termios.tcgetattr(fd)[5], -1)


def _raw_pty(baud=9600):
    """A pty in raw mode at `baud`: (master, slave, slave's path)."""
    master, slave = pty.openpty()
    tty.setraw(slave)
    attrs = termios.tcgetattr(slave)
    attrs[4] = attrs[5] = _BAUD_CONSTANTS[baud]
    termios.tcsetattr(slave, termios.TCSANOW, attrs)
    os.set_blocking(master, False)
    return master, slave, os.ttyname(slave)


def pty_relay(owner, port=1, ttydir=None):
    """A started PtyRelay for COM `port`, torn down when `owner` ends."""
    return enter(owner, PtyRelay(port, ttydir))


class PtyRelay:
    """Two ptys joined by a thread: the server's (TTYDIR/COMn) and the simulator's
    (TTYDIR/COMn.dev). Bytes go both ways as they come; the rate the server sets on its end
    is set on the simulator's within a millisecond or two. `rates` holds (time.monotonic(),
    baud) for the server end's rate at the start and at each change."""

    def __init__(self, port=1, ttydir=None):
        ttydir = ttydir or tty_dir()
        self.port = port
        self.server_path = os.path.join(ttydir, "COM%d" % port)
        self.device_path = self.server_path + ".dev"
        self.rates = []
        self.device_rates = []  # the same for the simulator's end: its own switches and the copies
        self.bytes_to_device = 0
        self.bytes_to_server = 0
        self._fds = []
        self._links = {}
        self._thread = None
        self._stop = threading.Event()
        self._lock = threading.Lock()
        self.error = None

    def start(self):
        try:
            self._start()
        except BaseException:
            self.stop()
            raise
        return self

    def _start(self):
        os.makedirs(os.path.dirname(self.server_path), exist_ok=True)
        self._server_master, server_slave, server_name = _raw_pty()
        self._device_master, device_slave, device_name = _raw_pty()
        # The relay keeps each slave open itself: a server or a simulator that closes its end
        # and opens it again finds the pty as it left it, and the master never reads EIO.
        self._fds = [self._server_master, server_slave, self._device_master, device_slave]
        for path, target in ((self.server_path, server_name), (self.device_path, device_name)):
            if os.path.lexists(path):
                os.unlink(path)
            os.symlink(target, path)
            self._links[path] = target
        self.rates.append((time.monotonic(), _speed(self._server_master)))
        self.device_rates.append((time.monotonic(), _speed(self._device_master)))
        self._thread = threading.Thread(target=self._run, name="pty relay COM%d" % self.port, daemon=True)
        self._thread.start()

    def _run(self):
        try:
            self._relay()
        except Exception as error:  # the test sees it in self.error and in the lost bytes
            self.error = error

    def _relay(self):
        to_device = bytearray()
        to_server = bytearray()
        server_rate = self.rates[-1][1]
        device_rate = self.device_rates[-1][1]
        while not self._stop.is_set():
            writers = ([self._device_master] if to_device else []) + ([self._server_master] if to_server else [])
            readable, writable, _ = select.select([self._server_master, self._device_master], writers, [], 0.001)
            # The rate first: bytes the server sends after setting a rate go at that rate.
            rate = _speed(self._server_master)
            if rate != server_rate:
                server_rate = rate
                with self._lock:
                    self.rates.append((time.monotonic(), rate))
                if rate in _BAUD_CONSTANTS:
                    attrs = termios.tcgetattr(self._device_master)
                    attrs[4] = attrs[5] = _BAUD_CONSTANTS[rate]
                    termios.tcsetattr(self._device_master, termios.TCSANOW, attrs)
            rate = _speed(self._device_master)
            if rate != device_rate:
                device_rate = rate
                with self._lock:
                    self.device_rates.append((time.monotonic(), rate))
            if self._server_master in readable:
                data = self._read(self._server_master)
                self.bytes_to_device += len(data)
                to_device += data
            if self._device_master in readable:
                data = self._read(self._device_master)
                self.bytes_to_server += len(data)
                to_server += data
            if to_device:
                del to_device[:self._write(self._device_master, to_device)]
            if to_server:
                del to_server[:self._write(self._server_master, to_server)]

    @staticmethod
    def _read(fd):
        try:
            return os.read(fd, 65536)
        except BlockingIOError:
            return b""
        except OSError as error:
            if error.errno == errno.EIO:  # nobody has the slave open (not while the relay holds it)
                return b""
            raise

    @staticmethod
    def _write(fd, data):
        try:
            return os.write(fd, data)
        except BlockingIOError:
            return 0

    def rates_seen(self):
        """The server end's rates so far, each change once: [baud, ...]."""
        with self._lock:
            return [baud for _, baud in self.rates]

    def wait_rate(self, baud, timeout=10.0):
        """Waits until the server has set `baud` on its end (now or before); False on a time-out."""
        deadline = time.monotonic() + timeout
        while baud not in self.rates_seen():
            if time.monotonic() > deadline:
                return False
            time.sleep(0.01)
        return True

    def stop(self):
        self._stop.set()
        if self._thread is not None:
            self._thread.join(5.0)
            self._thread = None
        for fd in self._fds:
            try:
                os.close(fd)
            except OSError:
                pass
        self._fds = []
        remove_links(self._links)
        self._links = {}

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.stop()


class Server:
    """A server process on TCP `port` of 127.0.0.1; its output in `out`."""

    name = "server"

    def __init__(self, owner, folder, port, command, cwd=None):
        self.port = port
        self.out = os.path.join(folder, "%s-%d.out" % (self.name, port))
        self.command = command
        self._owner = owner
        self._cwd = cwd
        self.proc = None
        self.start()

    def start(self, timeout=10.0):
        """Starts it (again, after kill()) and waits until it listens."""
        with open(self.out, "ab") as out:
            self.proc = start_process(self._owner, self.command, stdin=subprocess.DEVNULL, stdout=out,
                                      stderr=subprocess.STDOUT, cwd=self._cwd, start_new_session=True)
        wait_listening(self.port, self.proc, timeout, self.name)
        return self

    def kill(self):
        """Kills it at once (SIGKILL), as a server that crashes or loses its power."""
        if self.proc is not None:
            end_process(self.proc, grace=0)

    def stop(self):
        """Ends it as asked (SIGTERM)."""
        if self.proc is not None:
            end_process(self.proc)

    def output(self):
        try:
            with open(self.out, "rb") as f:
                return f.read().decode("latin-1")
        except OSError:
            return ""

    def url(self, scheme="rfc2217"):
        return "%s://127.0.0.1:%d" % (scheme, self.port)


def ser2net_config(port, device, baud=9600, chardelay=True):
    """ser2net 4.x's YAML for one RFC 2217 port on 127.0.0.1:`port` in front of `device`.
    `local`: a pty has no modem lines to wait for. `chardelay` False: what the serial port
    delivers goes out at once (by default ser2net holds it two character times, at least
    1 ms, to send fewer packets, which every ACK of a download then waits)."""
    return ("%%YAML 1.1\n---\n"
            "connection: &zev\n"
            "  accepter: telnet(rfc2217),tcp,127.0.0.1,%d\n"
            "  connector: serialdev,%s,%dn81,local\n"
            "  enable: on\n"
            "  options:\n"
            "    kickolduser: true\n"
            "%s" % (port, device, baud, "" if chardelay else "    chardelay: false\n"))


def ser2net_program():
    found = shutil.which("ser2net") or ("/usr/sbin/ser2net" if os.path.exists("/usr/sbin/ser2net") else None)
    if not found:
        raise RuntimeError("ser2net is not installed (./zev build installs it)")
    return found


class Ser2net(Server):
    """ser2net in the foreground (-n: no daemon; -u: no UUCP lock files in /var/lock) with a
    generated configuration, serving RFC 2217 on 127.0.0.1:`port` in front of `device`."""

    name = "ser2net"

    def __init__(self, owner, folder, port, device, chardelay=True):
        config = os.path.join(folder, "ser2net-%d.yaml" % port)
        with open(config, "w") as f:
            f.write(ser2net_config(port, device, chardelay=chardelay))
        Server.__init__(self, owner, folder, port,
                        [ser2net_program(), "-n", "-u", "-c", config, "-P", os.path.join(folder, "ser2net-%d.pid" % port)])


def pyserial_server_script(folder):
    """Debian's example script as shipped; a Debian that ships it gzipped gets it unpacked
    into `folder` (it is run unchanged)."""
    if os.path.exists(PYSERIAL_EXAMPLE):
        return PYSERIAL_EXAMPLE
    packed = PYSERIAL_EXAMPLE + ".gz"
    if not os.path.exists(packed):
        raise RuntimeError("pyserial's example %s is missing (./zev build installs python3-serial)"
                           % PYSERIAL_EXAMPLE)
    unpacked = os.path.join(folder, "rfc2217_server.py")
    with gzip.open(packed, "rb") as source, open(unpacked, "wb") as target:
        shutil.copyfileobj(source, target)
    return unpacked


class PyserialServer(Server):
    """pyserial's example RFC 2217 server (its PortManager) on `device`, run unchanged by
    Debian's python3 through pyserial_on_pty (a pty has no modem lines to set)."""

    name = "pyserial"

    def __init__(self, owner, folder, port, device):
        shim = os.path.join(os.path.dirname(os.path.abspath(__file__)), "pyserial_on_pty.py")
        Server.__init__(self, owner, folder, port,
                        [DEBIAN_PYTHON, shim, pyserial_server_script(folder), "-p", str(port), device])


class SocatBridge(Server):
    """socat as a raw TCP bridge: one client at a time on 127.0.0.1:`port`, its bytes to and
    from `device` as they are, at whatever rate the device has."""

    name = "socat"

    def __init__(self, owner, folder, port, device):
        Server.__init__(self, owner, folder, port,
                        ["socat", "TCP-LISTEN:%d,bind=127.0.0.1,reuseaddr,fork,max-children=1,nodelay" % port,
                         "FILE:%s,raw,echo=0,nonblock" % device])


def ser2net(owner, folder, device, port=None, chardelay=True):
    return Ser2net(owner, folder, port or free_tcp_port(), device, chardelay)


def pyserial_server(owner, folder, device, port=None):
    return PyserialServer(owner, folder, port or free_tcp_port(), device)


def socat_bridge(owner, folder, device, port=None):
    return SocatBridge(owner, folder, port or free_tcp_port(), device)
