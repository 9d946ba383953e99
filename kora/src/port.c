#include "port.h"

#include <stdio.h>
#include <string.h>

#include "link.h"

static void port_error(const char *action, unsigned port, char *error, size_t size)
{
    char message[200];
    system_message(GetLastError(), message, sizeof message);
    snprintf(error, size, "Cannot %s COM%u: %s", action, port, message);
}

HANDLE port_open(unsigned port, int keep_input, char *error, size_t size)
{
    char name[16];
    /* The device namespace form: plain "COM10" and up are not found. */
    snprintf(name, sizeof name, "\\\\.\\COM%u", port);
    HANDLE com = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING,
                             FILE_FLAG_OVERLAPPED, NULL);
    if (com == INVALID_HANDLE_VALUE) {
        port_error("open", port, error, size);
        return com;
    }
    /* A port just opened has received nothing: a real port drops what arrives while no
     * one holds it, but a pty keeps it, and the tool would take it for the answer to its
     * wake-up. Not so on a re-open at once (reopen.h). Its output is left alone: a new
     * handle has sent nothing, and what the last link wrote may still be on its way (the
     * good-bye, the wake-up before the baud switch); Wine purges a pty's output by
     * dropping what the other end has not taken yet. */
    if (!keep_input)
        PurgeComm(com, PURGE_RXCLEAR);
    return com;
}

/* XOFF when a quarter of the receive queue is left free, XON when it has drained to a
 * quarter. */
static void set_flow_limits(DCB *dcb, unsigned rx_queue)
{
    dcb->XonLim = (WORD)(rx_queue / 4);
    dcb->XoffLim = (WORD)(rx_queue / 4);
}

/* Sizes the driver's queues and reads the port's settings into dcb. */
static int size_queues(HANDLE com, unsigned rx_queue, unsigned tx_queue, DCB *dcb)
{
    memset(dcb, 0, sizeof *dcb);
    dcb->DCBlength = sizeof *dcb;
    return SetupComm(com, rx_queue, tx_queue) && GetCommState(com, dcb);
}

int port_set_queues(HANDLE com, unsigned port, unsigned rx_queue, unsigned tx_queue,
                    char *error, size_t size)
{
    DCB dcb;
    int done = size_queues(com, rx_queue, tx_queue, &dcb);
    if (done) {
        set_flow_limits(&dcb, rx_queue);
        done = SetCommState(com, &dcb);
    }
    if (!done)
        port_error("size the queues of", port, error, size);
    return done;
}

int port_set_up(HANDLE com, unsigned port, unsigned baud, unsigned rx_queue, unsigned tx_queue,
                char *error, size_t size)
{
    DCB dcb;
    if (!size_queues(com, rx_queue, tx_queue, &dcb)) {
        port_error("set up", port, error, size);
        return 0;
    }
    dcb.BaudRate = baud;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fParity = FALSE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fDsrSensitivity = FALSE;
    /* XON/XOFF towards the device only: it is asked to pause when the receive queue
     * fills. Bytes 0x11 and 0x13 from the device are data (its binary frames carry
     * them unescaped), so they must neither vanish nor stop the transmitter. */
    dcb.fInX = TRUE;
    dcb.fOutX = FALSE;
    dcb.fTXContinueOnXoff = TRUE;
    dcb.XonChar = 0x11;
    dcb.XoffChar = 0x13;
    set_flow_limits(&dcb, rx_queue);
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    /* Errors are collected with ClearCommError; they must not stop the I/O. */
    dcb.fAbortOnError = FALSE;
    dcb.ErrorChar = 0;
    dcb.EofChar = 0;
    dcb.EvtChar = 0;
    if (!SetCommState(com, &dcb)) {
        char what[32];
        snprintf(what, sizeof what, "set %u baud on", baud);
        port_error(what, port, error, size);
        return 0;
    }
    /* All zero: a read waits until its whole buffer is filled, and the reception reads
     * exactly what is there; the write time-out is kept by the I/O thread itself. */
    COMMTIMEOUTS timeouts = {0};
    if (!SetCommTimeouts(com, &timeouts)) {
        port_error("set up", port, error, size);
        return 0;
    }
    return 1;
}
