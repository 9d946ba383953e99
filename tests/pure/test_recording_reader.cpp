// The monitor's recording read back: the rows the recording writes come back as samples
// of their time, flow and impulse errors; midnight, a clock set back, a cut last row; and
// each kind of file that is no recording, refused at its first wrong line.
#include "RecordingReader.h"
#include "MonitorFrame.h"

#include <doctest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

namespace {
MonitorValues Values(int nFlow, int nErrors)
{
    MonitorValues values = {};
    values.nFlowRate = nFlow;
    values.nImpulseErrors = nErrors;
    values.nCounter1 = 42;
    values.nCounter2 = -43;
    values.dVolume = 12.5;
    values.fLitres = 1.5f;
    values.dReading1 = 123456.0;
    values.dReading2 = -0.004;
    values.dWhole = 123468.9;
    values.dDeviation = 0.25;
    return values;
}

// A recording as the monitor writes it in text mode: CR LF line ends.
std::string Recording(std::initializer_list<std::string> rows, const char* pszLineEnd = "\r\n")
{
    std::string strHeader = MonitorCsvHeader();
    std::string strText = strHeader.substr(0, strHeader.size() - 1) + pszLineEnd;
    for (const std::string& strRow : rows)
        strText += strRow.substr(0, strRow.size() - 1) + pszLineEnd;
    return strText;
}

std::string Row(const char* pszTime, int nFlow, int nErrors)
{
    return FormatMonitorCsvRow(pszTime, Values(nFlow, nErrors));
}

void CheckRefused(const std::string& strText, RecordingFault fault, unsigned nLine, unsigned nDetail = 0)
{
    RecordingReadResult result = ReadRecordingText(strText);
    CHECK(result.fault == fault);
    CHECK(result.nLine == nLine);
    CHECK(result.nDetail == nDetail);
    CHECK(result.samples.empty());
}
}

TEST_CASE("the rows the monitor writes come back as samples from the first row's time")
{
    for (const char* pszLineEnd : { "\r\n", "\n" }) {
        RecordingReadResult result = ReadRecordingText(
            Recording({ Row("14:03:07.123", 120, 3), Row("14:03:07.373", 1200, -3), Row("14:03:08.000", 0, 0) },
                      pszLineEnd));
        REQUIRE(result.fault == RecordingFault::None);
        REQUIRE(result.samples.size() == 3);
        CHECK(result.samples[0].dSeconds == 0.0);
        CHECK(result.samples[1].dSeconds == doctest::Approx(0.25));
        CHECK(result.samples[2].dSeconds == doctest::Approx(0.877));
        CHECK(result.samples[0].nFlowRate == 120);
        CHECK(result.samples[0].nImpulseErrors == 3);
        CHECK(result.samples[1].nFlowRate == 1200);
        CHECK(result.samples[1].nImpulseErrors == -3);
        CHECK(result.samples[2].nFlowRate == 0);
        CHECK(result.strFirstTime == "14:03:07.123");
        CHECK(result.nCutLine == 0);
    }
}

TEST_CASE("the readings of a corrupt frame are numbers of the recording too")
{
    MonitorValues odd = Values(-32768, 16383);
    odd.dVolume = std::numeric_limits<double>::quiet_NaN();
    odd.dReading1 = -std::numeric_limits<double>::infinity();
    odd.dReading2 = 1e300; // three hundred digits
    odd.dDeviation = -std::numeric_limits<double>::quiet_NaN();
    odd.nCounter1 = -2147483647 - 1;
    odd.nCounter2 = 2147483647;
    RecordingReadResult result = ReadRecordingText(Recording({ FormatMonitorCsvRow("00:00:00.000", odd) }));
    REQUIRE(result.fault == RecordingFault::None);
    REQUIRE(result.samples.size() == 1);
    CHECK(result.samples[0].nFlowRate == -32768);
    CHECK(result.samples[0].nImpulseErrors == 16383);

    // what another C library writes for the same readings
    std::string strRow = "09:00:00.000,1,2,3,4,1.#QNAN0,-1.#IND00,1.#INF00,-INF,5,nan\n";
    CHECK(ReadRecordingText(Recording({ strRow })).fault == RecordingFault::None);
}

TEST_CASE("the time runs on across midnight, and a clock set back a little costs no time")
{
    RecordingReadResult result = ReadRecordingText(Recording(
        { Row("23:59:59.500", 10, 0), Row("00:00:00.250", 20, 0), Row("00:00:01.000", 30, 0) }));
    REQUIRE(result.fault == RecordingFault::None);
    CHECK(result.samples[1].dSeconds == doctest::Approx(0.75));
    CHECK(result.samples[2].dSeconds == doctest::Approx(1.5));

    // a recording paused for hours before midnight and going on after it
    result = ReadRecordingText(Recording({ Row("20:00:00.000", 10, 0), Row("07:59:59.000", 20, 0) }));
    REQUIRE(result.fault == RecordingFault::None);
    CHECK(result.samples[1].dSeconds == doctest::Approx(11 * 3600 + 3599.0));

    // the PC's clock set back by its time service: the row stays where the one before was
    result = ReadRecordingText(Recording(
        { Row("10:00:05.000", 10, 0), Row("10:00:03.500", 20, 0), Row("10:00:04.000", 30, 0) }));
    REQUIRE(result.fault == RecordingFault::None);
    CHECK(result.samples[1].dSeconds == 0.0);
    CHECK(result.samples[2].dSeconds == doctest::Approx(0.5));
}

TEST_CASE("a time that goes back is refused with the row before it")
{
    std::string strText = Recording({ Row("10:00:05.000", 10, 0), Row("10:00:06.000", 10, 0),
                                      Row("10:00:02.999", 20, 0), Row("10:00:07.000", 20, 0) });
    RecordingReadResult result = ReadRecordingText(strText);
    CHECK(result.fault == RecordingFault::TimeBackwards);
    CHECK(result.nLine == 4);
    CHECK(result.strDetail == "10:00:06.000");
    CHECK(result.strLine.rfind("10:00:02.999,20,0,", 0) == 0);
    CHECK(result.samples.empty());
    // half a day back is too much to be a clock set back, too little to be midnight
    CheckRefused(Recording({ Row("18:00:00.000", 1, 0), Row("06:00:00.001", 1, 0) }), RecordingFault::TimeBackwards, 3);
}

TEST_CASE("a last row cut short is left out and said; the rows before it stand")
{
    std::string strWhole = Recording({ Row("14:03:07.123", 120, 3), Row("14:03:07.373", 130, 3) });
    std::string strRow = Row("14:03:07.623", 140, 4);
    for (std::size_t nCut : { std::size_t(1), std::size_t(9), std::size_t(13), std::size_t(20), strRow.size() - 6 }) {
        CAPTURE(nCut);
        RecordingReadResult result = ReadRecordingText(strWhole + strRow.substr(0, nCut));
        REQUIRE(result.fault == RecordingFault::None);
        CHECK(result.samples.size() == 2);
        CHECK(result.nCutLine == 4);
    }
    // a last row that is whole without its line end, as an editor may save it, is taken
    RecordingReadResult result = ReadRecordingText(strWhole + strRow.substr(0, strRow.size() - 1));
    CHECK(result.samples.size() == 3);
    CHECK(result.nCutLine == 0);
    // the one row cut short: no rows
    result = ReadRecordingText(Recording({}) + strRow.substr(0, 10));
    CHECK(result.fault == RecordingFault::NoRows);
    CHECK(result.nCutLine == 2);
}

TEST_CASE("a file that is no recording is refused at its first wrong line, with why")
{
    std::string strGood = Row("14:03:07.123", 120, 3);
    CheckRefused("", RecordingFault::Empty, 0);
    CheckRefused("time,flow\r\n" + strGood, RecordingFault::WrongHeader, 1);
    CheckRefused(Recording({}), RecordingFault::NoRows, 1);
    CheckRefused(Recording({}) + "\r\n\r\n", RecordingFault::NoRows, 1);
    CheckRefused(Recording({ strGood, "14:03:07.200,1,2,3\n" }), RecordingFault::ColumnCount, 3, 4);
    CheckRefused(Recording({ strGood, strGood.substr(0, strGood.size() - 1) + ",7\n" }),
                 RecordingFault::ColumnCount, 3, 12);
    CheckRefused(Recording({ "14:03:07,120,3,42,43,12.50,1.50,1.00,2.00,3,0.25\n" }), RecordingFault::BadTime, 2);
    CheckRefused(Recording({ "24:00:00.000,120,3,42,43,12.50,1.50,1.00,2.00,3,0.25\n" }), RecordingFault::BadTime, 2);
    CheckRefused(Recording({ "14:60:00.000,120,3,42,43,12.50,1.50,1.00,2.00,3,0.25\n" }), RecordingFault::BadTime, 2);
    CheckRefused(Recording({ "14:03:07.123,12O,3,42,43,12.50,1.50,1.00,2.00,3,0.25\n" }), RecordingFault::NotNumber, 2, 2);
    CheckRefused(Recording({ "14:03:07.123,120,,42,43,12.50,1.50,1.00,2.00,3,0.25\n" }), RecordingFault::NotNumber, 2, 3);
    CheckRefused(Recording({ "14:03:07.123,120,3,42,43,12.50,1.50,1.00,2.00,3.5,0.25\n" }), RecordingFault::NotNumber, 2, 10);
    CheckRefused(Recording({ "14:03:07.123,120,3,42,43,12.50,1.50,1.00,2.00,3,0.25x\n" }), RecordingFault::NotNumber, 2, 11);
    CheckRefused(Recording({ "14:03:07.123,120,3,42,43,12.,1.50,1.00,2.00,3,0.25\n" }), RecordingFault::NotNumber, 2, 6);
    CheckRefused(Recording({ "14:03:07.123,2147483648,3,42,43,12.50,1.50,1.00,2.00,3,0.25\n" }),
                 RecordingFault::NotNumber, 2, 2);
    CheckRefused(Recording({ strGood, strGood, "a,b" + std::string(1, '\0') + "\n" }), RecordingFault::NotText, 4);
    CheckRefused(Recording({ strGood, std::string(kMaxRecordingLine + 2, '1') + "\n" }), RecordingFault::LineTooLong, 3);
    // a binary file with no line end at all stops being read at the limit
    CheckRefused(std::string(10 * kMaxRecordingLine, '\x7F'), RecordingFault::LineTooLong, 1);

    RecordingReadResult result = ReadRecordingText(Recording({ "14:03:07.123,12O,3\n" }));
    CHECK(result.strLine == "14:03:07.123,12O,3");
}

TEST_CASE("a byte-order mark before the header and blank lines between the rows are passed over")
{
    RecordingReadResult result = ReadRecordingText("\xEF\xBB\xBF" + Recording({ Row("14:03:07.123", 1, 0), "\n",
                                                                               Row("14:03:08.123", 2, 0) }));
    REQUIRE(result.fault == RecordingFault::None);
    CHECK(result.samples.size() == 2);
}

TEST_CASE("a recording read in pieces of any size reads as it does whole")
{
    std::string strText;
    for (int i = 0; i < 50; ++i) {
        char szTime[16];
        std::snprintf(szTime, sizeof szTime, "10:00:%02d.%03d", i / 4, i % 4 * 250);
        strText += Row(szTime, i * 10, i / 10);
    }
    strText = Recording({ strText });
    RecordingReadResult whole = ReadRecordingText(strText);
    REQUIRE(whole.samples.size() == 50);
    for (std::size_t nPiece : { 1, 2, 7, 64, 4097 }) {
        CAPTURE(nPiece);
        RecordingReader reader;
        for (std::size_t nPos = 0; nPos < strText.size(); nPos += nPiece)
            reader.Feed(strText.data() + nPos, std::min(nPiece, strText.size() - nPos));
        RecordingReadResult result = reader.Finish();
        REQUIRE(result.samples.size() == 50);
        for (std::size_t i = 0; i < 50; ++i) {
            CHECK(result.samples[i].dSeconds == whole.samples[i].dSeconds);
            CHECK(result.samples[i].nFlowRate == whole.samples[i].nFlowRate);
            CHECK(result.samples[i].nImpulseErrors == whole.samples[i].nImpulseErrors);
        }
    }
    CHECK(whole.samples[49].dSeconds == doctest::Approx(12.25));
    CHECK(whole.samples[49].nImpulseErrors == 4);
}

TEST_CASE("the texts a refusal shows: the column's name, the line made visible, the duration")
{
    CHECK(RecordingColumnName(1) == "time");
    CHECK(RecordingColumnName(2) == "flow (L/min)");
    CHECK(RecordingColumnName(11) == "deviation (%)");
    CHECK(RecordingColumnName(0).empty());
    CHECK(RecordingColumnName(12).empty());
    CHECK(ShownRecordingLine("a\tb\x01") == "a?b?");
    CHECK(ShownRecordingLine(std::string(70, 'x')) == std::string(60, 'x') + "...");
    CHECK(ShownRecordingLine("abc", 3) == "abc");
    CHECK(FormatRecordingDuration(0) == "0:00");
    CHECK(FormatRecordingDuration(59.99) == "0:59");
    CHECK(FormatRecordingDuration(754) == "12:34");
    CHECK(FormatRecordingDuration(3600 + 62) == "1:01:02");
    CHECK(FormatRecordingDuration(-5) == "0:00");
}

TEST_CASE("an hour of rows at 25 frames a second adds up to the hour exactly, across midnight")
{
    std::string strText = Recording({});
    const int kFrames = 3600 * 25 + 1;
    strText.reserve(strText.size() + kFrames * 70);
    for (int i = 0; i < kFrames; ++i) {
        long long nMs = (23 * 3600 + 30 * 60) * 1000LL + i * 40LL;
        nMs %= 24 * 3600 * 1000LL;
        char szTime[16];
        std::snprintf(szTime, sizeof szTime, "%02lld:%02lld:%02lld.%03lld", nMs / 3600000, nMs / 60000 % 60,
                      nMs / 1000 % 60, nMs % 1000);
        strText += Row(szTime, i % 500, i / 9000);
    }
    RecordingReadResult result = ReadRecordingText(strText);
    REQUIRE(result.fault == RecordingFault::None);
    REQUIRE(result.samples.size() == static_cast<std::size_t>(kFrames));
    CHECK(result.samples.back().dSeconds == 3600.0);
    CHECK(result.samples[45000].dSeconds == 1800.0);
    CHECK(result.samples.back().nImpulseErrors == 10);
    CHECK(FormatRecordingDuration(result.samples.back().dSeconds) == "1:00:00");
}
