/* KoraOpen and KoraClose: the life of a link.
 *
 * KoraOpen claims the port, opens and sets it up, creates the link's message-only window
 * on the opening thread (event_window.c) and starts its I/O thread (io_thread.c). A
 * network target is claimed the same way and connected instead (net.h), or adopted
 * with its connection when its last link was closed moments ago.
 *
 * KoraClose lets the bytes written before it go out, takes the link out of the table
 * (from then on its queued messages find nothing and are dropped), then sets the stop
 * event; the I/O thread cancels its pending requests and ends, and KoraClose closes the
 * port, the thread and the window. A thread that does not end within three seconds is
 * left with its link, so that close never hangs. A network link that has not failed is
 * parked instead: its thread goes on until an open adopts it or its time is up (net.h).
 */
#include "kora.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "connection.h"
#include "link.h"
#include "net.h"
#include "port.h"
#include "reopen.h"

#define RX_QUEUE_LIMIT 65536
#define TX_QUEUE_LIMIT (1024 * 1024)
#define CLOSE_WAIT_MS 3000
#define DEFAULT_RX_QUEUE 4096
#define DEFAULT_TX_QUEUE 1024
#define DEFAULT_WRITE_TIMEOUT_MS 1000

void link_destroy(kora_link *link)
{
    if (link->com != INVALID_HANDLE_VALUE)
        CloseHandle(link->com);
    net_close(link->socket);
    if (link->port_claim)
        CloseHandle(link->port_claim);
    if (link->thread)
        CloseHandle(link->thread);
    if (link->stop)
        CloseHandle(link->stop);
    if (link->work)
        CloseHandle(link->work);
    if (link->window)
        event_window_destroy(link->window);
    byte_queue_free(&link->rx);
    byte_queue_free(&link->tx);
    free(link);
}

/* Marks the port (or the network target) as in use for the life of the link. Windows
 * refuses a second open of a COM port by itself; this makes links refuse each other on
 * Wine and on a network target too. */
static HANDLE claim_port(const char *target)
{
    char name[KORA_TARGET_SIZE + 20];
    snprintf(name, sizeof name, "KORA.DLL port %s", target);
    HANDLE claim = CreateMutexA(NULL, FALSE, name);
    if (claim && GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(claim);
        SetLastError(ERROR_ACCESS_DENIED);
        return NULL;
    }
    return claim;
}

static LONG open_failed(LONG result, const char *text)
{
    library_lock();
    library_error("%s", text);
    library_unlock();
    return result;
}

static LONG open_system_failed(kora_link *link, const char *action)
{
    char message[200], text[KORA_TEXT_SIZE];
    system_message(GetLastError(), message, sizeof message);
    snprintf(text, sizeof text, "Cannot %s %s: %s", action, link->target, message);
    link_destroy(link);
    return open_failed(KORA_E_PORT, text);
}

/* A link of the target as KoraOpen starts every one, not yet connected. */
static kora_link *new_link(const connection *where)
{
    kora_link *link = calloc(1, sizeof *link);
    if (!link)
        return NULL;
    link->com = INVALID_HANDLE_VALUE;
    link->socket = NET_NO_SOCKET;
    link->kind = where->kind;
    link->port = where->port;
    link->baud = where->baud;
    connection_target(where, link->target, sizeof link->target);
    link->rx_queue_size = DEFAULT_RX_QUEUE;
    link->tx_queue_size = DEFAULT_TX_QUEUE;
    link->write_timeout_ms = DEFAULT_WRITE_TIMEOUT_MS;
    byte_queue_init(&link->rx, RX_QUEUE_LIMIT);
    byte_queue_init(&link->tx, TX_QUEUE_LIMIT);
    return link;
}

/* The events, the window and the I/O thread of a link whose port or connection is open;
 * the link is freed when this fails. */
static LONG start_link(kora_link *link, int keep_input)
{
    link->stop = CreateEventA(NULL, TRUE, FALSE, NULL);
    link->work = CreateEventA(NULL, FALSE, FALSE, NULL);
    link->window = event_window_create();
    if (!link->stop || !link->work || !link->window)
        return open_system_failed(link, "prepare the link of");
    /* A network link's thread may outlive the link's handle (parked), and so holds the library. */
    if (link->kind != CONNECTION_COM
        && !GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, (LPCSTR)(void *)net_io_thread, &link->module))
        return open_system_failed(link, "prepare the link of");

    library_lock();
    reopen_take(keep_input, &link->rx);
    LONG handle = link_table_add(link);
    library_unlock();
    if (!handle) {
        if (link->module)
            FreeLibrary(link->module);
        link_destroy(link);
        return open_failed(KORA_E_RESOURCES, "Out of memory.");
    }
    link->thread = CreateThread(NULL, 0, link->kind == CONNECTION_COM ? link_io_thread : net_io_thread, link, 0, NULL);
    if (!link->thread) {
        library_lock();
        link_table_remove(link);
        library_unlock();
        if (link->module)
            FreeLibrary(link->module);
        return open_system_failed(link, "start the I/O thread of");
    }
    return handle;
}

/* Adopts the parked link of the target, if there is one: the program re-opens it at
 * once. It keeps what it received and nobody read only when the rate changes, as a COM
 * port does; its thread sends the new rate. Returns the new handle, or 0 when there is
 * no such link. */
static LONG adopt_parked(const connection *where, const char *target)
{
    HWND window = event_window_create();
    if (!window)
        return 0;
    library_lock();
    kora_link *link = net_adopt(target);
    LONG handle = 0;
    if (link) {
        link->window = window;
        memset(link->slots, 0, sizeof link->slots);
        link->posted = 0;
        link->ready = 0;
        link->error[0] = 0;
        if (where->baud == link->parked_baud)
            byte_queue_clear(&link->rx);
        link->baud = where->baud;
        link->rx_queue_size = DEFAULT_RX_QUEUE;
        link->tx_queue_size = DEFAULT_TX_QUEUE;
        link->write_timeout_ms = DEFAULT_WRITE_TIMEOUT_MS;
        link->adopted = 1;
        handle = link_table_add(link);
        if (!handle) {
            link->window = NULL;
            net_park(link);
        }
        SetEvent(link->work);
    }
    library_unlock();
    if (!handle)
        event_window_destroy(window);
    return handle;
}

static LONG open_network(const connection *where)
{
    char target[KORA_TARGET_SIZE], text[KORA_TEXT_SIZE];
    connection_target(where, target, sizeof target);
    LONG handle = adopt_parked(where, target);
    if (handle)
        return handle;
    kora_link *link = new_link(where);
    if (!link)
        return open_failed(KORA_E_RESOURCES, "Out of memory.");
    link->port_claim = claim_port(link->target);
    if (!link->port_claim)
        return open_system_failed(link, "open");
    link->socket = net_connect(where->host, where->port, link->target, text, sizeof text);
    if (link->socket == NET_NO_SOCKET) {
        link_destroy(link);
        return open_failed(KORA_E_PORT, text);
    }
    return start_link(link, 0);
}

LONG WINAPI KoraOpen(const char *pszConnection)
{
    connection where;
    char text[KORA_TEXT_SIZE];
    if (!connection_parse(pszConnection, &where, text, sizeof text))
        return open_failed(KORA_E_ARGUMENT, text);
    if (where.kind != CONNECTION_COM)
        return open_network(&where);

    kora_link *link = new_link(&where);
    if (!link)
        return open_failed(KORA_E_RESOURCES, "Out of memory.");
    link->port_claim = claim_port(link->target);
    if (!link->port_claim)
        return open_system_failed(link, "open");
    library_lock();
    int keep_input = reopen_at_once(where.port, where.baud);
    library_unlock();
    link->com = port_open(where.port, keep_input, text, sizeof text);
    if (link->com == INVALID_HANDLE_VALUE) {
        link_destroy(link);
        return open_failed(KORA_E_PORT, text);
    }
    if (!port_set_up(link->com, where.port, where.baud, link->rx_queue_size, link->tx_queue_size,
                     text, sizeof text)) {
        link_destroy(link);
        return open_failed(KORA_E_PORT, text);
    }
    return start_link(link, keep_input);
}

/* With the lock held: lets the bytes written before a close go out, as a serial driver
 * drains its transmit queue on close (the last thing a program sends before it closes
 * is often the one that matters, such as a good-bye to the device). Bounded by the
 * write time-out plus the bytes' time on the line; a failed link sends nothing more. */
static void drain_output(kora_link *link)
{
    ULONGLONG budget = (link->write_timeout_ms ? link->write_timeout_ms : DEFAULT_WRITE_TIMEOUT_MS)
                     + (ULONGLONG)(link->tx.count + link->tx_queue_size) * 10000u / (link->baud ? link->baud : 1);
    ULONGLONG deadline = GetTickCount64() + budget;
    while (!link->failed && (link->tx.count || link->sending)) {
        ULONGLONG now = GetTickCount64();
        if (now >= deadline)
            break;
        library_wait_for_change((DWORD)(deadline - now));
    }
}

LONG WINAPI KoraClose(LONG hLink)
{
    HWND parked_window = NULL;
    library_lock();
    kora_link *link = link_table_find(hLink);
    if (link)
        drain_output(link);
    link = link_table_find(hLink); /* the wait let go of the lock */
    if (link) {
        link_table_remove(link);
        library_state_changed();
        if (link->kind != CONNECTION_COM && !link->failed) {
            /* Its thread goes on with it; no event of it reaches the program any more. */
            parked_window = link->window;
            link->window = NULL;
            link->posted = 0;
            net_park(link);
            SetEvent(link->work);
        }
    }
    library_unlock();
    if (!link)
        return KORA_E_NO_LINK;
    if (parked_window) {
        event_window_destroy(parked_window);
        return 0;
    }
    SetEvent(link->stop);
    if (WaitForSingleObject(link->thread, CLOSE_WAIT_MS) != WAIT_OBJECT_0) {
        /* The thread still uses the link: leave both, but no event reaches the program. */
        event_window_destroy(link->window);
        return 0;
    }
    if (link->kind == CONNECTION_COM) {
        library_lock();
        reopen_keep(link->port, link->baud, &link->rx);
        library_unlock();
    }
    link_destroy(link);
    return 0;
}
