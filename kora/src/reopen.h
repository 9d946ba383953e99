/* What a closed link leaves for a link that re-opens its port at once.
 *
 * The program re-opens its port at another baud rate right after waking the device up,
 * and a device may answer meanwhile. What has arrived by then belongs to the new link:
 * the bytes the old link had received but nobody had read, and what the port has
 * gathered while it was closed. A port opened any later, or at the rate it had, starts
 * with nothing received. */
#ifndef KORA_REOPEN_H
#define KORA_REOPEN_H

#include "byte_queue.h"

/* How soon after its close a port re-opened keeps what it has received. */
#define REOPEN_KEEPS_INPUT_MS 500

/* With the lock held: a link of the port at the baud rate has closed; rx holds what it
 * received and nobody read, which is moved out of it (and replaces what an earlier
 * close left). */
void reopen_keep(unsigned port, unsigned baud, byte_queue *rx);
/* With the lock held: 1 when a link of the port at another baud rate closed less than
 * REOPEN_KEEPS_INPUT_MS ago. */
int reopen_at_once(unsigned port, unsigned baud);
/* With the lock held: for an open that reopen_at_once found to be a re-open at once,
 * moves what the port's last link left into rx, which is empty; forgets it either way. */
void reopen_take(int at_once, byte_queue *rx);

#endif
