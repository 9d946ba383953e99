// CStepCalcDlg: computes the configuration's first number in thirds from two readings and
// a step: (high - low) / step, each input within its range. OK is enabled only while a
// result from 1 to 17 stands; leaving any of the three inputs withdraws the result.
#pragma once

#include "afxwin.h"

class CStepCalcDlg : public CDialog {
public:
    explicit CStepCalcDlg(CWnd* pParentWnd = nullptr);

    // The ranges of the inputs, checked when an input loses the focus, and of the result.
    enum {
        HIGH_MIN = 700, HIGH_MAX = 1300,
        LOW_MIN = 400, LOW_MAX = 700,
        STEP_MIN = 10, STEP_MAX = 100,
        RESULT_MIN = 1, RESULT_MAX = 17
    };

    CString m_strHigh;   // the high reading, at most 4 characters
    CString m_strLow;    // the low reading, at most 3 characters
    CString m_strStep;   // at most 3 characters
    CString m_strResult; // the result as shown, at most 2 characters
    UINT m_nResult;      // the result of the last calculation; 0 once withdrawn
    CString m_strMessage; // the text of the last message box of the dialog's own
    bool m_bChecking;     // set while a check or a calculation runs (see OnCalculate)

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    // The inputs start empty, and OK disabled until a result stands.
    BOOL OnInitDialog() override;

    // Called when Calculate is pressed, also by Enter or its key while an input has the
    // focus: the inputs, their ranges, then the result.
    void OnCalculate();
    // Called when an input loses the focus to another control: the result withdrawn,
    // and the input's range checked unless the user left for Cancel or Calculate.
    void OnHighLeft();
    void OnLowLeft();
    void OnStepLeft();

    DECLARE_MESSAGE_MAP()

private:
    void Calculate();
    // The check of input nIDC (IDC_CALC_HIGH, IDC_CALC_LOW or IDC_CALC_STEP) when it loses
    // the focus.
    void CheckInput(int nIDC);
    // FALSE, after the range message and with the focus put back on it, when input nIDC
    // is no whole number or lies outside its range; TRUE for any other control.
    BOOL IsInRange(int nIDC);
    // The input that the user left for Calculate: its check runs with the calculation.
    int m_nLeftForCalculate = 0;
    // Empties the result and disables OK; only the result's control is written, so the
    // inputs keep what the user typed.
    void WithdrawResult();
    void ShowMessage();
};
