/* Network links: a remote serial port over RFC 2217, or a raw TCP connection.
 *
 * KoraOpen connects (net_connect.c) and starts the link's I/O thread (net_io.c), which
 * feeds the same receive and transmit queues as a COM port's thread, so events, reads,
 * writes, the write time-out and the waits behave as they do on a COM port. The thread
 * holds a reference on the library and lets it go as it ends, so a library unloaded
 * while a connection is parked stays until the thread has closed it.
 *
 * A network link is parked when the program closes it (net_park.c): its thread goes on
 * for a moment, and an open of the same target adopts it, connection and all, as the
 * program re-opens its link at the device's working rate right after the wake-up; a
 * server would drop what the device answers while no client is connected. */
#ifndef KORA_NET_H
#define KORA_NET_H

#include "link.h"

#define NET_NO_SOCKET (~(UINT_PTR)0)
#define NET_CONNECT_LIMIT_MS 5000   /* a connect that has no answer by then has failed */
#define NET_PARK_MS 500             /* how long a closed network link waits to be adopted */
#define NET_CONFIRM_MS 500          /* how long the link waits for an RFC 2217 server to confirm */

/* Starts Winsock once; 0 when it cannot be. */
int net_start(void);

/* Connects to host and port (the target names them in texts) within NET_CONNECT_LIMIT_MS;
 * the socket is non-blocking, without Nagle's delay. On failure NET_NO_SOCKET and a text
 * in error. */
UINT_PTR net_connect(const char *host, unsigned port, const char *target, char *error, size_t size);

/* Closes a connection (NET_NO_SOCKET: nothing). */
void net_close(UINT_PTR socket);

DWORD WINAPI net_io_thread(void *link);

/* With the lock held: parks a link that the program has closed (taken out of the table,
 * its window gone). */
void net_park(kora_link *link);
/* With the lock held: the parked link of the target, taken off the parked list, or NULL. */
kora_link *net_adopt(const char *target);
/* With the lock held, by a link's I/O thread: 1 when its link is parked and its time is
 * up or it has failed; it is then off the list, and the thread closes and frees it. */
int net_park_over(kora_link *link, ULONGLONG now);

#endif
