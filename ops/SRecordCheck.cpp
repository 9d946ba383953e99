#include "SRecordCheck.h"
#include "HexDigits.h"

namespace {
// The address bytes of each record type S0 to S9; 0 for the reserved S4.
const unsigned kAddressBytes[10] = { 2, 2, 3, 4, 0, 2, 3, 4, 3, 2 };

std::string::size_type TextEnd(const std::string& strLine)
{
    std::string::size_type nEnd = strLine.size();
    while (nEnd > 0 && (strLine[nEnd - 1] == ' ' || strLine[nEnd - 1] == '\t'))
        --nEnd;
    return nEnd;
}
}

SRecordFault CheckSRecordLine(const std::string& strLine)
{
    std::string::size_type nEnd = TextEnd(strLine);
    if (nEnd == 0)
        return strLine.empty() ? SRecordFault::None : SRecordFault::NotRecord;
    if (nEnd < 2 || strLine[0] != 'S' || strLine[1] < '0' || strLine[1] > '9' || kAddressBytes[strLine[1] - '0'] == 0)
        return SRecordFault::NotRecord;
    unsigned nAddressBytes = kAddressBytes[strLine[1] - '0'];

    // The bytes after the type: the count, the address, the data and the checksum.
    unsigned nSum = 0;
    unsigned nBytes = 0;
    unsigned nCount = 0;
    unsigned nLast = 0;
    for (std::string::size_type i = 2; i < nEnd; i += 2) {
        int nHigh = HexDigitValue(strLine[i]);
        int nLow = i + 1 < nEnd ? HexDigitValue(strLine[i + 1]) : 0;
        if (nHigh < 0 || nLow < 0)
            return SRecordFault::NotHex;
        if (i + 1 >= nEnd)
            return SRecordFault::Length;
        nLast = static_cast<unsigned>(nHigh * 16 + nLow);
        if (nBytes == 0)
            nCount = nLast;
        nSum += nLast;
        ++nBytes;
    }
    if (nBytes == 0 || nCount != nBytes - 1 || nCount < nAddressBytes + 1)
        return SRecordFault::Length;
    // The count, address and data bytes and the checksum sum to 0xFF in their low byte.
    return (nSum & 0xFF) == 0xFF ? SRecordFault::None : SRecordFault::Checksum;
}

void SRecordSurvey::Add(const std::string& strLine)
{
    ++nLines;
    if (TextEnd(strLine) > 0)
        ++nRecords;
    if (strLine.size() >= 2 && strLine[0] == 'S' && strLine[1] >= '1' && strLine[1] <= '3')
        ++nDataRecords;
    SRecordFault fault = CheckSRecordLine(strLine);
    if (fault == SRecordFault::None)
        return;
    if (nBad++ == 0) {
        nFirstBad = nLines;
        firstFault = fault;
    }
}
