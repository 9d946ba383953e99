// The configuration editor, opened when the configuration read has its six values, and
// the chain that writes them back: 'R' with the three numbers, then 'H' (mode), '1'
// (kind) and 'B' (option), each letter answered with ESC before its value text goes.
#include "ServiceDlg.h"
#include "DeviceConfigDlg.h"
#include "StringFormats.h"

#include <cstdio>

namespace {
CString ValueText(unsigned nValue)
{
    char szText[16];
    std::snprintf(szText, sizeof szText, "%u\r", nValue);
    return szText;
}
}

// Posted after the last reply of the configuration read.
LRESULT CServiceDlg::OnConfigEditor(WPARAM, LPARAM)
{
    CDeviceConfigDlg dlg;
    dlg.m_nValue1 = static_cast<UINT>(m_nCfgValue1);
    dlg.m_nValue2 = static_cast<UINT>(m_nCfgValue2);
    dlg.m_nValue3 = static_cast<UINT>(m_nCfgValue3);
    dlg.m_nMode = m_nCfgMode;
    dlg.m_nKind = m_nCfgKind;
    dlg.m_nOption = m_nCfgOption;
    if (dlg.DoModal() != IDOK) {
        ReturnToIdle();
        return 0;
    }
    // The choices stay for the steps that follow.
    m_nCfgValue1 = static_cast<int>(dlg.m_nValue1);
    m_nCfgValue2 = static_cast<int>(dlg.m_nValue2);
    m_nCfgValue3 = static_cast<int>(dlg.m_nValue3);
    m_nCfgMode = dlg.m_nMode;
    m_nCfgKind = dlg.m_nKind;
    m_nCfgOption = dlg.m_nOption;
    WriteCfgValues();
    return 0;
}

void CServiceDlg::WriteCfgValues()
{
    const unsigned nValue1 = static_cast<unsigned>(m_nCfgValue1);
    const unsigned nValue2 = static_cast<unsigned>(m_nCfgValue2);
    const unsigned nValue3 = static_cast<unsigned>(m_nCfgValue3);
    LogLine(FormatById(IDS_CFG_WRITE, "uuu", "IDS-Error", nValue1, nValue2, nValue3));
    m_bCfgWriteCutLogged = FALSE;
    if (!SendWriteLetter(OP_CFG_WRITE_R))
        return;
    char szValues[48];
    std::snprintf(szValues, sizeof szValues, "%u,%u,%u\r", nValue1, nValue2, nValue3);
    m_strPendingWrite = szValues;
}

void CServiceDlg::WriteCfgMode()
{
    int nMode = m_nCfgMode == 0 ? 0 : 1; // no mode chosen writes the thirds
    LogByIdNum(IDS_CFG_MODE_WRITE, nMode);
    m_strPendingWrite = ValueText(nMode);
    SendWriteLetter(OP_CFG_WRITE_H);
}

void CServiceDlg::WriteCfgKind()
{
    if (m_nCfgKind != 0 && m_nCfgKind != 1) {
        // Without a kind, "1" would go out with whatever value text is left over.
        LogByIdNum(IDS_CFG_KIND_UNKNOWN, m_nCfgKind);
        ReturnToIdle();
        return;
    }
    LogByIdText(IDS_CFG_KIND_WRITE, m_nCfgKind == 1 ? "SCANIA" : "OTHER");
    m_strPendingWrite = m_nCfgKind == 1 ? "2\r" : "0\r";
    SendWriteLetter(OP_CFG_WRITE_1);
}

void CServiceDlg::WriteCfgOption()
{
    // No option chosen: the chain ends here, idle.
    if (m_nCfgOption == 0)
        LogByIdNum(IDS_CFG_OPTION_WRITE_0, 0);
    else if (m_nCfgOption == 1)
        LogByIdNum(IDS_CFG_OPTION_WRITE_1, 1);
    else
        return;
    m_strPendingWrite = ValueText(m_nCfgOption);
    SendWriteLetter(OP_CFG_WRITE_B);
}

void CServiceDlg::LogConfigWriteCut()
{
    // Said once: at a NAK, and not again when the busy question later ends the step.
    if (m_bCfgWriteCutLogged || !IsConfigWrite(m_nOperation))
        return;
    m_bCfgWriteCutLogged = TRUE;
    static const char* const kSteps[] = { "'R'", "'H'", "'1'", "'B'" };
    int nStep = m_nOperation - OP_CFG_WRITE_R;
    if (nStep == 0) {
        LogLine(FormatById(IDS_CFG_WRITE_CUT_NONE, "s",
                           "Configuration write incomplete: %s was not taken; nothing was written", kSteps[0]));
        return;
    }
    CString strWritten = kSteps[0];
    for (int i = 1; i < nStep; ++i)
        strWritten += CString(", ") + kSteps[i];
    LogLine(FormatById(IDS_CFG_WRITE_CUT, "ss", "Configuration write incomplete: %s was not taken; written before it: %s",
                       kSteps[nStep], strWritten.GetString()));
}
