// The connection string that KORA's open takes for a COM port.
#pragma once

#include <string>

// "ASYNC/COM:<port>,SPEED=<baud>,FLOW=XONXOFF"
std::string ConnectionString(unsigned nPort, unsigned nBaud);
