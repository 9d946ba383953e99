#include "telnet.h"

#include <string.h>

enum {
    STATE_DATA,         /* plain data */
    STATE_IAC,          /* after IAC in data */
    STATE_OPTION,       /* after IAC WILL/WONT/DO/DONT: the option comes */
    STATE_SB_OPTION,    /* after IAC SB: the option comes */
    STATE_SB,           /* in a subnegotiation's payload */
    STATE_SB_IAC        /* after IAC in a subnegotiation */
};

void telnet_decoder_init(telnet_decoder *d, telnet_command_handler handler, void *context)
{
    memset(d, 0, sizeof *d);
    d->state = STATE_DATA;
    d->handler = handler;
    d->context = context;
}

static void hand_over(telnet_decoder *d, unsigned char command, unsigned char option,
                      const unsigned char *payload, size_t length)
{
    telnet_command c;
    c.command = command;
    c.option = option;
    c.payload = payload;
    c.length = length;
    if (d->handler)
        d->handler(d->context, &c);
}

/* The byte after IAC, in data or where a subnegotiation was cut short. */
static void after_iac(telnet_decoder *d, unsigned char b)
{
    switch (b) {
    case TELNET_WILL:
    case TELNET_WONT:
    case TELNET_DO:
    case TELNET_DONT:
        d->verb = b;
        d->state = STATE_OPTION;
        break;
    case TELNET_SB:
        d->state = STATE_SB_OPTION;
        break;
    default: /* NOP, GA, a stray SE and the other two-byte commands mean nothing here */
        d->state = STATE_DATA;
        break;
    }
}

/* A payload byte: kept while there is room, else the subnegotiation is marked overlong. */
static void keep_payload(telnet_decoder *d, unsigned char b)
{
    if (d->length < sizeof d->payload)
        d->payload[d->length++] = b;
    else
        d->overlong = 1;
}

size_t telnet_decode(telnet_decoder *d, const unsigned char *in, size_t n, unsigned char *out)
{
    size_t count = 0;
    for (size_t i = 0; i < n; i++) {
        unsigned char b = in[i];
        switch (d->state) {
        case STATE_DATA:
            if (b == TELNET_IAC)
                d->state = STATE_IAC;
            else
                out[count++] = b;
            break;
        case STATE_IAC:
            if (b == TELNET_IAC) {
                out[count++] = b;
                d->state = STATE_DATA;
            } else {
                after_iac(d, b);
            }
            break;
        case STATE_OPTION:
            hand_over(d, d->verb, b, NULL, 0);
            d->state = STATE_DATA;
            break;
        case STATE_SB_OPTION:
            d->option = b;
            d->length = 0;
            d->overlong = 0;
            d->state = STATE_SB;
            break;
        case STATE_SB:
            if (b == TELNET_IAC)
                d->state = STATE_SB_IAC;
            else
                keep_payload(d, b);
            break;
        case STATE_SB_IAC:
            if (b == TELNET_IAC) {
                keep_payload(d, b);
                d->state = STATE_SB;
            } else if (b == TELNET_SE) {
                if (d->overlong)
                    d->dropped++;
                else
                    hand_over(d, TELNET_SB, d->option, d->payload, d->length);
                d->state = STATE_DATA;
            } else {
                /* A command inside a subnegotiation: the peer gave up on it. The
                 * subnegotiation is dropped and the command read as such. */
                d->dropped++;
                after_iac(d, b);
            }
            break;
        }
    }
    return count;
}

size_t telnet_escape(const unsigned char *in, size_t n, unsigned char *out)
{
    size_t taken;
    return telnet_escape_some(in, n, &taken, out, 2 * n);
}

size_t telnet_escape_some(const unsigned char *in, size_t n, size_t *taken, unsigned char *out, size_t room)
{
    size_t i = 0, length = 0;
    for (; i < n; i++) {
        size_t need = in[i] == TELNET_IAC ? 2 : 1;
        if (length + need > room)
            break;
        if (need == 2)
            out[length++] = TELNET_IAC;
        out[length++] = in[i];
    }
    *taken = i;
    return length;
}

size_t telnet_option(unsigned char command, unsigned char option, unsigned char out[3])
{
    out[0] = TELNET_IAC;
    out[1] = command;
    out[2] = option;
    return 3;
}

size_t rfc2217_message(unsigned char code, const unsigned char *value, size_t value_length,
                       unsigned char out[RFC2217_MESSAGE_MAX])
{
    size_t length = 0;
    if (value_length > 4)
        value_length = 4;
    out[length++] = TELNET_IAC;
    out[length++] = TELNET_SB;
    out[length++] = TELNET_OPTION_COM_PORT;
    length += telnet_escape(&code, 1, out + length);
    length += telnet_escape(value, value_length, out + length);
    out[length++] = TELNET_IAC;
    out[length++] = TELNET_SE;
    return length;
}

size_t rfc2217_baudrate(unsigned char code, unsigned long baud, unsigned char out[RFC2217_MESSAGE_MAX])
{
    unsigned char value[4];
    value[0] = (unsigned char)(baud >> 24);
    value[1] = (unsigned char)(baud >> 16);
    value[2] = (unsigned char)(baud >> 8);
    value[3] = (unsigned char)baud;
    return rfc2217_message(code, value, 4, out);
}

size_t rfc2217_byte(unsigned char code, unsigned char value, unsigned char out[RFC2217_MESSAGE_MAX])
{
    return rfc2217_message(code, &value, 1, out);
}

int rfc2217_read(const telnet_command *command, rfc2217_reading *out)
{
    if (command->command != TELNET_SB || command->option != TELNET_OPTION_COM_PORT || command->length < 1)
        return 0;
    const unsigned char *p = command->payload;
    out->code = p[0];
    out->value_length = command->length - 1;
    out->value = 0;
    if (RFC2217_REQUEST_OF(out->code) == RFC2217_SET_BAUDRATE) {
        if (out->value_length != 4)
            return 0;
        out->value = ((unsigned long)p[1] << 24) | ((unsigned long)p[2] << 16) | ((unsigned long)p[3] << 8) | p[4];
    } else if (out->value_length >= 1) {
        out->value = p[1];
    }
    return 1;
}
