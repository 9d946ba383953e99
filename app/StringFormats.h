// Messages made from the strings of the language library. A string the library lacks, or
// one that is no format for the arguments the caller gives (it would read past them), gives
// way to the program's English: the same string of ZEV_EN.rc, compiled in at build time
// (EnglishTexts.h). A string missing from both is said as kMissingText.
#pragma once

#include "FormatCheck.h"
#include "afxwin.h"

// What stands for a string that neither the library nor the program's English holds.
extern const char kMissingText[];

// String nID: the library's, else the program's English, else kMissingText.
CString LoadText(UINT nID);

// The format of string nID for the arguments whose kinds pszKinds names as IsFormatFor
// does: the library's, else the program's English, else kMissingText (which takes none).
CString FormatFor(UINT nID, const char* pszKinds);

// String nID used as a format for the arguments, whose kinds pszKinds names.
template <typename... Args>
CString FormatById(UINT nID, const char* pszKinds, Args... args)
{
    CString strText;
    strText.Format(FormatFor(nID, pszKinds), args...);
    return strText;
}

// String nID formatted with two texts.
CString FormatTwoTexts(UINT nID, const char* psz1, const char* psz2);

// The same from the library alone, else kMissingText: the log's lines by id, which show
// the library's words or none.
CString LibraryText(UINT nID);
CString LibraryFormatFor(UINT nID, const char* pszKinds);
