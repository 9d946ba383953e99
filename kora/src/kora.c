/*
 * KORA.DLL: the exported functions, and how the library's threads and events work.
 *
 * Every link owns one I/O thread, which alone issues reads and writes on the port.
 * The port is opened for overlapped I/O, so the thread keeps one read and at most
 * one write pending at the same time, each with its own OVERLAPPED, and sleeps in
 * WaitForMultipleObjects on: its stop event, its work event (KoraWrite queued bytes,
 * or KoraRead made room), and the two requests' events. A request is issued again
 * only after its completion has been collected, so no OVERLAPPED is ever reused while
 * pending. The port's COMMTIMEOUTS are all zero.
 *
 * Reception does not use WaitCommEvent (under Wine it completes with empty masks, may
 * complete as cancelled, and wakes slowly). The idle read asks for one byte and so
 * completes the moment a byte arrives; the thread then asks ClearCommError how many
 * bytes are queued behind it and reads exactly that many in the next request, which
 * completes at once. Received bytes go into the link's receive queue (64 KiB). When
 * that is full the thread stops reading, the driver's queue fills, and the driver
 * sends XOFF to the device (fInX); KoraRead makes room and sets the work event.
 *
 * Writes: KoraWrite copies the bytes into the link's transmit queue and returns. The
 * thread hands them to the port in pieces of at most KORA_PARAM_TX_QUEUE bytes. The
 * completion of the write request itself says that a piece has gone (EV_TXEMPTY races
 * under Wine); when the last queued piece has gone, KORA_EVENT_SENT is raised. A piece
 * that has not gone by its deadline (the write time-out plus its time on the line) is
 * cancelled and the link fails.
 *
 * A link fails when the port stops answering (an unplugged USB adapter, a pty whose
 * other end went away): a read or write request ends with an error and ClearCommError
 * fails too. A read that ends as cancelled while ClearCommError still works is simply
 * issued again. While idle, the thread calls ClearCommError every 250 ms, so a port
 * that disappears under a pending read is noticed as well. KORA_EVENT_LINK_FAILED is raised
 * once per link, for the failure alone, since the program answers it by telling the
 * user and closing the link. A failed link keeps its handle and its received bytes
 * until KoraClose; it does no more I/O.
 *
 * Line errors (framing, parity, overrun, break) are no failure: a noise burst on the
 * cable, a device being switched on or a byte at another baud rate during the wake-up
 * damage a byte or two, which the device's NAK and the program's time-outs deal with.
 * Every ClearCommError (after each read, and every 250 ms while idle) counts the kinds
 * it reports in the link's four counters, and KORA_EVENT_LINE_ERROR (bit 8, at most one
 * waiting) tells the program, which takes the counts with KoraSetParam (setting a
 * counter to 0 returns what it held) and says them at its own pace. The link stays
 * good for KoraTestStatus. Neither a pty nor Wine reports line errors; the tests build
 * these sources with KORA_LINE_ERROR_SEAM (link.h) to inject them, and KORA.DLL has no
 * such seam.
 *
 * Events reach the program on the thread that opened the link. KoraOpen creates a
 * message-only window on that thread; the I/O thread posts one message per event bit
 * to it (at most one of each bit waits in the message queue, so a burst of bytes is
 * one KORA_EVENT_RECEIVED), and the opening thread's message loop, whichever loop
 * runs at the time (a dialog's, a message box's), dispatches it to the window, which
 * looks the link up by handle and calls the callback registered for the bit at that
 * moment. Callbacks therefore never run on the I/O thread and never two at once. A
 * KoraRead that leaves bytes behind posts KORA_EVENT_RECEIVED again, so each event is
 * answered by one read and nothing waits unannounced. Received bytes are announced at
 * once when they answer something the program wrote or come after a quiet spell; a
 * stream that flows by itself is announced every 20 ms (io_thread.c says why).
 *
 * One lock (library_lock) guards the table of links, each link's queues, flags and
 * callbacks, and the error texts; nobody holds it across a wait or a callback. KoraWait
 * sleeps on a condition variable that every change of link state wakes; it does not
 * run the message loop, so no callback runs inside it, and the events raised meanwhile
 * are delivered by the loop afterwards.
 *
 * KoraClose takes the link out of the table first (from then on its queued messages
 * find nothing and are dropped), then sets the stop event; the I/O thread cancels its
 * pending requests and ends, and KoraClose closes the port, the thread and the
 * window. A request that does not end within a second after cancelling (a driver
 * that hangs) makes the thread leave its I/O block allocated instead of freeing
 * memory that the driver may still write to; a thread that does not end within three
 * seconds is left with its link, so that close never hangs.
 */
#include "kora.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "connection.h"
#include "link.h"
#include "port.h"
#include "reopen.h"

#define RX_QUEUE_LIMIT 65536
#define TX_QUEUE_LIMIT (1024 * 1024)
#define CLOSE_WAIT_MS 3000
#define DEFAULT_RX_QUEUE 4096
#define DEFAULT_TX_QUEUE 1024
#define DEFAULT_WRITE_TIMEOUT_MS 1000

/* Frees a link whose I/O thread has ended (or never started). */
static void destroy_link(kora_link *link)
{
    if (link->com != INVALID_HANDLE_VALUE)
        CloseHandle(link->com);
    if (link->port_claim)
        CloseHandle(link->port_claim);
    if (link->thread)
        CloseHandle(link->thread);
    if (link->stop)
        CloseHandle(link->stop);
    if (link->work)
        CloseHandle(link->work);
    if (link->window)
        event_window_destroy(link->window);
    byte_queue_free(&link->rx);
    byte_queue_free(&link->tx);
    free(link);
}

/* Marks the port as in use for the life of the link. Windows refuses a second open
 * of a COM port by itself; this makes links refuse each other on Wine too. */
static HANDLE claim_port(unsigned port)
{
    char name[40];
    snprintf(name, sizeof name, "KORA.DLL port COM%u", port);
    HANDLE claim = CreateMutexA(NULL, FALSE, name);
    if (claim && GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(claim);
        SetLastError(ERROR_ACCESS_DENIED);
        return NULL;
    }
    return claim;
}

static LONG open_failed(LONG result, const char *text)
{
    library_lock();
    library_error("%s", text);
    library_unlock();
    return result;
}

static LONG open_system_failed(kora_link *link, const char *action)
{
    char message[200], text[KORA_TEXT_SIZE];
    system_message(GetLastError(), message, sizeof message);
    snprintf(text, sizeof text, "Cannot %s COM%u: %s", action, link->port, message);
    destroy_link(link);
    return open_failed(KORA_E_PORT, text);
}

LONG WINAPI KoraOpen(const char *pszConnection)
{
    connection where;
    char text[KORA_TEXT_SIZE];
    if (!connection_parse(pszConnection, &where, text, sizeof text))
        return open_failed(KORA_E_ARGUMENT, text);

    kora_link *link = calloc(1, sizeof *link);
    if (!link)
        return open_failed(KORA_E_RESOURCES, "Out of memory.");
    link->com = INVALID_HANDLE_VALUE;
    link->port = where.port;
    link->baud = where.baud;
    link->rx_queue_size = DEFAULT_RX_QUEUE;
    link->tx_queue_size = DEFAULT_TX_QUEUE;
    link->write_timeout_ms = DEFAULT_WRITE_TIMEOUT_MS;
    byte_queue_init(&link->rx, RX_QUEUE_LIMIT);
    byte_queue_init(&link->tx, TX_QUEUE_LIMIT);

    link->port_claim = claim_port(where.port);
    if (!link->port_claim)
        return open_system_failed(link, "open");
    library_lock();
    int keep_input = reopen_at_once(where.port, where.baud);
    library_unlock();
    link->com = port_open(where.port, keep_input, text, sizeof text);
    if (link->com == INVALID_HANDLE_VALUE) {
        destroy_link(link);
        return open_failed(KORA_E_PORT, text);
    }
    if (!port_set_up(link->com, where.port, where.baud, link->rx_queue_size, link->tx_queue_size,
                     text, sizeof text)) {
        destroy_link(link);
        return open_failed(KORA_E_PORT, text);
    }
    link->stop = CreateEventA(NULL, TRUE, FALSE, NULL);
    link->work = CreateEventA(NULL, FALSE, FALSE, NULL);
    link->window = event_window_create();
    if (!link->stop || !link->work || !link->window)
        return open_system_failed(link, "prepare the link of");

    library_lock();
    reopen_take(keep_input, &link->rx);
    LONG handle = link_table_add(link);
    library_unlock();
    if (!handle) {
        destroy_link(link);
        return open_failed(KORA_E_RESOURCES, "Out of memory.");
    }
    link->thread = CreateThread(NULL, 0, link_io_thread, link, 0, NULL);
    if (!link->thread) {
        library_lock();
        link_table_remove(link);
        library_unlock();
        return open_system_failed(link, "start the I/O thread of");
    }
    return handle;
}

/* With the lock held: lets the bytes written before a close go out, as a serial driver
 * drains its transmit queue on close (the last thing a program sends before it closes
 * is often the one that matters, such as a good-bye to the device). Bounded by the
 * write time-out plus the bytes' time on the line; a failed link sends nothing more. */
static void drain_output(kora_link *link)
{
    ULONGLONG budget = (link->write_timeout_ms ? link->write_timeout_ms : DEFAULT_WRITE_TIMEOUT_MS)
                     + (ULONGLONG)(link->tx.count + link->tx_queue_size) * 10000u / (link->baud ? link->baud : 1);
    ULONGLONG deadline = GetTickCount64() + budget;
    while (!link->failed && (link->tx.count || link->sending)) {
        ULONGLONG now = GetTickCount64();
        if (now >= deadline)
            break;
        library_wait_for_change((DWORD)(deadline - now));
    }
}

LONG WINAPI KoraClose(LONG hLink)
{
    library_lock();
    kora_link *link = link_table_find(hLink);
    if (link)
        drain_output(link);
    link = link_table_find(hLink); /* the wait let go of the lock */
    if (link) {
        link_table_remove(link);
        library_state_changed();
    }
    library_unlock();
    if (!link)
        return KORA_E_NO_LINK;
    SetEvent(link->stop);
    if (WaitForSingleObject(link->thread, CLOSE_WAIT_MS) != WAIT_OBJECT_0) {
        /* The thread still uses the link: leave both, but no event reaches the program. */
        event_window_destroy(link->window);
        return 0;
    }
    library_lock();
    reopen_keep(link->port, link->baud, &link->rx);
    library_unlock();
    destroy_link(link);
    return 0;
}

/* Finds an open link for a call; otherwise the library's error names the handle. */
static kora_link *find_link(LONG handle, const char *call)
{
    kora_link *link = link_table_find(handle);
    if (!link)
        library_error("%s: %ld is not the handle of an open link.", call, (long)handle);
    return link;
}

LONG WINAPI KoraRead(LONG hLink, void *pBuffer, LONG nCapacity)
{
    library_lock();
    kora_link *link = find_link(hLink, "KoraRead");
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
    kora_link *link = find_link(hLink, "KoraWrite");
    LONG result = KORA_E_NO_LINK;
    if (!link) {
    } else if (link->failed) {
        result = KORA_E_FAILED;
    } else if (nLength < 0 || (!pData && nLength > 0)) {
        link_error(link, "KoraWrite: no data, or a negative length (%ld).", (long)nLength);
        result = KORA_E_ARGUMENT;
    } else if (!byte_queue_push(&link->tx, pData, (size_t)nLength)) {
        link_error(link, "KoraWrite: %ld bytes do not fit into the transmit queue of COM%u.",
                   (long)nLength, link->port);
        result = KORA_E_RESOURCES;
    } else {
        result = nLength;
        if (nLength > 0) {
            link->wrote_since_rx_post = 1; /* the answer to this is awaited: deliver it at once */
            SetEvent(link->work);
            library_state_changed();
        }
    }
    library_unlock();
    return result;
}

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
    kora_link *link = find_link(hLink, "KoraSetParam");
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
        if (port_set_queues(link->com, link->port, rx, tx, text, sizeof text)) {
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

LONG WINAPI KoraTestStatus(LONG nWaitResult, LONG nStatusCode)
{
    if (nStatusCode != KORA_STATUS_LINK_GOOD || nWaitResult < 0)
        return 0;
    return (nWaitResult & KORA_STATE_READY) != 0; /* line errors leave the link good */
}

LONG WINAPI KoraSetCallback(LONG hLink, LONG nEventBit, KoraEventProc pfn, LONG_PTR nContext)
{
    library_lock();
    kora_link *link = find_link(hLink, "KoraSetCallback");
    LONG result = link ? KORA_E_ARGUMENT : KORA_E_NO_LINK;
    for (int slot = 0; link && slot < KORA_EVENT_SLOTS; slot++)
        if (nEventBit == 1L << slot) {
            link->slots[slot].proc = pfn;
            link->slots[slot].context = nContext;
            result = 0;
        }
    if (result == KORA_E_ARGUMENT)
        link_error(link, "KoraSetCallback: %ld is not an event bit (1, 2, 4, 8, 16, 32, 64).",
                   (long)nEventBit);
    library_unlock();
    return result;
}

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
            link_error(link, "COM%u: %s after %ld ms.", link->port,
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
