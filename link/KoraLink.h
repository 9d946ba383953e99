// KoraLink: the program's side of the serial library KORA.DLL. It holds the handle of
// the open link and the seven event slots that the library calls, one per event bit;
// here every slot does nothing, the main window gives three of them their work.
#pragma once

#include <kora.h>

class KoraLink {
public:
    KoraLink() = default;
    virtual ~KoraLink();
    KoraLink(const KoraLink&) = delete;
    KoraLink& operator=(const KoraLink&) = delete;

    // One slot per event bit; bits 8, 32 and 64 are registered like the others, but
    // KORA.DLL raises none of them.
    virtual void OnLinkReady() {}    // bit 1: the port is set up and receiving
    virtual void OnReceive() {}      // bit 2: bytes have arrived
    virtual void OnTransmitDone() {} // bit 4: what was written has left the transmitter
    virtual void OnEvent8() {}
    virtual void OnLinkError() {}    // bit 16: line error, or the port went away
    virtual void OnEvent32() {}
    virtual void OnEvent64() {}

    // Registers the seven slots of this object for the link m_hLink, bits 1 to 64 in order.
    void RegisterCallbacks();

    LONG m_hLink = -1; // -1 when no link is open
};
