// KORA's connection-string parser: a string it accepts is exactly the one the tool builds
// for that port and baud rate (a round trip), within COM1..COM256 at a standard rate, or
// the network form built again from the host, TCP port and rate read; a string it refuses
// gets a printable message that fits the buffer given.
#include "ConnectionString.h"
#include "FuzzCheck.h"
extern "C" {
#include "connection.h"
}

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

namespace {
// The string for what was read, as the program builds it.
std::string Rebuilt(const connection& conn)
{
    if (conn.kind == CONNECTION_COM)
        return ConnectionString(conn.port, conn.baud);
    const std::string strHost = std::strchr(conn.host, ':') ? "[" + std::string(conn.host) + "]" : conn.host;
    return std::string(conn.kind == CONNECTION_RFC2217 ? "ASYNC/RFC2217:" : "ASYNC/SOCKET:") + strHost + ":"
         + std::to_string(conn.port) + ",SPEED=" + std::to_string(conn.baud) + ",FLOW=XONXOFF";
}
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    if (nSize < 1)
        return 0;
    const std::string strText(reinterpret_cast<const char*>(pData + 1), nSize - 1);
    const unsigned nErrorSize = 1 + pData[0];
    std::unique_ptr<char[]> error(new char[nErrorSize]);
    std::memset(error.get(), 0x55, nErrorSize);
    connection conn = {};
    if (connection_parse(strText.c_str(), &conn, error.get(), nErrorSize)) {
        if (conn.kind == CONNECTION_COM)
            FUZZ_CHECK(conn.port >= 1 && conn.port <= 256);
        else
            FUZZ_CHECK(conn.port >= 1 && conn.port <= 65535 && conn.host[0] != 0);
        FUZZ_CHECK(Rebuilt(conn) == strText.c_str());
        connection again = {};
        FUZZ_CHECK(connection_parse(Rebuilt(conn).c_str(), &again, error.get(), nErrorSize));
        FUZZ_CHECK(again.port == conn.port && again.baud == conn.baud && again.kind == conn.kind);
        FUZZ_CHECK(std::strcmp(again.host, conn.host) == 0);
        char szTarget[300];
        connection_target(&conn, szTarget, sizeof szTarget);
        FUZZ_CHECK(std::strlen(szTarget) > 3);
    } else {
        const std::size_t nLength = strnlen(error.get(), nErrorSize);
        FUZZ_CHECK(nLength < nErrorSize);
        for (std::size_t i = 0; i < nLength; ++i)
            FUZZ_CHECK(error[i] >= 0x20 && error[i] < 0x7F);
    }
    return 0;
}
