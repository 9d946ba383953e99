// Messages made from a string of the language library used as a printf format. The
// library is checked first: a string that takes other arguments than the caller gives
// would read past them, so the program's own text stands in for it (and for a missing one).
#pragma once

#include "FormatCheck.h"
#include "afxwin.h"

// String nID formatted with two texts, or pszFallback formatted with them.
CString FormatTwoTexts(UINT nID, const char* pszFallback, const char* psz1, const char* psz2);

// String nID used as a format for the arguments, whose kinds pszKinds names as IsFormatFor
// does; pszFallback, the program's own text for the same arguments, stands in for it.
template <typename... Args>
CString FormatById(UINT nID, const char* pszKinds, const char* pszFallback, Args... args)
{
    CString strFormat;
    if (!strFormat.LoadString(nID) || !IsFormatFor(strFormat, pszKinds))
        strFormat = pszFallback;
    CString strText;
    strText.Format(strFormat, args...);
    return strText;
}

// String nID, or pszFallback when the library lacks it.
CString LoadText(UINT nID, const char* pszFallback);
