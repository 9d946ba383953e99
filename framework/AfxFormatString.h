// Messages built from a string of the string table with inserts %1 and %2, so that each
// language puts the inserts where its sentence needs them.
#pragma once

#include "CString.h"

// Loads string nIDS (the language library first) and puts lpsz1 in place of every %1
// and lpsz2 in place of every %2; any other % stays as it is. Empty when nIDS is missing.
void AfxFormatString2(CString& rString, UINT nIDS, LPCSTR lpsz1, LPCSTR lpsz2);

// The same with the format given as text.
void AfxFormatStrings(CString& rString, LPCSTR lpszFormat, LPCSTR lpsz1, LPCSTR lpsz2);
