/* The I/O thread of a link: the only thread that issues reads and writes on its port.
 *
 * The port is opened for overlapped I/O, so the thread keeps one read and at most one
 * write pending at the same time, each with its own OVERLAPPED, and sleeps in
 * WaitForMultipleObjects on: its stop event, its work event (KoraWrite queued bytes, or
 * KoraRead made room), and the two requests' events. A request is issued again only after
 * its completion has been collected, so no OVERLAPPED is ever reused while pending. The
 * port's COMMTIMEOUTS are all zero.
 *
 * A link fails when the port stops answering (an unplugged USB adapter, a pty whose
 * other end went away): a read or write request ends with an error and ClearCommError
 * fails too. A read that ends as cancelled while ClearCommError still works is simply
 * issued again. While idle, the thread calls ClearCommError every 250 ms, so a port that
 * disappears under a pending read is noticed as well. KORA_EVENT_LINK_FAILED is raised
 * once per link, for the failure alone, since the program answers it by telling the user
 * and closing the link. A failed link keeps its handle and its received bytes until
 * KoraClose; it does no more I/O.
 *
 * Line errors (framing, parity, overrun, break) are no failure: a noise burst on the
 * cable, a device being switched on or a byte at another baud rate during the wake-up
 * damage a byte or two, which the device's NAK and the program's time-outs deal with.
 * Every ClearCommError (after each read, and every 250 ms while idle) counts the kinds it
 * reports in the link's four counters, and KORA_EVENT_LINE_ERROR (bit 8, at most one
 * waiting) tells the program, which takes the counts with KoraSetParam (setting a counter
 * to 0 returns what it held) and says them at its own pace. The link stays good for
 * KoraTestStatus. Neither a pty nor Wine reports line errors; the tests build these
 * sources with KORA_LINE_ERROR_SEAM (link.h) to inject them, and KORA.DLL has no such
 * seam.
 *
 * When KoraClose sets the stop event, the thread cancels its pending requests and ends.
 * A request that does not end within a second after cancelling (a driver that hangs)
 * makes the thread leave its I/O block allocated instead of freeing memory that the
 * driver may still write to.
 */
#include "io.h"

#include <stdlib.h>

#define HEALTH_CHECK_MS 250        /* how often an idle port is asked whether it is there */
#define CANCEL_WAIT_MS 1000        /* how long a cancelled read or write may take to end */
#define LINE_ERRORS (CE_FRAME | CE_OVERRUN | CE_RXPARITY | CE_BREAK | CE_RXOVER)

void link_fail_with_system_error(kora_link *link, const char *format, DWORD code)
{
    char message[200];
    system_message(code, message, sizeof message);
    library_lock();
    link_fail(link, format, link->port, message);
    library_unlock();
}

/* With the lock held: counts the kinds of line error that the port reported and tells
 * the program. The link goes on; a damaged byte is the protocol's to deal with. */
static void count_line_errors(kora_link *link, DWORD errors)
{
    static const DWORD kinds[LINE_ERROR_KINDS] = {
        [LINE_FRAMING] = CE_FRAME,
        [LINE_PARITY] = CE_RXPARITY,
        [LINE_OVERRUN] = CE_OVERRUN | CE_RXOVER,
        [LINE_BREAK] = CE_BREAK,
    };
    for (int kind = 0; kind < LINE_ERROR_KINDS; kind++)
        if ((errors & kinds[kind]) && link->line_errors[kind] < MAXLONG)
            link->line_errors[kind]++;
    link->line_error_seen = 1;
    link_post(link, KORA_EVENT_LINE_ERROR);
}

int io_check_port(io_state *io, DWORD *queued)
{
    kora_link *link = io->link;
    DWORD errors = 0;
    COMSTAT status = {0};
    if (!ClearCommError(link->com, &errors, &status)) {
        link_fail_with_system_error(link, "COM%u is gone (unplugged?): %s", GetLastError());
        return 0;
    }
#ifdef KORA_LINE_ERROR_SEAM
    errors |= kora_line_error_seam(link->port);
#endif
    if (errors & LINE_ERRORS) {
        library_lock();
        count_line_errors(link, errors);
        library_unlock();
    }
    if (queued)
        *queued = status.cbInQue;
    return 1;
}

static int link_failed(kora_link *link)
{
    library_lock();
    int failed = link->failed;
    library_unlock();
    return failed;
}

int io_cancel_request(HANDLE com, OVERLAPPED *request, DWORD *done)
{
    *done = 0;
    CancelIoEx(com, request);
    if (WaitForSingleObject(request->hEvent, CANCEL_WAIT_MS) != WAIT_OBJECT_0)
        return 0;
    GetOverlappedResult(com, request, done, FALSE);
    return 1;
}

/* ms, or less when the moment due (a GetTickCount64 value; 0 = none) comes sooner. */
static DWORD shorter_wait(DWORD ms, ULONGLONG due)
{
    if (!due)
        return ms;
    ULONGLONG now = GetTickCount64();
    ULONGLONG left = due > now ? due - now : 0;
    return left < ms ? (DWORD)left : ms;
}

/* Until the port is next to be checked, held-back bytes announced or a write's
 * deadline met, whichever comes first. */
static DWORD wait_time(const io_state *io)
{
    DWORD ms = shorter_wait(HEALTH_CHECK_MS, io->rx_post_due);
    return io->writing ? shorter_wait(ms, io->write_deadline) : ms;
}

static void run(io_state *io)
{
    kora_link *link = io->link;
    if (io_check_port(io, NULL)) {
        io_start_read(io);
        library_lock();
        link->ready = !link->failed;
        if (link->ready)
            link_post(link, KORA_EVENT_READY);
        if (link->ready && link->rx.count) /* kept from the port's last link */
            link_post(link, KORA_EVENT_RECEIVED);
        library_state_changed();
        library_unlock();
    }
    for (;;) {
        if (!link_failed(link)) {
            /* While a stream's bytes are held back, the port gathers the next ones,
             * unless it is flooded. */
            if (!io->reading && (!io->rx_post_due || io->flooded))
                io_start_read(io);
            if (!io->writing)
                io_start_write(io);
        }
        HANDLE events[4] = {link->stop, link->work};
        DWORD count = 2, read_index = MAXDWORD, write_index = MAXDWORD;
        if (io->reading)
            events[read_index = count++] = io->read_request.hEvent;
        if (io->writing)
            events[write_index = count++] = io->write_request.hEvent;
        DWORD woke = WaitForMultipleObjects(count, events, FALSE, wait_time(io));
        if (woke == WAIT_OBJECT_0)
            return;
        io_announce_due(io);
        if (woke == WAIT_OBJECT_0 + read_index)
            io_finish_read(io);
        else if (woke == WAIT_OBJECT_0 + write_index)
            io_finish_write(io);
        else if (woke == WAIT_TIMEOUT) {
            io_check_write_deadline(io);
            if (!link_failed(link))
                io_check_port(io, NULL);
        } else if (woke == WAIT_FAILED) {
            link_fail_with_system_error(link, "The I/O of COM%u stopped: %s", GetLastError());
            WaitForSingleObject(link->stop, INFINITE);
            return;
        }
    }
}

DWORD WINAPI link_io_thread(void *parameter)
{
    kora_link *link = parameter;
    io_state *io = calloc(1, sizeof *io);
    if (io) {
        io->read_request.hEvent = CreateEventA(NULL, TRUE, FALSE, NULL);
        io->write_request.hEvent = CreateEventA(NULL, TRUE, FALSE, NULL);
    }
    if (!io || !io->read_request.hEvent || !io->write_request.hEvent) {
        library_lock();
        link_fail(link, "Out of memory for the I/O of COM%u.", link->port);
        library_unlock();
        WaitForSingleObject(link->stop, INFINITE);
    } else {
        io->link = link;
        io->read_size = 1;
        run(io);
    }
    int stuck = 0;
    DWORD done = 0;
    if (io && io->reading) {
        stuck |= !io_cancel_request(link->com, &io->read_request, &done);
        /* A read that ended as the link closed: its bytes are the link's, for a re-open. */
        library_lock();
        byte_queue_push(&link->rx, io->read_buffer, done);
        library_unlock();
    }
    if (io && io->writing)
        stuck |= !io_cancel_request(link->com, &io->write_request, &done);
    if (io && !stuck) {
        if (io->read_request.hEvent)
            CloseHandle(io->read_request.hEvent);
        if (io->write_request.hEvent)
            CloseHandle(io->write_request.hEvent);
        free(io);
    }
    /* else: a request that never ended still owns io; it is left allocated. */
    return 0;
}
