// The messages of the configuration editor and its calculator: their own, in a box of
// the dialog, and the range message, with the smallest and the largest value put into
// the language's sentence (inserts %1 and %2), in the application's box.
#pragma once

#include "afxwin.h"

// pszText in a box owned by pDlg, captioned "ZEV", with the exclamation icon and OK.
void ShowConfigMessage(CWnd* pDlg, const char* pszText);

// Shows string nIDPrompt with nMin as %1 and nMax as %2.
void ShowRangeMessage(UINT nMin, UINT nMax, UINT nIDPrompt);

// The range check of the number just exchanged, the program's only one (the framework
// has none): on saving, a value outside nMin to nMax is refused with the range message,
// and the exchange fails (the focus goes back to its edit, the dialog stays open). Does
// nothing when showing, or after an earlier refusal.
void CheckRangeU(CDataExchange* pDX, UINT value, UINT nMin, UINT nMax, UINT nIDPrompt);

// Where the focus went when an edit of pDlg reported its loss (an edit reports it once
// the focus has moved). IsFocusWithin: to another of pDlg's controls; a focus that left
// for another program, a message box or a dialog on top has not left the edit for the
// user, and its checks wait until the user does. IsFocusOn: to pDlg's control nID.
BOOL IsFocusWithin(const CWnd* pDlg);
BOOL IsFocusOn(const CWnd* pDlg, int nID);
