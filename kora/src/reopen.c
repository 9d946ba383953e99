#include "reopen.h"

#include <windows.h>

/* One port at a time: a program re-opens the port it has just closed. */
static struct {
    unsigned port;          /* 0: none */
    unsigned baud;
    ULONGLONG closed_at;    /* GetTickCount64 */
    byte_queue input;
} kept;

/* Exchanges two queues' contents: kept bytes change hands without a copy. */
static void swap_queues(byte_queue *a, byte_queue *b)
{
    byte_queue held = *a;
    *a = *b;
    *b = held;
}

void reopen_keep(unsigned port, unsigned baud, byte_queue *rx)
{
    byte_queue_free(&kept.input);
    swap_queues(&kept.input, rx);
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
    if (at_once)
        swap_queues(&kept.input, rx);
    byte_queue_free(&kept.input);
    kept.port = 0;
}
