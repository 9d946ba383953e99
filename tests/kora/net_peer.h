// The other end of a network link in the KORA tests: a TCP server on the loopback that the
// test drives itself, playing an RFC 2217 server or a raw TCP device.
#pragma once

#include <winsock2.h>

#include <string>

class NetPeer {
public:
    // Listens on 127.0.0.1 at a free port, with room for backlog connections not yet taken;
    // receive_buffer (bytes, 0: the system's) bounds what a connection takes unread.
    explicit NetPeer(int backlog = 4, int receive_buffer = 0);
    ~NetPeer();
    NetPeer(const NetPeer&) = delete;
    NetPeer& operator=(const NetPeer&) = delete;

    unsigned port() const { return m_port; }
    bool listening() const { return m_listener != INVALID_SOCKET; }
    // "ASYNC/RFC2217:127.0.0.1:<port>,SPEED=<baud>,FLOW=XONXOFF" and the like.
    std::string connection(const char* kind, unsigned baud) const;
    std::string target(const char* scheme) const;

    // Takes the next connection within ms; false when none came (the one before is dropped).
    bool accept(DWORD ms);
    // True when a connection waits to be taken, within ms (the current one is kept).
    bool pending(DWORD ms) const;
    void write(const std::string& bytes);
    // Reads until count bytes have come, the connection has ended or ms have passed.
    std::string read(size_t count, DWORD ms);
    // Reads what comes until the line has been quiet for ms.
    std::string read_quiet(DWORD ms);
    // True when the client has closed the connection (all its bytes read first), within ms.
    bool sees_close(DWORD ms);
    void close_client();

private:
    SOCKET m_listener = INVALID_SOCKET;
    SOCKET m_client = INVALID_SOCKET;
    unsigned m_port = 0;
    bool m_closed = false;
};

// A port on the loopback where nobody listens: connects to it are refused.
unsigned refused_port();

// The escaped form of data on a Telnet connection: every 0xFF doubled.
std::string doubled(const std::string& data);
