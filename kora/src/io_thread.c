#include "link.h"

#include <stdio.h>
#include <stdlib.h>

#define HEALTH_CHECK_MS 250        /* how often an idle port is asked whether it is there */
#define CANCEL_WAIT_MS 1000        /* how long a cancelled read or write may take to end */
#define READ_CHUNK 4096
#define MAX_EMPTY_READS 50         /* reads in a row that end with nothing, before giving up */
#define LINE_ERRORS (CE_FRAME | CE_OVERRUN | CE_RXPARITY | CE_BREAK | CE_RXOVER)
#define RX_EVENT_SPACING_MS 20     /* a stream nobody asked for is delivered this often */

/* Everything the pending I/O of a link refers to. It lives on the heap so that it
 * can outlive the thread if a cancelled request never ends. */
typedef struct io_state {
    kora_link *link;
    OVERLAPPED read_request;
    OVERLAPPED write_request;
    int reading;
    int writing;
    DWORD read_size;             /* size of the next read: 1, or what the queue holds */
    int empty_reads;
    ULONGLONG write_deadline;    /* GetTickCount64 value; 0 = none */
    ULONGLONG rx_post_due;       /* when received bytes held back are to be announced; 0 = none */
    DWORD piece_size;
    unsigned char read_buffer[READ_CHUNK];
    unsigned char piece[65536];  /* the written bytes handed to the port */
} io_state;

/* Fails the link with a text made of format (which takes the port number and the
 * system's message, in that order) and the Windows error code. */
static void fail_with_system_error(kora_link *link, const char *format, DWORD code)
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

/* Asks the port for its state; 0 when it no longer answers (the link has then failed). */
static int check_port(io_state *io, DWORD *queued)
{
    kora_link *link = io->link;
    DWORD errors = 0;
    COMSTAT status = {0};
    if (!ClearCommError(link->com, &errors, &status)) {
        fail_with_system_error(link, "COM%u is gone (unplugged?): %s", GetLastError());
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

static void start_read(io_state *io)
{
    kora_link *link = io->link;
    library_lock();
    DWORD room = link->failed ? 0 : (DWORD)byte_queue_room(&link->rx);
    library_unlock();
    DWORD size = io->read_size;
    if (size > room)
        size = room;
    if (size > READ_CHUNK)
        size = READ_CHUNK;
    if (size == 0)
        return;
    io->read_size = size;
    if (ReadFile(link->com, io->read_buffer, size, NULL, &io->read_request)
        || GetLastError() == ERROR_IO_PENDING)
        io->reading = 1;
    else
        fail_with_system_error(link, "Cannot read from COM%u: %s", GetLastError());
}

/* With the lock held: tells the program that bytes wait. An answer to something just
 * written, or bytes after a quiet spell, are announced at once; a stream that goes on by
 * itself (the monitor's frames) arrives a few bytes a millisecond and is announced every
 * RX_EVENT_SPACING_MS instead of for every piece, as a UART's FIFO gathers bytes: each
 * event costs the program's thread and the wineserver far more than its bytes. */
static void announce_received(io_state *io, ULONGLONG now)
{
    kora_link *link = io->link;
    if (link->wrote_since_rx_post || now >= link->rx_posted_at + RX_EVENT_SPACING_MS) {
        link_post(link, KORA_EVENT_RECEIVED);
        link->wrote_since_rx_post = 0;
        link->rx_posted_at = now;
        io->rx_post_due = 0;
    } else if (!io->rx_post_due) {
        io->rx_post_due = link->rx_posted_at + RX_EVENT_SPACING_MS;
    }
}

/* Once the time of bytes held back has come: what the port has gathered meanwhile is
 * fetched first (the read that is armed again completes at once and announces all), or,
 * when nothing more came, the bytes held are announced now. */
static void announce_due(io_state *io)
{
    if (!io->rx_post_due || GetTickCount64() < io->rx_post_due)
        return;
    io->rx_post_due = 0;
    DWORD queued = 0;
    if (!check_port(io, &queued))
        return;
    if (queued) {
        io->read_size = queued;
        return;
    }
    library_lock();
    if (io->link->rx.count)
        announce_received(io, GetTickCount64());
    library_unlock();
}

static void finish_read(io_state *io)
{
    kora_link *link = io->link;
    DWORD got = 0;
    BOOL ok = GetOverlappedResult(link->com, &io->read_request, &got, FALSE);
    DWORD code = GetLastError();
    io->reading = 0;
    if (!ok && code != ERROR_OPERATION_ABORTED) {
        /* A port that still answers had a passing fault; one that does not is gone. */
        if (check_port(io, NULL))
            fail_with_system_error(link, "Cannot read from COM%u: %s", code);
        return;
    }
    if (got > 0) {
        io->empty_reads = 0;
        library_lock();
        byte_queue_push(&link->rx, io->read_buffer, got);
        announce_received(io, GetTickCount64());
        library_state_changed();
        library_unlock();
    } else if (++io->empty_reads > MAX_EMPTY_READS) {
        fail_with_system_error(link, "COM%u delivers no data: %s", ok ? ERROR_NO_DATA : code);
        return;
    }
    /* Bytes already queued behind this read are fetched at once, in one read. */
    DWORD queued = 0;
    if (check_port(io, &queued))
        io->read_size = queued ? queued : 1;
}

/* Time in milliseconds that n bytes take on the line (10 bits each), rounded up. */
static ULONGLONG line_time_ms(DWORD n, unsigned baud)
{
    return ((ULONGLONG)n * 10 * 1000 + baud - 1) / baud;
}

static void start_write(io_state *io)
{
    kora_link *link = io->link;
    library_lock();
    DWORD n = 0;
    unsigned timeout_ms = link->write_timeout_ms;
    if (!link->failed && link->tx.count) {
        n = (DWORD)byte_queue_pop(&link->tx, io->piece, link->tx_queue_size);
        link->sending = 1;
    }
    library_unlock();
    if (n == 0)
        return;
    io->piece_size = n;
    io->write_deadline = timeout_ms ? GetTickCount64() + timeout_ms + line_time_ms(n, link->baud) : 0;
    if (WriteFile(link->com, io->piece, n, NULL, &io->write_request) || GetLastError() == ERROR_IO_PENDING)
        io->writing = 1;
    else
        fail_with_system_error(link, "Cannot write to COM%u: %s", GetLastError());
}

static void finish_write(io_state *io)
{
    kora_link *link = io->link;
    DWORD sent = 0;
    BOOL ok = GetOverlappedResult(link->com, &io->write_request, &sent, FALSE);
    DWORD code = ok ? ERROR_WRITE_FAULT : GetLastError();
    io->writing = 0;
    if (!ok || sent != io->piece_size) {
        if (check_port(io, NULL))
            fail_with_system_error(link, "Cannot write to COM%u: %s", code);
        return;
    }
    library_lock();
    link->sending = 0;
    if (link->tx.count == 0 && !link->failed) {
        link_post(link, KORA_EVENT_SENT);
        library_state_changed();
    }
    library_unlock();
}

/* Cancels a pending request and waits for it to end, with the bytes it moved in *done;
 * 0 if it does not end. */
static int cancel_request(HANDLE com, OVERLAPPED *request, DWORD *done)
{
    *done = 0;
    CancelIoEx(com, request);
    if (WaitForSingleObject(request->hEvent, CANCEL_WAIT_MS) != WAIT_OBJECT_0)
        return 0;
    GetOverlappedResult(com, request, done, FALSE);
    return 1;
}

static void check_write_deadline(io_state *io)
{
    kora_link *link = io->link;
    if (!io->writing || !io->write_deadline || GetTickCount64() < io->write_deadline)
        return;
    DWORD sent = 0;
    if (!cancel_request(link->com, &io->write_request, &sent)) {
        /* The request stays pending; the link cannot write again. */
        io->write_deadline = 0;
        library_lock();
        link_fail(link, "COM%u took no data for %u ms: the transmitter is stalled.", link->port,
                  link->write_timeout_ms);
        library_unlock();
        return;
    }
    if (sent == io->piece_size) {
        finish_write(io);  /* it went out just in time */
        return;
    }
    io->writing = 0;
    library_lock();
    link_fail(link, "COM%u took no data for %u ms: the transmitter is stalled.", link->port,
              link->write_timeout_ms);
    library_unlock();
}

static DWORD wait_time(const io_state *io)
{
    DWORD ms = HEALTH_CHECK_MS;
    if (io->rx_post_due) {
        ULONGLONG now = GetTickCount64();
        ULONGLONG left = io->rx_post_due > now ? io->rx_post_due - now : 0;
        if (left < ms)
            ms = (DWORD)left;
    }
    if (io->writing && io->write_deadline) {
        ULONGLONG now = GetTickCount64();
        ULONGLONG left = io->write_deadline > now ? io->write_deadline - now : 0;
        if (left < ms)
            ms = (DWORD)left;
    }
    return ms;
}

static void run(io_state *io)
{
    kora_link *link = io->link;
    if (check_port(io, NULL)) {
        start_read(io);
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
            /* While a stream's bytes are held back, the port gathers the next ones. */
            if (!io->reading && !io->rx_post_due)
                start_read(io);
            if (!io->writing)
                start_write(io);
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
        announce_due(io);
        if (woke == WAIT_OBJECT_0 + read_index)
            finish_read(io);
        else if (woke == WAIT_OBJECT_0 + write_index)
            finish_write(io);
        else if (woke == WAIT_TIMEOUT) {
            check_write_deadline(io);
            if (!link_failed(link))
                check_port(io, NULL);
        } else if (woke == WAIT_FAILED) {
            fail_with_system_error(link, "The I/O of COM%u stopped: %s", GetLastError());
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
        stuck |= !cancel_request(link->com, &io->read_request, &done);
        /* A read that ended as the link closed: its bytes are the link's, for a re-open. */
        library_lock();
        byte_queue_push(&link->rx, io->read_buffer, done);
        library_unlock();
    }
    if (io && io->writing)
        stuck |= !cancel_request(link->com, &io->write_request, &done);
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
