// How an unattended run ends (exit codes and outcome words) and the result file's rows: the
// exact header and rows a production bench reads, whatever bytes a device answered.
#include "ResultRow.h"
#include "RunOutcome.h"

#include <doctest.h>

#include <algorithm>
#include <clocale>
#include <string>

namespace {

UnitResult TypicalUnit()
{
    UnitResult unit;
    unit.strDate = "2026-12-07";
    unit.strTime = "21:40:05";
    unit.strPort = "COM2";
    unit.strDevice = "Corlaxa";
    unit.strIdent = "Corlaxa V2.14 SN 104711";
    unit.nExitCode = 0;
    unit.dSeconds = 83.46;
    unit.strFirmware = "firmware-small.S19";
    unit.nFirmwareBytes = 2310;
    unit.strFirmwareSha256 = "9f86d081884c7d659a2feaa0c55ad015a3bf4f1b2b0b822cd15d6c15b0f00a08";
    unit.steps = { { "connect", "done" },
                   { "download", "done", "C:\\fw\\firmware-small.S19" },
                   { "clock", "done" },
                   { "readout", "done", "C:\\bench\\unit-7.LOG" } };
    return unit;
}

std::string SecondsColumn(double dSeconds)
{
    UnitResult unit;
    unit.dSeconds = dSeconds;
    // ",,,,,done,0," comes before the seconds
    const std::string strRow = ResultCsvRow(unit);
    const std::string::size_type nStart = std::string(",,,,,done,0,").size();
    return strRow.substr(nStart, strRow.find(',', nStart) - nStart);
}

} // namespace

TEST_CASE("each way a run ends has its exit code and its words")
{
    struct Expected {
        RunFailure failure;
        int nExitCode;
        const char* pszWord;
    };
    const Expected expected[] = {
        { RunFailure::None, 0, "done" },
        { RunFailure::BadArguments, 1, "failed: bad arguments" },
        { RunFailure::PortFailed, 2, "failed: port cannot be opened" },
        { RunFailure::LinkLost, 2, "failed: link lost" },
        { RunFailure::NoAnswer, 3, "failed: no answer" },
        { RunFailure::TimeOut, 4, "failed: time-out" },
        { RunFailure::Nak, 4, "failed: NAK" },
        { RunFailure::FileFailed, 5, "failed: file" },
        { RunFailure::NotVerified, 6, "failed: not verified" },
        { RunFailure::Stopped, 7, "failed: stopped" },
        { RunFailure::Other, 8, "failed" },
    };
    for (const Expected& each : expected) {
        CAPTURE(each.pszWord);
        CHECK(ExitCodeOf(each.failure) == each.nExitCode);
        CHECK(std::string(OutcomeWord(each.failure)) == each.pszWord);
    }
    CHECK(ExitCodeOf(RunFailure::PortFailed) == EXIT_PORT);
    CHECK(ExitCodeOf(RunFailure::Nak) == EXIT_STEP_FAILED);
}

const char kHeader[] = "Date,Time,Port,Device,Identification,Result,Exit code,Seconds,Firmware,Firmware bytes,"
                       "Firmware SHA-256,Connect,Download,Download file,Clock,Clock file,Restore settings,"
                       "Restore settings file,Save settings,Save settings file,Readout,Readout file\r\n";
const char kTypicalStart[] = "2026-12-07,21:40:05,COM2,Corlaxa,Corlaxa V2.14 SN 104711,done,0,83.5,firmware-small.S19,"
                             "2310,9f86d081884c7d659a2feaa0c55ad015a3bf4f1b2b0b822cd15d6c15b0f00a08,";

std::size_t Commas(const std::string& strText)
{
    return static_cast<std::size_t>(std::count(strText.begin(), strText.end(), ','));
}

TEST_CASE("the header has the unit's columns, the connect, and a pair for each step kind, and ends in CR LF")
{
    CHECK(ResultCsvHeader() == kHeader);
}

TEST_CASE("a file begun with this header is told from one begun by another version")
{
    const std::string strHeader = ResultCsvHeader();
    CHECK(StartsWithResultHeader(strHeader));
    CHECK(StartsWithResultHeader(strHeader + "2026-12-07,21:40:05\r\n"));
    CHECK(StartsWithResultHeader(strHeader.substr(0, strHeader.size() - 2) + "\n2026"));
    // the header of a version whose columns followed the steps
    CHECK_FALSE(StartsWithResultHeader("Date,Time,Port,Device,Identification,Result,Exit code,Seconds,Firmware,"
                                       "Firmware bytes,Firmware SHA-256,Step 1,Outcome 1\r\n"));
    CHECK_FALSE(StartsWithResultHeader(strHeader.substr(0, strHeader.size() - 2) + ",Extra\r\n"));
    CHECK_FALSE(StartsWithResultHeader(strHeader.substr(0, strHeader.size() - 2)));
    CHECK_FALSE(StartsWithResultHeader(""));
}

TEST_CASE("a unit's row: its values in the header's order, each step kind in its own place, one line")
{
    UnitResult unit = TypicalUnit();
    CHECK(ResultCsvRow(unit)
          == std::string(kTypicalStart) + "done,done,C:\\x5Cfw\\x5Cfirmware-small.S19,done,,,,,,done,"
                                          "C:\\x5Cbench\\x5Cunit-7.LOG\r\n");

    SUBCASE("the steps in another order land in the same columns")
    {
        std::swap(unit.steps[1], unit.steps[3]);
        CHECK(ResultCsvRow(unit)
              == std::string(kTypicalStart) + "done,done,C:\\x5Cfw\\x5Cfirmware-small.S19,done,,,,,,done,"
                                              "C:\\x5Cbench\\x5Cunit-7.LOG\r\n");
    }
    SUBCASE("a failed unit without firmware: empty firmware columns, the step that failed and those not reached")
    {
        unit.strPort = "COM4";
        unit.strDevice = "Vantik";
        unit.nExitCode = 4;
        unit.dSeconds = 7;
        unit.strFirmware.clear();
        unit.nFirmwareBytes = -1;
        unit.strFirmwareSha256.clear();
        unit.steps = { { "connect", "done" },
                       { "clock", "done" },
                       { "readout", "failed: time-out", "D:\\r.LOG" },
                       { "save-settings", "skipped" } };
        CHECK(ResultCsvRow(unit)
              == "2026-12-07,21:40:05,COM4,Vantik,Corlaxa V2.14 SN 104711,failed,4,7.0,,,,done,,,done,,,,skipped,,"
                 "failed: time-out,D:\\x5Cr.LOG\r\n");
    }
    SUBCASE("the Port column shows what was opened: another COM port, a port on the network")
    {
        for (const char* pszPort : { "COM7", "COM256", "rfc2217://127.0.0.1:4001", "socket://[::1]:4001" }) {
            unit.strPort = pszPort;
            CHECK(ResultCsvRow(unit).rfind("2026-12-07,21:40:05," + std::string(pszPort) + ",Corlaxa,", 0) == 0);
        }
    }
    SUBCASE("a unit that never answered: its connect failed, its steps skipped")
    {
        unit.strIdent.clear();
        unit.nExitCode = 3;
        unit.dSeconds = 0;
        unit.steps = { { "connect", "failed: no answer" }, { "download", "skipped" } };
        unit.nFirmwareBytes = 0; // an empty file has a size
        CHECK(ResultCsvRow(unit)
              == "2026-12-07,21:40:05,COM2,Corlaxa,,failed,3,0.0,firmware-small.S19,0,"
                 "9f86d081884c7d659a2feaa0c55ad015a3bf4f1b2b0b822cd15d6c15b0f00a08,failed: no answer,skipped,,,,,,,,,\r\n");
    }
    SUBCASE("no steps at all: every step column empty, as many as the header has")
    {
        unit.steps.clear();
        const std::string strRow = ResultCsvRow(unit);
        CHECK(strRow == std::string(kTypicalStart) + ",,,,,,,,,,\r\n");
        CHECK(Commas(strRow) == Commas(kHeader));
    }
}

TEST_CASE("a step kind given twice: the first failure, else a skip, else done; its files joined by ';'")
{
    UnitResult unit = TypicalUnit();
    const std::string strStart = std::string(kTypicalStart) + "done,";
    SUBCASE("both done")
    {
        unit.steps = { { "connect", "done" }, { "readout", "done", "a-1.LOG" }, { "readout", "done", "b-1.LOG" } };
        CHECK(ResultCsvRow(unit) == strStart + ",,,,,,,,done,a-1.LOG;b-1.LOG\r\n");
    }
    SUBCASE("the first failure stands over a later one and over a done before it")
    {
        unit.steps = { { "connect", "done" },
                       { "clock", "done" },
                       { "download", "done", "a.S19" },
                       { "clock", "failed: time-out" },
                       { "download", "failed: NAK", "b.S19" } };
        CHECK(ResultCsvRow(unit) == strStart + "failed: NAK,a.S19;b.S19,failed: time-out,,,,,,,\r\n");
        unit.steps.push_back({ "clock", "failed: NAK" });
        CHECK(ResultCsvRow(unit) == strStart + "failed: NAK,a.S19;b.S19,failed: time-out,,,,,,,\r\n");
    }
    SUBCASE("one done, the other skipped: not every one was done")
    {
        unit.steps = { { "connect", "done" }, { "clock", "done" }, { "download", "failed: file", "x.S19" },
                       { "clock", "skipped" } };
        CHECK(ResultCsvRow(unit) == strStart + "failed: file,x.S19,skipped,,,,,,,\r\n");
    }
    SUBCASE("a file name with a comma is quoted whole")
    {
        unit.steps = { { "connect", "done" }, { "save-settings", "done", "a,b.ZEVSET" },
                       { "save-settings", "done", "c.ZEVSET" } };
        CHECK(ResultCsvRow(unit) == strStart + ",,,,,,done,\"a,b.ZEVSET;c.ZEVSET\",,\r\n");
    }
}

TEST_CASE("a row that cannot go into the result file waits beside it in the pending file")
{
    CHECK(PendingFileName("C:\\bench\\units.csv") == "C:\\bench\\units.pending.csv");
    CHECK(PendingFileName("units.CSV") == "units.pending.csv");
    CHECK(PendingFileName("C:\\bench\\units.txt") == "C:\\bench\\units.txt.pending.csv");
    CHECK(PendingFileName("C:\\bench\\units") == "C:\\bench\\units.pending.csv");
    CHECK(PendingFileName("C:\\bench\\.csv") == "C:\\bench\\.csv.pending.csv");
    CHECK(PendingFileName(".csv") == ".csv.pending.csv");
}

TEST_CASE("the pending file's rows move in without its header, each on its own line")
{
    const std::string strHeader = ResultCsvHeader();
    CHECK(PendingRows(strHeader + "a,1\r\nb,2\r\n", strHeader) == "a,1\r\nb,2\r\n");
    CHECK(PendingRows(strHeader, strHeader).empty());
    CHECK(PendingRows("", strHeader).empty());
    // rows without the header (a file someone made by hand) are rows all the same
    CHECK(PendingRows("a,1\r\n", strHeader) == "a,1\r\n");
    // a row cut short is kept, ended, so the next row is not glued to it
    CHECK(PendingRows(strHeader + "a,1\r\nb,", strHeader) == "a,1\r\nb,\r\n");
    // a header cut short is no header: what there is of it is kept as a line
    CHECK(PendingRows(strHeader.substr(0, 10), strHeader) == strHeader.substr(0, 10) + "\r\n");
}

TEST_CASE("an append: the header into an empty file only, and never onto the end of a cut line")
{
    const std::string strHeader = ResultCsvHeader();
    CHECK(AppendText(0, '\n', strHeader, "a,1\r\n") == strHeader + "a,1\r\n");
    CHECK(AppendText(120, '\n', strHeader, "a,1\r\n") == "a,1\r\n");
    CHECK(AppendText(40, ',', strHeader, "a,1\r\n") == "\r\na,1\r\n");
    CHECK(AppendText(40, '\r', strHeader, "a,1\r\n") == "\r\na,1\r\n");
}

TEST_CASE("a device's garbage in the identification stays in its one field of the one line")
{
    UnitResult unit = TypicalUnit();
    const char szGarbage[] = "Corlaxa, \"V2\"\r\n\0SN\\1\xFF\x7F\x1B ";
    unit.strIdent.assign(szGarbage, sizeof szGarbage - 1); // the NUL inside included
    unit.steps = { { "readout", "done" } };
    CHECK(ResultCsvRow(unit)
          == "2026-12-07,21:40:05,COM2,Corlaxa,\"Corlaxa, \"\"V2\"\"\\x0D\\x0A\\x00SN\\x5C1\xFF\\x7F\\x1B \",done,0,83.5,"
             "firmware-small.S19,2310,9f86d081884c7d659a2feaa0c55ad015a3bf4f1b2b0b822cd15d6c15b0f00a08,,,,,,,,,,done,\r\n");
}

TEST_CASE("a field is quoted only when it holds a comma, a quote or a blank at either end")
{
    CHECK(CsvField("") == "");
    CHECK(CsvField("plain text") == "plain text");
    CHECK(CsvField("a,b") == "\"a,b\"");
    CHECK(CsvField(",") == "\",\"");
    CHECK(CsvField("say \"hi\"") == "\"say \"\"hi\"\"\"");
    CHECK(CsvField("\"") == "\"\"\"\"");
    CHECK(CsvField(" lead") == "\" lead\"");
    CHECK(CsvField("trail ") == "\"trail \"");
    CHECK(CsvField(" ") == "\" \"");
    CHECK(CsvField("semi;colon'apostrophe") == "semi;colon'apostrophe");
}

TEST_CASE("control bytes, DEL and the backslash are written as \\xHH; bytes from 0x80 stay as they are")
{
    CHECK(CsvField(std::string("\0", 1)) == "\\x00");
    CHECK(CsvField("a\r\nb") == "a\\x0D\\x0Ab");
    CHECK(CsvField("\t") == "\\x09"); // a tab is no blank: not quoted
    CHECK(CsvField("\x1F\x7F") == "\\x1F\\x7F");
    CHECK(CsvField("C:\\x41") == "C:\\x5Cx41"); // the text \x41 written is not the byte 'A'
    CHECK(CsvField("\\") == "\\x5C");
    CHECK(CsvField("Gr\xFC\xDF" "e \xA7\x80\xFF") == "Gr\xFC\xDF" "e \xA7\x80\xFF");
    CHECK(CsvField("\x01,") == "\"\\x01,\"");
    CHECK(CsvField("\r ") == "\"\\x0D \"");
}

TEST_CASE("the seconds have one decimal, rounded, with a point")
{
    CHECK(SecondsColumn(0) == "0.0");
    CHECK(SecondsColumn(0.04) == "0.0");
    CHECK(SecondsColumn(0.25) == "0.3");
    CHECK(SecondsColumn(12.34) == "12.3");
    CHECK(SecondsColumn(12.36) == "12.4");
    CHECK(SecondsColumn(59.96) == "60.0");
    CHECK(SecondsColumn(3600) == "3600.0");
    CHECK(SecondsColumn(123456.78) == "123456.8");
    // A clock set back during the unit gives no negative duration.
    CHECK(SecondsColumn(-1.5) == "0.0");
}

TEST_CASE("the seconds keep their point where the locale writes a comma")
{
    const std::string strBefore = std::setlocale(LC_NUMERIC, nullptr);
    bool bComma = false;
    for (const char* pszLocale : { "de_DE.UTF-8", "de_DE.utf8", "de_DE", "German_Germany.1252", "German" }) {
        if (std::setlocale(LC_NUMERIC, pszLocale) != nullptr) {
            bComma = true;
            break;
        }
    }
    CAPTURE(bComma); // where no such locale is installed the C locale is checked again
    UnitResult unit = TypicalUnit();
    unit.dSeconds = 1.25;
    const std::string strRow = ResultCsvRow(unit);
    std::setlocale(LC_NUMERIC, strBefore.c_str());
    CHECK(strRow.find(",0,1.3,firmware-small.S19,") != std::string::npos);
}

TEST_CASE("the digest is lower-case hex, two digits a byte")
{
    const unsigned char abDigest[] = { 0x00, 0x0F, 0xA5, 0xFF, 0x10, 0x9C };
    CHECK(HexOfBytes(abDigest, sizeof abDigest) == "000fa5ff109c");
    CHECK(HexOfBytes(abDigest, 1) == "00");
    CHECK(HexOfBytes(abDigest, 0).empty());
}
