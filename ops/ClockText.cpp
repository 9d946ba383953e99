#include "ClockText.h"

std::string FormatClockText(const std::tm& time)
{
    char szText[32];
    std::size_t nLength = std::strftime(szText, sizeof szText, "%y%m%d%H%M%S\r", &time);
    return std::string(szText, nLength);
}
