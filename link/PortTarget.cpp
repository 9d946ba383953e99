#include "PortTarget.h"

#include <cstring>

namespace {

const char kRfc2217Scheme[] = "rfc2217://";
const char kSocketScheme[] = "socket://";

// ASCII only: a locale must not change what a port means.
char LowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsHexDigit(char c)
{
    return IsDigit(c) || (LowerAscii(c) >= 'a' && LowerAscii(c) <= 'f');
}

bool StartsWithIgnoringCase(const std::string& strText, const char* pszStart)
{
    const std::size_t nLength = std::strlen(pszStart);
    if (strText.size() < nLength)
        return false;
    for (std::size_t i = 0; i < nLength; ++i) {
        if (LowerAscii(strText[i]) != LowerAscii(pszStart[i]))
            return false;
    }
    return true;
}

// The digits at nPos as a number, and where they end; nLimit + 1 for anything above nLimit
// (a long run of digits cannot overflow). False when no digit is there.
bool TakeNumber(const std::string& strText, std::size_t& nPos, unsigned nLimit, unsigned& nValue)
{
    const std::size_t nStart = nPos;
    nValue = 0;
    while (nPos < strText.size() && IsDigit(strText[nPos])) {
        if (nValue <= nLimit)
            nValue = nValue * 10 + static_cast<unsigned>(strText[nPos] - '0');
        ++nPos;
    }
    if (nValue > nLimit)
        nValue = nLimit + 1;
    return nPos > nStart;
}

// A dotted IPv4 address: four numbers from 0 to 255 of at most three digits.
bool IsIpv4Address(const std::string& strHost)
{
    std::size_t nPos = 0;
    for (int nPart = 0; nPart < 4; ++nPart) {
        if (nPart > 0) {
            if (nPos >= strHost.size() || strHost[nPos] != '.')
                return false;
            ++nPos;
        }
        const std::size_t nStart = nPos;
        unsigned nValue = 0;
        if (!TakeNumber(strHost, nPos, 255, nValue) || nPos - nStart > 3 || nValue > 255)
            return false;
    }
    return nPos == strHost.size();
}

// A host name: labels of letters, digits, '-' and '_' between dots, none empty, none
// beginning or ending with '-', at most 63 characters each and 253 in all. Only digits and
// dots make an IPv4 address, which must be a whole one ("10.1.2" is no host).
bool IsHostName(const std::string& strHost)
{
    if (strHost.empty() || strHost.size() > 253)
        return false;
    bool bNumeric = true;
    std::size_t nLabel = 0;
    for (std::size_t i = 0; i <= strHost.size(); ++i) {
        const char c = i < strHost.size() ? strHost[i] : '.';
        if (c == '.') {
            if (nLabel == 0 || nLabel > 63 || strHost[i - 1] == '-')
                return false;
            nLabel = 0;
            continue;
        }
        const bool bLetter = LowerAscii(c) >= 'a' && LowerAscii(c) <= 'z';
        if (!bLetter && !IsDigit(c) && c != '-' && c != '_')
            return false;
        if (c == '-' && nLabel == 0)
            return false;
        bNumeric = bNumeric && IsDigit(c);
        ++nLabel;
    }
    return !bNumeric || IsIpv4Address(strHost);
}

// "[...]": hex digits and colons (at least two), and dots for an IPv4 tail.
bool IsBracketedIpv6(const std::string& strHost)
{
    if (strHost.size() < 4 || strHost.size() > 47 || strHost.front() != '[' || strHost.back() != ']')
        return false;
    int nColons = 0;
    for (std::size_t i = 1; i + 1 < strHost.size(); ++i) {
        const char c = strHost[i];
        if (c == ':')
            ++nColons;
        else if (!IsHexDigit(c) && c != '.')
            return false;
    }
    return nColons >= 2;
}

PortTargetParse Fault(PortFault fault)
{
    PortTargetParse parse;
    parse.fault = fault;
    return parse;
}

// What follows "COM".
PortTargetParse ParseCom(const std::string& strText)
{
    std::size_t nPos = 3;
    unsigned nValue = 0;
    if (!TakeNumber(strText, nPos, 256, nValue) || nValue < 1 || nValue > 256)
        return Fault(PortFault::ComNumber);
    if (nPos != strText.size())
        return Fault(PortFault::TrailingText);
    PortTargetParse parse;
    parse.target.kind = PortKind::Com;
    parse.target.nCom = nValue;
    return parse;
}

// "HOST:PORT" after a scheme.
PortTargetParse ParseNetwork(PortKind kind, const std::string& strRest)
{
    std::size_t nColon;
    if (!strRest.empty() && strRest[0] == '[') {
        const std::size_t nClose = strRest.find(']');
        if (nClose == std::string::npos)
            return Fault(PortFault::BadHost);
        nColon = nClose + 1;
        if (nColon < strRest.size() && strRest[nColon] != ':')
            return Fault(PortFault::BadHost);
    } else {
        nColon = strRest.find(':');
        if (nColon == std::string::npos)
            nColon = strRest.size();
    }
    const std::string strHost = strRest.substr(0, nColon);
    if (strHost.empty())
        return Fault(PortFault::NoHost);
    if (!(strHost[0] == '[' ? IsBracketedIpv6(strHost) : IsHostName(strHost)))
        return Fault(PortFault::BadHost);
    if (nColon + 1 >= strRest.size())
        return Fault(PortFault::NoTcpPort);
    std::size_t nPos = nColon + 1;
    unsigned nValue = 0;
    if (!TakeNumber(strRest, nPos, 65535, nValue) || nValue < 1 || nValue > 65535)
        return Fault(PortFault::TcpPortRange);
    if (nPos != strRest.size())
        return Fault(PortFault::TrailingText);
    PortTargetParse parse;
    parse.target.kind = kind;
    parse.target.strHost = strHost;
    parse.target.nTcpPort = nValue;
    return parse;
}

} // namespace

PortTargetParse ParsePortTarget(const std::string& strText)
{
    if (strText.empty())
        return Fault(PortFault::Empty);
    for (char c : strText) {
        const unsigned char b = static_cast<unsigned char>(c);
        if (b <= 0x20 || b == 0x7F)
            return Fault(PortFault::Blank);
    }
    if (StartsWithIgnoringCase(strText, kRfc2217Scheme))
        return ParseNetwork(PortKind::Rfc2217, strText.substr(sizeof kRfc2217Scheme - 1));
    if (StartsWithIgnoringCase(strText, kSocketScheme))
        return ParseNetwork(PortKind::Socket, strText.substr(sizeof kSocketScheme - 1));
    if (StartsWithIgnoringCase(strText, "COM"))
        return ParseCom(strText);
    return Fault(PortFault::UnknownForm);
}

std::string PortTargetText(const PortTarget& target)
{
    switch (target.kind) {
    case PortKind::Rfc2217:
        return kRfc2217Scheme + target.strHost + ":" + std::to_string(target.nTcpPort);
    case PortKind::Socket:
        return kSocketScheme + target.strHost + ":" + std::to_string(target.nTcpPort);
    case PortKind::Com:
        break;
    }
    return "COM" + std::to_string(target.nCom);
}

std::string PortTargetConnection(const PortTarget& target, unsigned nBaud)
{
    std::string strLink;
    switch (target.kind) {
    case PortKind::Rfc2217:
        strLink = "ASYNC/RFC2217:" + target.strHost + ":" + std::to_string(target.nTcpPort);
        break;
    case PortKind::Socket:
        strLink = "ASYNC/SOCKET:" + target.strHost + ":" + std::to_string(target.nTcpPort);
        break;
    case PortKind::Com:
        strLink = "ASYNC/COM:" + std::to_string(target.nCom);
        break;
    }
    return strLink + ",SPEED=" + std::to_string(nBaud) + ",FLOW=XONXOFF";
}

bool LeadsElsewhere(const PortTarget& target, unsigned nOwnCom)
{
    return target.kind != PortKind::Com || target.nCom != nOwnCom;
}
