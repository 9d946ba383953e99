// The configuration editor's number rules: thirds round as (v + 1) / 3 over the whole
// range and count back within the device's 50; the calculator never divides by 0 and
// gives the quotient of the numbers as strtol reads them, in unsigned 32-bit arithmetic.
#include "ConfigRules.h"
#include "FuzzCheck.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {
std::uint32_t AsReading(const std::string& strText)
{
    long long n = std::strtoll(strText.c_str(), nullptr, 10);
    n = n < INT_MIN ? INT_MIN : n > INT_MAX ? INT_MAX : n;
    return static_cast<std::uint32_t>(static_cast<std::int32_t>(n));
}
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    FuzzedDataProvider input(pData, nSize);
    const unsigned v = input.ConsumeIntegral<unsigned>();
    const unsigned nThirds = ToThirds(v);
    FUZZ_CHECK(nThirds == static_cast<unsigned>((static_cast<std::uint64_t>(v) + 1) / 3));
    const unsigned nBack = FromThirds(nThirds);
    FUZZ_CHECK(nBack <= 50 || nThirds < 17);
    FUZZ_CHECK(nThirds < 17 ? nBack == 3 * nThirds : nBack == 50);

    // The calculator's fields hold at most 8 characters each.
    std::string strHigh = input.ConsumeRandomLengthString(8);
    std::string strLow = input.ConsumeRandomLengthString(8);
    std::string strStep = input.ConsumeRandomLengthString(8);
    unsigned nResult = 12345;
    bool bOk = CalculateStep(strHigh.c_str(), strLow.c_str(), strStep.c_str(), nResult);
    const std::uint32_t nStep = AsReading(strStep);
    FUZZ_CHECK(bOk == (nStep != 0));
    if (bOk)
        FUZZ_CHECK(nResult == (AsReading(strHigh) - AsReading(strLow)) / nStep);
    else
        FUZZ_CHECK(nResult == 12345); // nothing divided, nothing written
    return 0;
}
