// Lines of a firmware text file: CR LF and LF end a line, a lone CR does not, 0x1A ends
// the text.
#include "TextLineReader.h"

#include <doctest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {
std::vector<std::string> LinesOf(const std::string& strText)
{
    std::FILE* pFile = std::tmpfile();
    REQUIRE(pFile);
    std::fwrite(strText.data(), 1, strText.size(), pFile);
    std::rewind(pFile);
    std::vector<std::string> lines;
    std::string strLine;
    while (ReadTextLine(pFile, strLine))
        lines.push_back(strLine);
    CHECK_FALSE(ReadTextLine(pFile, strLine)); // the end stays the end
    std::fclose(pFile);
    return lines;
}

using Lines = std::vector<std::string>;
}

TEST_CASE("line ends")
{
    CHECK(LinesOf("S0\r\nS1\nS9") == Lines{ "S0", "S1", "S9" });
    CHECK(LinesOf("S0\r\n") == Lines{ "S0" });
    CHECK(LinesOf("A\rB\r\n\r\n") == Lines{ "A\rB", "" });
    CHECK(LinesOf("A\r") == Lines{ "A\r" });
    CHECK(LinesOf("").empty());
}

TEST_CASE("0x1A ends the text")
{
    CHECK(LinesOf("S0\r\nS9\r\n\x1a" "garbage\r\n") == Lines{ "S0", "S9" });
    CHECK(LinesOf("S9\x1a\r\n") == Lines{ "S9" });
    CHECK(LinesOf(std::string("A\0B\n", 4)) == Lines{ std::string("A\0B", 3) });
}
