// The test side of KORA's line-error seam (KORA_LINE_ERROR_SEAM in kora/src/link.h). A
// test program built with the library's sources and the seam gets the flags injected
// here as if ClearCommError had reported them, since neither a pty nor Wine ever
// reports a line error.
#pragma once

#include <windows.h>

// Adds line-error flags (CE_FRAME, CE_RXPARITY, CE_OVERRUN, CE_RXOVER, CE_BREAK) for
// COM port nPort; the I/O thread of the port's link takes them at its next look at the
// port (after a piece received, and every 250 ms while idle).
void InjectLineErrors(unsigned nPort, DWORD nFlags);

// True once the I/O thread has taken every flag injected for the port.
bool LineErrorsTaken(unsigned nPort);
