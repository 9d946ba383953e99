// The reply codings of the reads: numbers are read as atol reads them (held at the ends
// of the 32-bit range), the 'r' list takes a number only where a comma follows the one
// before, words are compared exactly, and every coding stays inside its set of values.
#include "ConfigReplies.h"
#include "ParamReplies.h"
#include "FuzzCheck.h"

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
int ReferenceNumber(const char* pszText)
{
    long long n = std::strtoll(pszText, nullptr, 10); // held at the 64-bit ends on overflow
    if (n < INT_MIN)
        return INT_MIN;
    if (n > INT_MAX)
        return INT_MAX;
    return static_cast<int>(n);
}
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    // A reply line as the framer hands it over: the text up to its first NUL.
    const std::string strReply(reinterpret_cast<const char*>(pData), nSize);
    const char* pszReply = strReply.c_str();

    FUZZ_CHECK(LeadingNumber(pszReply) == ReferenceNumber(pszReply));
    FUZZ_CHECK(ParseParamWReply(pszReply) == LeadingNumber(pszReply));

    int anValues[3] = { 7, 7, 7 };
    int nCount = ParseCfgValueList(pszReply, anValues);
    const char* pszFirstComma = std::strchr(pszReply, ',');
    const char* pszSecondComma = pszFirstComma ? std::strchr(pszFirstComma + 1, ',') : nullptr;
    FUZZ_CHECK(nCount == (!pszFirstComma ? 0 : !pszSecondComma ? 1 : 3));
    if (nCount >= 1)
        FUZZ_CHECK(anValues[0] == ReferenceNumber(pszReply));
    if (nCount == 3) {
        FUZZ_CHECK(anValues[1] == ReferenceNumber(pszFirstComma + 1));
        FUZZ_CHECK(anValues[2] == ReferenceNumber(pszSecondComma + 1));
    } else {
        FUZZ_CHECK(anValues[1] == 7 && anValues[2] == 7); // untouched
    }

    int nWord = MatchCfgWord(pszReply, "DIRECT", "THIRDS");
    FUZZ_CHECK(nWord == (std::strcmp(pszReply, "DIRECT") == 0 ? 0 : std::strcmp(pszReply, "THIRDS") == 0 ? 1 : -1));
    int nOnOff = ParseOnOffReply(pszReply);
    FUZZ_CHECK(nOnOff == (strReply.c_str() == std::string("0") ? 0 : strReply.c_str() == std::string("1") ? 1 : -1));
    int nInterface = ParseInterfaceReply(pszReply);
    FUZZ_CHECK(nInterface >= 0 && nInterface <= 3);
    int nF = 99;
    bool bF = ParseParamFReply(pszReply, nF);
    FUZZ_CHECK(bF == (pszReply[0] >= '0' && pszReply[0] <= '3'));
    FUZZ_CHECK(bF ? nF == pszReply[0] - '0' : nF == 99);
    FUZZ_CHECK(InvertParamJ(InvertParamJ(nOnOff)) == nOnOff);
    return 0;
}
