#include "KoraLink.h"

namespace {
// The library calls plain functions; each passes its event on to the slot of the
// object registered with it.
template <void (KoraLink::*Slot)()>
void WINAPI DeliverEvent(LONG, LONG_PTR nContext)
{
    if (nContext)
        (reinterpret_cast<KoraLink*>(nContext)->*Slot)();
}

const struct {
    LONG nBit;
    KoraEventProc pfn;
} kEventSlots[] = {
    { KORA_EVENT_READY, DeliverEvent<&KoraLink::OnLinkReady> },
    { KORA_EVENT_RECEIVED, DeliverEvent<&KoraLink::OnReceive> },
    { KORA_EVENT_SENT, DeliverEvent<&KoraLink::OnTransmitDone> },
    { KORA_EVENT_LINE_ERROR, DeliverEvent<&KoraLink::OnEvent8> },
    { KORA_EVENT_LINK_FAILED, DeliverEvent<&KoraLink::OnLinkError> },
    { KORA_EVENT_NOTICE, DeliverEvent<&KoraLink::OnEvent32> },
    { KORA_EVENT_SLOT64, DeliverEvent<&KoraLink::OnEvent64> },
};
}

KoraLink::~KoraLink()
{
    if (m_hLink >= 0)
        KoraClose(m_hLink);
}

void KoraLink::RegisterCallbacks()
{
    for (const auto& slot : kEventSlots)
        KoraSetCallback(m_hLink, slot.nBit, slot.pfn, reinterpret_cast<LONG_PTR>(this));
}
