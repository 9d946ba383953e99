#include "StringFormats.h"
#include "EnglishTexts.h"

const char kMissingText[] = "IDS-Error";

namespace {
// The program's English of string nID, if it is a format for pszKinds (nullptr: any text).
BOOL LoadEnglish(UINT nID, const char* pszKinds, CString& strText)
{
    const char* pszEnglish = EnglishText(nID);
    if (!pszEnglish || (pszKinds && !IsFormatFor(pszEnglish, pszKinds)))
        return FALSE;
    strText = pszEnglish;
    return TRUE;
}

BOOL LoadFromLibrary(UINT nID, const char* pszKinds, CString& strText)
{
    return strText.LoadString(nID) && (!pszKinds || IsFormatFor(strText, pszKinds));
}

CString Loaded(UINT nID, const char* pszKinds, BOOL bEnglish)
{
    CString strText;
    if (!LoadFromLibrary(nID, pszKinds, strText) && !(bEnglish && LoadEnglish(nID, pszKinds, strText)))
        strText = kMissingText;
    return strText;
}
}

CString LoadText(UINT nID)
{
    return Loaded(nID, nullptr, TRUE);
}

CString FormatFor(UINT nID, const char* pszKinds)
{
    return Loaded(nID, pszKinds, TRUE);
}

CString FormatTwoTexts(UINT nID, const char* psz1, const char* psz2)
{
    return FormatById(nID, "ss", psz1, psz2);
}

CString LibraryText(UINT nID)
{
    return Loaded(nID, nullptr, FALSE);
}

CString LibraryFormatFor(UINT nID, const char* pszKinds)
{
    return Loaded(nID, pszKinds, FALSE);
}
