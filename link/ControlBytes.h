// The control bytes of the device protocol.
#pragma once

enum : unsigned char {
    ACK = 0x06,
    CR = 0x0D,
    DLE = 0x10, // the next byte is sent plus 0x20
    NAK = 0x15,
    CAN = 0x18,
    ESC = 0x1B,
};
