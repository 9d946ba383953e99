// The messages of the configuration editor and its calculator: their own, in a box of
// the dialog, and the range message, with the smallest and the largest value put into
// the language's sentence (inserts %1 and %2), in the application's box.
#pragma once

#include "afxwin.h"

// pszText in a box owned by pDlg, captioned "ZEV", with the exclamation icon and OK.
void ShowConfigMessage(CWnd* pDlg, const char* pszText);

// Shows string nIDPrompt with nMin as %1 and nMax as %2.
void ShowRangeMessage(UINT nMin, UINT nMax, UINT nIDPrompt);

// The range check of the number just exchanged: on saving, a value outside nMin to nMax
// is refused with the range message, and the exchange fails (the focus goes back to its
// edit, the dialog stays open). Does nothing when showing, or after an earlier refusal.
void CheckRangeU(CDataExchange* pDX, UINT value, UINT nMin, UINT nMax, UINT nIDPrompt);

// TRUE when the focus is on pDlg's control nID. An edit reports the loss of the focus
// once the focus has moved, so its check can tell where the user is going (to Cancel,
// for one).
BOOL IsFocusOn(const CWnd* pDlg, int nID);
