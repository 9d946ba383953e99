// The operation codes: which transaction is in progress. The code is set when the
// command goes out; the receive dispatcher routes the device's answer by it, through the
// protocol's table (OperationTable.h).
#pragma once

#include "ControlBytes.h"

enum Operation {
    OP_IDLE = 0,
    OP_WAKEUP = 1,          // "**" CAN "B" nn: the identification line
    OP_IMAGE_START = 2,     // "D" for an image file: ESC, then the first block
    OP_DOWNLOAD = 3,        // one firmware frame at a time, ACK or NAK each
    OP_CLOCK = 4,           // "T": ESC, then the clock text
    OP_TEXT_S = 5,          // "S": ESC, then the pending text
    OP_QUERY = 6,           // "L": one line
    OP_READOUT = 7,         // "V": lines up to an empty one
    OP_CAPTURE = 8,         // "O": the same, into a capture file
    OP_COMMAND_Y = 9,       // "Y": ESC
    OP_COMMAND_X = 10,      // "X" or "x": ESC
    OP_TEXT_N = 11,         // "N": ESC, then the pending text
    OP_TEXT_H = 12,         // "H": ESC, then the pending text
    OP_CFG_VALUES = 13,     // "r"
    OP_CFG_MODE = 14,       // "h"
    OP_CFG_KIND = 15,       // "3"
    OP_CFG_OPTION = 16,     // "b"
    OP_CFG_WRITE_R = 17,    // "R", then the 'H' step
    OP_CFG_WRITE_H = 18,    // "H", then the '1' step
    OP_CFG_WRITE_1 = 19,    // "1", then the 'B' step
    OP_CFG_WRITE_B = 20,    // "B"
    OP_READ_G = 21,
    OP_WRITE_G = 22,
    OP_READ_J = 23,
    OP_WRITE_J = 24,
    OP_READ_W = 25,         // "w", then the 'f' read
    OP_WRITE_W = 26,        // "W", then the 'F' follow-up
    OP_READ_4 = 27,
    OP_READ_C = 28,
    OP_WRITE_C = 29,
    OP_READ_F = 30,
    OP_WRITE_F = 31,
    OP_WRITE_2 = 32,
    OP_MONITOR = 33,        // "M": one frame per CR until idle
    OP_WRITE_F_ALONE = 34,  // "F" without a read
    OP_COUNT                // the codes above are the protocol's table (OperationTable.h)
};

// The four steps of the configuration write.
inline bool IsConfigWrite(Operation nOperation)
{
    return nOperation >= OP_CFG_WRITE_R && nOperation <= OP_CFG_WRITE_B;
}
