// The program's version as shown in the about box and at the head of the log file.
#pragma once

#include "afxwin.h"

// "Version 1.2.3.0045" from the file version of pszFileName, found by the module search
// (the program's own folder first), followed by what the product version text holds after
// its number: the build's commit, as in "Version 1.0.0.0001 (abc1234)". A text that says
// so when the version cannot be read.
void GetVersionString(CString& strText, const char* pszFileName);
