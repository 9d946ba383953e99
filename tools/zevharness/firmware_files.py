"""Firmware files for download tests.

S-record files (types 0 and 2) are made at build time by objcopy from small C
programs (tests/firmware) and found in ZEV_FIRMWARE. Image files (type 1) are written
here on demand: n bytes of deterministic content, every byte value included."""
import os

LARGE_S19 = "firmware-large.S19"  # about 2000 lines
SMALL_S19 = "firmware-small.S19"  # a few dozen lines

BLOCK_DATA = 128


def firmware_dir():
    return os.environ["ZEV_FIRMWARE"]


def s19_path(name=SMALL_S19):
    path = os.path.join(firmware_dir(), name)
    if not os.path.exists(path):
        raise FileNotFoundError("%s is made by the build (target test_firmware)" % path)
    return path


def s19_lines(path):
    """The lines of an S-record file as the tool sends them: without their line ends."""
    with open(path, "rb") as f:
        return f.read().decode("ascii").splitlines()


def image_bytes(size, seed=0):
    """`size` bytes that differ from block to block and hold every byte value."""
    return bytes((i * 167 + (i >> 7) * 29 + seed * 71) & 0xFF for i in range(size))


def write_image(path, size, seed=0):
    """Writes an image file of `size` bytes (image_bytes) and returns its contents."""
    data = image_bytes(size, seed)
    with open(path, "wb") as f:
        f.write(data)
    return data


def block_frames(data, filler=0xFF):
    """The block frames the tool sends for `data`: number (modulo 256), 0x80, sum high
    and low, 128 data bytes; a short last block completed with `filler`. Without the
    end frame (four zero bytes)."""
    frames = []
    for number, start in enumerate(range(0, len(data), BLOCK_DATA)):
        block = data[start:start + BLOCK_DATA].ljust(BLOCK_DATA, bytes([filler]))
        total = sum(block) & 0xFFFF
        frames.append(bytes([number & 0xFF, 0x80, total >> 8, total & 0xFF]) + block)
    return frames
