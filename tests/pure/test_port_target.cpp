// Where a port choice leads: COMn and the two network forms read, shown and turned into
// KORA's connection strings; every form refused says why.
#include "ConnectionString.h"
#include "PortTarget.h"

#include <doctest.h>

#include <string>

namespace {

PortTarget Parsed(const std::string& strText)
{
    CAPTURE(strText);
    const PortTargetParse parse = ParsePortTarget(strText);
    CHECK(parse.fault == PortFault::None);
    return parse.target;
}

void CheckRefused(const std::string& strText, PortFault fault)
{
    CAPTURE(strText);
    CHECK(ParsePortTarget(strText).fault == fault);
}

// The text shown for a form, and that the shown text reads back as the same target.
void CheckShown(const std::string& strText, const std::string& strShown)
{
    CAPTURE(strText);
    const PortTarget target = Parsed(strText);
    CHECK(PortTargetText(target) == strShown);
    const PortTarget again = Parsed(PortTargetText(target));
    CHECK(PortTargetText(again) == strShown);
}

} // namespace

TEST_CASE("a COM port of any number from 1 to 256")
{
    const PortTarget com7 = Parsed("COM7");
    CHECK(com7.kind == PortKind::Com);
    CHECK(com7.nCom == 7);
    CHECK(Parsed("COM1").nCom == 1);
    CHECK(Parsed("COM256").nCom == 256);
    CHECK(Parsed("com12").nCom == 12);
    CHECK(Parsed("Com012").nCom == 12);
    CheckShown("com7", "COM7");
    CheckShown("cOm0042", "COM42");
}

TEST_CASE("RFC 2217 and raw TCP: a host name, an IPv4 address or a bracketed IPv6 address, and a TCP port")
{
    const PortTarget rfc = Parsed("rfc2217://10.1.2.3:4001");
    CHECK(rfc.kind == PortKind::Rfc2217);
    CHECK(rfc.strHost == "10.1.2.3");
    CHECK(rfc.nTcpPort == 4001);
    const PortTarget raw = Parsed("socket://bench-7.line_2.example:65535");
    CHECK(raw.kind == PortKind::Socket);
    CHECK(raw.strHost == "bench-7.line_2.example");
    CHECK(raw.nTcpPort == 65535);
    CHECK(Parsed("socket://[::1]:1").strHost == "[::1]");
    CHECK(Parsed("rfc2217://[fe80::1:2]:2217").strHost == "[fe80::1:2]");
    CHECK(Parsed("rfc2217://[::ffff:10.1.2.3]:2217").strHost == "[::ffff:10.1.2.3]");
    CHECK(Parsed("rfc2217://localhost:7000").strHost == "localhost");
    CHECK(Parsed("rfc2217://0.0.0.0:7000").strHost == "0.0.0.0");
    // The scheme in lower case, the host as written, the port without leading zeros.
    CheckShown("RFC2217://Gateway.Example:04001", "rfc2217://Gateway.Example:4001");
    CheckShown("Socket://[FE80::A]:7", "socket://[FE80::A]:7");
    CheckShown("socket://127.0.0.1:4001", "socket://127.0.0.1:4001");
}

TEST_CASE("a form refused says why")
{
    SUBCASE("nothing, or blanks and control characters")
    {
        CheckRefused("", PortFault::Empty);
        CheckRefused(" COM7", PortFault::Blank);
        CheckRefused("COM7 ", PortFault::Blank);
        CheckRefused("rfc2217://host name:4001", PortFault::Blank);
        CheckRefused("COM\t7", PortFault::Blank);
        CheckRefused(std::string("COM7\0", 5), PortFault::Blank);
        CheckRefused("COM7\x7F", PortFault::Blank);
    }
    SUBCASE("no form the program knows")
    {
        for (const char* pszText : { "7", "LPT1", "\\\\.\\COM7", "/dev/ttyUSB0", "tcp://host:4001", "rfc2217:host:4001",
                                     "rfc2217:/host:4001", "telnet://host:23", "socket:/host:1", "CO" })
            CheckRefused(pszText, PortFault::UnknownForm);
    }
    SUBCASE("a COM port without a number from 1 to 256")
    {
        for (const char* pszText : { "COM", "COM0", "COM00", "COM257", "COM99999999999999999999", "COMx", "COM-1" })
            CheckRefused(pszText, PortFault::ComNumber);
    }
    SUBCASE("no host")
    {
        for (const char* pszText : { "rfc2217://:4001", "socket://", "rfc2217://", "socket://::1:4001" })
            CheckRefused(pszText, PortFault::NoHost);
    }
    SUBCASE("a host that is no name, IPv4 address or bracketed IPv6 address")
    {
        for (const char* pszText :
             { "rfc2217://a..b:1", "rfc2217://.a:1", "rfc2217://a.:1", "rfc2217://-a:1", "rfc2217://a-:1",
               "rfc2217://h@st:1", "rfc2217://10.1.2:1", "rfc2217://10.1.2.256:1", "rfc2217://10.1.2.3.4:1",
               "rfc2217://0010.1.2.3:1", "rfc2217://[::1:1", "rfc2217://[::1]x:1", "rfc2217://[]:1",
               "rfc2217://[1:2]:1", "rfc2217://[::g]:1", "rfc2217://[::1%eth0]:1", "socket://\xC3\xA4:1" })
            CheckRefused(pszText, PortFault::BadHost);
        // A label of 64 characters, a name of 254.
        CheckRefused("socket://" + std::string(64, 'a') + ":1", PortFault::BadHost);
        CHECK(Parsed("socket://" + std::string(63, 'a') + ":1").strHost.size() == 63);
        std::string strLong;
        while (strLong.size() < 254)
            strLong += "abcdefghi.";
        strLong.resize(254);
        CheckRefused("socket://" + strLong + ":1", PortFault::BadHost);
        strLong.resize(253);
        CHECK(Parsed("socket://" + strLong + ":1").strHost == strLong);
    }
    SUBCASE("no TCP port")
    {
        for (const char* pszText : { "rfc2217://host", "rfc2217://host:", "socket://[::1]", "socket://[::1]:" })
            CheckRefused(pszText, PortFault::NoTcpPort);
    }
    SUBCASE("a TCP port that is no number from 1 to 65535")
    {
        for (const char* pszText : { "rfc2217://host:0", "rfc2217://host:65536", "rfc2217://host:99999999999999999999",
                                     "rfc2217://host:x", "rfc2217://host:-1", "rfc2217://a:b:4001" })
            CheckRefused(pszText, PortFault::TcpPortRange);
    }
    SUBCASE("text after the number")
    {
        for (const char* pszText : { "COM7x", "COM7:", "COM1,2", "rfc2217://host:4001/", "rfc2217://host:4001?logging=debug",
                                     "socket://[::1]:4001:5", "socket://h:1x" })
            CheckRefused(pszText, PortFault::TrailingText);
    }
}

TEST_CASE("the connection string of each form")
{
    SUBCASE("a COM port: the one the program has always built for a COM port")
    {
        CHECK(PortTargetConnection(Parsed("COM7"), 9600) == "ASYNC/COM:7,SPEED=9600,FLOW=XONXOFF");
        CHECK(PortTargetConnection(Parsed("com256"), 38400) == "ASYNC/COM:256,SPEED=38400,FLOW=XONXOFF");
        for (unsigned nPort : { 1u, 4u, 12u, 256u }) {
            PortTarget target;
            target.nCom = nPort;
            CHECK(PortTargetConnection(target, 19200) == ConnectionString(nPort, 19200));
        }
    }
    SUBCASE("RFC 2217 and raw TCP")
    {
        CHECK(PortTargetConnection(Parsed("rfc2217://10.1.2.3:4001"), 9600) ==
              "ASYNC/RFC2217:10.1.2.3:4001,SPEED=9600,FLOW=XONXOFF");
        CHECK(PortTargetConnection(Parsed("RFC2217://Gw.Example:0019"), 19200) ==
              "ASYNC/RFC2217:Gw.Example:19,SPEED=19200,FLOW=XONXOFF");
        CHECK(PortTargetConnection(Parsed("socket://[::1]:4001"), 38400) ==
              "ASYNC/SOCKET:[::1]:4001,SPEED=38400,FLOW=XONXOFF");
    }
}

TEST_CASE("a choice leads elsewhere unless it is the COM port of its own number")
{
    CHECK_FALSE(LeadsElsewhere(Parsed("COM1"), 1));
    CHECK(LeadsElsewhere(Parsed("COM7"), 1));
    CHECK(LeadsElsewhere(Parsed("COM2"), 1));
    CHECK(LeadsElsewhere(Parsed("socket://localhost:1"), 1));
}
