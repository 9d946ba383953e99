/* Transmission of a link's I/O thread.
 *
 * KoraWrite copies the bytes into the link's transmit queue and returns. The thread
 * hands them to the port in pieces of at most KORA_PARAM_TX_QUEUE bytes. The completion
 * of the write request itself says that a piece has gone (EV_TXEMPTY races under Wine);
 * when the last queued piece has gone, KORA_EVENT_SENT is raised. A piece that has not
 * gone by its deadline (the write time-out plus its time on the line) is cancelled and
 * the link fails.
 */
#include "io.h"

void io_start_write(io_state *io)
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
    io->write_deadline = timeout_ms ? GetTickCount64() + timeout_ms + link_line_time_ms(n, link->baud) : 0;
    if (WriteFile(link->com, io->piece, n, NULL, &io->write_request) || GetLastError() == ERROR_IO_PENDING)
        io->writing = 1;
    else
        link_fail_with_system_error(link, "Cannot write to COM%u: %s", GetLastError());
}

void io_finish_write(io_state *io)
{
    kora_link *link = io->link;
    DWORD sent = 0;
    BOOL ok = GetOverlappedResult(link->com, &io->write_request, &sent, FALSE);
    DWORD code = ok ? ERROR_WRITE_FAULT : GetLastError();
    io->writing = 0;
    if (!ok || sent != io->piece_size) {
        if (io_check_port(io, NULL))
            link_fail_with_system_error(link, "Cannot write to COM%u: %s", code);
        return;
    }
    link_piece_sent(link);
}

ULONGLONG link_line_time_ms(size_t n, unsigned baud)
{
    return baud ? ((ULONGLONG)n * 10 * 1000 + baud - 1) / baud : 0;
}

ULONGLONG link_quiet_ms(unsigned baud)
{
    return link_line_time_ms(2, baud);
}

void link_piece_sent(kora_link *link)
{
    library_lock();
    link->sending = 0;
    if (link->tx.count == 0 && !link->failed) {
        link_post(link, KORA_EVENT_SENT);
        library_state_changed();
    }
    library_unlock();
}

void io_check_write_deadline(io_state *io)
{
    kora_link *link = io->link;
    if (!io->writing || !io->write_deadline || GetTickCount64() < io->write_deadline)
        return;
    DWORD sent = 0;
    int ended = io_cancel_request(link->com, &io->write_request, &sent);
    if (ended && sent == io->piece_size) {
        io_finish_write(io);  /* it went out just in time */
        return;
    }
    if (ended)
        io->writing = 0;
    else
        io->write_deadline = 0; /* the request stays pending; the link cannot write again */
    library_lock();
    link_fail(link, "COM%u took no data for %u ms: the transmitter is stalled.", link->port,
              link->write_timeout_ms);
    library_unlock();
}
