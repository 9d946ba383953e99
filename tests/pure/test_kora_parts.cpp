// KORA's parts that need no port: the connection string and the byte queue.
extern "C" {
#include "byte_queue.h"
#include "connection.h"
}
#include "ConnectionString.h"
#include "PortTarget.h"

#include <doctest.h>

#include <string>

namespace {
bool Parses(const char* pszText, connection& conn, std::string& strError)
{
    char szError[256] = {};
    int bOk = connection_parse(pszText, &conn, szError, sizeof szError);
    strError = szError;
    return bOk != 0;
}
}

TEST_CASE("the connection string the tool builds is the one KORA reads")
{
    connection conn = {};
    std::string strError;
    REQUIRE(Parses(ConnectionString(1, 9600).c_str(), conn, strError));
    CHECK(conn.port == 1);
    CHECK(conn.baud == 9600);
    REQUIRE(Parses(ConnectionString(256, 38400).c_str(), conn, strError));
    CHECK(conn.port == 256);
    CHECK(conn.baud == 38400);
}

TEST_CASE("connection strings that are refused say why")
{
    connection conn = {};
    std::string strError;
    CHECK_FALSE(Parses(ConnectionString(0, 9600).c_str(), conn, strError));
    CHECK(strError.find("COM0 is not a serial port") == 0);
    CHECK_FALSE(Parses(ConnectionString(257, 9600).c_str(), conn, strError));
    CHECK_FALSE(Parses(ConnectionString(1, 9601).c_str(), conn, strError));
    CHECK(strError.find("9601 baud is not a standard baud rate") == 0);
    for (const char* pszBad : { "", "ASYNC/COM:01,SPEED=9600,FLOW=XONXOFF", "ASYNC/COM:1,SPEED=9600",
                                "ASYNC/COM:1,SPEED=9600,FLOW=XONXOFF ", "ASYNC/COM:-1,SPEED=9600,FLOW=XONXOFF",
                                "ASYNC/COM:1234567890,SPEED=9600,FLOW=XONXOFF" }) {
        CHECK_FALSE(Parses(pszBad, conn, strError));
        CHECK(strError.find("Malformed connection string") == 0);
    }
    SUBCASE("the text is shown printable and cut, and the message fits its buffer")
    {
        std::string strLong = "ASYNC/COM:1\x01" + std::string(200, 'x');
        char szSmall[24];
        CHECK_FALSE(connection_parse(strLong.c_str(), &conn, szSmall, sizeof szSmall));
        CHECK(std::string(szSmall).size() == sizeof szSmall - 1);
        CHECK(Parses(strLong.c_str(), conn, strError) == false);
        CHECK(strError.find("ASYNC/COM:1?xxx") != std::string::npos);
        CHECK(strError.find("...\"") != std::string::npos);
    }
}

TEST_CASE("network connection strings: a host by name, IPv4 or bracketed IPv6, and a TCP port")
{
    connection conn = {};
    std::string strError;
    char szTarget[300];
    REQUIRE(Parses("ASYNC/RFC2217:10.1.2.3:4001,SPEED=9600,FLOW=XONXOFF", conn, strError));
    CHECK(conn.kind == CONNECTION_RFC2217);
    CHECK(std::string(conn.host) == "10.1.2.3");
    CHECK(conn.port == 4001);
    CHECK(conn.baud == 9600);
    connection_target(&conn, szTarget, sizeof szTarget);
    CHECK(std::string(szTarget) == "rfc2217://10.1.2.3:4001");

    REQUIRE(Parses("ASYNC/SOCKET:[fe80::1]:65535,SPEED=38400,FLOW=XONXOFF", conn, strError));
    CHECK(conn.kind == CONNECTION_SOCKET);
    CHECK(std::string(conn.host) == "fe80::1");
    CHECK(conn.port == 65535);
    connection_target(&conn, szTarget, sizeof szTarget);
    CHECK(std::string(szTarget) == "socket://[fe80::1]:65535");

    REQUIRE(Parses("ASYNC/RFC2217:bench-7.line_2.example:1,SPEED=19200,FLOW=XONXOFF", conn, strError));
    CHECK(std::string(conn.host) == "bench-7.line_2.example");
    CHECK(conn.port == 1);
    REQUIRE(Parses(ConnectionString(7, 9600).c_str(), conn, strError));
    CHECK(conn.kind == CONNECTION_COM);
    connection_target(&conn, szTarget, sizeof szTarget);
    CHECK(std::string(szTarget) == "COM7");

    SUBCASE("refused, each with what is wrong")
    {
        CHECK_FALSE(Parses("ASYNC/RFC2217:host:0,SPEED=9600,FLOW=XONXOFF", conn, strError));
        CHECK(strError.find("0 is not a TCP port: ports are 1 to 65535") == 0);
        CHECK_FALSE(Parses("ASYNC/SOCKET:host:65536,SPEED=9600,FLOW=XONXOFF", conn, strError));
        CHECK(strError.find("65536 is not a TCP port") == 0);
        CHECK_FALSE(Parses("ASYNC/SOCKET:host:7000,SPEED=9601,FLOW=XONXOFF", conn, strError));
        CHECK(strError.find("9601 baud is not a standard baud rate") == 0);
        for (const char* pszNoHost : { "ASYNC/RFC2217::4001,SPEED=9600,FLOW=XONXOFF", "ASYNC/RFC2217:[]:4001,SPEED=9600,FLOW=XONXOFF",
                                       "ASYNC/RFC2217:[fe80::1:4001,SPEED=9600,FLOW=XONXOFF",
                                       "ASYNC/RFC2217:[host]:1,SPEED=9600,FLOW=XONXOFF", "ASYNC/RFC2217:[10.1.2.3]:1,SPEED=9600,FLOW=XONXOFF", "ASYNC/RFC2217", "ASYNC/RFC2217-x:1" }) {
            INFO(pszNoHost);
            CHECK_FALSE(Parses(pszNoHost, conn, strError));
            CHECK(strError.find("No host in \"") == 0);
            CHECK(strError.find("expected ASYNC/RFC2217:<host>:<port>,SPEED=<baud>,FLOW=XONXOFF.") != std::string::npos);
        }
        for (const char* pszBad : { "ASYNC/SOCKET:host,SPEED=9600,FLOW=XONXOFF", "ASYNC/SOCKET:host:07000,SPEED=9600,FLOW=XONXOFF",
                                    "ASYNC/SOCKET:fe80::1:7000,SPEED=9600,FLOW=XONXOFF", "ASYNC/SOCKET:host:7000,SPEED=9600",
                                    "ASYNC/SOCKET:host:7000:1,SPEED=9600,FLOW=XONXOFF", "ASYNC/SOCKET:host:-1,SPEED=9600,FLOW=XONXOFF",
                                    "ASYNC/SOCKET:a b:1,SPEED=9600,FLOW=XONXOFF" }) {
            INFO(pszBad);
            CHECK_FALSE(Parses(pszBad, conn, strError));
            CHECK(strError.find("Malformed connection string \"") == 0);
            CHECK(strError.find("expected ASYNC/SOCKET:<host>:<port>,SPEED=<baud>,FLOW=XONXOFF.") != std::string::npos);
        }
        const std::string strLongHost = "ASYNC/SOCKET:" + std::string(254, 'h') + ":1,SPEED=9600,FLOW=XONXOFF";
        CHECK_FALSE(Parses(strLongHost.c_str(), conn, strError));
        CHECK(Parses(("ASYNC/SOCKET:" + std::string(253, 'h') + ":1,SPEED=9600,FLOW=XONXOFF").c_str(), conn, strError));
    }
}

TEST_CASE("every port target the program takes gives a connection string KORA reads, naming the same target")
{
    for (const char* pszTarget : { "COM7", "com12", "rfc2217://10.1.2.3:4001", "RFC2217://bench-7.line_2:00023",
                                   "socket://[fe80::1]:7000", "socket://[::ffff:10.0.0.1]:1", "socket://localhost:65535" }) {
        INFO(pszTarget);
        PortTargetParse parse = ParsePortTarget(pszTarget);
        REQUIRE(parse.fault == PortFault::None);
        connection conn = {};
        std::string strError;
        CHECK(Parses(PortTargetConnection(parse.target, 38400).c_str(), conn, strError));
        CHECK(strError.empty());
        CHECK(conn.baud == 38400);
        char szTarget[300];
        connection_target(&conn, szTarget, sizeof szTarget);
        CHECK(std::string(szTarget) == PortTargetText(parse.target));
    }
}

TEST_CASE("the byte queue: first in, first out, up to its limit, all or nothing")
{
    byte_queue q;
    byte_queue_init(&q, 10);
    CHECK(byte_queue_push(&q, "abcdef", 6));
    CHECK_FALSE(byte_queue_push(&q, "ghijk", 5)); // would pass the limit: nothing taken
    CHECK(byte_queue_room(&q) == 4);
    char out[16] = {};
    CHECK(byte_queue_pop(&q, out, 4) == 4);
    CHECK(std::string(out, 4) == "abcd");
    CHECK(byte_queue_push(&q, "ghijklmn", 8)); // wraps round the end of its storage
    CHECK(byte_queue_pop(&q, out, sizeof out) == 10);
    CHECK(std::string(out, 10) == "efghijklmn");
    CHECK(byte_queue_pop(&q, out, sizeof out) == 0);
    CHECK(byte_queue_push(&q, "xy", 2));
    byte_queue_clear(&q);
    CHECK(byte_queue_room(&q) == 10);
    byte_queue_free(&q);
}
