#include "LineErrorSeam.h"

#include <atomic>

namespace {
const unsigned kPorts = 257; // COM1 to COM256
std::atomic<DWORD> g_anPending[kPorts];
}

void InjectLineErrors(unsigned nPort, DWORD nFlags)
{
    if (nPort < kPorts)
        g_anPending[nPort] |= nFlags;
}

bool LineErrorsTaken(unsigned nPort)
{
    return nPort >= kPorts || g_anPending[nPort] == 0;
}

// Called by the library's I/O thread at every ClearCommError that succeeded.
extern "C" DWORD kora_line_error_seam(unsigned port)
{
    return port < kPorts ? g_anPending[port].exchange(0) : 0;
}
