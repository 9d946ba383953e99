"""Monitor frames as the device sends them: the fields big-endian at their offsets in
the full 146-byte layout, the shorter forms of 144 and 140 bytes, and the DLE escape of
the protocol's control values (XON and XOFF go raw, as any other byte)."""
import struct

CONTROL_VALUES = (0x06, 0x0D, 0x10, 0x15, 0x1B)


def full_frame(volume=0.0, reading1=0.0, reading2=0.0, flow=0, whole=0.0, deviation=0.0,
               twice_errors=0, litres=0.0, counter1=0, counter2=0, filler=0x5A):
    frame = bytearray([filler]) * 146
    struct.pack_into(">d", frame, 56, volume)
    struct.pack_into(">d", frame, 64, reading1)
    struct.pack_into(">d", frame, 72, reading2)
    struct.pack_into(">h", frame, 80, flow)
    struct.pack_into(">d", frame, 82, whole)
    struct.pack_into(">d", frame, 90, deviation)
    struct.pack_into(">h", frame, 132, twice_errors)
    struct.pack_into(">f", frame, 134, litres)
    struct.pack_into(">i", frame, 138, counter1)
    struct.pack_into(">i", frame, 142, counter2)
    return bytes(frame)


def shortened(frame, length):
    """The 144-byte form lacks the last two bytes; the 140-byte form bytes 126..131."""
    if length == 144:
        return frame[:144]
    if length == 140:
        return frame[:126] + frame[132:]
    return frame[:length]


def on_the_wire(frame):
    """The frame escaped as the device sends it, ended by CR."""
    out = bytearray()
    for byte in frame:
        if byte in CONTROL_VALUES:
            out += bytes([0x10, byte + 0x20])
        else:
            out.append(byte)
    return bytes(out) + b"\r"
