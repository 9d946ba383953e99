#include "rfc2217_client.h"

#include <stdio.h>
#include <string.h>

/* The state of one side of an option (RFC 1143, without its queue: the client asks for
 * each option once, at the start). */
enum { OPTION_NO = 0, OPTION_YES, OPTION_WANT_YES };

/* Each setting: its command and value, and how the user reads it. The rate has its own
 * message and text. */
static const struct {
    unsigned bit;
    unsigned char code;
    unsigned char value;
    const char *name;
} settings[] = {
    { SETTING_RATE, RFC2217_SET_BAUDRATE, 0, NULL },
    { SETTING_DATASIZE, RFC2217_SET_DATASIZE, 8, "8 data bits" },
    { SETTING_PARITY, RFC2217_SET_PARITY, RFC2217_PARITY_NONE, "no parity" },
    { SETTING_STOPSIZE, RFC2217_SET_STOPSIZE, RFC2217_STOPSIZE_1, "1 stop bit" },
    /* The server's port must not take XON and XOFF from the device as flow control:
     * the device's binary frames carry them as data. */
    { SETTING_NO_OUTBOUND_FLOW, RFC2217_SET_CONTROL, RFC2217_CONTROL_NO_FLOW, "no outbound flow control" },
    /* But it pauses the device with XOFF when its buffer fills, as the library does on a
     * local port. A server that cannot (ser2net) says so, and the setting is noted. */
    { SETTING_INBOUND_XONXOFF, RFC2217_SET_CONTROL, RFC2217_CONTROL_INBOUND_XONXOFF, "inbound XON/XOFF" },
    { SETTING_DTR_ON, RFC2217_SET_CONTROL, RFC2217_CONTROL_DTR_ON, "DTR on" },
    { SETTING_RTS_ON, RFC2217_SET_CONTROL, RFC2217_CONTROL_RTS_ON, "RTS on" },
};
#define SETTING_COUNT (sizeof settings / sizeof settings[0])

static void put(rfc2217_client *c, const unsigned char *bytes, size_t n)
{
    if (n > sizeof c->out - c->out_length) {
        c->dropped += n;
        return;
    }
    memcpy(c->out + c->out_length, bytes, n);
    c->out_length += n;
}

static void put_option(rfc2217_client *c, unsigned char command, unsigned char option)
{
    unsigned char bytes[3];
    put(c, bytes, telnet_option(command, option, bytes));
}

/* The options the client wants on its side and on the server's. */
static int wanted_by_us(unsigned char option)
{
    return option == TELNET_OPTION_BINARY || option == TELNET_OPTION_SUPPRESS_GO_AHEAD
        || option == TELNET_OPTION_COM_PORT;
}

static int wanted_of_him(unsigned char option)
{
    /* COM-PORT-OPTION on the server's side is what some servers offer instead of
     * answering ours; taking it costs nothing. Echo is refused: the device's bytes are
     * not to come back. */
    return wanted_by_us(option);
}

/* A request (WILL/WONT about the server's side, DO/DONT about ours), answered only when
 * it changes the option's state. */
static void negotiate(rfc2217_client *c, unsigned char verb, unsigned char option)
{
    int about_us = verb == TELNET_DO || verb == TELNET_DONT;
    int yes = verb == TELNET_WILL || verb == TELNET_DO;
    unsigned char *state = about_us ? &c->us[option] : &c->him[option];
    unsigned char agree = about_us ? TELNET_WILL : TELNET_DO;
    unsigned char refuse = about_us ? TELNET_WONT : TELNET_DONT;
    int wanted = about_us ? wanted_by_us(option) : wanted_of_him(option);
    if (yes) {
        if (*state == OPTION_WANT_YES) {
            *state = OPTION_YES;            /* the answer to our request */
        } else if (*state == OPTION_NO) {
            if (wanted) {
                *state = OPTION_YES;
                put_option(c, agree, option);
            } else {
                put_option(c, refuse, option);
            }
        }                                   /* already on: nothing to say */
    } else {
        if (*state == OPTION_YES)
            put_option(c, refuse, option);  /* acknowledged, as the other end waits for it */
        *state = OPTION_NO;                 /* WANT_YES: our request was refused */
    }
}

/* A server's answer to a setting confirms it when it says the value asked for. */
static void take_answer(rfc2217_client *c, const rfc2217_reading *r)
{
    if (r->code < RFC2217_ANSWER)
        return;
    unsigned char request = (unsigned char)RFC2217_REQUEST_OF(r->code);
    for (size_t i = 0; i < SETTING_COUNT; i++) {
        if (settings[i].code != request)
            continue;
        int same = settings[i].bit == SETTING_RATE ? r->value == c->baud
                                                   : r->value_length >= 1 && r->value == settings[i].value;
        if (same)
            c->unconfirmed &= ~settings[i].bit;
    }
}

static void on_command(void *context, const telnet_command *command)
{
    rfc2217_client *c = context;
    rfc2217_reading reading;
    if (command->command == TELNET_SB) {
        if (rfc2217_read(command, &reading))
            take_answer(c, &reading);
        return;                             /* the server's notifications need no answer */
    }
    negotiate(c, command->command, command->option);
}

static void put_setting(rfc2217_client *c, size_t i)
{
    unsigned char message[RFC2217_MESSAGE_MAX];
    size_t n = settings[i].bit == SETTING_RATE ? rfc2217_baudrate(settings[i].code, c->baud, message)
                                               : rfc2217_byte(settings[i].code, settings[i].value, message);
    put(c, message, n);
    c->unconfirmed |= settings[i].bit;
}

void rfc2217_client_start(rfc2217_client *c, unsigned long baud)
{
    memset(c, 0, sizeof *c);
    telnet_decoder_init(&c->decoder, on_command, c);
    c->baud = baud;
    static const unsigned char ours[] = { TELNET_OPTION_COM_PORT, TELNET_OPTION_BINARY, TELNET_OPTION_SUPPRESS_GO_AHEAD };
    for (size_t i = 0; i < sizeof ours; i++) {
        c->us[ours[i]] = OPTION_WANT_YES;
        put_option(c, TELNET_WILL, ours[i]);
        if (ours[i] != TELNET_OPTION_COM_PORT) {
            c->him[ours[i]] = OPTION_WANT_YES;
            put_option(c, TELNET_DO, ours[i]);
        }
    }
    for (size_t i = 0; i < SETTING_COUNT; i++)
        put_setting(c, i);
}

void rfc2217_client_set_rate(rfc2217_client *c, unsigned long baud)
{
    c->baud = baud;
    c->noted &= ~SETTING_RATE;
    put_setting(c, 0);
}

size_t rfc2217_client_receive(rfc2217_client *c, const unsigned char *in, size_t n, unsigned char *data)
{
    return telnet_decode(&c->decoder, in, n, data);
}

int rfc2217_client_rate_confirmed(const rfc2217_client *c)
{
    return !(c->unconfirmed & SETTING_RATE);
}

int rfc2217_client_take_unconfirmed(rfc2217_client *c, char *text, size_t size)
{
    unsigned fresh = c->unconfirmed & ~c->noted;
    size_t length = 0;
    if (size)
        text[0] = 0;
    for (size_t i = 0; i < SETTING_COUNT; i++) {
        if (!(fresh & settings[i].bit))
            continue;
        char rate[24];
        const char *name = settings[i].name;
        if (settings[i].bit == SETTING_RATE) {
            snprintf(rate, sizeof rate, "%lu baud", c->baud);
            name = rate;
        }
        if (length < size)
            length += (size_t)snprintf(text + length, size - length, "%s%s", length ? ", " : "", name);
    }
    c->noted |= fresh;
    return fresh != 0;
}

size_t rfc2217_client_take_output(rfc2217_client *c, unsigned char *bytes, size_t size)
{
    size_t n = c->out_length < size ? c->out_length : size;
    memcpy(bytes, c->out, n);
    memmove(c->out, c->out + n, c->out_length - n);
    c->out_length -= n;
    return n;
}
