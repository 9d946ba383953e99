"""A small RFC 2217 client for the tests: a Telnet connection that asks for the
COM-PORT-OPTION, sets the rate and the line, and sends and receives data with 0xFF (IAC)
doubled on the wire. It keeps what the server said apart: the data, the acknowledgements
(command code + 100, with their values) and the Telnet negotiation."""
import select
import socket
import struct
import time

IAC, DONT, DO, WONT, WILL, SB, SE = 255, 254, 253, 252, 251, 250, 240
BINARY, SGA, COM_PORT_OPTION = 0, 3, 44
SET_BAUDRATE, SET_DATASIZE, SET_PARITY, SET_STOPSIZE, SET_CONTROL = 1, 2, 3, 4, 5
SERVER_OFFSET = 100


def escape(data):
    """Data as it goes on a Telnet connection: 0xFF doubled."""
    return bytes(data).replace(b"\xff", b"\xff\xff")


def subnegotiation(command, value):
    """IAC SB COM-PORT-OPTION command value IAC SE, 0xFF in the value doubled."""
    return bytes([IAC, SB, COM_PORT_OPTION, command]) + escape(value) + bytes([IAC, SE])


class Rfc2217Client:
    def __init__(self, host, port, timeout=5.0, telnet=True):
        self.sock = socket.create_connection((host, port), timeout)
        self.sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        self.sock.setblocking(False)
        self.telnet = telnet       # False: a raw TCP connection, bytes as they are
        self.data = bytearray()    # what arrived as data, 0xFF undoubled
        self.answers = []          # (command, value bytes) of the server's COM-PORT-OPTION subnegotiations
        self.negotiation = []      # (verb, option) of the server's WILL/WONT/DO/DONT
        self.raw = bytearray()     # everything received as it was on the wire
        self._pending = bytearray()
        self.closed = False
        if telnet:
            self.send_raw(bytes([IAC, WILL, COM_PORT_OPTION, IAC, WILL, BINARY, IAC, DO, BINARY]))

    # --- sending --------------------------------------------------------------------
    def send_raw(self, data):
        self.sock.setblocking(True)
        try:
            self.sock.sendall(bytes(data))
        finally:
            self.sock.setblocking(False)

    def write(self, data):
        self.send_raw(escape(data) if self.telnet else data)

    def command(self, command, value):
        self.send_raw(subnegotiation(command, value))

    def set_baudrate(self, baud):
        self.command(SET_BAUDRATE, struct.pack(">I", baud))

    def set_line(self):
        """8 data bits, no parity, one stop bit."""
        self.command(SET_DATASIZE, b"\x08")
        self.command(SET_PARITY, b"\x01")
        self.command(SET_STOPSIZE, b"\x01")

    # --- receiving ------------------------------------------------------------------
    def pump(self, timeout=0.05):
        """Takes what has arrived within `timeout` seconds; False once the server has closed."""
        if self.closed:
            return False
        ready, _, _ = select.select([self.sock], [], [], timeout)
        if not ready:
            return True
        try:
            chunk = self.sock.recv(65536)
        except (BlockingIOError, InterruptedError):
            return True
        except ConnectionError:
            chunk = b""
        if not chunk:
            self.closed = True
            return False
        self.raw += chunk
        if not self.telnet:
            self.data += chunk
            return True
        self._pending += chunk
        self._parse()
        return True

    def _parse(self):
        buf = self._pending
        i = 0
        while i < len(buf):
            byte = buf[i]
            if byte != IAC:
                self.data.append(byte)
                i += 1
                continue
            if i + 1 >= len(buf):
                break
            verb = buf[i + 1]
            if verb == IAC:
                self.data.append(IAC)
                i += 2
            elif verb in (WILL, WONT, DO, DONT):
                if i + 2 >= len(buf):
                    break
                self._negotiate(verb, buf[i + 2])
                i += 3
            elif verb == SB:
                end = self._subnegotiation_end(buf, i + 2)
                if end < 0:
                    break
                body = bytes(buf[i + 2:end]).replace(b"\xff\xff", b"\xff")
                if body and body[0] == COM_PORT_OPTION and len(body) >= 2:
                    self.answers.append((body[1], body[2:]))
                i = end + 2
            else:
                i += 2  # NOP, GA and the like: nothing to keep
        del buf[:i]

    @staticmethod
    def _subnegotiation_end(buf, start):
        j = start
        while j + 1 < len(buf):
            if buf[j] == IAC and buf[j + 1] == SE:
                return j
            j += 2 if buf[j] == IAC else 1
        return -1

    def _negotiate(self, verb, option):
        self.negotiation.append((verb, option))
        # Refuse what was not asked for, as a Telnet client must answer every request.
        if verb == DO and option not in (COM_PORT_OPTION, BINARY):
            self.send_raw(bytes([IAC, WONT, option]))
        elif verb == WILL and option not in (BINARY, SGA):
            self.send_raw(bytes([IAC, DONT, option]))

    def wait_answer(self, command, timeout=5.0):
        """The value of the server's answer to `command` (command + 100); None on a time-out."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            for code, value in self.answers:
                if code == command + SERVER_OFFSET:
                    return value
            if not self.pump():
                break
        return None

    def read(self, count=None, timeout=2.0, until=None):
        """Takes data up to `count` bytes or through `until`, or what came within `timeout`."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if count is not None and len(self.data) >= count:
                break
            if until is not None and until in self.data:
                break
            if not self.pump():
                break
        if until is not None and until in self.data:
            count = self.data.index(until) + len(until)
        count = len(self.data) if count is None else min(count, len(self.data))
        taken = bytes(self.data[:count])
        del self.data[:count]
        return taken

    def close(self):
        try:
            self.sock.close()
        except OSError:
            pass

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()
