/* Opening a COM port and setting it up as a link's connection string asks. */
#ifndef KORA_PORT_H
#define KORA_PORT_H

#include <windows.h>

/* How soon after its close a port re-opened keeps what it has received. */
#define PORT_REOPEN_KEEPS_INPUT_MS 500

/* Opens COMn for overlapped I/O, with nothing received unless the port was closed less
 * than PORT_REOPEN_KEEPS_INPUT_MS ago; on failure INVALID_HANDLE_VALUE and a text in error. */
HANDLE port_open(unsigned port, char *error, size_t size);

/* Notes that this process has just closed COMn, for port_open. */
void port_note_closed(unsigned port);

/* Sets baud rate, 8N1, XON/XOFF as described in kora.h, no hardware flow control,
 * DTR and RTS on, reads that wait for their bytes, and the driver's queue sizes.
 * Returns 0 and a text in error on failure. */
int port_set_up(HANDLE com, unsigned port, unsigned baud, unsigned rx_queue, unsigned tx_queue,
                char *error, size_t size);

/* Changes the driver's queue sizes (and the XON/XOFF limits that follow from the
 * receive queue). Returns 0 and a text in error on failure. */
int port_set_queues(HANDLE com, unsigned port, unsigned rx_queue, unsigned tx_queue,
                    char *error, size_t size);

#endif
