// The receive line's byte rules: control bytes end things, a DLE shifts the next ordinary
// byte down by 0x20, however many control bytes come between.
#include "ReceiveFraming.h"

#include <doctest.h>

#include <string>

namespace {
// The bytes through the framer: the lines that CR ends, and the other control bytes as
// <ACK>, <NAK>, <ESC> between them.
std::string Framed(const std::string& strBytes, int& bDlePending)
{
    std::string strLine, strOut;
    for (char ch : strBytes) {
        FramedByte framed = FrameReceivedByte(static_cast<unsigned char>(ch), bDlePending);
        switch (framed.kind) {
        case RxByte::Append: strLine += framed.chValue; break;
        case RxByte::DlePending: break;
        case RxByte::Ack: strOut += "<ACK>"; break;
        case RxByte::Nak: strOut += "<NAK>"; break;
        case RxByte::Escape: strOut += "<ESC>"; break;
        case RxByte::LineEnd: strOut += "[" + strLine + "]"; strLine.clear(); break;
        }
    }
    return strOut + strLine;
}

std::string Framed(const std::string& strBytes)
{
    int bDlePending = 0;
    return Framed(strBytes, bDlePending);
}
}

TEST_CASE("lines end at CR; ACK, NAK and ESC are events, not text")
{
    CHECK(Framed("VALUE=123\r") == "[VALUE=123]");
    CHECK(Framed("\x1b" "A\x06" "B\x15" "C\r") == "<ESC><ACK><NAK>[ABC]");
    CHECK(Framed(std::string("\0\x7f\x80\xff\r", 5)) == std::string("[\0\x7f\x80\xff]", 6));
    CHECK(Framed("\r\r") == "[][]");
}

TEST_CASE("DLE shifts the next ordinary byte down by 0x20")
{
    CHECK(Framed("\x10\x2d\r") == "[\r]");
    CHECK(Framed("\x10\x85") == "\x65");        // 0x85 is ordinary, unshifted 0x85 otherwise
    CHECK(Framed("\x85") == "\x85");
    CHECK(Framed("\x10\x10\x30") == "\x10");   // a second DLE changes nothing
    CHECK(Framed("\x10\x05") == "\xe5");       // eight-bit arithmetic
    SUBCASE("the shift waits past control bytes, a CR included")
    {
        CHECK(Framed("\x10\x06\x1b\x41") == "<ACK><ESC>!");
        CHECK(Framed("AB\x10\rC") == "[AB]#");
    }
    SUBCASE("the state lasts from one receive event to the next")
    {
        int bDlePending = 0;
        CHECK(Framed("X\x10", bDlePending) == "X");
        CHECK(bDlePending);
        CHECK(Framed("\x3b\r", bDlePending) == "[\x1b]");
        CHECK_FALSE(bDlePending);
    }
}
