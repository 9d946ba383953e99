#include "connection.h"

#include <stdio.h>
#include <string.h>

#define PREFIX "ASYNC/COM:"
#define SPEED ",SPEED="
#define FLOW ",FLOW=XONXOFF"
#define FORM "ASYNC/COM:<port>,SPEED=<baud>,FLOW=XONXOFF"
#define NETWORK_FORM ":<host>:<port>,SPEED=<baud>,FLOW=XONXOFF"

/* The network forms: the prefix, the kind and the scheme the user knows it by. */
static const struct {
    const char *prefix;
    int kind;
    const char *scheme;
} networks[] = {
    { "ASYNC/RFC2217", CONNECTION_RFC2217, "rfc2217" },
    { "ASYNC/SOCKET", CONNECTION_SOCKET, "socket" },
};

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

static int is_name_char(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-'
        || c == '.' || c == '_';
}

static int is_ipv6_char(char c)
{
    return (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') || (c >= '0' && c <= '9') || c == ':'
        || c == '.';
}

/* Reads the host of a network form up to the ':' before its port: a name or an IPv4
 * address, or an IPv6 address in brackets (kept without them). 0 when there is none. */
static int read_host(const char **p, char *host)
{
    const char *s = *p;
    size_t n = 0;
    if (*s == '[') {
        for (s++; is_ipv6_char(s[n]); n++)
            ;
        /* An IPv6 address has a ':'; anything else has no business in brackets. */
        if (s[n] != ']' || n < 2 || n >= CONNECTION_HOST_SIZE || !memchr(s, ':', n))
            return 0;
        memcpy(host, s, n);
        host[n] = 0;
        *p = s + n + 1;
        return 1;
    }
    for (; is_name_char(s[n]); n++)
        ;
    if (n == 0 || n >= CONNECTION_HOST_SIZE)
        return 0;
    memcpy(host, s, n);
    host[n] = 0;
    *p = s + n;
    return 1;
}

/* The network forms' parse, after their prefix; the message names the form. */
static int parse_network(const char *p, int which, connection *out, const char *shown, char *error, unsigned size)
{
    unsigned port = 0, baud = 0;
    char host[CONNECTION_HOST_SIZE];
    if (!skip(&p, ":") || !read_host(&p, host)) {
        snprintf(error, size, "No host in \"%s\": a host is a name, an IPv4 address or an IPv6 address "
                 "in brackets; expected %s" NETWORK_FORM ".", shown, networks[which].prefix);
        return 0;
    }
    if (!skip(&p, ":") || !read_number(&p, &port) || !skip(&p, SPEED) || !read_number(&p, &baud)
        || strcmp(p, FLOW) != 0) {
        snprintf(error, size, "Malformed connection string \"%s\"; expected %s" NETWORK_FORM ".", shown,
                 networks[which].prefix);
        return 0;
    }
    if (port < 1 || port > 65535) {
        snprintf(error, size, "%u is not a TCP port: ports are 1 to 65535 (in \"%s\").", port, shown);
        return 0;
    }
    if (!is_standard_baud(baud)) {
        snprintf(error, size, "%u baud is not a standard baud rate (in \"%s\").", baud, shown);
        return 0;
    }
    out->kind = networks[which].kind;
    memcpy(out->host, host, sizeof host);
    out->port = port;
    out->baud = baud;
    return 1;
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
    for (int which = 0; which < (int)(sizeof networks / sizeof networks[0]); which++)
        if (skip(&p, networks[which].prefix))
            return parse_network(p, which, out, shown, error, size);
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
    out->kind = CONNECTION_COM;
    out->host[0] = 0;
    out->port = port;
    out->baud = baud;
    return 1;
}

void connection_target(const connection *where, char *out, unsigned size)
{
    if (where->kind == CONNECTION_COM) {
        snprintf(out, size, "COM%u", where->port);
        return;
    }
    const char *scheme = "";
    for (size_t i = 0; i < sizeof networks / sizeof networks[0]; i++)
        if (networks[i].kind == where->kind)
            scheme = networks[i].scheme;
    if (strchr(where->host, ':'))
        snprintf(out, size, "%s://[%s]:%u", scheme, where->host, where->port);
    else
        snprintf(out, size, "%s://%s:%u", scheme, where->host, where->port);
}
