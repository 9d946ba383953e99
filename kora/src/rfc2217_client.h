/* The client's side of a remote serial port (RFC 2217): what KORA asks of the server,
 * how it answers the server's Telnet negotiation, and which settings the server has
 * confirmed. Plain code on bytes: the network link moves them and keeps the time.
 *
 * The client offers COM-PORT-OPTION, binary transmission and no go-ahead both ways, and
 * sends its settings at once behind the offer (servers take them before or after their
 * own answer). It accepts exactly those options from the server and refuses every other
 * with DONT or WONT; it answers a request only when it changes an option's state, so no
 * pair of ends can make it loop. */
#ifndef KORA_RFC2217_CLIENT_H
#define KORA_RFC2217_CLIENT_H

#include <stddef.h>

#include "telnet.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The settings the client asks for, one bit each, in the order they are sent. */
enum {
    SETTING_RATE = 1 << 0,
    SETTING_DATASIZE = 1 << 1,
    SETTING_PARITY = 1 << 2,
    SETTING_STOPSIZE = 1 << 3,
    SETTING_NO_OUTBOUND_FLOW = 1 << 4,
    SETTING_INBOUND_XONXOFF = 1 << 5,
    SETTING_DTR_ON = 1 << 6,
    SETTING_RTS_ON = 1 << 7,
    SETTING_ALL = (1 << 8) - 1
};

/* Control bytes waiting to be sent; when full, further answers are dropped (only a
 * server that floods its negotiation fills it). */
#define RFC2217_CLIENT_OUT_SIZE 1024

typedef struct rfc2217_client {
    telnet_decoder decoder;
    unsigned long baud;             /* the rate asked for last */
    unsigned unconfirmed;           /* settings asked for and not confirmed yet */
    unsigned noted;                 /* settings already reported as not confirmed */
    unsigned char us[256];          /* our side of each option (a state of rfc2217_client.c) */
    unsigned char him[256];         /* the server's side */
    size_t out_length;
    unsigned long dropped;          /* control bytes that found no room */
    unsigned char out[RFC2217_CLIENT_OUT_SIZE];
} rfc2217_client;

/* Starts a connection: the option offers and every setting at the rate, into out. */
void rfc2217_client_start(rfc2217_client *c, unsigned long baud);

/* Asks for another rate (SET-BAUDRATE into out); the rate is unconfirmed until answered,
 * and may be noted again. */
void rfc2217_client_set_rate(rfc2217_client *c, unsigned long baud);

/* Reads n received bytes: their data goes to data (at most n bytes; data may be in),
 * answers to the server into out, confirmations are taken. Returns the data's length. */
size_t rfc2217_client_receive(rfc2217_client *c, const unsigned char *in, size_t n, unsigned char *data);

/* 1 once the server has confirmed the rate asked for last. */
int rfc2217_client_rate_confirmed(const rfc2217_client *c);

/* The settings not confirmed and not reported before, as a list for the user ("DTR on,
 * RTS on"), and marks them reported; 0 (and an empty text) when there are none. */
int rfc2217_client_take_unconfirmed(rfc2217_client *c, char *text, size_t size);

/* Takes up to size control bytes from out, oldest first; returns how many. */
size_t rfc2217_client_take_output(rfc2217_client *c, unsigned char *bytes, size_t size);

#ifdef __cplusplus
}
#endif

#endif
