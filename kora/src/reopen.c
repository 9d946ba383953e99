#include "reopen.h"

#include <windows.h>

/* One port at a time: a program re-opens the port it has just closed. */
static struct {
    unsigned port;          /* 0: none */
    unsigned baud;
    ULONGLONG closed_at;    /* GetTickCount64 */
    byte_queue input;
} kept;

void reopen_keep(unsigned port, unsigned baud, byte_queue *rx)
{
    byte_queue_free(&kept.input);
    kept.input = *rx;
    byte_queue_init(rx, rx->limit);
    kept.port = port;
    kept.baud = baud;
    kept.closed_at = GetTickCount64();
}

int reopen_at_once(unsigned port, unsigned baud)
{
    return kept.port == port && kept.baud != baud
        && GetTickCount64() - kept.closed_at < REOPEN_KEEPS_INPUT_MS;
}

void reopen_take(int at_once, byte_queue *rx)
{
    if (at_once) {
        byte_queue_free(rx);
        *rx = kept.input;
        byte_queue_init(&kept.input, rx->limit);
    }
    byte_queue_free(&kept.input);
    kept.port = 0;
}
