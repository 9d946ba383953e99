#include "DeviceConfigDlg.h"
#include "ConfigRules.h"
#include "ConfigMessages.h"
#include "StepCalcDlg.h"
#include "resource.h"

namespace {
// The numbers the device takes; each is checked when the values are taken.
const UINT kValue1Min = 2, kValue1Max = 50;
const UINT kValue2Min = 10, kValue2Max = 150;
const UINT kValue3Min = 0, kValue3Max = 50;
const UINT kThirdsMax = 17; // 17 thirds stand for 50

// The controls that each entry mode enables (and the other disables).
const int kDirectControls[] = { IDC_CFG_OPTION_0, IDC_CFG_OPTION_1, IDC_CFG_DIRECT_LABEL,
                                IDC_CFG_VALUE2,   IDC_CFG_VALUE3,   IDC_CFG_VALUE1 };
const int kThirdsControls[] = { IDC_CFG_VALUE3_THIRDS, IDC_CFG_VALUE1_THIRDS, IDC_CFG_CALCULATE };
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

BOOL CDeviceConfigDlg::RunGuarded(BOOL (CDeviceConfigDlg::*pfnRule)())
{
    if (m_bChecking)
        return TRUE;
    m_bChecking = TRUE;
    BOOL bAgreed = (this->*pfnRule)();
    m_bChecking = FALSE;
    return bAgreed;
}

void CDeviceConfigDlg::RunOnLeaving(BOOL (CDeviceConfigDlg::*pfnRule)())
{
    // Only when the user went to another control. Not for Cancel either: the values
    // are about to be dropped, and Cancel must close whatever they are.
    if (IsFocusWithin(this) && !IsFocusOn(this, IDCANCEL))
        RunGuarded(pfnRule);
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
    RunGuarded(&CDeviceConfigDlg::TakeValues);
}

void CDeviceConfigDlg::OnSecondNumberLeft()
{
    RunOnLeaving(&CDeviceConfigDlg::TakeValues);
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
    RunGuarded(&CDeviceConfigDlg::RunCalculator);
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
    struct FieldRule {
        int nIDC;
        BOOL (CDeviceConfigDlg::*pfnRule)();
    };
    static const FieldRule kRules[] = {
        { IDC_CFG_VALUE1, &CDeviceConfigDlg::ApplyFirstNumberRule },
        { IDC_CFG_VALUE3, &CDeviceConfigDlg::ApplyThirdNumberRule },
        { IDC_CFG_VALUE1_THIRDS, &CDeviceConfigDlg::ApplyFirstInThirdsRule },
        { IDC_CFG_VALUE3_THIRDS, &CDeviceConfigDlg::ApplyThirdInThirdsRule },
    };
    for (const FieldRule& rule : kRules) {
        if (IsFocusOn(this, rule.nIDC) && !RunGuarded(rule.pfnRule))
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
    RunOnLeaving(&CDeviceConfigDlg::ApplyFirstNumberRule);
}

void CDeviceConfigDlg::OnThirdNumberLeft()
{
    RunOnLeaving(&CDeviceConfigDlg::ApplyThirdNumberRule);
}

void CDeviceConfigDlg::OnFirstInThirdsLeft()
{
    RunOnLeaving(&CDeviceConfigDlg::ApplyFirstInThirdsRule);
}

void CDeviceConfigDlg::OnThirdInThirdsLeft()
{
    RunOnLeaving(&CDeviceConfigDlg::ApplyThirdInThirdsRule);
}

// The order is compared before either number is turned into thirds.
BOOL CDeviceConfigDlg::ApplyFirstNumberRule()
{
    TakeValues();
    UINT a = m_nValue1;
    if (a < kValue1Min || a > kValue1Max)
        return TRUE; // out of range: the exchange says so
    if (a < m_nValue3) {
        ShowOrderConflict(IDS_CFG_FIRST_TOO_LOW, IDC_CFG_VALUE1);
        return FALSE;
    }
    UINT n = ToThirds(a);
    m_nValue1Thirds = n;
    m_nValue1 = FromThirds(n);
    UpdateData(FALSE);
    return TRUE;
}

BOOL CDeviceConfigDlg::ApplyThirdNumberRule()
{
    TakeValues();
    UINT a = m_nValue3;
    if (a > kValue3Max)
        return TRUE; // out of range: the exchange says so
    if (a > m_nValue1) {
        ShowOrderConflict(IDS_CFG_THIRD_TOO_HIGH, IDC_CFG_VALUE3);
        return FALSE;
    }
    UINT n = ToThirds(a);
    m_nValue3Thirds = n;
    m_nValue3 = FromThirds(n);
    UpdateData(FALSE);
    return TRUE;
}

BOOL CDeviceConfigDlg::ApplyFirstInThirdsRule()
{
    TakeValues();
    UINT a = m_nValue1Thirds;
    if (a == 0 || a > kThirdsMax)
        return TRUE; // out of range: the exchange says so
    if (a < m_nValue3Thirds) {
        ShowOrderConflict(IDS_CFG_FIRST_TOO_LOW, IDC_CFG_VALUE1_THIRDS);
        return FALSE;
    }
    m_nValue1 = FromThirds(a);
    UpdateData(FALSE);
    return TRUE;
}

BOOL CDeviceConfigDlg::ApplyThirdInThirdsRule()
{
    TakeValues();
    UINT a = m_nValue3Thirds;
    if (a > kThirdsMax)
        return TRUE; // out of range: the exchange says so
    if (a > m_nValue1Thirds) {
        ShowOrderConflict(IDS_CFG_THIRD_TOO_HIGH, IDC_CFG_VALUE3_THIRDS);
        return FALSE;
    }
    m_nValue3 = FromThirds(a);
    UpdateData(FALSE);
    return TRUE;
}
