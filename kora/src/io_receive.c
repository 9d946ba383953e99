/* Reception of a link's I/O thread.
 *
 * It does not use WaitCommEvent (under Wine it completes with empty masks, may complete
 * as cancelled, and wakes slowly). The idle read asks for one byte and so completes the
 * moment a byte arrives; the thread then asks ClearCommError how many bytes are queued
 * behind it and reads exactly that many in the next request, which completes at once.
 * Received bytes go into the link's receive queue (64 KiB). When that is full the thread
 * stops reading, the driver's queue fills, and the driver sends XOFF to the device (fInX);
 * KoraRead makes room and sets the work event.
 */
#include "io.h"

#define MAX_EMPTY_READS 50         /* reads in a row that end with nothing, before giving up */
#define RX_EVENT_SPACING_MS 50     /* a stream nobody asked for is delivered this often, */
#define RX_SPACING_BYTES 1024      /* or when it may have brought this many bytes */
#define FLOOD_READ_BYTES (2 * RX_SPACING_BYTES) /* a read this big: the port is flooded */
#define ANSWER_PIECES_MS 20        /* an answer's pieces are announced at once this long */
#define ANSWER_TAIL_MS 500         /* an answer flowing longer than this is a stream */

void io_start_read(io_state *io)
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
        link_fail_with_system_error(link, "Cannot read from COM%u: %s", GetLastError());
}

static ULONGLONG stream_spacing_ms(unsigned baud)
{
    ULONGLONG ms = link_line_time_ms(RX_SPACING_BYTES, baud);
    return ms && ms < RX_EVENT_SPACING_MS ? ms : RX_EVENT_SPACING_MS;
}

/* With the lock held: tells the program that bytes wait. While the program waits for the
 * answer to what it wrote, every piece of that answer is announced at once: an answer
 * often comes in several pieces (the device writes it in parts, the pty or the driver
 * splits it), and the program can act only once it has the last. Bytes after a quiet
 * spell are announced at once too. A stream that goes on by itself (the monitor's frames,
 * a read-out) arrives a few bytes a millisecond and is announced every
 * RX_EVENT_SPACING_MS instead of for every piece, as a UART's FIFO gathers bytes: each
 * event costs the program's thread and the wineserver far more than its bytes (at 38400
 * baud a third of a millisecond, more than the frames it brings). At the rates where
 * that spacing would let the port's queue fill past RX_SPACING_BYTES, sooner. An answer
 * that still flows ANSWER_PIECES_MS after its first piece is such a stream; but for
 * ANSWER_TAIL_MS after that first piece, what it holds back is announced as soon as the
 * line has been quiet for two character times: a long answer is whole then, and the
 * program waits for it. (A stream nobody asked for is not cut at short pauses: at the
 * higher rates two character times are less than the clock's step, and a stream that
 * dribbles would come byte by byte.) */
void link_announce_received(kora_link *link, ULONGLONG now, ULONGLONG *due)
{
    if (link->awaiting_answer && !link->answer_until) {
        link->answer_until = now + ANSWER_PIECES_MS;
        link->answer_tail_until = now + ANSWER_TAIL_MS;
    }
    if (link->awaiting_answer && now >= link->answer_until)
        link->awaiting_answer = 0;
    ULONGLONG block_due = link->rx_posted_at + stream_spacing_ms(link->baud);
    ULONGLONG quiet_due = now + link_quiet_ms(link->baud);
    if (link->awaiting_answer || now >= block_due) {
        link_announce_held(link, now);
        *due = 0;
    } else if (now < link->answer_tail_until && quiet_due < block_due) {
        *due = quiet_due; /* moved on by every piece: reached once the line is quiet */
    } else {
        *due = block_due;
    }
}

void link_announce_held(kora_link *link, ULONGLONG now)
{
    link_post(link, KORA_EVENT_RECEIVED);
    link->rx_posted_at = now;
}

/* Once the time of bytes held back has come, or the program awaits an answer: what the
 * port has gathered meanwhile is fetched first (the read that is armed again completes at
 * once and announces all), or, when nothing more came or the receive queue has no room
 * for it, the bytes held are announced now. */
void io_announce_due(io_state *io)
{
    if (!io->rx_post_due)
        return;
    if (GetTickCount64() < io->rx_post_due) {
        /* The program wrote meanwhile: what comes now may be its answer, fetched at once. */
        library_lock();
        int awaiting = io->link->awaiting_answer;
        library_unlock();
        if (!awaiting)
            return;
    }
    io->rx_post_due = 0;
    DWORD queued = 0;
    if (!io_check_port(io, &queued))
        return;
    library_lock();
    if (queued && byte_queue_room(&io->link->rx))
        io->read_size = queued;
    else if (io->link->rx.count)
        link_announce_held(io->link, GetTickCount64());
    library_unlock();
}

void io_finish_read(io_state *io)
{
    kora_link *link = io->link;
    DWORD got = 0;
    BOOL ok = GetOverlappedResult(link->com, &io->read_request, &got, FALSE);
    DWORD code = GetLastError();
    io->reading = 0;
    if (!ok && code != ERROR_OPERATION_ABORTED) {
        /* A port that still answers had a passing fault; one that does not is gone. */
        if (io_check_port(io, NULL))
            link_fail_with_system_error(link, "Cannot read from COM%u: %s", code);
        return;
    }
    if (got > 0) {
        io->empty_reads = 0;
        library_lock();
        byte_queue_push(&link->rx, io->read_buffer, got);
        link_announce_received(io->link, GetTickCount64(), &io->rx_post_due);
        library_state_changed();
        library_unlock();
    } else if (++io->empty_reads > MAX_EMPTY_READS) {
        link_fail_with_system_error(link, "COM%u delivers no data: %s", ok ? ERROR_NO_DATA : code);
        return;
    }
    /* Bytes already queued behind this read are fetched at once, in one read. A port that
     * gathered more than its rate can bring while bytes were held (a pty has no rate; a
     * device may flood) is read on until its queue is empty: held, its queue would cap
     * the stream at one queue a spacing. */
    DWORD queued = 0;
    if (io_check_port(io, &queued)) {
        io->read_size = queued ? queued : 1;
        io->flooded = got >= FLOOD_READ_BYTES || (io->flooded && queued);
    }
}
