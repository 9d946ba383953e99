// Messages made from a string of the language library used as a printf format. The
// library is checked first: a string that takes other arguments than the caller gives
// would read past them, so the program's own text stands in for it (and for a missing one).
#pragma once

#include "afxwin.h"

// String nID formatted with two texts, or pszFallback formatted with them.
CString FormatTwoTexts(UINT nID, const char* pszFallback, const char* psz1, const char* psz2);
