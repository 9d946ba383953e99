#include "StringFormats.h"

CString FormatTwoTexts(UINT nID, const char* pszFallback, const char* psz1, const char* psz2)
{
    return FormatById(nID, "ss", pszFallback, psz1, psz2);
}

CString LoadText(UINT nID, const char* pszFallback)
{
    CString strText;
    if (!strText.LoadString(nID))
        strText = pszFallback;
    return strText;
}
