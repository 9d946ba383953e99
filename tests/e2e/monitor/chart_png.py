"""The pixels of a PNG file the tool wrote, read with zlib alone (8-bit RGB or RGBA, not
interlaced, every row filter), and the parts of the monitor's chart found in them: the
plot's frame, the value grid and the traces by their colours."""
import struct
import zlib

PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"
FRAME = (0, 0, 0)
GRID = (221, 221, 221)
FLOW = (0, 64, 192)
ERRORS = (208, 0, 0)


class Png:
    def __init__(self, path):
        with open(path, "rb") as f:
            data = f.read()
        if not data.startswith(PNG_SIGNATURE):
            raise ValueError("%s: no PNG signature" % path)
        pos, idat, self.chunks = 8, b"", []
        while pos < len(data):
            length, kind = struct.unpack(">I4s", data[pos:pos + 8])
            body = data[pos + 8:pos + 8 + length]
            crc, = struct.unpack(">I", data[pos + 8 + length:pos + 12 + length])
            if zlib.crc32(kind + body) != crc:
                raise ValueError("%s: chunk %r has a bad CRC" % (path, kind))
            self.chunks.append(kind)
            if kind == b"IHDR":
                self.width, self.height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", body)
                if depth != 8 or colour not in (2, 6) or interlace:
                    raise ValueError("%s: depth %d colour %d interlace %d not read here" % (path, depth, colour, interlace))
                self.channels = 3 if colour == 2 else 4
            elif kind == b"IDAT":
                idat += body
            pos += 12 + length
        if self.chunks[-1] != b"IEND":
            raise ValueError("%s: no IEND at the end" % path)
        self.rows = self._unfilter(zlib.decompress(idat))

    def _unfilter(self, raw):
        n, stride = self.channels, self.width * self.channels
        rows, prior = [], bytearray(stride)
        for y in range(self.height):
            start = y * (stride + 1)
            kind, line = raw[start], bytearray(raw[start + 1:start + 1 + stride])
            for i in range(stride):
                a = line[i - n] if i >= n else 0
                b, c = prior[i], prior[i - n] if i >= n else 0
                if kind == 1:
                    line[i] = (line[i] + a) & 255
                elif kind == 2:
                    line[i] = (line[i] + b) & 255
                elif kind == 3:
                    line[i] = (line[i] + (a + b) // 2) & 255
                elif kind == 4:
                    p = a + b - c
                    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                    line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
            rows.append([tuple(line[x * n:x * n + 3]) for x in range(self.width)])
            prior = line
        return rows

    def pixel(self, x, y):
        return self.rows[y][x]


def plot_frame(png):
    """The plot's frame (left, top, right, bottom), its lines' pixels: the rows and columns
    more than half of whose pixels are the frame's black."""
    rows = [y for y in range(png.height) if sum(p == FRAME for p in png.rows[y]) > png.width // 2]
    cols = [x for x in range(png.width) if sum(png.rows[y][x] == FRAME for y in range(png.height)) > png.height // 2]
    if len(rows) < 2 or len(cols) < 2:
        raise AssertionError("no plot frame in the chart: rows %r, columns %r" % (rows, cols))
    return cols[0], rows[0], cols[-1], rows[-1]


def grid_rows(png, frame):
    """The rows inside the frame that the value grid crosses (grey over most of the width,
    what a trace covers of it aside)."""
    left, top, right, bottom = frame
    width = right - left - 1
    found = []
    for y in range(top + 1, bottom):
        line = png.rows[y][left + 1:right]
        if sum(p in (GRID, FLOW, ERRORS) for p in line) > width * 0.9 and sum(p == GRID for p in line) > width * 0.3:
            found.append(y)
    return found


def trace_rows(png, frame, colour, x):
    """The rows of column x inside the frame that a trace of this colour covers."""
    left, top, right, bottom = frame
    return [y for y in range(top + 1, bottom) if png.rows[y][x] == colour]
