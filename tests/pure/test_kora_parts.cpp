// KORA's parts that need no port: the connection string and the byte queue.
extern "C" {
#include "byte_queue.h"
#include "connection.h"
}
#include "ConnectionString.h"

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
