#!/usr/bin/env python3
"""Draws the Zevanto icon (a flow meter: a dial over a pipe) as a Windows .ico file
with 16, 32 and 48 pixel images in 32-bit colour with alpha.

    tools/make_icon.py lang/zevanto.ico

The icon is committed; run this again only to change its look."""
import math
import struct
import sys

SUPERSAMPLE = 4

PIPE = (0x2B, 0x6C, 0x8F)
PIPE_LIGHT = (0x5F, 0xA8, 0xC9)
RIM = (0x1F, 0x3A, 0x5F)
FACE = (0xF7, 0xF9, 0xFB)
TICK = (0x1F, 0x3A, 0x5F)
NEEDLE = (0xE0, 0x4E, 0x1B)
HUB = (0x1F, 0x3A, 0x5F)


def inside_round_rect(x, y, x0, y0, x1, y1, r):
    cx = min(max(x, x0 + r), x1 - r)
    cy = min(max(y, y0 + r), y1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def distance_to_segment(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def colour_at(x, y, small):
    """The colour of point (x, y) of a unit square, or None where it is transparent."""
    # the dial: centre and radius
    cx, cy, r = 0.5, 0.42, 0.38
    d = math.hypot(x - cx, y - cy)
    needle_angle = math.radians(-40)  # from straight up, clockwise
    nx = cx + 0.30 * math.sin(needle_angle + math.radians(80))
    ny = cy - 0.30 * math.cos(needle_angle + math.radians(80))
    if d <= r:
        if d >= r - (0.10 if small else 0.07):
            return RIM
        if d <= (0.09 if small else 0.065):
            return HUB
        if distance_to_segment(x, y, cx, cy, nx, ny) <= (0.055 if small else 0.035):
            return NEEDLE
        if not small:
            # scale ticks on the upper arc
            angle = math.degrees(math.atan2(x - cx, cy - y))
            if -120 <= angle <= 120 and r - 0.16 <= d <= r - 0.09:
                if abs((angle + 120) % 30) < 5 or abs((angle + 120) % 30) > 25:
                    return TICK
        return FACE
    # the pipe under the dial, with its flanges
    if 0.70 <= y <= 0.92 and 0.02 <= x <= 0.98:
        if y <= 0.76:
            return PIPE_LIGHT
        return PIPE
    if (0.64 <= y <= 0.98) and (0.02 <= x <= 0.12 or 0.88 <= x <= 0.98):
        return RIM
    # the neck joining dial and pipe
    if 0.40 <= x <= 0.60 and cy < y <= 0.72:
        return RIM
    return None


def render(size):
    small = size <= 16
    pixels = []
    n = SUPERSAMPLE
    for row in range(size):
        line = []
        for col in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(n):
                for sx in range(n):
                    c = colour_at((col + (sx + 0.5) / n) / size, (row + (sy + 0.5) / n) / size, small)
                    if c is not None:
                        acc[0] += c[0]
                        acc[1] += c[1]
                        acc[2] += c[2]
                        acc[3] += 1
            a = acc[3]
            if a == 0:
                line.append((0, 0, 0, 0))
            else:
                line.append((round(acc[0] / a), round(acc[1] / a), round(acc[2] / a),
                             round(255 * a / (n * n))))
        pixels.append(line)
    return pixels


def bitmap(size):
    pixels = render(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = b"".join(struct.pack("BBBB", b, g, r, a)
                      for line in reversed(pixels) for (r, g, b, a) in line)
    mask_row = ((size + 31) // 32) * 4
    mask = bytearray()
    for line in reversed(pixels):
        bits = bytearray(mask_row)
        for col, (_, _, _, a) in enumerate(line):
            if a == 0:
                bits[col // 8] |= 0x80 >> (col % 8)
        mask += bits
    return header + colour + bytes(mask)


def main(path):
    sizes = (16, 32, 48)
    images = [bitmap(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for size, image in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    out += b"".join(images)
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "lang/zevanto.ico")
