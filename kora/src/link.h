/* One open link, and the library-wide lock and table that hold the links.
 *
 * The library's sources, by job:
 *   open_close.c     KoraOpen, KoraClose: a link's life
 *   read_write.c     KoraRead, KoraWrite
 *   link_settings.c  KoraSetParam, KoraSetCallback
 *   wait_status.c    KoraWait, KoraTestStatus, KoraGetErrorText
 *   link_table.c     the library lock, the table of open links, the error texts
 *   event_window.c   events to the opening thread through its message-only window
 *   io_thread.c      the I/O thread of a link, the port's health and line errors (io.h)
 *   io_receive.c     its reception;  io_send.c  its transmission
 *   port.c           opening and setting up a COM port
 *   net_connect.c    connecting to a network port;  net_io.c  the I/O thread of one (net.h)
 *   net_park.c       a network link kept for a moment after its close, for a re-open
 *   telnet.c         Telnet on a byte stream;  rfc2217_client.c  what the RFC 2217 client says
 *   connection.c     the connection string;  reopen.c  input kept for a re-open at once
 *   byte_queue.c     the links' receive and transmit queues
 *   system_message.c the text of a Windows error code
 */
#ifndef KORA_LINK_H
#define KORA_LINK_H

#include "byte_queue.h"
#include "kora.h"

#define KORA_EVENT_SLOTS 7
#define KORA_TEXT_SIZE 256
#define KORA_TARGET_SIZE 280   /* "rfc2217://" and the longest host and port */

/* The kinds of line error, each counted on its own, in the order of their parameter
 * codes (KORA_PARAM_FRAMING_ERRORS and on). */
enum { LINE_FRAMING, LINE_PARITY, LINE_OVERRUN, LINE_BREAK, LINE_ERROR_KINDS };

typedef struct event_slot {
    KoraEventProc proc;
    LONG_PTR context;
} event_slot;

typedef struct kora_link {
    /* Fixed while the link is open. */
    LONG handle;
    int kind;                  /* enum connection_kind */
    unsigned port;             /* COM port number, or the TCP port */
    unsigned baud;
    char target[KORA_TARGET_SIZE]; /* "COM7", "rfc2217://10.1.2.3:4001": for texts and claims */
    HANDLE com;                /* the port, opened for overlapped I/O */
    UINT_PTR socket;           /* a network link's connection (a SOCKET) */
    HMODULE module;            /* a network link's hold on the library, which its thread lets go */
    HANDLE port_claim;         /* named object that marks the port as in use */
    HANDLE thread;             /* the link's I/O thread */
    HANDLE stop;               /* manual-reset event: the I/O thread is to end */
    HANDLE work;               /* auto-reset event: bytes to send, or room to receive */
    HWND window;               /* message-only window of the opening thread */

    /* Guarded by the library lock. */
    event_slot slots[KORA_EVENT_SLOTS];
    unsigned posted;           /* event bits posted to the window, not yet delivered */
    int ready;                 /* the I/O thread has reception running */
    int failed;                /* the port went away or the transmitter stalled */
    int line_error_seen;       /* a line error has been seen since open */
    LONG line_errors[LINE_ERROR_KINDS]; /* counted since the program last took them */
    int sending;               /* the I/O thread is writing a piece */
    int awaiting_answer;       /* bytes were written and their answer is awaited */
    ULONGLONG answer_until;    /* GetTickCount64 value until which the answer's pieces are
                                  announced at once; 0 = its first piece has not come */
    ULONGLONG answer_tail_until; /* until when a quiet line ends the answer's held bytes */
    ULONGLONG rx_posted_at;    /* GetTickCount64 of the last KORA_EVENT_RECEIVED posted */
    byte_queue rx;             /* received, waiting for KoraRead */
    byte_queue tx;             /* written, waiting for the I/O thread */
    unsigned rx_queue_size;    /* KORA_PARAM_RX_QUEUE */
    unsigned tx_queue_size;    /* KORA_PARAM_TX_QUEUE */
    unsigned write_timeout_ms; /* KORA_PARAM_WRITE_TIMEOUT */
    char error[KORA_TEXT_SIZE];

    /* A network link's parking (net_park.c), guarded by the library lock. */
    int parked;                /* closed by the program; adopted by an open of its target soon */
    ULONGLONG parked_until;    /* GetTickCount64 value */
    int adopted;               /* adopted since its thread last looked: the rate may be new */
    unsigned parked_baud;      /* the rate it was closed at */
} kora_link;

/* The library lock guards the table, the state of every link and the library's
 * own error text. */
void library_lock(void);
void library_unlock(void);
/* With the lock held: wakes every KoraWait to look at the links again. */
void library_state_changed(void);
/* With the lock held: sleeps until library_state_changed or ms have passed. */
void library_wait_for_change(DWORD ms);

/* With the lock held. */
LONG link_table_add(kora_link *link);       /* the new handle, 0 when out of memory */
kora_link *link_table_find(LONG handle);    /* NULL when the handle is not an open link */
/* link_table_find for an exported call; when the handle is not an open link, the
 * library's error names the call and the handle. */
kora_link *link_for_call(LONG handle, const char *call);
kora_link *link_table_newest(void);
void link_table_remove(kora_link *link);

/* With the lock held: the library's last error, of failures that belong to no open link. */
void library_error(const char *format, ...) __attribute__((format(printf, 1, 2)));
void library_error_text(char *out);          /* KORA_TEXT_SIZE bytes */

/* With the lock held: the link's error text, unless the link has failed already
 * (the cause of the failure stays its text). */
void link_error(kora_link *link, const char *format, ...) __attribute__((format(printf, 2, 3)));
/* With the lock held: marks the link failed with the text, raises KORA_EVENT_LINK_FAILED
 * (once: a failed link does no more I/O). */
void link_fail(kora_link *link, const char *format, ...);

/* Closes what a link holds and frees it, once its I/O thread has ended (or never
 * started), or from its own thread as that ends. */
void link_destroy(kora_link *link);

/* The KORA_STATE_... bits of the link, with the lock held. */
LONG link_state(const kora_link *link);

/* With the lock held: posts the event bit to the link's window unless it is posted
 * already; the opening thread's message loop delivers it. A parked link has no window
 * and posts nothing. */
void link_post(kora_link *link, unsigned bit);
/* The slot of an event bit in kora_link.slots, -1 for a value that is no event bit. */
int event_slot_of(unsigned bit);
HWND event_window_create(void);
void event_window_destroy(HWND window);

/* The "<system message> (error n)" text of a Windows error code. */
void system_message(DWORD code, char *out, size_t size);

DWORD WINAPI link_io_thread(void *link);

/* Without the lock: the I/O thread's piece of written data has gone out; the transmitter
 * is empty (KORA_EVENT_SENT) when nothing more waits to be sent. */
void link_piece_sent(kora_link *link);

/* Milliseconds that n bytes take on the line at baud (10 bits each), rounded up. */
ULONGLONG link_line_time_ms(size_t n, unsigned baud);
/* Milliseconds of silence that end what the line carried: two character times, rounded
 * up to the clock's step. */
ULONGLONG link_quiet_ms(unsigned baud);

#ifdef KORA_LINE_ERROR_SEAM
/* Only in the test build of the library's sources (tests/kora): line-error flags (CE_...)
 * that the test program adds to what ClearCommError reports for the port, since neither
 * a pty nor Wine ever reports one. KORA.DLL has no such seam. */
DWORD kora_line_error_seam(unsigned port);
#endif

#endif
