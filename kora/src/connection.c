#include "connection.h"

#include <stdio.h>
#include <string.h>

#define PREFIX "ASYNC/COM:"
#define SPEED ",SPEED="
#define FLOW ",FLOW=XONXOFF"
#define FORM "ASYNC/COM:<port>,SPEED=<baud>,FLOW=XONXOFF"

static const unsigned standard_bauds[] = {
    110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 56000, 57600,
    115200, 128000, 230400, 256000, 460800, 921600,
};

/* Reads a plain decimal number (no sign, blank or leading zero) of at most 9 digits
 * from *p; returns its length in digits, 0 when there is none. */
static int read_number(const char **p, unsigned *value)
{
    const char *s = *p;
    int digits = 0;
    unsigned v = 0;
    while (s[digits] >= '0' && s[digits] <= '9') {
        if (digits == 9)
            return 0;
        v = v * 10 + (unsigned)(s[digits] - '0');
        digits++;
    }
    if (digits == 0 || (digits > 1 && s[0] == '0'))
        return 0;
    *p = s + digits;
    *value = v;
    return digits;
}

static int skip(const char **p, const char *literal)
{
    size_t n = strlen(literal);
    if (strncmp(*p, literal, n) != 0)
        return 0;
    *p += n;
    return 1;
}

static int is_standard_baud(unsigned baud)
{
    for (size_t i = 0; i < sizeof standard_bauds / sizeof standard_bauds[0]; i++)
        if (standard_bauds[i] == baud)
            return 1;
    return 0;
}

/* The text as the user may see it: printable characters only, cut at 60. */
static void quote(const char *text, char *out, size_t size)
{
    size_t n = 0;
    for (; text[n] && n < 60 && n + 4 < size; n++)
        out[n] = (text[n] >= 0x20 && text[n] < 0x7f) ? text[n] : '?';
    if (text[n] && n + 4 < size) {
        memcpy(out + n, "...", 3);
        n += 3;
    }
    out[n] = 0;
}

int connection_parse(const char *text, connection *out, char *error, unsigned size)
{
    char shown[72];
    if (!text) {
        snprintf(error, size, "No connection string was given; expected " FORM ".");
        return 0;
    }
    quote(text, shown, sizeof shown);
    const char *p = text;
    unsigned port = 0, baud = 0;
    if (!skip(&p, PREFIX) || !read_number(&p, &port) || !skip(&p, SPEED)
        || !read_number(&p, &baud) || strcmp(p, FLOW) != 0) {
        snprintf(error, size, "Malformed connection string \"%s\"; expected " FORM ".", shown);
        return 0;
    }
    if (port < 1 || port > 256) {
        snprintf(error, size, "COM%u is not a serial port: ports are COM1 to COM256 (in \"%s\").",
                 port, shown);
        return 0;
    }
    if (!is_standard_baud(baud)) {
        snprintf(error, size, "%u baud is not a standard baud rate (in \"%s\").", baud, shown);
        return 0;
    }
    out->port = port;
    out->baud = baud;
    return 1;
}
