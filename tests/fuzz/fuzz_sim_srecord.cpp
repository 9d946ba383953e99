// The simulator's check of S-record lines: any line is judged without harm and a good one
// is well formed; a record built from any address and data is good, and one with a wrong
// checksum or a digit missing is not.
#include "FuzzCheck.h"
#include "srecord.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cctype>
#include <cstdint>
#include <string>
#include <vector>

namespace {
std::string Hex(unsigned nByte, bool bLower)
{
    const char* pszDigits = bLower ? "0123456789abcdef" : "0123456789ABCDEF";
    return { pszDigits[(nByte >> 4) & 0xF], pszDigits[nByte & 0xF] };
}

const int kAddressBytes[10] = { 2, 2, 3, 4, 0, 2, 3, 4, 3, 2 };
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    const std::string strLine(reinterpret_cast<const char*>(pData), nSize);
    zevsim::SRecordCheck any = zevsim::checkSRecord(strLine);
    if (any.status == zevsim::SRecordStatus::Good) {
        FUZZ_CHECK(strLine.size() >= 4 && strLine[0] == 'S');
        FUZZ_CHECK(any.type >= 0 && any.type <= 9 && any.type != 4);
    } else {
        FUZZ_CHECK(!any.reason.empty());
    }

    FuzzedDataProvider input(pData, nSize);
    int nType = input.ConsumeIntegralInRange<int>(0, 8);
    if (nType >= 4)
        ++nType; // S4 is reserved
    const bool bLower = input.ConsumeBool();
    const int nData = input.ConsumeIntegralInRange<int>(0, 255 - kAddressBytes[nType] - 1);
    std::vector<unsigned> bytes;
    bytes.push_back(static_cast<unsigned>(kAddressBytes[nType] + nData + 1));
    for (int i = 0; i < kAddressBytes[nType] + nData; ++i)
        bytes.push_back(input.ConsumeIntegral<std::uint8_t>());
    unsigned nSum = 0;
    for (unsigned nByte : bytes)
        nSum += nByte;
    std::string strRecord = "S" + std::to_string(nType);
    for (unsigned nByte : bytes)
        strRecord += Hex(nByte, bLower);
    const std::string strGood = strRecord + Hex(~nSum & 0xFF, bLower);

    zevsim::SRecordCheck good = zevsim::checkSRecord(strGood + "  ");
    FUZZ_CHECK(good.status == zevsim::SRecordStatus::Good);
    FUZZ_CHECK(good.type == nType);
    FUZZ_CHECK(good.isEnd() == (nType >= 7));
    FUZZ_CHECK(zevsim::checkSRecord(strRecord + Hex((~nSum + 1) & 0xFF, bLower)).status ==
               zevsim::SRecordStatus::BadChecksum);
    FUZZ_CHECK(zevsim::checkSRecord(strGood.substr(0, strGood.size() - 1)).status != zevsim::SRecordStatus::Good);
    return 0;
}
