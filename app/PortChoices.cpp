// Where each COM choice of the main window leads: the COM port of its own number, or what
// [Ports] in the settings file names for it (another COM port, a serial port on the
// network); the command line's /port may name any of them for one run. The radio buttons
// show a mapped choice's target; the ports dialog edits the four.
#include "ServiceDlg.h"
#include "CommandLine.h"
#include "INIFile.h"
#include "PortsDlg.h"
#include "StringFormats.h"

#include <vector>

namespace {
const char kPortsSection[] = "Ports";

std::string ChoiceName(int nIndex)
{
    return "COM" + std::to_string(nIndex + 1);
}

// A choice's mapping as the settings file and the dialog hold it: empty for its own COM port.
std::string MappingText(const PortTarget& target, int nIndex)
{
    return LeadsElsewhere(target, static_cast<unsigned>(nIndex + 1)) ? PortTargetText(target) : std::string();
}

// The radio button's text without its mnemonic's '&', as it is drawn.
CString WithoutMnemonic(const CString& strText)
{
    CString strDrawn;
    for (int i = 0; i < strText.GetLength(); ++i) {
        if (strText[i] == '&' && i + 1 < strText.GetLength())
            ++i;
        strDrawn += strText[i];
    }
    return strDrawn;
}

int TextWidth(HDC hDC, const CString& strText)
{
    SIZE extent = {};
    ::GetTextExtentPoint32A(hDC, strText.GetString(), strText.GetLength(), &extent);
    return extent.cx;
}

// The target cut with Windows' own ellipsis to nWidth pixels of the DC's font.
CString EllipsisToWidth(HDC hDC, const std::string& strTarget, int nWidth)
{
    std::vector<char> buffer(strTarget.begin(), strTarget.end());
    buffer.resize(strTarget.size() + 5, '\0'); // DT_MODIFYSTRING may add up to four characters
    RECT rect = { 0, 0, nWidth > 0 ? nWidth : 0, 1000 };
    // Drawn into a memory DC of one pixel: only the changed string is wanted.
    HDC hMemDC = ::CreateCompatibleDC(hDC);
    HGDIOBJ hOldFont = ::SelectObject(hMemDC, ::GetCurrentObject(hDC, OBJ_FONT));
    ::DrawTextA(hMemDC, buffer.data(), -1, &rect,
                DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS | DT_MODIFYSTRING);
    ::SelectObject(hMemDC, hOldFont);
    ::DeleteDC(hMemDC);
    return CString(buffer.data());
}

} // namespace

const PortTarget* CServiceDlg::LinkTarget() const
{
    if (m_pCommandLine && m_pCommandLine->bPortTarget)
        return &m_pCommandLine->portTarget;
    if (m_nComIndex >= 0 && m_nComIndex < 4 && LeadsElsewhere(m_PortTargets[m_nComIndex], m_nComIndex + 1))
        return &m_PortTargets[m_nComIndex];
    return nullptr;
}

std::string CServiceDlg::LinkTargetText() const
{
    const PortTarget* pTarget = LinkTarget();
    return pTarget ? PortTargetText(*pTarget) : ChoiceName(m_nComIndex);
}

void CServiceDlg::ReadPortMappings()
{
    std::string astrTargets[4];
    for (int i = 0; i < 4 && m_pSettings; ++i) {
        char szValue[300] = {};
        const std::string strKey = ChoiceName(i);
        m_pSettings->ReadOptionalString(kPortsSection, strKey.c_str(), szValue, sizeof szValue);
        if (!szValue[0])
            continue;
        const PortTargetParse parse = ParsePortTarget(szValue);
        if (parse.fault != PortFault::None) {
            // The tool stays usable: that choice opens its own COM port, as without a value.
            LogLine(FormatById(IDS_PORTS_BAD_VALUE, "ssss", strKey.c_str(), szValue,
                               PortFaultText(parse.fault).GetString(), strKey.c_str()));
            continue;
        }
        astrTargets[i] = szValue;
    }
    SetPortMappings(astrTargets);
}

void CServiceDlg::SetPortMappings(const std::string (&astrTargets)[4])
{
    for (int i = 0; i < 4; ++i) {
        m_PortTargets[i] = PortTarget();
        m_PortTargets[i].nCom = static_cast<unsigned>(i + 1);
        const PortTargetParse parse = ParsePortTarget(astrTargets[i]);
        if (parse.fault == PortFault::None)
            m_PortTargets[i] = parse.target;
    }
    ShowPortChoices();
}

void CServiceDlg::ShowPortChoices()
{
    for (int i = 0; i < 4; ++i) {
        HWND hButton = GetDlgItem(IDC_COM1 + i);
        if (!hButton)
            continue;
        if (m_astrComText[i].IsEmpty()) {
            char szText[64] = {};
            ::GetWindowTextA(hButton, szText, sizeof szText);
            m_astrComText[i] = szText;
        }
        if (!LeadsElsewhere(m_PortTargets[i], static_cast<unsigned>(i + 1))) {
            ::SetWindowTextA(hButton, m_astrComText[i]);
            continue;
        }
        // "COM1 (COM7)", the target cut with an ellipsis where the button is too narrow: the
        // text starts after the check mark and a gap of about a character.
        HDC hDC = ::GetDC(hButton);
        HGDIOBJ hOldFont = ::SelectObject(hDC, reinterpret_cast<HGDIOBJ>(::SendMessageA(hButton, WM_GETFONT, 0, 0)));
        TEXTMETRICA tm = {};
        ::GetTextMetricsA(hDC, &tm);
        RECT client = {};
        ::GetClientRect(hButton, &client);
        const int nTextWidth = client.right - ::GetSystemMetrics(SM_CXMENUCHECK) - 2 * tm.tmAveCharWidth;
        const CString strFrame = WithoutMnemonic(m_astrComText[i]) + " ()";
        const CString strTarget =
            EllipsisToWidth(hDC, PortTargetText(m_PortTargets[i]), nTextWidth - TextWidth(hDC, strFrame));
        ::SelectObject(hDC, hOldFont);
        ::ReleaseDC(hButton, hDC);
        ::SetWindowTextA(hButton, m_astrComText[i] + " (" + strTarget + ")");
    }
}

void CServiceDlg::OnPorts()
{
    CPortsDlg dlg(this);
    std::string astrShown[4];
    for (int i = 0; i < 4; ++i) {
        astrShown[i] = MappingText(m_PortTargets[i], i);
        // A value the program does not use is shown as the file holds it, to be mended or
        // cleared: OK refuses it as it stands.
        char szValue[300] = {};
        if (m_pSettings && astrShown[i].empty()) {
            m_pSettings->ReadOptionalString(kPortsSection, ChoiceName(i).c_str(), szValue, sizeof szValue);
            if (szValue[0] && ParsePortTarget(szValue).fault != PortFault::None)
                astrShown[i] = szValue;
        }
        dlg.m_astrTargets[i] = astrShown[i].c_str();
    }
    if (dlg.DoModal() != IDOK)
        return; // nothing written
    std::string astrTargets[4];
    for (int i = 0; i < 4; ++i) {
        // The dialog has checked the field: empty, or a port (its own COM port is no mapping).
        const PortTargetParse parse = ParsePortTarget(dlg.m_astrTargets[i].GetString());
        if (parse.fault == PortFault::None)
            astrTargets[i] = MappingText(parse.target, i);
        if (astrTargets[i] == astrShown[i])
            continue;
        const std::string strKey = ChoiceName(i);
        // An empty value removes the key: the file shows only the mappings there are.
        if (m_pSettings)
            m_pSettings->WriteString(kPortsSection, strKey.c_str(), astrTargets[i].empty() ? nullptr : astrTargets[i].c_str());
        if (astrTargets[i].empty())
            LogLine(FormatById(IDS_PORTS_UNSET, "s", strKey.c_str()));
        else
            LogLine(FormatById(IDS_PORTS_SET, "ss", strKey.c_str(), astrTargets[i].c_str()));
    }
    DWORD nError = m_pSettings ? m_pSettings->WriteAccessError() : 0;
    if (nError != 0) {
        CFileException error;
        error.m_lOsError = nError;
        const char* pszPath = m_pSettings->GetFileName() ? m_pSettings->GetFileName() : "";
        LogLine(FormatTwoTexts(IDS_PORTS_UNSAVED, pszPath, error.GetErrorMessage()));
    }
    SetPortMappings(astrTargets);
}
