/* KoraWait, KoraTestStatus and KoraGetErrorText: what the program asks of a link.
 *
 * KoraWait sleeps on the library's condition variable, which every change of link state
 * wakes; it does not run the message loop, so no callback runs inside it, and the events
 * raised meanwhile are delivered by the loop afterwards.
 */
#include "kora.h"

#include <string.h>

#include "link.h"

LONG WINAPI KoraWait(LONG nEventClass, LONG nTimeoutMs)
{
    library_lock();
    if ((nEventClass != KORA_EVENT_READY && nEventClass != KORA_EVENT_SENT) || nTimeoutMs < 0) {
        library_error("KoraWait: event class %ld cannot be waited for, or the time-out %ld is "
                      "negative; the classes are 1 (link up) and 4 (transmitter empty).",
                      (long)nEventClass, (long)nTimeoutMs);
        library_unlock();
        return KORA_E_ARGUMENT;
    }
    ULONGLONG deadline = GetTickCount64() + (ULONGLONG)nTimeoutMs;
    kora_link *link = link_table_newest();
    if (!link) {
        library_error("KoraWait: no link is open.");
        library_unlock();
        return KORA_E_NO_LINK;
    }
    LONG handle = link->handle;
    LONG result;
    for (;;) {
        if (!(link = link_table_find(handle))) {
            library_error("KoraWait: the link was closed during the wait.");
            result = KORA_E_NO_LINK;
            break;
        }
        if (link->failed) {
            result = KORA_E_FAILED;
            break;
        }
        LONG state = link_state(link);
        if (state & nEventClass) {
            result = state;
            break;
        }
        ULONGLONG now = GetTickCount64();
        if (now >= deadline) {
            link_error(link, "%s: %s after %ld ms.", link->target,
                       nEventClass == KORA_EVENT_READY ? "the link was not up"
                                                       : "the transmitter was still busy",
                       (long)nTimeoutMs);
            result = KORA_E_TIMEOUT;
            break;
        }
        library_wait_for_change((DWORD)(deadline - now));
    }
    library_unlock();
    return result;
}

LONG WINAPI KoraTestStatus(LONG nWaitResult, LONG nStatusCode)
{
    if (nStatusCode != KORA_STATUS_LINK_GOOD || nWaitResult < 0)
        return 0;
    return (nWaitResult & KORA_STATE_READY) != 0; /* line errors leave the link good */
}

LONG WINAPI KoraGetErrorText(LONG hLink, char *pszText)
{
    if (!pszText)
        return KORA_E_ARGUMENT;
    library_lock();
    kora_link *link = link_table_find(hLink);
    if (link)
        memcpy(pszText, link->error, KORA_TEXT_SIZE);
    else
        library_error_text(pszText);
    library_unlock();
    pszText[KORA_TEXT_SIZE - 1] = 0;
    return (LONG)strlen(pszText);
}
