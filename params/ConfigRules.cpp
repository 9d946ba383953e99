#include "ConfigRules.h"
#include "ConfigReplies.h"

UINT ToThirds(UINT v)
{
    // The fraction of v / 3 is 0, 1/3 or 2/3, a sixth away from the half where rounding
    // turns, far more than the error of double precision: adding one half and truncating
    // gives (v + 1) / 3 without its overflow at the top.
    return static_cast<UINT>(v * (1.0 / 3.0) + 0.5);
}

UINT FromThirds(UINT n)
{
    return n < 17 ? 3 * n : 50;
}

BOOL CalculateStep(const char* pszHigh, const char* pszLow, const char* pszStep, UINT& nResult)
{
    // Read as signed numbers and taken as unsigned: "-5" is 2^32 - 5.
    UINT nHigh = static_cast<UINT>(LeadingNumber(pszHigh));
    UINT nLow = static_cast<UINT>(LeadingNumber(pszLow));
    UINT nStep = static_cast<UINT>(LeadingNumber(pszStep));
    if (nStep == 0)
        return FALSE;
    nResult = (nHigh - nLow) / nStep;
    return TRUE;
}
