#include "StepCalcDlg.h"
#include "ConfigMessages.h"
#include "ConfigRules.h"
#include "StringFormats.h"
#include "resource.h"

namespace {
// The three inputs, in the order the calculation checks them, and their ranges.
struct CalcInput {
    int nIDC;
    CString CStepCalcDlg::*pText;
    UINT nMin, nMax;
};
using Dlg = CStepCalcDlg;
const CalcInput kInputs[] = {
    { IDC_CALC_HIGH, &Dlg::m_strHigh, Dlg::HIGH_MIN, Dlg::HIGH_MAX },
    { IDC_CALC_LOW, &Dlg::m_strLow, Dlg::LOW_MIN, Dlg::LOW_MAX },
    { IDC_CALC_STEP, &Dlg::m_strStep, Dlg::STEP_MIN, Dlg::STEP_MAX },
};
}

BEGIN_MESSAGE_MAP(CStepCalcDlg, CDialog)
    ON_BN_CLICKED(IDC_CALC_RUN, &CStepCalcDlg::OnCalculate)
    ON_EN_KILLFOCUS(IDC_CALC_HIGH, &CStepCalcDlg::OnHighLeft)
    ON_EN_KILLFOCUS(IDC_CALC_LOW, &CStepCalcDlg::OnLowLeft)
    ON_EN_KILLFOCUS(IDC_CALC_STEP, &CStepCalcDlg::OnStepLeft)
END_MESSAGE_MAP()

CStepCalcDlg::CStepCalcDlg(CWnd* pParentWnd)
    : CDialog(IDD_STEP_CALCULATOR, pParentWnd), m_nResult(0), m_bChecking(false)
{
}

void CStepCalcDlg::DoDataExchange(CDataExchange* pDX)
{
    // A refused text's message and the focus put back make an input lose the focus: its
    // check must not run inside the exchange.
    bool bWasChecking = m_bChecking;
    m_bChecking = true;
    DDX_Text(pDX, IDC_CALC_HIGH, m_strHigh);
    DDV_MaxChars(pDX, m_strHigh, 4);
    DDX_Text(pDX, IDC_CALC_STEP, m_strStep);
    DDV_MaxChars(pDX, m_strStep, 3);
    DDX_Text(pDX, IDC_CALC_LOW, m_strLow);
    DDV_MaxChars(pDX, m_strLow, 3);
    DDX_Text(pDX, IDC_CALC_RESULT, m_strResult);
    DDV_MaxChars(pDX, m_strResult, 2);
    m_bChecking = bWasChecking;
}

BOOL CStepCalcDlg::OnInitDialog()
{
    // Every calculation starts from nothing, whatever the members held.
    m_strHigh.Empty();
    m_strLow.Empty();
    m_strStep.Empty();
    m_strResult.Empty();
    CDialog::OnInitDialog();
    ::EnableWindow(GetDlgItem(IDOK), FALSE);
    return TRUE;
}

void CStepCalcDlg::WithdrawResult()
{
    m_strResult.Empty();
    m_nResult = 0;
    ::SetDlgItemTextA(m_hWnd, IDC_CALC_RESULT, "");
    ::EnableWindow(GetDlgItem(IDOK), FALSE);
}

void CStepCalcDlg::ShowMessage()
{
    ShowConfigMessage(this, m_strMessage);
}

void CStepCalcDlg::OnCalculate()
{
    // A message box takes the focus from the input that has it (Calculate's command can
    // come while an input keeps the focus); that input's check must not start a second
    // message meanwhile.
    if (m_bChecking)
        return;
    m_bChecking = true;
    WithdrawResult();
    if (UpdateData(TRUE))
        Calculate();
    m_bChecking = false;
}

void CStepCalcDlg::Calculate()
{
    // The input left for Calculate is checked first, as leaving it for any other control
    // checks it: out of its range, there is nothing to calculate.
    int nLeft = m_nLeftForCalculate;
    m_nLeftForCalculate = 0;
    if (!IsInRange(nLeft))
        return;
    if (m_strHigh.IsEmpty() || m_strLow.IsEmpty() || m_strStep.IsEmpty()) {
        m_strMessage = LoadText(IDS_CALC_MISSING);
        ShowMessage();
        return;
    }
    // Each input is checked as leaving it checks it: a text that is no number, or a
    // number out of its range, gives no result.
    for (const CalcInput& input : kInputs) {
        if (!IsInRange(input.nIDC))
            return;
    }
    // A step of 0 is never divided by.
    UINT nResult = 0;
    if (!CalculateStep(m_strHigh, m_strLow, m_strStep, nResult)) {
        IsInRange(IDC_CALC_STEP);
        return;
    }
    m_nResult = nResult;
    m_strResult.Format("%u", nResult);
    UpdateData(FALSE);
    if (nResult >= RESULT_MIN && nResult <= RESULT_MAX) {
        ::EnableWindow(GetDlgItem(IDOK), TRUE);
        return;
    }
    m_strMessage = FormatById(IDS_CALC_OUT_OF_RANGE, "dd", RESULT_MIN, RESULT_MAX);
    ShowMessage();
}

BOOL CStepCalcDlg::IsInRange(int nIDC)
{
    for (const CalcInput& input : kInputs) {
        if (input.nIDC != nIDC)
            continue;
        UINT nValue = 0;
        if (ReadCalculatorInput(this->*input.pText, nValue) && nValue >= input.nMin && nValue <= input.nMax)
            return TRUE;
        ShowRangeMessage(input.nMin, input.nMax, IDS_RANGE);
        ::SetFocus(GetDlgItem(nIDC));
        return FALSE;
    }
    return TRUE;
}

void CStepCalcDlg::OnHighLeft()
{
    CheckInput(IDC_CALC_HIGH);
}

void CStepCalcDlg::OnLowLeft()
{
    CheckInput(IDC_CALC_LOW);
}

void CStepCalcDlg::OnStepLeft()
{
    CheckInput(IDC_CALC_STEP);
}

void CStepCalcDlg::CheckInput(int nIDC)
{
    // The range message and the focus put back make another input lose the focus; its
    // check waits until the user leaves it, as does the check of an input whose focus
    // went to another program. Left for Cancel, the inputs are dropped, and Cancel must
    // close whatever they are.
    if (m_bChecking || !IsFocusWithin(this) || IsFocusOn(this, IDCANCEL))
        return;
    m_bChecking = true;
    WithdrawResult();
    // Left for Calculate, the calculation checks this input (one message, not two). A
    // refused exchange has told the user why already.
    if (IsFocusOn(this, IDC_CALC_RUN))
        m_nLeftForCalculate = nIDC;
    else if (UpdateData(TRUE))
        IsInRange(nIDC);
    m_bChecking = false;
}
