/* The I/O thread of a link and the requests it keeps pending on the port: the thread's
 * loop (io_thread.c), reception (io_receive.c) and transmission (io_send.c). All of it
 * runs on the link's I/O thread alone. */
#ifndef KORA_IO_H
#define KORA_IO_H

#include "link.h"

#define READ_CHUNK 4096

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
    int flooded;                 /* the port fills faster than its rate: read on while holding */
    DWORD piece_size;
    unsigned char read_buffer[READ_CHUNK];
    unsigned char piece[65536];  /* the written bytes handed to the port */
} io_state;

/* Fails the link with a text made of format (which takes the port number and the
 * system's message, in that order) and the Windows error code. */
void link_fail_with_system_error(kora_link *link, const char *format, DWORD code);
/* Asks the port for its state and counts the line errors it reports; 0 when it no
 * longer answers (the link has then failed). *queued (if not NULL) gets the bytes
 * waiting in the driver's receive queue. */
int io_check_port(io_state *io, DWORD *queued);
/* Cancels a pending request and waits for it to end, with the bytes it moved in *done;
 * 0 if it does not end. */
int io_cancel_request(HANDLE com, OVERLAPPED *request, DWORD *done);

/* Reception (io_receive.c). */
/* With the lock held: announces received bytes now or, within a stream, at *due (set
 * here; 0 = none), for a COM port's thread and a network link's alike. */
void link_announce_received(kora_link *link, ULONGLONG now, ULONGLONG *due);
/* With the lock held: the time of the bytes held back has come, and nothing came since. */
void link_announce_held(kora_link *link, ULONGLONG now);
void io_start_read(io_state *io);
void io_finish_read(io_state *io);
/* Announces received bytes held back, once their time has come. */
void io_announce_due(io_state *io);

/* Transmission (io_send.c). */
void io_start_write(io_state *io);
void io_finish_write(io_state *io);
/* Fails the link when the piece being written has not gone by its deadline. */
void io_check_write_deadline(io_state *io);

#endif
