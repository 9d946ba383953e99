#include "FormatCheck.h"

#include <cstring>

bool IsFormatFor(const char* pszFormat, const char* pszKinds)
{
    const char* pszKind = pszKinds;
    for (const char* p = pszFormat; *p; ++p) {
        if (*p != '%')
            continue;
        ++p;
        if (*p == '%')
            continue;
        while (*p && std::strchr("-+ #0", *p))
            ++p;
        while (*p >= '0' && *p <= '9')
            ++p;
        if (*p == '.') {
            ++p;
            while (*p >= '0' && *p <= '9')
                ++p;
        }
        if (*p == 'h' || *p == 'l')
            ++p;
        bool bInteger = *p && std::strchr("diuxXoc", *p);
        bool bUnsigned = *p && std::strchr("uxXo", *p);
        bool bText = *p == 's';
        if (!bInteger && !bText)
            return false; // '*', 64-bit sizes, floating point, %n, a cut-off format
        if (!(*pszKind == 'd' && bInteger) && !(*pszKind == 'u' && bUnsigned) && !(*pszKind == 's' && bText))
            return false;
        ++pszKind;
    }
    return *pszKind == '\0';
}
