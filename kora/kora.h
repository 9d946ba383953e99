/* KORA.DLL: serial communications library of Zevanto.
 *
 * One link is one open COM port, or one connection to a serial port on the network:
 * a remote serial port that speaks RFC 2217 (Telnet COM-PORT-OPTION: ser2net, serial
 * device servers, pyserial's port manager), or a raw TCP connection that passes bytes as
 * they are. Every function is exported by ordinal only (the number after @); the import
 * library makes callers import by ordinal.
 *
 * Results: a negative result is a failure (KORA_E_...); the text of the failure is
 * kept and KoraGetErrorText returns it. Failures of a call on an open link are kept
 * with that link; failures that belong to no open link (a failed KoraOpen, a call
 * with a handle that is not an open link, a wait with no link open) are kept as the
 * library's last error, which KoraGetErrorText returns for any handle that is not
 * an open link (for example -1 after a failed open). Once a link has failed (its port
 * went away or its transmitter stalled) its text stays the cause of that failure. Line
 * errors are no failure and leave the text alone: they are counted (KORA_EVENT_LINE_ERROR).
 * While a link is good its text may hold a note for the user (KORA_EVENT_NOTICE); a
 * failure's text replaces it.
 *
 * Events: the library calls the callbacks registered for a link on the thread that
 * opened it, from that thread's message loop, one at a time; that thread must run a
 * message loop. No callback of a link runs after KoraClose of it has returned.
 */
#ifndef KORA_H
#define KORA_H

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Event bits: each is one callback slot of KoraSetCallback and, for 1 and 4, an
 * event class of KoraWait. */
#define KORA_EVENT_READY       1  /* the link is up: port set up, reception running (once per
                                     link) */
#define KORA_EVENT_RECEIVED    2  /* received bytes are waiting for KoraRead. Every piece of
                                     the answer to a write comes at once, and so do the
                                     first bytes after 50 ms without one; bytes that keep
                                     flowing by themselves (unasked, or longer than 20 ms after
                                     the answer began) come about every 50 ms (sooner above
                                     192000 baud) */
#define KORA_EVENT_SENT        4  /* the transmitter is empty: every byte written so far has gone
                                     out */
#define KORA_EVENT_LINE_ERROR  8  /* line errors (framing, parity, overrun, break) have been
                                     counted; the counts wait for KoraSetParam with
                                     KORA_PARAM_..._ERRORS. The link goes on: damaged bytes are
                                     the protocol's to deal with */
#define KORA_EVENT_LINK_FAILED 16 /* the link failed (port gone, connection closed or reset,
                                     transmitter stalled); raised once per link */
#define KORA_EVENT_NOTICE      32 /* the link has a note for the user, which KoraGetErrorText
                                     returns (a network server did not confirm a setting in
                                     time); the link goes on */
#define KORA_EVENT_SLOT32      KORA_EVENT_NOTICE
#define KORA_EVENT_SLOT64      64 /* accepted for registration; raised by no event */

/* Link parameters of KoraSetParam. */
/* Size in bytes of the port's receive queue in the serial driver (16 to 65536,
 * default 4096). The library asks the device to pause (XOFF) when a quarter of it is
 * left free and to go on (XON) when it has drained to a quarter. */
#define KORA_PARAM_RX_QUEUE      0x202011
/* Size in bytes of the port's transmit queue, and the largest piece of written data
 * that the library hands to the port at once (16 to 65536, default 1024). */
#define KORA_PARAM_TX_QUEUE      0x202012
/* Write time-out in milliseconds (1 to 600000, default 1000, 0 = none): a piece of
 * written data that has not gone out within this time plus its own time on the line
 * at the link's baud rate means the transmitter is stalled; the link then fails. */
#define KORA_PARAM_WRITE_TIMEOUT 0x202013
/* The link's line-error counters: how many times the port has reported a framing error,
 * a parity error, an overrun (of the UART or of the driver's receive queue) or a break
 * since the counter was last set. The port reports kinds, not numbers, so several errors
 * of one kind that come between two looks at the port count once; the library looks
 * after every piece received and every 250 ms. The only value a counter can be set to
 * is 0, and KoraSetParam then returns the count it held (not negative): taking the four
 * counts after KORA_EVENT_LINE_ERROR reads and clears them, so every error is counted
 * exactly once. */
#define KORA_PARAM_FRAMING_ERRORS 0x202031
#define KORA_PARAM_PARITY_ERRORS  0x202032
#define KORA_PARAM_OVERRUN_ERRORS 0x202033
#define KORA_PARAM_BREAK_ERRORS   0x202034

/* Status code of KoraTestStatus: "the link is good", i.e. the wait reached its
 * condition on a link that is up. Line errors do not make a link bad: one noisy byte
 * (a device being switched on, a byte at another baud rate) must not fail a wake-up;
 * they are counted (KORA_EVENT_LINE_ERROR) and the link goes on. */
#define KORA_STATUS_LINK_GOOD    0x202020

/* Bits of a non-negative KoraWait result (the state of the link when the wait ended).
 * The first three have the values of the event bits of the same meaning. A failed link
 * has no state bit: its wait ends with KORA_E_FAILED. */
#define KORA_STATE_READY           KORA_EVENT_READY    /* the link is up */
#define KORA_STATE_RX_WAITING      KORA_EVENT_RECEIVED /* received bytes wait for KoraRead */
#define KORA_STATE_TX_EMPTY        KORA_EVENT_SENT     /* nothing is left to send */
#define KORA_STATE_LINE_ERROR_SEEN 16  /* a line error has been seen since open (for
                                          information; the link is still good). Not an event
                                          bit: event bit 16 is KORA_EVENT_LINK_FAILED */

/* Failure results. */
#define KORA_E_ARGUMENT  (-1)  /* malformed connection string, unknown code, bad value or pointer */
#define KORA_E_NO_LINK   (-2)  /* the handle is not an open link; no link is open to wait on */
#define KORA_E_PORT      (-3)  /* the system refused to open or set up the port, or the network
                                  target could not be reached */
#define KORA_E_FAILED    (-4)  /* the link has failed: its port went away, its connection ended
                                  or its transmitter stalled */
#define KORA_E_TIMEOUT   (-5)  /* the wait's time ran out */
#define KORA_E_RESOURCES (-6)  /* out of memory, threads or queue space */

/* A callback: nArg is the event bit, nContext the value registered with it. */
typedef void (WINAPI *KoraEventProc)(LONG nArg, LONG_PTR nContext);

/* @1 Opens a link. The connection string is exactly one of
 *   "ASYNC/COM:<n>,SPEED=<baud>,FLOW=XONXOFF"                COMn, n from 1 to 256
 *   "ASYNC/RFC2217:<host>:<port>,SPEED=<baud>,FLOW=XONXOFF"  a remote serial port (RFC 2217)
 *   "ASYNC/SOCKET:<host>:<port>,SPEED=<baud>,FLOW=XONXOFF"   a raw TCP connection
 * with a standard baud rate (110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 38400,
 * 56000, 57600, 115200, 128000, 230400, 256000, 460800, 921600), numbers in plain decimal;
 * host is a name or an IPv4 address (letters, digits, '-', '.', '_'), or an IPv6 address in
 * brackets ("[fe80::1]"), and port a TCP port from 1 to 65535. Anything else is
 * KORA_E_ARGUMENT with a text that says what is wrong.
 *
 * A COM port is set to 8 data bits, no parity, 1 stop bit. FLOW=XONXOFF: the library
 * sends XOFF/XON to pause the device when its receive queue fills up; XON and XOFF bytes
 * from the device are ordinary data (the device's binary frames carry 0x11 and 0x13) and
 * never stop the transmitter.
 *
 * A network target is connected within 5 seconds, without Nagle's delay; a host that
 * cannot be found, refuses or does not answer is KORA_E_PORT with a text naming the
 * target ("rfc2217://10.1.2.3:4001: no answer within 5 s"). Over RFC 2217 the library
 * offers COM-PORT-OPTION, binary transmission and no go-ahead, answers the server's
 * negotiation (refusing what it does not use), and asks for the baud rate, 8 data bits, no
 * parity, 1 stop bit, XON/XOFF as on a COM port: the server pauses the device with XOFF
 * when its buffer fills (inbound XON/XOFF) and takes 0x11 and 0x13 from the device as data
 * (no outbound flow control), DTR and RTS on; 0xFF in the data is doubled and undoubled. The link is up (KORA_EVENT_READY) once
 * the server has confirmed the rate, or half a second after asking without it; settings
 * not confirmed by then are noted once (KORA_EVENT_NOTICE) and the link goes on. A raw
 * TCP link passes bytes as they are and is up at once. The receive queue is paused by TCP
 * itself (no XOFF goes into a network link); there are no line errors; a connection the
 * other end closes or resets fails the link.
 *
 * Returns the link's handle (> 0, never used again for another link) or KORA_E_ARGUMENT /
 * KORA_E_PORT / KORA_E_RESOURCES. A port or network target that is open already (here or
 * in another program) is refused.
 * A COM port's new link has received nothing, unless the port's last link had another
 * baud rate and was closed less than half a second before (a re-open at another rate):
 * then it starts with what that link received and nobody read, and what has arrived since
 * (announced as received). A network target closed less than half a second before is
 * re-opened on the same connection, which stayed open meanwhile (RFC 2217: the new rate is
 * sent at once); it keeps what was received and not read when the rate changes, and drops
 * it when not. A closed network link that is not opened again within that time has its
 * connection closed then (a library unloaded meanwhile stays loaded until it has). */
LONG WINAPI KoraOpen(const char *pszConnection);

/* @2 Closes a link: lets bytes written before it go out (within the write time-out),
 * then ends its I/O, closes the port and drops its undelivered events (a network link's
 * connection is kept for a moment, see KoraOpen). Quick also when the port has gone away.
 * Returns 0, or KORA_E_NO_LINK (and changes nothing) for a handle that is not an open
 * link. */
LONG WINAPI KoraClose(LONG hLink);

/* @3 Moves up to nCapacity received bytes, oldest first, into pBuffer and returns how
 * many (0 when none are waiting). If bytes are left waiting, another
 * KORA_EVENT_RECEIVED follows. Bytes received before a failure can still be read. */
LONG WINAPI KoraRead(LONG hLink, void *pBuffer, LONG nCapacity);

/* @4 Queues nLength bytes for sending and returns nLength; the bytes go out in order
 * behind those queued before. KORA_EVENT_SENT follows when the transmitter is empty
 * again (once for writes queued back to back). Writing 0 bytes does nothing. */
LONG WINAPI KoraWrite(LONG hLink, const void *pData, LONG nLength);

/* @7 Sets a link parameter (KORA_PARAM_...). Returns 0 or a failure; for a line-error
 * counter (set to 0) the count it held. */
LONG WINAPI KoraSetParam(LONG hLink, LONG nCode, LONG nValue);

/* @8 Tests a result of KoraWait against a status code. For KORA_STATUS_LINK_GOOD:
 * non-zero when the result is not negative and has KORA_STATE_READY, whether or not it
 * has KORA_STATE_LINE_ERROR_SEEN. Any other status code, or a negative result, gives 0. */
LONG WINAPI KoraTestStatus(LONG nWaitResult, LONG nStatusCode);

/* @9 Registers (pfn non-null) or removes (pfn null) the callback of one event bit of a
 * link. nEventBit is one of 1, 2, 4, 8, 16, 32, 64. Returns 0 or a failure. */
LONG WINAPI KoraSetCallback(LONG hLink, LONG nEventBit, KoraEventProc pfn, LONG_PTR nContext);

/* @10 Waits, without running the message loop, on the most recently opened link that
 * is still open, for event class KORA_EVENT_READY (the link is up) or KORA_EVENT_SENT
 * (the transmitter is empty), for at most nTimeoutMs (0 = test only). Returns the
 * link's state (KORA_STATE_... bits, not negative) once the condition holds, or
 * KORA_E_TIMEOUT, KORA_E_FAILED, KORA_E_NO_LINK, KORA_E_ARGUMENT. Events that come
 * up meanwhile are delivered by the message loop afterwards. */
LONG WINAPI KoraWait(LONG nEventClass, LONG nTimeoutMs);

/* @11 Copies the last error text of the link (or the library's last error, for a handle
 * that is not an open link) into pszText, at most 255 characters and a NUL, and returns
 * its length; an empty text means no error. Returns KORA_E_ARGUMENT for a null buffer. */
LONG WINAPI KoraGetErrorText(LONG hLink, char *pszText);

#ifdef __cplusplus
}
#endif

#endif
