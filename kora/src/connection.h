/* The connection string of KoraOpen, in one of three forms (kora.h):
 *   "ASYNC/COM:<n>,SPEED=<baud>,FLOW=XONXOFF"
 *   "ASYNC/RFC2217:<host>:<port>,SPEED=<baud>,FLOW=XONXOFF"
 *   "ASYNC/SOCKET:<host>:<port>,SPEED=<baud>,FLOW=XONXOFF" */
#ifndef KORA_CONNECTION_H
#define KORA_CONNECTION_H

enum connection_kind {
    CONNECTION_COM,       /* a local COM port */
    CONNECTION_RFC2217,   /* a remote serial port: Telnet with COM-PORT-OPTION */
    CONNECTION_SOCKET     /* a raw TCP connection: bytes as they are */
};

#define CONNECTION_HOST_SIZE 254  /* the longest host name (253) and its NUL */

typedef struct connection {
    unsigned port;   /* COM: 1 to 256; network: the TCP port, 1 to 65535 */
    unsigned baud;   /* a standard baud rate */
    int kind;        /* enum connection_kind */
    char host[CONNECTION_HOST_SIZE]; /* network: a name or an address, IPv6 without its brackets */
} connection;

/* Fills *out from text; on failure returns 0 and puts a message for the user into
 * error (size bytes). */
int connection_parse(const char *text, connection *out, char *error, unsigned size);

/* The target as the user names it: "COM7", "rfc2217://10.1.2.3:4001",
 * "socket://[fe80::1]:7000". */
void connection_target(const connection *where, char *out, unsigned size);

#endif
