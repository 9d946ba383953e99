// A text file read line by line: the lines without their ends, whether they end in CR LF
// or LF alone, and the position after each line counting every byte of the file.
#include "AppTestEnvironment.h"
#include "afxwin.h"

#include <doctest.h>

#include <string>
#include <vector>

namespace {
struct LineRead {
    std::string strLine;
    unsigned long long nPosition;
    bool operator==(const LineRead& other) const { return strLine == other.strLine && nPosition == other.nPosition; }
};

std::vector<LineRead> ReadAll(const std::string& strPath)
{
    CStdioFile file;
    REQUIRE(file.Open(strPath.c_str(), CStdioFile::modeRead | CStdioFile::typeText));
    std::vector<LineRead> reads;
    CString strLine;
    while (file.ReadString(strLine))
        reads.push_back({ std::string(strLine.GetString(), strLine.GetLength()), file.GetPosition() });
    return reads;
}
}

TEST_CASE("a text file read line by line knows where it is, whatever its line ends")
{
    TempFolder folder;
    std::string path = folder.Path("lines.S19");
    // More than the C library's buffer, so that positions are taken mid-buffer and across.
    std::string strLong(5000, 'S');

    SUBCASE("CR LF")
    {
        WriteFileBytes(path, "S0\r\n\r\n" + strLong + "\r\nS9");
        CHECK(ReadAll(path) == std::vector<LineRead>{ { "S0", 4 }, { "", 6 }, { strLong, 5008 }, { "S9", 5010 } });
    }
    SUBCASE("LF alone")
    {
        WriteFileBytes(path, "S0\n\n" + strLong + "\nS9\n");
        CHECK(ReadAll(path) == std::vector<LineRead>{ { "S0", 3 }, { "", 4 }, { strLong, 5005 }, { "S9", 5008 } });
    }
    SUBCASE("a CR without LF stays in the line; Ctrl+Z ends the text")
    {
        WriteFileBytes(path, "a\rb\r\nc\r\x1A" "d\r\n");
        CHECK(ReadAll(path) == std::vector<LineRead>{ { "a\rb", 5 }, { "c\r", 7 } });
    }
}
