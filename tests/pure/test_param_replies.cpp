// The replies of the parameter reads, alone: exact words, the number of 'w', the first
// character of 'f', the interface kinds, and the inverted 'j'.
#include "ParamReplies.h"

#include <doctest.h>

TEST_CASE("'g', 'j' and 'c' replies: 0, 1, or -1 for anything else")
{
    CHECK(ParseOnOffReply("0") == 0);
    CHECK(ParseOnOffReply("1") == 1);
    CHECK(ParseOnOffReply("1 ") == -1);
    CHECK(ParseOnOffReply(" 1") == -1);
    CHECK(ParseOnOffReply("") == -1);
    CHECK(ParseOnOffReply("10") == -1);
}

TEST_CASE("'w' replies are read as atol reads them")
{
    CHECK(ParseParamWReply("12abc") == 12);
    CHECK(ParseParamWReply("abc") == 0);
    CHECK(ParseParamWReply(" -3") == -3);
    CHECK(ParseParamWReply("") == 0);
}

TEST_CASE("'f' replies: the first character 0 to 3, anything else leaves the value")
{
    int nValue = 9;
    CHECK(ParseParamFReply("2x", nValue));
    CHECK(nValue == 2);
    CHECK(ParseParamFReply("0", nValue));
    CHECK(nValue == 0);
    CHECK(ParseParamFReply("3", nValue));
    CHECK(nValue == 3);
    nValue = 1;
    CHECK_FALSE(ParseParamFReply("7", nValue));
    CHECK_FALSE(ParseParamFReply("", nValue));
    CHECK_FALSE(ParseParamFReply(" 2", nValue));
    CHECK(nValue == 1);
}

TEST_CASE("'4' replies: the three kinds, exactly, and 3 for anything else")
{
    CHECK(ParseInterfaceReply("RS232") == 0);
    CHECK(ParseInterfaceReply("RS232 MODIFIED") == 1);
    CHECK(ParseInterfaceReply("RS485") == 2);
    CHECK(ParseInterfaceReply("rs485") == 3);
    CHECK(ParseInterfaceReply("RS232 ") == 3);
    CHECK(ParseInterfaceReply("") == 3);
}

TEST_CASE("the 'j' box shows the value inverted, both ways")
{
    CHECK(InvertParamJ(0) == 1);
    CHECK(InvertParamJ(1) == 0);
    CHECK(InvertParamJ(-1) == -1);
    CHECK(InvertParamJ(2) == -1); // an indeterminate box is no value
}
