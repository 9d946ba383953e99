/* KoraRead and KoraWrite: the bytes of an open link, through its two queues. Each
 * KORA_EVENT_RECEIVED is answered by one read: a read that leaves bytes behind posts it
 * again, so nothing waits unannounced. */
#include "kora.h"

#include "link.h"

LONG WINAPI KoraRead(LONG hLink, void *pBuffer, LONG nCapacity)
{
    library_lock();
    kora_link *link = link_for_call(hLink, "KoraRead");
    LONG result = KORA_E_NO_LINK;
    if (link && (nCapacity < 0 || (!pBuffer && nCapacity > 0))) {
        link_error(link, "KoraRead: no buffer, or a negative capacity (%ld).", (long)nCapacity);
        result = KORA_E_ARGUMENT;
    } else if (link) {
        int was_full = byte_queue_room(&link->rx) == 0;
        result = (LONG)byte_queue_pop(&link->rx, pBuffer, (size_t)nCapacity);
        if (link->rx.count)
            link_post(link, KORA_EVENT_RECEIVED);
        if (was_full && result > 0)
            SetEvent(link->work);
    }
    library_unlock();
    return result;
}

LONG WINAPI KoraWrite(LONG hLink, const void *pData, LONG nLength)
{
    library_lock();
    kora_link *link = link_for_call(hLink, "KoraWrite");
    LONG result = KORA_E_NO_LINK;
    if (!link) {
    } else if (link->failed) {
        result = KORA_E_FAILED;
    } else if (nLength < 0 || (!pData && nLength > 0)) {
        link_error(link, "KoraWrite: no data, or a negative length (%ld).", (long)nLength);
        result = KORA_E_ARGUMENT;
    } else if (!byte_queue_push(&link->tx, pData, (size_t)nLength)) {
        link_error(link, "KoraWrite: %ld bytes do not fit into the transmit queue of %s.",
                   (long)nLength, link->target);
        result = KORA_E_RESOURCES;
    } else {
        result = nLength;
        if (nLength > 0) {
            /* The answer to this is awaited: its pieces are delivered at once. */
            link->awaiting_answer = 1;
            link->answer_until = 0;
            SetEvent(link->work);
            library_state_changed();
        }
    }
    library_unlock();
    return result;
}
