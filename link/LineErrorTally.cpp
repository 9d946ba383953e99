#include "LineErrorTally.h"

#include <climits>

void LineErrorTally::Add(LineErrorKind nKind, long nCount)
{
    if (nCount <= 0 || nKind < 0 || nKind >= LINE_ERROR_KINDS)
        return;
    int& nHeld = anCounts[nKind];
    nHeld = nCount >= INT_MAX - nHeld ? INT_MAX : nHeld + static_cast<int>(nCount);
}

int LineErrorTally::Total() const
{
    int nTotal = 0;
    for (int nCount : anCounts)
        nTotal = nCount >= INT_MAX - nTotal ? INT_MAX : nTotal + nCount;
    return nTotal;
}

unsigned LineErrorLineDelay(unsigned long long nNow, unsigned long long nLastLineAt)
{
    if (nLastLineAt == 0 || nNow >= nLastLineAt + kLineErrorSpacingMs)
        return 0;
    if (nNow < nLastLineAt) // a clock that went back: wait the whole spacing, no longer
        return kLineErrorSpacingMs;
    return static_cast<unsigned>(nLastLineAt + kLineErrorSpacingMs - nNow);
}
