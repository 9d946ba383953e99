#include "StringFormats.h"
#include "FormatCheck.h"

CString FormatTwoTexts(UINT nID, const char* pszFallback, const char* psz1, const char* psz2)
{
    CString strFormat;
    if (!strFormat.LoadString(nID) || !IsFormatFor(strFormat, "ss"))
        strFormat = pszFallback;
    CString strText;
    strText.Format(strFormat, psz1, psz2);
    return strText;
}

CString LoadText(UINT nID, const char* pszFallback)
{
    CString strText;
    if (!strText.LoadString(nID))
        strText = pszFallback;
    return strText;
}
