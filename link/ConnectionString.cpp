#include "ConnectionString.h"

#include <cstdio>

std::string ConnectionString(unsigned nPort, unsigned nBaud)
{
    char szConnection[64];
    std::snprintf(szConnection, sizeof szConnection, "ASYNC/COM:%u,SPEED=%u,FLOW=XONXOFF", nPort, nBaud);
    return szConnection;
}
