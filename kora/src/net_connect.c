/* Connecting to a network port: the host's addresses one after the other, each connect
 * non-blocking and watched with select, all of them within one time limit. */
#include <winsock2.h>
#include <ws2tcpip.h>

#include "net.h"

#include <stdio.h>

#include "link.h"

static BOOL CALLBACK start_winsock(PINIT_ONCE once, void *parameter, void **context)
{
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

int net_start(void)
{
    static INIT_ONCE started = INIT_ONCE_STATIC_INIT;
    return InitOnceExecuteOnce(&started, start_winsock, NULL, NULL) != 0;
}

/* The failure of a connect as the user reads it, after the target. */
static void connect_error(const char *target, int code, char *error, size_t size)
{
    const char *what = NULL;
    switch (code) {
    case WSAECONNREFUSED: what = "connection refused"; break;
    case WSAETIMEDOUT: what = "no answer"; break;
    case WSAEHOSTUNREACH: what = "host unreachable"; break;
    case WSAENETUNREACH: what = "network unreachable"; break;
    }
    if (what) {
        snprintf(error, size, "%s: %s (error %d)", target, what, code);
    } else {
        char message[200];
        system_message((DWORD)code, message, sizeof message);
        snprintf(error, size, "%s: %s", target, message);
    }
}

/* Starts a connect to one address; the socket is non-blocking from here on. */
static SOCKET start_connect(const struct addrinfo *address, int *code)
{
    SOCKET s = socket(address->ai_family, address->ai_socktype, address->ai_protocol);
    if (s == INVALID_SOCKET) {
        *code = WSAGetLastError();
        return s;
    }
    u_long non_blocking = 1;
    if (ioctlsocket(s, FIONBIO, &non_blocking) != 0
        || (connect(s, address->ai_addr, (int)address->ai_addrlen) != 0 && WSAGetLastError() != WSAEWOULDBLOCK)) {
        *code = WSAGetLastError();
        closesocket(s);
        return INVALID_SOCKET;
    }
    return s;
}

/* Waits until the connect has ended or the deadline has come: 1 connected, 0 failed
 * (*code says why), -1 time is up. */
static int finish_connect(SOCKET s, ULONGLONG deadline, int *code)
{
    for (;;) {
        ULONGLONG now = GetTickCount64();
        if (now >= deadline)
            return -1;
        fd_set writable, failed;
        FD_ZERO(&writable);
        FD_ZERO(&failed);
        FD_SET(s, &writable);
        FD_SET(s, &failed);
        ULONGLONG left = deadline - now;
        struct timeval wait = { (long)(left / 1000), (long)(left % 1000) * 1000 };
        int n = select(0, NULL, &writable, &failed, &wait);
        if (n < 0) {
            *code = WSAGetLastError();
            return 0;
        }
        if (n == 0)
            continue;
        int error = 0;
        int length = sizeof error;
        getsockopt(s, SOL_SOCKET, SO_ERROR, (char *)&error, &length);
        if (FD_ISSET(s, &failed) || error) {
            *code = error ? error : WSAECONNREFUSED;
            return 0;
        }
        return 1;
    }
}

UINT_PTR net_connect(const char *host, unsigned port, const char *target, char *error, size_t size)
{
    if (!net_start()) {
        connect_error(target, WSAGetLastError(), error, size);
        return INVALID_SOCKET;
    }
    struct addrinfo hints = {0}, *addresses = NULL;
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    char service[8];
    snprintf(service, sizeof service, "%u", port);
    int code = getaddrinfo(host, service, &hints, &addresses);
    if (code != 0) {
        char message[200];
        system_message((DWORD)code, message, sizeof message);
        snprintf(error, size, "%s: cannot find the host: %s", target, message);
        return INVALID_SOCKET;
    }
    ULONGLONG deadline = GetTickCount64() + NET_CONNECT_LIMIT_MS;
    SOCKET s = INVALID_SOCKET;
    int timed_out = 0;
    code = WSAEHOSTUNREACH;
    for (const struct addrinfo *a = addresses; a && s == INVALID_SOCKET && !timed_out; a = a->ai_next) {
        s = start_connect(a, &code);
        if (s == INVALID_SOCKET)
            continue;
        int result = finish_connect(s, deadline, &code);
        if (result != 1) {
            closesocket(s);
            s = INVALID_SOCKET;
            timed_out = result < 0;
        }
    }
    freeaddrinfo(addresses);
    if (timed_out) {
        snprintf(error, size, "%s: no answer within %u s", target, NET_CONNECT_LIMIT_MS / 1000);
        return INVALID_SOCKET;
    }
    if (s == INVALID_SOCKET) {
        connect_error(target, code, error, size);
        return INVALID_SOCKET;
    }
    /* Every write is a request or a frame someone waits for: no coalescing. */
    BOOL no_delay = TRUE;
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, (const char *)&no_delay, sizeof no_delay);
    return s;
}

void net_close(UINT_PTR s)
{
    if (s != NET_NO_SOCKET)
        closesocket((SOCKET)s);
}
