// The byte rules of the receive line, which need no window: what one received byte does
// to the line being collected. The device sends a byte that would collide with a control
// value as DLE and the byte plus 0x20; the shift waits for the next ordinary byte, past
// any control bytes.
#pragma once

#include <cstddef>

enum class RxByte {
    Append,     // chValue goes onto the line
    DlePending, // a DLE: nothing appended, the next ordinary byte comes shifted
    Ack,
    Nak,
    LineEnd,    // CR
    Escape,     // ESC
};

struct FramedByte {
    RxByte kind;
    char chValue; // for Append: the byte as the device meant it
};

// Takes one received byte; bDlePending is the framer's DLE state, set by a DLE and
// cleared by the ordinary byte it shifts.
FramedByte FrameReceivedByte(unsigned char nByte, int& bDlePending);

// A line this long without a CR is not a reply: the framer drops it rather than grow
// without end on a device that never sends CR. Replies are at most a few hundred bytes.
const std::size_t kMaxRxLine = std::size_t(4) << 20;
