/* The connection string of KoraOpen: "ASYNC/COM:<n>,SPEED=<baud>,FLOW=XONXOFF". */
#ifndef KORA_CONNECTION_H
#define KORA_CONNECTION_H

typedef struct connection {
    unsigned port;   /* 1 to 256 */
    unsigned baud;   /* a standard baud rate */
} connection;

/* Fills *out from text; on failure returns 0 and puts a message for the user into
 * error (size bytes). */
int connection_parse(const char *text, connection *out, char *error, unsigned size);

#endif
