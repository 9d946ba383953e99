#include "ConnectionString.h"

#include <cstdio>

std::string ConnectionString(unsigned nPort, unsigned nBaud)
{
    // 52 bytes hold the longest text the format can give ("ASYNC/COM:4294967295,...": 51).
    char szConnection[52];
    std::snprintf(szConnection, sizeof szConnection, "ASYNC/COM:%u,SPEED=%u,FLOW=XONXOFF", nPort, nBaud);
    return szConnection;
}
