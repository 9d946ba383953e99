// Wrappers of the common controls the program uses; each call is one control message.
#pragma once

#include "CWnd.h"
#include <commctrl.h>

class CEdit : public CWnd {
public:
    int GetLineCount() const { return static_cast<int>(SendMessage(EM_GETLINECOUNT)); }
    int LineIndex(int nLine = -1) const { return static_cast<int>(SendMessage(EM_LINEINDEX, nLine)); }
    void SetSel(int nStartChar, int nEndChar) { SendMessage(EM_SETSEL, nStartChar, nEndChar); }
    void ReplaceSel(const char* pszNewText, BOOL bCanUndo = FALSE)
    {
        SendMessage(EM_REPLACESEL, bCanUndo, reinterpret_cast<LPARAM>(pszNewText));
    }
    void ScrollCaret() { SendMessage(EM_SCROLLCARET); }
    // 0 lifts the limit as far as the control allows. The limit holds for typing, not
    // for texts the program sets.
    void SetLimitText(UINT nMax) { SendMessage(EM_SETLIMITTEXT, nMax); }
};

class CProgressCtrl : public CWnd {
public:
    void SetRange32(int nLower, int nUpper) { SendMessage(PBM_SETRANGE32, nLower, nUpper); }
    int SetPos(int nPos) { return static_cast<int>(SendMessage(PBM_SETPOS, nPos)); }
    int GetPos() const { return static_cast<int>(SendMessage(PBM_GETPOS)); }
    int GetRangeLower() const { return static_cast<int>(SendMessage(PBM_GETRANGE, TRUE)); }
    int GetRangeUpper() const { return static_cast<int>(SendMessage(PBM_GETRANGE, FALSE)); }
};
