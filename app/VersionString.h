// The program's version as shown in the about box and at the head of the log file.
#pragma once

#include "afxwin.h"

// "Version 1.2.3.0045" from the file version of pszFileName, found by the module search
// (the program's own folder first). A text that says so when it cannot be read.
void GetVersionString(CString& strText, const char* pszFileName);
