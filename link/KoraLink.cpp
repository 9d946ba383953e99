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
    { 1, DeliverEvent<&KoraLink::OnEvent1> },
    { 2, DeliverEvent<&KoraLink::OnReceive> },
    { 4, DeliverEvent<&KoraLink::OnTransmitDone> },
    { 8, DeliverEvent<&KoraLink::OnEvent8> },
    { 16, DeliverEvent<&KoraLink::OnLinkError> },
    { 32, DeliverEvent<&KoraLink::OnEvent32> },
    { 64, DeliverEvent<&KoraLink::OnEvent64> },
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
