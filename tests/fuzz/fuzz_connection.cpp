// KORA's connection-string parser: a string it accepts is exactly the one the tool builds
// for that port and baud rate (a round trip), within COM1..COM256 at a standard rate; a
// string it refuses gets a printable message that fits the buffer given.
#include "ConnectionString.h"
#include "FuzzCheck.h"
extern "C" {
#include "connection.h"
}

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    if (nSize < 1)
        return 0;
    const std::string strText(reinterpret_cast<const char*>(pData + 1), nSize - 1);
    const unsigned nErrorSize = 1 + pData[0];
    std::unique_ptr<char[]> error(new char[nErrorSize]);
    std::memset(error.get(), 0x55, nErrorSize);
    connection conn = { 0, 0 };
    if (connection_parse(strText.c_str(), &conn, error.get(), nErrorSize)) {
        FUZZ_CHECK(conn.port >= 1 && conn.port <= 256);
        FUZZ_CHECK(ConnectionString(conn.port, conn.baud) == strText.c_str());
        connection again = { 0, 0 };
        FUZZ_CHECK(connection_parse(ConnectionString(conn.port, conn.baud).c_str(), &again, error.get(), nErrorSize));
        FUZZ_CHECK(again.port == conn.port && again.baud == conn.baud);
    } else {
        const std::size_t nLength = strnlen(error.get(), nErrorSize);
        FUZZ_CHECK(nLength < nErrorSize);
        for (std::size_t i = 0; i < nLength; ++i)
            FUZZ_CHECK(error[i] >= 0x20 && error[i] < 0x7F);
    }
    return 0;
}
