// Where a minimised window draws its icon.
#pragma once

// The offset of an icon of size nIcon in a client area of size nClient: centred, one
// pixel nearer the right or bottom edge when the difference is odd.
inline int CenteredIconOffset(int nClient, int nIcon)
{
    return (nClient - nIcon + 1) / 2;
}
