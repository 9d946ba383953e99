#include "ConfigReplies.h"

#include <climits>
#include <cstring>

int LeadingNumber(const char* pszText)
{
    const char* p = pszText;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
        ++p;
    bool bNegative = *p == '-';
    if (*p == '-' || *p == '+')
        ++p;
    long long nValue = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        nValue = nValue * 10 + (*p - '0');
        if (nValue > static_cast<long long>(INT_MAX) + 1)
            nValue = static_cast<long long>(INT_MAX) + 1; // held: more digits change nothing
    }
    if (bNegative)
        return static_cast<int>(-nValue < INT_MIN ? INT_MIN : -nValue);
    return static_cast<int>(nValue > INT_MAX ? INT_MAX : nValue);
}

int ParseCfgValueList(const char* pszReply, int anValues[3])
{
    const char* pszRest = pszReply;
    const char* pszComma = std::strchr(pszRest, ',');
    if (!pszComma)
        return 0;
    anValues[0] = LeadingNumber(pszRest);
    pszRest = pszComma + 1;
    pszComma = std::strchr(pszRest, ',');
    if (!pszComma)
        return 1;
    anValues[1] = LeadingNumber(pszRest);
    anValues[2] = LeadingNumber(pszComma + 1);
    return 3;
}

int MatchCfgWord(const char* pszReply, const char* pszForZero, const char* pszForOne)
{
    if (std::strcmp(pszReply, pszForZero) == 0)
        return 0;
    if (std::strcmp(pszReply, pszForOne) == 0)
        return 1;
    return -1;
}
