// KoraLink: the program's side of the serial library KORA.DLL. It holds the handle of
// the open link and the seven event slots that the library calls, one per event bit;
// here every slot does nothing, the main window gives four of them their work.
#pragma once

#include <kora.h>

class KoraLink {
public:
    KoraLink() = default;
    virtual ~KoraLink();
    KoraLink(const KoraLink&) = delete;
    KoraLink& operator=(const KoraLink&) = delete;

    // One slot per event bit; bit 64 is registered like the others, but KORA.DLL
    // never raises it.
    virtual void OnLinkReady() {}    // bit 1: the port is set up and receiving
    virtual void OnReceive() {}      // bit 2: bytes have arrived
    virtual void OnTransmitDone() {} // bit 4: what was written has left the transmitter
    virtual void OnEvent8() {}       // bit 8: line errors have been counted (the link goes on)
    virtual void OnLinkError() {}    // bit 16: the port went away or the transmitter stalled
    virtual void OnEvent32() {}      // bit 32: the link has a note for the user (it goes on)
    virtual void OnEvent64() {}

    // Registers the seven slots of this object for the link m_hLink, bits 1 to 64 in order.
    void RegisterCallbacks();

    LONG m_hLink = -1; // -1 when no link is open
};
