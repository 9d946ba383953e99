/* KoraSetParam and KoraSetCallback: what the program sets on an open link. */
#include "kora.h"

#include "connection.h"
#include "link.h"
#include "port.h"

/* With the lock held: a line-error counter set to 0 gives the count it held. */
static LONG take_line_errors(kora_link *link, int kind, LONG value)
{
    if (value != 0) {
        link_error(link, "KoraSetParam: a line-error counter can only be set to 0, not %ld.", (long)value);
        return KORA_E_ARGUMENT;
    }
    LONG count = link->line_errors[kind];
    link->line_errors[kind] = 0;
    return count;
}

LONG WINAPI KoraSetParam(LONG hLink, LONG nCode, LONG nValue)
{
    library_lock();
    kora_link *link = link_for_call(hLink, "KoraSetParam");
    if (!link) {
        library_unlock();
        return KORA_E_NO_LINK;
    }
    unsigned rx = link->rx_queue_size, tx = link->tx_queue_size;
    LONG result = 0;
    if (nCode >= KORA_PARAM_FRAMING_ERRORS && nCode <= KORA_PARAM_BREAK_ERRORS) {
        result = take_line_errors(link, nCode - KORA_PARAM_FRAMING_ERRORS, nValue);
        library_unlock();
        return result;
    }
    if (nCode == KORA_PARAM_WRITE_TIMEOUT && nValue >= 0 && nValue <= 600000) {
        link->write_timeout_ms = (unsigned)nValue;
    } else if ((nCode == KORA_PARAM_RX_QUEUE || nCode == KORA_PARAM_TX_QUEUE) && nValue >= 16
               && nValue <= 65536) {
        if (nCode == KORA_PARAM_RX_QUEUE)
            rx = (unsigned)nValue;
        else
            tx = (unsigned)nValue;
    } else if (nCode == KORA_PARAM_RX_QUEUE || nCode == KORA_PARAM_TX_QUEUE
               || nCode == KORA_PARAM_WRITE_TIMEOUT) {
        link_error(link, "KoraSetParam: %ld is out of range for parameter 0x%lX.", (long)nValue,
                   (unsigned long)nCode);
        result = KORA_E_ARGUMENT;
    } else {
        link_error(link, "KoraSetParam: 0x%lX is not a parameter code.", (unsigned long)nCode);
        result = KORA_E_ARGUMENT;
    }
    if (result == 0 && nCode != KORA_PARAM_WRITE_TIMEOUT) {
        char text[KORA_TEXT_SIZE];
        /* A network link has no driver queues: the sizes are its own. */
        if (link->kind != CONNECTION_COM || port_set_queues(link->com, link->port, rx, tx, text, sizeof text)) {
            link->rx_queue_size = rx;
            link->tx_queue_size = tx;
        } else {
            link_error(link, "%s", text);
            result = KORA_E_PORT;
        }
    }
    library_unlock();
    return result;
}

LONG WINAPI KoraSetCallback(LONG hLink, LONG nEventBit, KoraEventProc pfn, LONG_PTR nContext)
{
    library_lock();
    kora_link *link = link_for_call(hLink, "KoraSetCallback");
    int slot = event_slot_of((unsigned)nEventBit);
    LONG result = link ? 0 : KORA_E_NO_LINK;
    if (link && slot >= 0) {
        link->slots[slot].proc = pfn;
        link->slots[slot].context = nContext;
    } else if (link) {
        link_error(link, "KoraSetCallback: %ld is not an event bit (1, 2, 4, 8, 16, 32, 64).",
                   (long)nEventBit);
        result = KORA_E_ARGUMENT;
    }
    library_unlock();
    return result;
}
