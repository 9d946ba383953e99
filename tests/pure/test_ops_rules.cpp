// The byte and text rules of the device operations, alone: the replies of the
// configuration read, the frames of a firmware download, the clock text.
#include "ClockText.h"
#include "ConfigReplies.h"
#include "FirmwareFrames.h"
#include "SRecordCheck.h"

#include <doctest.h>

#include <climits>
#include <numeric>
#include <string>
#include <vector>

TEST_CASE("numbers at the start of a reply are read as atol reads them")
{
    struct Case { const char* pszText; int nValue; } cases[] = {
        { "9", 9 }, { "33", 33 }, { " 12", 12 }, { "\t-7x", -7 }, { "+5", 5 }, { "x", 0 }, { "", 0 },
        { "- 4", 0 }, { "007", 7 }, { "2147483647", INT_MAX }, { "99999999999999999999", INT_MAX },
        { "-2147483648", INT_MIN }, { "-99999999999999999999", INT_MIN },
    };
    for (const Case& c : cases) {
        CAPTURE(c.pszText);
        CHECK(LeadingNumber(c.pszText) == c.nValue);
    }
}

TEST_CASE("the 'r' reply takes a number only where a comma follows the one before")
{
    struct Case { const char* pszReply; int nTaken; int a, b, c; } cases[] = {
        { "9,33,0", 3, 9, 33, 0 },
        { "9,33", 1, 9, -1, -2 },      // the second number has no comma after it
        { "9", 0, -5, -1, -2 },
        { "x,y,z", 3, 0, 0, 0 },
        { " 12,40,7", 3, 12, 40, 7 },
        { ",,", 3, 0, 0, 0 },
        { "1,2,3,4", 3, 1, 2, 3 },
    };
    for (const Case& c : cases) {
        CAPTURE(c.pszReply);
        int anValues[3] = { -5, -1, -2 };
        CHECK(ParseCfgValueList(c.pszReply, anValues) == c.nTaken);
        CHECK(anValues[0] == c.a);
        CHECK(anValues[1] == c.b);
        CHECK(anValues[2] == c.c);
    }
}

TEST_CASE("the words of the 'h', '3' and 'b' replies are compared exactly")
{
    CHECK(MatchCfgWord("0", "0", "1") == 0);
    CHECK(MatchCfgWord("1", "0", "1") == 1);
    CHECK(MatchCfgWord("01", "0", "1") == -1);
    CHECK(MatchCfgWord("1 ", "0", "1") == -1);
    CHECK(MatchCfgWord("", "0", "1") == -1);
    CHECK(MatchCfgWord("SCANIA", "OTHER", "SCANIA") == 1);
    CHECK(MatchCfgWord("OTHER", "OTHER", "SCANIA") == 0);
    CHECK(MatchCfgWord("scania", "OTHER", "SCANIA") == -1);
}

TEST_CASE("image blocks: number, length, sum and data; a short last block filled with 0xFF")
{
    std::vector<unsigned char> data(129);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<unsigned char>(i * 37 + 11);

    std::string first = BuildImageBlock(data.data(), 128, 0);
    REQUIRE(first.size() == kImageFrameSize);
    unsigned nSum = std::accumulate(data.begin(), data.begin() + 128, 0u);
    CHECK(static_cast<unsigned char>(first[0]) == 0);
    CHECK(static_cast<unsigned char>(first[1]) == 0x80);
    CHECK(static_cast<unsigned char>(first[2]) == (nSum >> 8));
    CHECK(static_cast<unsigned char>(first[3]) == (nSum & 0xFF));
    CHECK(first.compare(4, 128, std::string(data.begin(), data.begin() + 128)) == 0);

    std::string last = BuildImageBlock(data.data() + 128, 1, 1);
    REQUIRE(last.size() == kImageFrameSize);
    CHECK(static_cast<unsigned char>(last[0]) == 1);
    CHECK(static_cast<unsigned char>(last[1]) == 0x80);
    CHECK(static_cast<unsigned char>(last[4]) == data[128]);
    CHECK(last.substr(5) == std::string(127, '\xFF'));
    unsigned nLastSum = data[128] + 127 * 0xFF;
    CHECK(static_cast<unsigned char>(last[2]) == (nLastSum >> 8));
    CHECK(static_cast<unsigned char>(last[3]) == (nLastSum & 0xFF));

    // the block number is the frame count modulo 256
    CHECK(static_cast<unsigned char>(BuildImageBlock(data.data(), 128, 255)[0]) == 255);
    CHECK(static_cast<unsigned char>(BuildImageBlock(data.data(), 128, 256)[0]) == 0);
    CHECK(static_cast<unsigned char>(BuildImageBlock(data.data(), 128, 299)[0]) == 43);

    std::vector<unsigned char> full(128, 0xFF);
    std::string ff = BuildImageBlock(full.data(), 128, 7);
    CHECK(static_cast<unsigned char>(ff[2]) == 0x7F); // 128 x 0xFF = 0x7F80
    CHECK(static_cast<unsigned char>(ff[3]) == 0x80);

    CHECK(ImageEndFrame() == std::string(4, '\0'));
}

TEST_CASE("S-record lines go as they stand, each ended by CR")
{
    CHECK(BuildS19Frame("S00600004844521B") == "S00600004844521B\r");
    CHECK(BuildS19Frame("") == "\r");
    CHECK(BuildS19Frame("s1 not checked\x7F") == "s1 not checked\x7F\r");
}

TEST_CASE("the clock text: two digits each, year to second, then CR")
{
    std::tm time = {};
    time.tm_year = 2006 - 1900;
    time.tm_mon = 11;
    time.tm_mday = 6;
    time.tm_hour = 5;
    time.tm_min = 20;
    time.tm_sec = 50;
    CHECK(FormatClockText(time) == "061206052050\r");
    time.tm_year = 2026 - 1900;
    time.tm_mon = 0;
    time.tm_mday = 31;
    time.tm_hour = 23;
    time.tm_min = 59;
    time.tm_sec = 9;
    CHECK(FormatClockText(time) == "260131235909\r");
}

TEST_CASE("S-record lines: the faults the device refuses a record for, found before the download")
{
    struct Case { const char* pszLine; SRecordFault fault; } cases[] = {
        { "S00600004844521B", SRecordFault::None },            // header "HDR"
        { "S1130000285F245F2212226A000424290008237C2A", SRecordFault::None },
        { "S5030001FB", SRecordFault::None },
        { "S9030000FC", SRecordFault::None },
        { "S9030000FC  \t", SRecordFault::None },              // blanks at the end: the device ignores them
        { "s9030000FC", SRecordFault::NotRecord },             // lower-case s
        { "S4030000FC", SRecordFault::NotRecord },             // reserved type
        { "SX030000FC", SRecordFault::NotRecord },
        { "   ", SRecordFault::NotRecord },
        { "S", SRecordFault::NotRecord },
        { "S9030000FG", SRecordFault::NotHex },
        { "S9030000FC\r", SRecordFault::NotHex },              // a CR that was no line end
        { "S9 030000FC", SRecordFault::NotHex },
        { "S9030000F", SRecordFault::Length },                 // odd digits
        { "S9040000FC", SRecordFault::Length },                // count 4, three bytes follow
        { "S902FCFD", SRecordFault::Length },                  // too short for address and checksum
        { "S9", SRecordFault::Length },
        { "S9030000FD", SRecordFault::Checksum },
        { "", SRecordFault::None },                            // an empty line goes out as a lone CR
    };
    for (const Case& c : cases) {
        CAPTURE(c.pszLine);
        CHECK(CheckSRecordLine(c.pszLine) == c.fault);
    }
}

TEST_CASE("the survey of a file counts its lines, its records and its bad lines, and keeps the first")
{
    SRecordSurvey survey;
    for (const char* pszLine : { "S00600004844521B", "", "S9030000FD", "S1", "S9030000FC" })
        survey.Add(pszLine);
    CHECK(survey.nLines == 5);
    CHECK(survey.nRecords == 4);
    CHECK(survey.nBad == 2);
    CHECK(survey.nFirstBad == 3);
    CHECK(survey.firstFault == SRecordFault::Checksum);

    SRecordSurvey blank;
    blank.Add("");
    blank.Add("");
    CHECK(blank.nLines == 2);
    CHECK(blank.nRecords == 0); // nothing to send
    CHECK(blank.nBad == 0);
}

TEST_CASE("a file holds something to send only with a data record: S1, S2 or S3")
{
    SRecordSurvey header;
    for (const char* pszLine : { "S00600004844521B", "S5030001FB", "S9030000FC", "" })
        header.Add(pszLine);
    CHECK(header.nRecords == 3);
    CHECK(header.nBad == 0);
    CHECK(header.nDataRecords == 0);
    CHECK(header.HoldsNothingToSend()); // a header and an end record bring the device no code

    SRecordSurvey blank;
    blank.Add("");
    CHECK(blank.HoldsNothingToSend());

    for (const char* pszData : { "S1050000AABB95", "S206000000AABB94", "S30700000000AABB93" }) {
        CAPTURE(pszData);
        SRecordSurvey survey;
        survey.Add("S00600004844521B");
        survey.Add(pszData);
        survey.Add("S9030000FC");
        CHECK(survey.nBad == 0);
        CHECK(survey.nDataRecords == 1);
        CHECK_FALSE(survey.HoldsNothingToSend());
    }

    // A data record with a fault is data all the same: the technician is asked whether to
    // send it, not told there is nothing.
    SRecordSurvey bad;
    bad.Add("S1050000AABB00");
    CHECK(bad.nBad == 1);
    CHECK(bad.nDataRecords == 1);
    CHECK_FALSE(bad.HoldsNothingToSend());
}
