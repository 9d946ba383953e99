#include "net_peer.h"

#include <ws2tcpip.h>

namespace {
bool StartWinsock()
{
    static bool bStarted = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return bStarted;
}

// Waits up to ms for the socket to be readable.
bool Readable(SOCKET s, DWORD ms)
{
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(s, &readable);
    timeval wait = { static_cast<long>(ms / 1000), static_cast<long>(ms % 1000) * 1000 };
    return select(0, &readable, nullptr, nullptr, &wait) > 0;
}

SOCKET Listener(int backlog, unsigned& port, int receive_buffer = 0)
{
    StartWinsock();
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s != INVALID_SOCKET && receive_buffer) // taken over by the connections it accepts
        setsockopt(s, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&receive_buffer), sizeof receive_buffer);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    if (s == INVALID_SOCKET || bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0
        || listen(s, backlog) != 0 || getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        if (s != INVALID_SOCKET)
            closesocket(s);
        return INVALID_SOCKET;
    }
    port = ntohs(address.sin_port);
    return s;
}
}

NetPeer::NetPeer(int backlog, int receive_buffer)
{
    m_listener = Listener(backlog, m_port, receive_buffer);
}

NetPeer::~NetPeer()
{
    close_client();
    if (m_listener != INVALID_SOCKET)
        closesocket(m_listener);
}

std::string NetPeer::connection(const char* kind, unsigned baud) const
{
    return std::string("ASYNC/") + kind + ":127.0.0.1:" + std::to_string(m_port) + ",SPEED=" + std::to_string(baud)
         + ",FLOW=XONXOFF";
}

std::string NetPeer::target(const char* scheme) const
{
    return std::string(scheme) + "://127.0.0.1:" + std::to_string(m_port);
}

bool NetPeer::accept(DWORD ms)
{
    close_client();
    if (!Readable(m_listener, ms))
        return false;
    m_client = ::accept(m_listener, nullptr, nullptr);
    m_closed = false;
    if (m_client == INVALID_SOCKET)
        return false;
    // A serial device server sends what the device sends as it comes, without Nagle's
    // delay: a small write would otherwise wait for the acknowledgement of the one before.
    BOOL no_delay = TRUE;
    setsockopt(m_client, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&no_delay), sizeof no_delay);
    return true;
}

bool NetPeer::pending(DWORD ms) const
{
    return Readable(m_listener, ms);
}

void NetPeer::write(const std::string& bytes)
{
    size_t nSent = 0;
    while (m_client != INVALID_SOCKET && nSent < bytes.size()) {
        int n = send(m_client, bytes.data() + nSent, static_cast<int>(bytes.size() - nSent), 0);
        if (n <= 0)
            break;
        nSent += static_cast<size_t>(n);
    }
}

std::string NetPeer::read(size_t count, DWORD ms)
{
    std::string got;
    ULONGLONG deadline = GetTickCount64() + ms;
    while (m_client != INVALID_SOCKET && !m_closed && got.size() < count) {
        ULONGLONG now = GetTickCount64();
        if (now >= deadline || !Readable(m_client, static_cast<DWORD>(deadline - now)))
            break;
        char buffer[4096];
        int n = recv(m_client, buffer, static_cast<int>(std::min<size_t>(sizeof buffer, count - got.size())), 0);
        if (n <= 0) {
            m_closed = true;
            break;
        }
        got.append(buffer, static_cast<size_t>(n));
    }
    return got;
}

std::string NetPeer::read_quiet(DWORD ms)
{
    std::string got;
    for (std::string piece = read(65536, ms); !piece.empty(); piece = read(65536, ms))
        got += piece;
    return got;
}

bool NetPeer::sees_close(DWORD ms)
{
    ULONGLONG deadline = GetTickCount64() + ms;
    while (!m_closed && GetTickCount64() < deadline)
        read(65536, static_cast<DWORD>(deadline - GetTickCount64()));
    return m_closed;
}

void NetPeer::close_client()
{
    if (m_client != INVALID_SOCKET)
        closesocket(m_client);
    m_client = INVALID_SOCKET;
}

unsigned refused_port()
{
    unsigned port = 0;
    SOCKET s = Listener(1, port);
    if (s != INVALID_SOCKET)
        closesocket(s);
    return port;
}

std::string doubled(const std::string& data)
{
    std::string wire;
    for (char c : data) {
        wire += c;
        if (static_cast<unsigned char>(c) == 0xFF)
            wire += c;
    }
    return wire;
}
