// The line errors counted since the log last said them, and when the log may say them
// next: at most one line a second, so a noise burst is one line and not hundreds.
#pragma once

enum LineErrorKind {
    LINE_ERROR_FRAMING,
    LINE_ERROR_PARITY,
    LINE_ERROR_OVERRUN,
    LINE_ERROR_BREAK,
    LINE_ERROR_KINDS
};

struct LineErrorTally {
    int anCounts[LINE_ERROR_KINDS] = {};

    // Adds nCount (below 1 adds nothing); a count stops at the largest int.
    void Add(LineErrorKind nKind, long nCount);
    int Total() const; // stops at the largest int too
    bool IsEmpty() const { return Total() == 0; }
};

// The least time between two lines about line errors, in milliseconds.
const unsigned kLineErrorSpacingMs = 1000;

// Milliseconds from nNow until the next line may be said (0: at once). Times are
// GetTickCount64 values; nLastLineAt is 0 before the first line.
unsigned LineErrorLineDelay(unsigned long long nNow, unsigned long long nLastLineAt);
