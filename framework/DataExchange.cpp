#include "DataExchange.h"
#include "AfxFormatString.h"
#include "afxres.h"

#include <cfloat>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
// Tells the user why a value is refused, in a box owned by the dialog, and fails the
// exchange: the message first, so that the focus Fail sets is not taken by the box.
void Refuse(CDataExchange* pDX, const char* pszText)
{
    pDX->m_pDlgWnd->MessageBox(pszText, nullptr, MB_OK | MB_ICONEXCLAMATION);
    pDX->Fail();
}

// The message nIDPrompt of the resource module (the program's language) with its insert
// %1, or the framework's English text when the module lacks it.
void RefuseWith(CDataExchange* pDX, UINT nIDPrompt, const char* pszEnglish, const char* psz1 = "")
{
    CString strFormat;
    if (!strFormat.LoadString(nIDPrompt))
        strFormat = pszEnglish;
    CString strText;
    AfxFormatStrings(strText, strFormat, psz1, "");
    Refuse(pDX, strText);
}

// Sets a control's text only when it differs: a dialog that shows its members on every
// paint would otherwise redraw every control each time.
void SetControlText(HWND hWndCtrl, const char* pszText)
{
    char szOld[256];
    int nLength = ::GetWindowTextLengthA(hWndCtrl);
    if (nLength < static_cast<int>(sizeof szOld) && ::GetWindowTextA(hWndCtrl, szOld, sizeof szOld) == nLength &&
        std::strcmp(szOld, pszText) == 0)
        return;
    ::SetWindowTextA(hWndCtrl, pszText);
}

CString ControlText(HWND hWndCtrl)
{
    CString str;
    int nLength = ::GetWindowTextLengthA(hWndCtrl);
    ::GetWindowTextA(hWndCtrl, str.GetBuffer(nLength + 1), nLength + 1);
    str.ReleaseBuffer();
    return str;
}

bool IsBlank(char ch)
{
    return ch == ' ' || ch == '\t';
}

// A whole decimal number between blanks, with a sign where bSigned allows one. FALSE for
// anything else, and for a number too long for 32 bits either way.
bool ParseWholeNumber(const char* psz, bool bSigned, long long& value)
{
    while (IsBlank(*psz))
        ++psz;
    bool bNegative = false;
    if (*psz == '+' || (bSigned && *psz == '-')) {
        bNegative = *psz == '-';
        ++psz;
    }
    if (*psz < '0' || *psz > '9')
        return false;
    long long magnitude = 0;
    for (; *psz >= '0' && *psz <= '9'; ++psz) {
        magnitude = magnitude * 10 + (*psz - '0');
        if (magnitude > 0xFFFFFFFFLL)
            return false;
    }
    while (IsBlank(*psz))
        ++psz;
    if (*psz)
        return false;
    value = bNegative ? -magnitude : magnitude;
    return true;
}

// An edit's whole number from nMin to nMax (a sign allowed where nMin is below 0), shown
// in decimal. TRUE when saving took the edit's number into number; a text that is no
// whole number in the range is refused with message nIDPrompt.
bool ExchangeWholeNumber(CDataExchange* pDX, int nIDC, long long& number, long long nMin, long long nMax,
                         UINT nIDPrompt, const char* pszEnglish)
{
    if (pDX->m_bFailed)
        return false;
    HWND hWndCtrl = pDX->PrepareEditCtrl(nIDC);
    if (!pDX->m_bSaveAndValidate) {
        SetControlText(hWndCtrl, std::to_string(number).c_str());
        return false;
    }
    if (ParseWholeNumber(ControlText(hWndCtrl), nMin < 0, number) && number >= nMin && number <= nMax)
        return true;
    RefuseWith(pDX, nIDPrompt, pszEnglish);
    return false;
}
}

HWND CDataExchange::PrepareCtrl(int nIDC)
{
    m_idLastControl = nIDC;
    m_bEditLastControl = FALSE;
    return m_pDlgWnd->GetDlgItem(nIDC);
}

HWND CDataExchange::PrepareEditCtrl(int nIDC)
{
    HWND hWndCtrl = PrepareCtrl(nIDC);
    m_bEditLastControl = TRUE;
    return hWndCtrl;
}

void CDataExchange::Fail()
{
    m_bFailed = TRUE;
    if (!m_bSaveAndValidate || !m_idLastControl)
        return;
    HWND hWndCtrl = m_pDlgWnd->GetDlgItem(m_idLastControl);
    ::SetFocus(hWndCtrl);
    if (m_bEditLastControl)
        ::SendMessageA(hWndCtrl, EM_SETSEL, 0, -1);
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl)
{
    // A wrapper holds only the handle, so attaching again is harmless; it keeps the
    // object right when a modeless dialog's window is made anew.
    if (!pDX->m_bFailed)
        rControl.m_hWnd = pDX->PrepareCtrl(nIDC);
}

void DDX_Radio(CDataExchange* pDX, int nIDC, int& value)
{
    if (pDX->m_bFailed)
        return;
    HWND hWndCtrl = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate)
        value = -1;
    int iButton = 0;
    while (hWndCtrl) {
        if (::SendMessageA(hWndCtrl, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) {
            if (pDX->m_bSaveAndValidate) {
                if (::SendMessageA(hWndCtrl, BM_GETCHECK, 0, 0) == BST_CHECKED)
                    value = iButton;
            } else {
                ::SendMessageA(hWndCtrl, BM_SETCHECK, iButton == value ? BST_CHECKED : BST_UNCHECKED, 0);
            }
            ++iButton;
        }
        hWndCtrl = ::GetWindow(hWndCtrl, GW_HWNDNEXT);
        if (hWndCtrl && (::GetWindowLongA(hWndCtrl, GWL_STYLE) & WS_GROUP))
            break;
    }
}

void DDX_Check(CDataExchange* pDX, int nIDC, int& value)
{
    if (pDX->m_bFailed)
        return;
    HWND hWndCtrl = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate)
        value = static_cast<int>(::SendMessageA(hWndCtrl, BM_GETCHECK, 0, 0));
    else
        ::SendMessageA(hWndCtrl, BM_SETCHECK, value >= 0 && value <= 2 ? value : BST_UNCHECKED, 0);
}

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value)
{
    if (pDX->m_bFailed)
        return;
    HWND hWndCtrl = pDX->PrepareEditCtrl(nIDC);
    if (pDX->m_bSaveAndValidate)
        value = ControlText(hWndCtrl);
    else
        SetControlText(hWndCtrl, value);
}

void DDX_Text(CDataExchange* pDX, int nIDC, UINT& value)
{
    long long number = value;
    if (ExchangeWholeNumber(pDX, nIDC, number, 0, 0xFFFFFFFFLL, AFX_IDP_PARSE_UINT,
                            "Please enter a positive integer or 0."))
        value = static_cast<UINT>(number);
}

void DDX_Text(CDataExchange* pDX, int nIDC, int& value)
{
    long long number = value;
    if (ExchangeWholeNumber(pDX, nIDC, number, -0x80000000LL, 0x7FFFFFFFLL, AFX_IDP_PARSE_INT,
                            "Please enter an integer."))
        value = static_cast<int>(number);
}

void DDV_MaxChars(CDataExchange* pDX, const CString& value, int nChars)
{
    if (pDX->m_bFailed)
        return;
    if (!pDX->m_bSaveAndValidate) {
        // The edit then takes no more than that, as the user types.
        if (pDX->m_bEditLastControl)
            ::SendMessageA(pDX->m_pDlgWnd->GetDlgItem(pDX->m_idLastControl), EM_LIMITTEXT, nChars, 0);
        return;
    }
    if (value.GetLength() > nChars) {
        CString strMax;
        strMax.Format("%d", nChars);
        RefuseWith(pDX, AFX_IDP_PARSE_STRING_SIZE, "Please enter no more than %1 characters.", strMax);
    }
}

void DDX_Text(CDataExchange* pDX, int nIDC, float& value)
{
    if (pDX->m_bFailed)
        return;
    HWND hWndCtrl = pDX->PrepareEditCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) {
        CString strText = ControlText(hWndCtrl);
        const char* psz = strText;
        char* pszEnd = nullptr;
        double number = std::strtod(psz, &pszEnd);
        while (pszEnd && IsBlank(*pszEnd))
            ++pszEnd;
        if (pszEnd == psz || (pszEnd && *pszEnd) || !(number >= -FLT_MAX && number <= FLT_MAX))
            RefuseWith(pDX, AFX_IDP_PARSE_REAL, "Please enter a number.");
        else
            value = static_cast<float>(number);
    } else {
        // As many digits as a float holds, so the text reads back as the same value.
        CString strText;
        strText.Format("%.*g", FLT_DIG, static_cast<double>(value));
        SetControlText(hWndCtrl, strText);
    }
}
