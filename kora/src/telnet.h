/* Telnet on a byte stream, and the COM-PORT-OPTION subnegotiations of a remote serial
 * port (RFC 854, RFC 855, RFC 2217).
 *
 * Plain code for either end of the connection: the decoder splits what arrives into data
 * and commands, keeping its state from one piece to the next; the builders make the bytes
 * to send. Which options to accept and what to answer is the user's business. */
#ifndef KORA_TELNET_H
#define KORA_TELNET_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

enum {
    TELNET_SE = 240,
    TELNET_NOP = 241,
    TELNET_SB = 250,
    TELNET_WILL = 251,
    TELNET_WONT = 252,
    TELNET_DO = 253,
    TELNET_DONT = 254,
    TELNET_IAC = 255
};

enum {
    TELNET_OPTION_BINARY = 0,
    TELNET_OPTION_ECHO = 1,
    TELNET_OPTION_SUPPRESS_GO_AHEAD = 3,
    TELNET_OPTION_COM_PORT = 44
};

/* The COM-PORT-OPTION commands as the client sends them; the server answers each with
 * the same code plus RFC2217_ANSWER. */
enum {
    RFC2217_SIGNATURE = 0,
    RFC2217_SET_BAUDRATE = 1,
    RFC2217_SET_DATASIZE = 2,
    RFC2217_SET_PARITY = 3,
    RFC2217_SET_STOPSIZE = 4,
    RFC2217_SET_CONTROL = 5,
    RFC2217_NOTIFY_LINESTATE = 6,
    RFC2217_NOTIFY_MODEMSTATE = 7,
    RFC2217_FLOWCONTROL_SUSPEND = 8,
    RFC2217_FLOWCONTROL_RESUME = 9,
    RFC2217_SET_LINESTATE_MASK = 10,
    RFC2217_SET_MODEMSTATE_MASK = 11,
    RFC2217_PURGE_DATA = 12,
    RFC2217_ANSWER = 100
};

/* Values of SET-PARITY, SET-STOPSIZE and SET-CONTROL that a serial tool uses. */
enum {
    RFC2217_PARITY_NONE = 1,
    RFC2217_STOPSIZE_1 = 1,
    RFC2217_CONTROL_NO_FLOW = 1,          /* outbound: no flow control */
    RFC2217_CONTROL_XONXOFF = 2,          /* outbound: XON/XOFF */
    RFC2217_CONTROL_HARDWARE = 3,         /* outbound: RTS/CTS */
    RFC2217_CONTROL_DTR_ON = 8,
    RFC2217_CONTROL_DTR_OFF = 9,
    RFC2217_CONTROL_RTS_ON = 11,
    RFC2217_CONTROL_RTS_OFF = 12,
    RFC2217_CONTROL_INBOUND_NO_FLOW = 14, /* inbound: none */
    RFC2217_CONTROL_INBOUND_XONXOFF = 15  /* inbound: XON/XOFF */
};

/* The longest subnegotiation the decoder keeps, option byte not counted; a longer one
 * is read to its end and dropped. */
#define TELNET_SUBNEGOTIATION_MAX 128

/* A command from the stream: WILL, WONT, DO or DONT with its option, or SB with its
 * option and payload (IAC IAC already undoubled; valid during the callback only). */
typedef struct telnet_command {
    unsigned char command;
    unsigned char option;
    const unsigned char *payload;
    size_t length;
} telnet_command;

typedef void (*telnet_command_handler)(void *context, const telnet_command *command);

typedef struct telnet_decoder {
    int state;
    unsigned char verb;       /* the WILL, WONT, DO or DONT awaiting its option */
    unsigned char option;     /* the option of the subnegotiation being read */
    size_t length;            /* payload bytes kept */
    int overlong;             /* the subnegotiation being read passed the maximum */
    unsigned long dropped;    /* subnegotiations dropped as overlong, for the curious */
    telnet_command_handler handler;
    void *context;
    unsigned char payload[TELNET_SUBNEGOTIATION_MAX];
} telnet_decoder;

void telnet_decoder_init(telnet_decoder *d, telnet_command_handler handler, void *context);

/* Reads n received bytes: their data goes to out (at most n bytes; out may be in), each
 * command to the handler as soon as it is whole. Returns the number of data bytes. */
size_t telnet_decode(telnet_decoder *d, const unsigned char *in, size_t n, unsigned char *out);

/* Data for sending: every 0xFF doubled. out holds 2 * n bytes; returns the length. */
size_t telnet_escape(const unsigned char *in, size_t n, unsigned char *out);

/* As telnet_escape, for an out of room bytes: escapes the longest start of in that fits
 * whole, sets *taken to its length and returns the length written. */
size_t telnet_escape_some(const unsigned char *in, size_t n, size_t *taken, unsigned char *out, size_t room);

/* IAC <command> <option>; returns 3. */
size_t telnet_option(unsigned char command, unsigned char option, unsigned char out[3]);

/* The most bytes a COM-PORT-OPTION subnegotiation built here takes: IAC SB 44, the code
 * and four value bytes each perhaps doubled, IAC SE. */
#define RFC2217_MESSAGE_MAX 15

/* IAC SB COM-PORT-OPTION <code> <value, 0xFF doubled> IAC SE; out holds
 * RFC2217_MESSAGE_MAX bytes, value_length is at most 4. Returns the length. */
size_t rfc2217_message(unsigned char code, const unsigned char *value, size_t value_length,
                       unsigned char out[RFC2217_MESSAGE_MAX]);
/* SET-BAUDRATE (or its answer, with code 101) with the rate in four bytes, big-endian. */
size_t rfc2217_baudrate(unsigned char code, unsigned long baud, unsigned char out[RFC2217_MESSAGE_MAX]);
/* A command with a one-byte value: SET-DATASIZE, SET-PARITY, SET-STOPSIZE, SET-CONTROL... */
size_t rfc2217_byte(unsigned char code, unsigned char value, unsigned char out[RFC2217_MESSAGE_MAX]);

/* A COM-PORT-OPTION subnegotiation read back. */
typedef struct rfc2217_reading {
    unsigned char code;       /* as sent: under 100 from a client, 100 and above from a server */
    unsigned long value;      /* the rate of (SET-)BAUDRATE, else the first value byte */
    size_t value_length;      /* value bytes after the code */
} rfc2217_reading;

/* Reads a subnegotiation of COM-PORT-OPTION; 0 when it is of another option or command,
 * or has no code, or a rate that is not four bytes. */
int rfc2217_read(const telnet_command *command, rfc2217_reading *out);

/* The client's code that a server's code answers (101 -> 1); 0 answers 100 too. */
#define RFC2217_REQUEST_OF(code) ((code) >= RFC2217_ANSWER ? (code) - RFC2217_ANSWER : (code))

#ifdef __cplusplus
}
#endif

#endif
