#include "ConfigRules.h"
#include "ConfigReplies.h"

unsigned ToThirds(unsigned v)
{
    // The fraction of v / 3 is 0, 1/3 or 2/3, a sixth away from the half where rounding
    // turns, far more than the error of double precision: adding one half and truncating
    // gives (v + 1) / 3 without its overflow at the top.
    return static_cast<unsigned>(v * (1.0 / 3.0) + 0.5);
}

unsigned FromThirds(unsigned n)
{
    return n < 17 ? 3 * n : 50;
}

bool CalculateStep(const char* pszHigh, const char* pszLow, const char* pszStep, unsigned& nResult)
{
    // Read as signed numbers and taken as unsigned: "-5" is 2^32 - 5.
    unsigned nHigh = static_cast<unsigned>(LeadingNumber(pszHigh));
    unsigned nLow = static_cast<unsigned>(LeadingNumber(pszLow));
    unsigned nStep = static_cast<unsigned>(LeadingNumber(pszStep));
    if (nStep == 0)
        return false;
    nResult = (nHigh - nLow) / nStep;
    return true;
}

bool ReadCalculatorInput(const char* pszText, unsigned& nValue)
{
    while (*pszText == ' ' || *pszText == '\t')
        ++pszText;
    if (*pszText < '0' || *pszText > '9')
        return false;
    unsigned long long nNumber = 0;
    for (; *pszText >= '0' && *pszText <= '9'; ++pszText) {
        nNumber = nNumber * 10 + static_cast<unsigned>(*pszText - '0');
        if (nNumber > 0xFFFFFFFFull)
            return false;
    }
    while (*pszText == ' ' || *pszText == '\t')
        ++pszText;
    if (*pszText)
        return false;
    nValue = static_cast<unsigned>(nNumber);
    return true;
}
