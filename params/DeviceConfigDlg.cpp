#include "DeviceConfigDlg.h"
#include "ConfigRules.h"
#include "ConfigMessages.h"
#include "StepCalcDlg.h"
#include "resource.h"

#include <algorithm>
#include <iterator>

namespace {
// The controls that each entry mode enables (and the other disables).
const int kDirectControls[] = { IDC_CFG_OPTION_0, IDC_CFG_OPTION_1, IDC_CFG_DIRECT_LABEL,
                                IDC_CFG_VALUE2,   IDC_CFG_VALUE3,   IDC_CFG_VALUE1 };
const int kThirdsControls[] = { IDC_CFG_VALUE3_THIRDS, IDC_CFG_VALUE1_THIRDS, IDC_CFG_CALCULATE };

// The order rules: the first number is never below the third, counted directly or in
// thirds. A number entered directly is rounded to whole thirds and its count in thirds
// follows it; a count in thirds sets the number.
struct OrderRule {
    int nIDC;                        // the edit whose rule it is
    UINT CDeviceConfigDlg::*pValue;  // its number
    UINT nMin, nMax;                 // its range; outside it the exchange has said so
    bool bFirst;                     // the first number (else the third)
    UINT CDeviceConfigDlg::*pOther;  // the other of the two, counted the same way
    UINT CDeviceConfigDlg::*pTwin;   // the same number counted the other way
    bool bInThirds;                  // the edit counts in thirds
};
using Dlg = CDeviceConfigDlg;
const OrderRule kOrderRules[] = {
    // edit, its number, its range, first?, the other number, its twin, in thirds?
    { IDC_CFG_VALUE1, &Dlg::m_nValue1, kValue1Min, kValue1Max,
      true, &Dlg::m_nValue3, &Dlg::m_nValue1Thirds, false },
    { IDC_CFG_VALUE3, &Dlg::m_nValue3, kValue3Min, kValue3Max,
      false, &Dlg::m_nValue1, &Dlg::m_nValue3Thirds, false },
    { IDC_CFG_VALUE1_THIRDS, &Dlg::m_nValue1Thirds, 1, kThirdsMax,
      true, &Dlg::m_nValue3Thirds, &Dlg::m_nValue1, true },
    { IDC_CFG_VALUE3_THIRDS, &Dlg::m_nValue3Thirds, 0, kThirdsMax,
      false, &Dlg::m_nValue1Thirds, &Dlg::m_nValue3, true },
};
}

BEGIN_MESSAGE_MAP(CDeviceConfigDlg, CDialog)
    ON_BN_CLICKED(IDC_CFG_KIND, &CDeviceConfigDlg::OnKindClicked)
    ON_BN_CLICKED(IDC_CFG_MODE_DIRECT, &CDeviceConfigDlg::OnDirectEntry)
    ON_BN_CLICKED(IDC_CFG_CALCULATE, &CDeviceConfigDlg::OnCalculator)
    ON_BN_CLICKED(IDC_CFG_MODE_THIRDS, &CDeviceConfigDlg::OnEntryInThirds)
    ON_EN_KILLFOCUS(IDC_CFG_VALUE2, &CDeviceConfigDlg::OnSecondNumberLeft)
    ON_EN_KILLFOCUS(IDC_CFG_VALUE3, &CDeviceConfigDlg::OnThirdNumberLeft)
    ON_EN_KILLFOCUS(IDC_CFG_VALUE3_THIRDS, &CDeviceConfigDlg::OnThirdInThirdsLeft)
    ON_EN_KILLFOCUS(IDC_CFG_VALUE1, &CDeviceConfigDlg::OnFirstNumberLeft)
    ON_EN_KILLFOCUS(IDC_CFG_VALUE1_THIRDS, &CDeviceConfigDlg::OnFirstInThirdsLeft)
END_MESSAGE_MAP()

CDeviceConfigDlg::CDeviceConfigDlg(CWnd* pParentWnd)
    : CDialog(IDD_CONFIG, pParentWnd), m_nValue1(0), m_nValue3(0), m_nValue2(0), m_nValue1Thirds(0), m_nKind(0),
      m_nMode(-1), m_nOption(-1), m_nValue3Thirds(0), m_bChecking(FALSE)
{
}

void CDeviceConfigDlg::DoDataExchange(CDataExchange* pDX)
{
    // A refusal's message, and the focus it puts back, make an edit lose the focus: its
    // rule must not run inside the exchange (OK's, for one) and refuse a second time.
    BOOL bWasChecking = m_bChecking;
    m_bChecking = TRUE;
    DDX_Check(pDX, IDC_CFG_KIND, m_nKind);
    DDX_Radio(pDX, IDC_CFG_MODE_DIRECT, m_nMode);
    DDX_Radio(pDX, IDC_CFG_OPTION_0, m_nOption);
    DDX_Text(pDX, IDC_CFG_VALUE1, m_nValue1);
    CheckRangeU(pDX, m_nValue1, kValue1Min, kValue1Max, IDS_RANGE);
    DDX_Text(pDX, IDC_CFG_VALUE2, m_nValue2);
    CheckRangeU(pDX, m_nValue2, kValue2Min, kValue2Max, IDS_RANGE);
    DDX_Text(pDX, IDC_CFG_VALUE3, m_nValue3);
    CheckRangeU(pDX, m_nValue3, kValue3Min, kValue3Max, IDS_RANGE);
    DDX_Text(pDX, IDC_CFG_VALUE1_THIRDS, m_nValue1Thirds);
    CheckRangeU(pDX, m_nValue1Thirds, 1, kThirdsMax, IDS_RANGE);
    DDX_Text(pDX, IDC_CFG_VALUE3_THIRDS, m_nValue3Thirds);
    CheckRangeU(pDX, m_nValue3Thirds, 0, kThirdsMax, IDS_RANGE);
    m_bChecking = bWasChecking;
}

INT_PTR CDeviceConfigDlg::DoModal()
{
    m_nValue1Thirds = ToThirds(m_nValue1);
    m_nValue3Thirds = ToThirds(m_nValue3);
    return CDialog::DoModal();
}

BOOL CDeviceConfigDlg::OnInitDialog()
{
    ApplyEnableRule();
    CDialog::OnInitDialog();
    return TRUE;
}

void CDeviceConfigDlg::ApplyEnableRule()
{
    if (m_nMode != 0 && m_nMode != 1)
        return;
    BOOL bDirect = m_nMode == 0;
    for (int nID : kDirectControls)
        ::EnableWindow(GetDlgItem(nID), bDirect);
    for (int nID : kThirdsControls)
        ::EnableWindow(GetDlgItem(nID), !bDirect);
}

BOOL CDeviceConfigDlg::RunGuarded(const std::function<BOOL()>& rule)
{
    if (m_bChecking)
        return TRUE;
    m_bChecking = TRUE;
    BOOL bAgreed = rule();
    m_bChecking = FALSE;
    return bAgreed;
}

void CDeviceConfigDlg::RunOnLeaving(const std::function<BOOL()>& rule)
{
    // Only when the user went to another control. Not for Cancel either: the values
    // are about to be dropped, and Cancel must close whatever they are.
    if (IsFocusWithin(this) && !IsFocusOn(this, IDCANCEL))
        RunGuarded(rule);
}

BOOL CDeviceConfigDlg::TakeValues()
{
    // A value refused on the way has been reported; the handler goes on with the
    // members as far as the exchange got.
    UpdateData(TRUE);
    return TRUE;
}

void CDeviceConfigDlg::OnKindClicked()
{
    RunGuarded([this] { return TakeValues(); });
}

void CDeviceConfigDlg::OnSecondNumberLeft()
{
    RunOnLeaving([this] { return TakeValues(); });
}

void CDeviceConfigDlg::OnDirectEntry()
{
    TakeValues();
    m_nValue2 = 33;
    m_nValue3 = 0;
    m_nValue1 = 9;
    m_nValue1Thirds = ToThirds(9);
    m_nValue3Thirds = ToThirds(0);
    UpdateData(FALSE);
    ApplyEnableRule();
}

void CDeviceConfigDlg::OnEntryInThirds()
{
    TakeValues();
    ApplyEnableRule();
}

void CDeviceConfigDlg::OnCalculator()
{
    // Guarded too: the calculator takes the focus from the editor, and an edit that had
    // it is checked when the user leaves it, not while the calculator opens.
    RunGuarded([this] { return RunCalculator(); });
}

BOOL CDeviceConfigDlg::RunCalculator()
{
    CStepCalcDlg dlg(this);
    if (dlg.DoModal() != IDOK || dlg.m_nResult < 2 || dlg.m_nResult > 16)
        return TRUE;
    m_nValue1Thirds = dlg.m_nResult;
    m_nValue1 = 3 * dlg.m_nResult;
    UpdateData(FALSE);
    ::SetFocus(GetDlgItem(IDC_CFG_VALUE1_THIRDS));
    return TRUE;
}

void CDeviceConfigDlg::OnOK()
{
    // Enter leaves the field it is pressed in without moving the focus: its rule runs
    // here, as leaving the field would run it, once every value is in its range (a value
    // out of it has been said, with the focus on it). A conflict the rule finds keeps the
    // editor open with the focus on the field.
    if (!UpdateData(TRUE))
        return;
    for (const OrderRule& rule : kOrderRules) {
        if (IsFocusOn(this, rule.nIDC) && !RunGuarded([this, &rule] { return ApplyOrderRule(rule.nIDC); }))
            return;
    }
    CDialog::OnOK();
}

void CDeviceConfigDlg::ShowOrderConflict(UINT nIDPrompt, int nIDC)
{
    CString strText;
    strText.LoadString(nIDPrompt);
    ShowConfigMessage(this, strText);
    ::SetFocus(GetDlgItem(nIDC));
}

void CDeviceConfigDlg::OnFirstNumberLeft()
{
    RunOnLeaving([this] { return ApplyOrderRule(IDC_CFG_VALUE1); });
}

void CDeviceConfigDlg::OnThirdNumberLeft()
{
    RunOnLeaving([this] { return ApplyOrderRule(IDC_CFG_VALUE3); });
}

void CDeviceConfigDlg::OnFirstInThirdsLeft()
{
    RunOnLeaving([this] { return ApplyOrderRule(IDC_CFG_VALUE1_THIRDS); });
}

void CDeviceConfigDlg::OnThirdInThirdsLeft()
{
    RunOnLeaving([this] { return ApplyOrderRule(IDC_CFG_VALUE3_THIRDS); });
}

// The order is compared before either number is turned into thirds.
BOOL CDeviceConfigDlg::ApplyOrderRule(int nIDC)
{
    const OrderRule* pRule = std::find_if(std::begin(kOrderRules), std::end(kOrderRules),
                                          [nIDC](const OrderRule& rule) { return rule.nIDC == nIDC; });
    if (pRule == std::end(kOrderRules))
        return TRUE;
    TakeValues();
    UINT a = this->*pRule->pValue;
    if (a < pRule->nMin || a > pRule->nMax)
        return TRUE; // out of range: the exchange says so
    UINT nOther = this->*pRule->pOther;
    if (pRule->bFirst ? a < nOther : a > nOther) {
        ShowOrderConflict(pRule->bFirst ? IDS_CFG_FIRST_TOO_LOW : IDS_CFG_THIRD_TOO_HIGH, nIDC);
        return FALSE;
    }
    if (pRule->bInThirds) {
        this->*pRule->pTwin = FromThirds(a);
    } else {
        UINT n = ToThirds(a);
        this->*pRule->pTwin = n;
        this->*pRule->pValue = FromThirds(n);
    }
    UpdateData(FALSE);
    return TRUE;
}
