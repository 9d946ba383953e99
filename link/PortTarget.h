// Where a port choice leads: a COM port of any number, or a serial port on the network
// (RFC 2217, or raw TCP). Read from what a technician writes ([Ports] in ZEV.INI, /port,
// the Ports dialog), shown back in one spelling, and turned into KORA's connection string.
// Plain rules, no window: the program turns a fault into its message from the language
// library.
#pragma once

#include <string>

enum class PortKind { Com, Rfc2217, Socket };

struct PortTarget {
    PortKind kind = PortKind::Com;
    unsigned nCom = 1;      // COM: 1 to 256
    std::string strHost;    // network: a name, an IPv4 address or [an IPv6 address], as written
    unsigned nTcpPort = 0;  // network: 1 to 65535
};

// Why a text is no port; each has its message in the language libraries.
enum class PortFault {
    None,
    Empty,        // nothing written
    Blank,        // a blank or a control character inside
    UnknownForm,  // not COMn, rfc2217://HOST:PORT or socket://HOST:PORT
    ComNumber,    // COM without a number from 1 to 256
    NoHost,       // the host is missing
    BadHost,      // the host is no name, IPv4 address or [IPv6 address]
    NoTcpPort,    // ":PORT" is missing
    TcpPortRange, // the TCP port is no number from 1 to 65535
    TrailingText, // something follows the number
};

struct PortTargetParse {
    PortFault fault = PortFault::None;
    PortTarget target;
};

// "COMn" (n from 1 to 256), "rfc2217://HOST:PORT" or "socket://HOST:PORT"; the scheme and
// COM in any letter case, leading zeros allowed in the numbers.
PortTargetParse ParsePortTarget(const std::string& strText);

// The target as the program shows it: "COM7", "rfc2217://10.1.2.3:4001" (the scheme in
// lower case, COM in capitals, the host as written, the numbers without leading zeros).
std::string PortTargetText(const PortTarget& target);

// KORA's connection string for the target at a baud rate:
//   "ASYNC/COM:<n>,SPEED=<baud>,FLOW=XONXOFF"
//   "ASYNC/RFC2217:<host>:<port>,SPEED=<baud>,FLOW=XONXOFF"
//   "ASYNC/SOCKET:<host>:<port>,SPEED=<baud>,FLOW=XONXOFF"
std::string PortTargetConnection(const PortTarget& target, unsigned nBaud);

// Whether a target leads somewhere else than the COM port of a choice's own number (1 to 4).
bool LeadsElsewhere(const PortTarget& target, unsigned nOwnCom);
