// A firmware text file read line by line, as the download sends it: the lines are the
// text up to 0x1A split at LF with CR LF taken as LF; each frame is its line and one CR.
// The tool's check of each line agrees with the device's.
#include "FirmwareFrames.h"
#include "SRecordCheck.h"
#include "FuzzCheck.h"
#include "TextLineReader.h"
#include "srecord.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {
std::vector<std::string> ExpectedLines(const std::string& strFile)
{
    std::string strText = strFile.substr(0, strFile.find('\x1a'));
    std::string strPlain; // CR LF as LF
    for (std::size_t i = 0; i < strText.size(); ++i) {
        if (strText[i] == '\r' && i + 1 < strText.size() && strText[i + 1] == '\n')
            continue;
        strPlain += strText[i];
    }
    std::vector<std::string> lines;
    std::size_t nStart = 0;
    while (nStart < strPlain.size()) {
        std::size_t nEnd = strPlain.find('\n', nStart);
        if (nEnd == std::string::npos)
            nEnd = strPlain.size();
        lines.push_back(strPlain.substr(nStart, nEnd - nStart));
        nStart = nEnd + 1;
    }
    return lines;
}
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    if (nSize == 0)
        return 0; // a memory stream needs a byte; an empty file has no line, as the unit tests show
    std::string strFile(reinterpret_cast<const char*>(pData), nSize);
    // The file in memory: the reader sees a C stream as it does on disk, far faster.
    std::FILE* pFile = fmemopen(&strFile[0], strFile.size(), "rb");
    FUZZ_CHECK(pFile != nullptr);

    std::vector<std::string> lines;
    std::string strLine;
    long nLastPosition = 0;
    while (ReadTextLine(pFile, strLine)) {
        // The position (the progress bar) moves forward with every line.
        long nPosition = std::ftell(pFile);
        FUZZ_CHECK(nPosition > nLastPosition);
        nLastPosition = nPosition;
        std::string strFrame = BuildS19Frame(strLine);
        FUZZ_CHECK(strFrame.size() == strLine.size() + 1 && strFrame.back() == '\r');
        FUZZ_CHECK(strFrame.compare(0, strLine.size(), strLine) == 0);
        // The device's check of the record takes any line without harm.
        zevsim::SRecordCheck check = zevsim::checkSRecord(strLine);
        FUZZ_CHECK(check.status != zevsim::SRecordStatus::Good || strLine[0] == 'S');
        // The tool's check before the download finds a fault exactly where the device
        // would refuse the record (an empty line the device takes as it is).
        if (!strLine.empty())
            FUZZ_CHECK((CheckSRecordLine(strLine) == SRecordFault::None) ==
                       (check.status == zevsim::SRecordStatus::Good));
        lines.push_back(strLine);
    }
    FUZZ_CHECK(!ReadTextLine(pFile, strLine));
    std::fclose(pFile);
    FUZZ_CHECK(lines == ExpectedLines(strFile));
    return 0;
}
