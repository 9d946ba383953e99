/* Opening a COM port and setting it up as a link's connection string asks. */
#ifndef KORA_PORT_H
#define KORA_PORT_H

#include <windows.h>

/* Opens COMn for overlapped I/O, with nothing received unless keep_input; on failure
 * INVALID_HANDLE_VALUE and a text in error. */
HANDLE port_open(unsigned port, int keep_input, char *error, size_t size);

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
