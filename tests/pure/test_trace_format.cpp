// The traffic trace's records: time, direction, operation, then sixteen bytes a row in
// hex and as text.
#include "TraceFormat.h"

#include <doctest.h>

#include <string>

namespace {
std::string Record(bool bSent, int nOperation, const std::string& strBytes)
{
    return FormatTraceRecord("14:03:07.123", bSent, nOperation, reinterpret_cast<const unsigned char*>(strBytes.data()),
                             strBytes.size());
}
}

TEST_CASE("a record: time, direction, operation, hex and text")
{
    CHECK(Record(true, 6, "L") ==
          "14:03:07.123 TX  6 query        4C                                              |L|\n");
    CHECK(Record(false, 1, std::string("ID\r\0\xff", 5)) ==
          "14:03:07.123 RX  1 wake-up      49 44 0D 00 FF                                  |ID...|\n");
}

TEST_CASE("sixteen bytes a row; the rows after the first are indented under the bytes")
{
    std::string strBytes;
    for (int i = 0; i < 20; ++i)
        strBytes += static_cast<char>('A' + i);
    std::string strRecord = Record(false, 33, strBytes);
    CHECK(strRecord ==
          "14:03:07.123 RX 33 monitor      41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F 50 |ABCDEFGHIJKLMNOP|\n"
          "                                51 52 53 54                                     |QRST|\n");
}

TEST_CASE("operation names, and a code the program does not have")
{
    CHECK(OperationName(0) == "idle");
    CHECK(OperationName(3) == "download");
    CHECK(OperationName(34) == "write F only");
    CHECK(OperationName(35) == "op 35");
    CHECK(OperationName(-1) == "op -1");
}

TEST_CASE("the last line at the size limit, in the records' manner")
{
    CHECK(TraceLimitLine("14:03:07.123", 100) ==
          "14:03:07.123 -- the trace ends here: it has reached its size limit of 100 MB ([Debug] TraceLimitMB in "
          "ZEV.INI)\n");
}

TEST_CASE("the size limit: a setting below 1 MB is the default")
{
    CHECK(TraceLimitMegabytes(1) == 1);
    CHECK(TraceLimitMegabytes(250) == 250);
    CHECK(TraceLimitMegabytes(0) == kDefaultTraceLimitMB);
    CHECK(TraceLimitMegabytes(-3) == kDefaultTraceLimitMB);
    CHECK(kDefaultTraceLimitMB == 100);
}

TEST_CASE("a text's bytes in a text-mode file: each line feed becomes CR LF")
{
    CHECK(TextFileBytes("") == 0);
    CHECK(TextFileBytes("abc") == 3);
    CHECK(TextFileBytes("a\nbc\n") == 7);
    CHECK(TextFileBytes(FormatTraceRecord("14:03:07.123", true, 6, reinterpret_cast<const unsigned char*>("L"), 1)) ==
          85);
}
