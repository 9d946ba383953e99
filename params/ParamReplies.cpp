#include "ParamReplies.h"
#include "ConfigReplies.h"

#include <cstring>

int ParseOnOffReply(const char* pszReply)
{
    return MatchCfgWord(pszReply, "0", "1");
}

int ParseParamWReply(const char* pszReply)
{
    return LeadingNumber(pszReply);
}

bool ParseParamFReply(const char* pszReply, int& nValue)
{
    if (pszReply[0] < '0' || pszReply[0] > '3')
        return false;
    nValue = pszReply[0] - '0';
    return true;
}

int ParseInterfaceReply(const char* pszReply)
{
    static const char* const kKinds[] = { "RS232", "RS232 MODIFIED", "RS485" };
    for (int i = 0; i < 3; ++i)
        if (std::strcmp(pszReply, kKinds[i]) == 0)
            return i;
    return 3;
}

int InvertParamJ(int nValue)
{
    if (nValue == 0)
        return 1;
    if (nValue == 1)
        return 0;
    return -1;
}
