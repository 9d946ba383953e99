/* The I/O thread of a network link: the only thread that sends and receives on its
 * connection.
 *
 * The socket is non-blocking and tied to one event with WSAEventSelect (read, write,
 * close); the thread sleeps on its stop event, its work event (KoraWrite queued bytes,
 * KoraRead made room, KoraOpen adopted the link) and the socket's event, and then does
 * what can be done without blocking. Received bytes go into the link's receive queue as
 * on a COM port; when it is full the thread stops reading and TCP's window pauses the
 * sender, so no XOFF goes into a network link. Written bytes are handed to the socket in
 * pieces of at most KORA_PARAM_TX_QUEUE bytes; KORA_EVENT_SENT follows when the socket has
 * taken the last of them. A piece the socket has taken nothing of within the write
 * time-out (the peer reads nothing) fails the link, as a stalled transmitter does. A
 * connection closed or reset by the peer fails the link. There are no line errors.
 *
 * Over RFC 2217 every byte passes the client (rfc2217_client.c): data is unescaped on
 * the way in and escaped on the way out, the server's negotiation is answered before any
 * further data goes, and the link is ready once the server has confirmed the rate, or
 * NET_CONFIRM_MS after asking without it; the settings still unconfirmed then are noted
 * once (KORA_EVENT_NOTICE) and the link goes on. Raw TCP passes bytes as they are and is
 * ready at once.
 */
#include <winsock2.h>

#include "net.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "connection.h"
#include "io.h"
#include "rfc2217_client.h"

#define CHECK_MS 250               /* how often an idle link looks at its deadlines and parking */
#define RECEIVES_AT_ONCE 16        /* receives in a row before the thread looks at the rest */
#define PIECE_MAX 65536            /* the largest KORA_PARAM_TX_QUEUE */

typedef struct net_state {
    kora_link *link;
    SOCKET socket;
    WSAEVENT event;
    int rfc2217;
    unsigned baud;                 /* the rate asked of the server last */
    ULONGLONG ready_due;           /* RFC 2217: ready at the latest then; 0 = no wait */
    ULONGLONG notice_due;          /* when settings still unconfirmed are noted; 0 = none */
    ULONGLONG rx_post_due;         /* when received bytes held back are announced; 0 = none */
    ULONGLONG write_deadline;      /* the piece on its way has failed by then; 0 = none */
    size_t wire_length;            /* bytes in wire, */
    size_t wire_sent;              /* of which the socket has taken these */
    int wire_has_data;             /* wire holds written data, not only control bytes */
    rfc2217_client client;
    unsigned char received[READ_CHUNK];
    unsigned char piece[PIECE_MAX];
    unsigned char wire[2 * PIECE_MAX + RFC2217_CLIENT_OUT_SIZE]; /* control bytes, then a piece escaped */
} net_state;

/* Fails the link with the socket's error code, named after the target. */
static void fail_with(net_state *ns, const char *what, int code)
{
    kora_link *link = ns->link;
    char message[200];
    if (code == WSAECONNRESET || code == WSAECONNABORTED)
        snprintf(message, sizeof message, "the connection was reset (error %d)", code);
    else
        system_message((DWORD)code, message, sizeof message);
    library_lock();
    link_fail(link, "%s: %s%s", link->target, what, message);
    library_unlock();
}

static int failed(kora_link *link)
{
    library_lock();
    int result = link->failed;
    library_unlock();
    return result;
}

/* The link is up: once per open (and once per adoption). */
static void become_ready(net_state *ns)
{
    kora_link *link = ns->link;
    ns->ready_due = 0;
    library_lock();
    if (!link->ready && !link->failed && !link->parked) {
        link->ready = 1;
        link_post(link, KORA_EVENT_READY);
        if (link->rx.count) /* kept from before a re-open */
            link_post(link, KORA_EVENT_RECEIVED);
        library_state_changed();
    }
    library_unlock();
}

/* Asks the server for the settings (at the start) or the new rate (an adoption), and
 * waits for its confirmation. */
static void ask_server(net_state *ns, int start)
{
    ULONGLONG now = GetTickCount64();
    if (start)
        rfc2217_client_start(&ns->client, ns->baud);
    else
        rfc2217_client_set_rate(&ns->client, ns->baud);
    ns->ready_due = now + NET_CONFIRM_MS;
    ns->notice_due = now + NET_CONFIRM_MS;
}

/* An open of the same target has adopted the link: a new rate goes to the server. */
static void take_adoption(net_state *ns)
{
    kora_link *link = ns->link;
    library_lock();
    int adopted = link->adopted;
    unsigned baud = link->baud;
    int new_rate = adopted && ns->rfc2217 && baud != ns->baud;
    link->adopted = 0;
    if (new_rate)
        link->ready = 0; /* up only once the server has the new rate, whatever came meanwhile */
    library_unlock();
    if (!adopted)
        return;
    if (new_rate) {
        ns->baud = baud;
        ask_server(ns, 0);
    } else {
        become_ready(ns);
    }
}

/* What the server has not confirmed in time, noted once for the program. */
static void note_unconfirmed(net_state *ns)
{
    kora_link *link = ns->link;
    char settings[160];
    ns->notice_due = 0;
    if (!rfc2217_client_take_unconfirmed(&ns->client, settings, sizeof settings))
        return;
    library_lock();
    if (!link->parked && !link->failed) {
        link_error(link, "%s did not confirm %s", link->target, settings);
        link_post(link, KORA_EVENT_NOTICE);
    }
    library_unlock();
}

static void receive(net_state *ns)
{
    kora_link *link = ns->link;
    for (int i = 0; i < RECEIVES_AT_ONCE; i++) {
        library_lock();
        size_t room = link->failed ? 0 : byte_queue_room(&link->rx);
        library_unlock();
        if (room == 0)
            return;
        int n = recv(ns->socket, (char *)ns->received, (int)(room < READ_CHUNK ? room : READ_CHUNK), 0);
        if (n == 0) {
            library_lock();
            link_fail(link, "%s: the server closed the connection.", link->target);
            library_unlock();
            return;
        }
        if (n < 0) {
            int code = WSAGetLastError();
            if (code != WSAEWOULDBLOCK)
                fail_with(ns, "cannot receive: ", code);
            return;
        }
        size_t data = ns->rfc2217 ? rfc2217_client_receive(&ns->client, ns->received, (size_t)n, ns->received)
                                  : (size_t)n;
        if (data == 0)
            continue;
        library_lock();
        byte_queue_push(&link->rx, ns->received, data);
        link_announce_received(link, GetTickCount64(), &ns->rx_post_due);
        library_state_changed();
        library_unlock();
    }
}

/* Fills the empty wire: control bytes first, then a piece of written data. */
static void fill_wire(net_state *ns)
{
    kora_link *link = ns->link;
    ns->wire_length = ns->wire_sent = 0;
    ns->wire_has_data = 0;
    if (ns->rfc2217)
        ns->wire_length = rfc2217_client_take_output(&ns->client, ns->wire, RFC2217_CLIENT_OUT_SIZE);
    library_lock();
    size_t n = 0;
    if (!link->failed && link->tx.count) {
        n = byte_queue_pop(&link->tx, ns->piece, link->tx_queue_size);
        link->sending = 1;
    }
    unsigned timeout_ms = link->write_timeout_ms;
    library_unlock();
    if (n) {
        ns->wire_length += ns->rfc2217 ? telnet_escape(ns->piece, n, ns->wire + ns->wire_length)
                                       : (memcpy(ns->wire + ns->wire_length, ns->piece, n), n);
        ns->wire_has_data = 1;
    }
    ns->write_deadline = ns->wire_length && timeout_ms ? GetTickCount64() + timeout_ms + link_line_time_ms(n, link->baud) : 0;
}

/* Hands the socket what it takes now; when a piece of data has gone and no more is
 * queued, the transmitter is empty. */
static void send_all(net_state *ns)
{
    kora_link *link = ns->link;
    for (;;) {
        if (ns->wire_sent == ns->wire_length) {
            fill_wire(ns);
            if (ns->wire_length == 0)
                return;
        }
        int n = send(ns->socket, (const char *)ns->wire + ns->wire_sent, (int)(ns->wire_length - ns->wire_sent), 0);
        if (n < 0) {
            int code = WSAGetLastError();
            if (code != WSAEWOULDBLOCK)
                fail_with(ns, "cannot send: ", code);
            return;
        }
        ns->wire_sent += (size_t)n;
        if (ns->wire_sent < ns->wire_length)
            continue;
        ns->write_deadline = 0;
        if (ns->wire_has_data)
            link_piece_sent(link);
    }
}

static void check_write_deadline(net_state *ns)
{
    kora_link *link = ns->link;
    if (!ns->write_deadline || GetTickCount64() < ns->write_deadline || ns->wire_sent == ns->wire_length)
        return;
    ns->write_deadline = 0;
    library_lock();
    link_fail(link, "%s took no data for %u ms: the transmitter is stalled.", link->target, link->write_timeout_ms);
    library_unlock();
}

/* Announces received bytes held back, once their time has come. */
static void announce_due(net_state *ns)
{
    if (!ns->rx_post_due || GetTickCount64() < ns->rx_post_due)
        return;
    ns->rx_post_due = 0;
    library_lock();
    if (ns->link->rx.count)
        link_announce_held(ns->link, GetTickCount64());
    library_unlock();
}

/* ms, or less when the moment due (0 = none) comes sooner. */
static DWORD until(DWORD ms, ULONGLONG due, ULONGLONG now)
{
    if (!due)
        return ms;
    ULONGLONG left = due > now ? due - now : 0;
    return left < ms ? (DWORD)left : ms;
}

static DWORD wait_time(const net_state *ns)
{
    ULONGLONG now = GetTickCount64();
    DWORD ms = until(CHECK_MS, ns->ready_due, now);
    ms = until(ms, ns->notice_due, now);
    ms = until(ms, ns->rx_post_due, now);
    return until(ms, ns->write_deadline, now);
}

/* Runs the link until KoraClose stops it (0) or its parking is over (1: the thread
 * then closes and frees it). */
static int run(net_state *ns)
{
    kora_link *link = ns->link;
    if (ns->rfc2217)
        ask_server(ns, 1);
    else
        become_ready(ns);
    for (;;) {
        take_adoption(ns);
        library_lock();
        int over = net_park_over(link, GetTickCount64());
        library_unlock();
        if (over)
            return 1;
        if (!failed(link)) {
            receive(ns);
            send_all(ns);
            check_write_deadline(ns);
            if (ns->ready_due && (rfc2217_client_rate_confirmed(&ns->client) || GetTickCount64() >= ns->ready_due))
                become_ready(ns);
            if (ns->notice_due && GetTickCount64() >= ns->notice_due)
                note_unconfirmed(ns);
            announce_due(ns);
        }
        HANDLE events[3] = {link->stop, link->work, ns->event};
        DWORD woke = WaitForMultipleObjects(3, events, FALSE, wait_time(ns));
        if (woke == WAIT_OBJECT_0)
            return 0;
        if (woke == WAIT_OBJECT_0 + 2) {
            WSANETWORKEVENTS happened;
            WSAEnumNetworkEvents(ns->socket, ns->event, &happened); /* and resets the event */
        } else if (woke == WAIT_FAILED) {
            fail_with(ns, "the I/O stopped: ", (int)GetLastError());
            WaitForSingleObject(link->stop, CHECK_MS);
        }
    }
}

DWORD WINAPI net_io_thread(void *parameter)
{
    kora_link *link = parameter;
    HMODULE module = link->module;
    net_state *ns = calloc(1, sizeof *ns);
    WSAEVENT event = WSACreateEvent();
    int over = 0;
    if (!ns || event == WSA_INVALID_EVENT
        || WSAEventSelect((SOCKET)link->socket, event, FD_READ | FD_WRITE | FD_CLOSE) != 0) {
        library_lock();
        link_fail(link, "Out of memory for the I/O of %s.", link->target);
        library_unlock();
        WaitForSingleObject(link->stop, INFINITE);
    } else {
        ns->link = link;
        ns->socket = (SOCKET)link->socket;
        ns->event = event;
        ns->rfc2217 = link->kind == CONNECTION_RFC2217;
        ns->baud = link->baud;
        over = run(ns);
    }
    if (event != WSA_INVALID_EVENT)
        WSACloseEvent(event);
    free(ns);
    if (over)
        link_destroy(link); /* closes the connection: nobody adopted it */
    FreeLibraryAndExitThread(module, 0);
    return 0;
}
