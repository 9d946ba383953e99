// The parameter cycles: read a value with its letter, show it in a small dialog, and on
// OK write it back with the write letter; the value text follows when the device answers
// the write letter with ESC. 'w' and 'f' are read one after the other and edited in one
// dialog; after 'W' the dispatcher writes 'F' as well. 'F' alone writes without a read.
#include "ServiceDlg.h"
#include "InterfaceDlg.h"
#include "ParamCDlg.h"
#include "ParamFDlg.h"
#include "ParamGDlg.h"
#include "ParamJDlg.h"
#include "ReplyRules.h"
#include "ParamWFDlg.h"

#include <cstdio>

// --- menu commands: the reads ---------------------------------------------------------------

void CServiceDlg::ReadParamG()
{
    StartSimpleQuery(OP_READ_G, 'g');
}

void CServiceDlg::ReadParamJ()
{
    StartSimpleQuery(OP_READ_J, 'j');
}

void CServiceDlg::ReadParamW()
{
    StartSimpleQuery(OP_READ_W, 'w');
}

void CServiceDlg::ReadParamF()
{
    StartSimpleQuery(OP_READ_F, 'f');
}

void CServiceDlg::ReadInterface()
{
    StartSimpleQuery(OP_READ_4, '4');
}

void CServiceDlg::ReadParamC()
{
    StartSimpleQuery(OP_READ_C, 'c');
}

void CServiceDlg::OnParamFAlone()
{
    if (CheckBusy())
        PostMessage(WM_PARAM_F);
}

// --- the replies --------------------------------------------------------------------------------

void CServiceDlg::ParseParamG()
{
    KillTimer(TIMER_RESPONSE);
    LogByIdText(IDS_PARAM_G_REPLY, m_strRxLine);
    m_nParamG = ParseOnOffReply(m_strRxLine);
}

void CServiceDlg::ParseParamJ()
{
    KillTimer(TIMER_RESPONSE);
    LogByIdText(IDS_PARAM_J_REPLY, m_strRxLine);
    m_nParamJ = ParseOnOffReply(m_strRxLine);
}

void CServiceDlg::ParseParamW()
{
    KillTimer(TIMER_RESPONSE);
    LogByIdText(IDS_PARAM_W_REPLY, m_strRxLine);
    m_nParamW = ParseParamWReply(m_strRxLine);
}

void CServiceDlg::ParseParamF()
{
    KillTimer(TIMER_RESPONSE);
    LogByIdText(IDS_PARAM_F_REPLY, m_strRxLine);
    ParseParamFReply(m_strRxLine, m_nParamF); // another reply leaves the value as it was
}

void CServiceDlg::ParseInterface()
{
    KillTimer(TIMER_RESPONSE);
    LogByIdText(IDS_INTERFACE_REPLY, m_strRxLine);
    m_nInterface = ParseInterfaceReply(m_strRxLine);
}

void CServiceDlg::ParseParamC()
{
    KillTimer(TIMER_RESPONSE);
    LogByIdText(IDS_PARAM_C_REPLY, m_strRxLine);
    m_nParamC = ParseOnOffReply(m_strRxLine);
}

// --- the writes ----------------------------------------------------------------------------------

BOOL CServiceDlg::SendWriteLetter(Operation nOperation, char chLetter)
{
    m_nOperation = nOperation;
    // Busy until the value text has gone, also in a chain that has just passed through
    // idle: a command meanwhile gets the busy question instead of putting its letter in
    // the middle of the write.
    m_bBusy = TRUE;
    if (!SendCommand(&chLetter, 1))
        return FALSE; // refused: reported, idle, nothing follows
    ArmResponseTimer(1000);
    return TRUE;
}

BOOL CServiceDlg::StartWrite(Operation nOperation, char chLetter, UINT nLogID, int nValue)
{
    // A choice left open ("no button", an indeterminate box) is no number: a "%u" of it
    // would write 4294967295 into the device.
    if (nValue < 0) {
        LogById(IDS_NOTHING_CHOSEN);
        ReturnToIdle();
        return FALSE;
    }
    LogByIdNum(nLogID, nValue);
    if (!SendWriteLetter(nOperation, chLetter))
        return FALSE;
    char szValue[16];
    std::snprintf(szValue, sizeof szValue, "%u\r", static_cast<unsigned>(nValue));
    m_strPendingWrite = szValue;
    return TRUE;
}

void CServiceDlg::FollowUpParamF()
{
    StartWrite(OP_WRITE_F, 'F', IDS_PARAM_F_FOLLOW, m_nParamF);
}

// --- the dialogs, opened by the messages the replies post -------------------------------------

LRESULT CServiceDlg::OnParamGDialog(WPARAM, LPARAM)
{
    CParamGDlg dlg;
    dlg.m_nOn = m_nParamG;
    if (dlg.DoModal() != IDOK) {
        ReturnToIdle();
        return 0;
    }
    StartWrite(OP_WRITE_G, 'G', IDS_PARAM_G_WRITE, dlg.m_nOn);
    return 0;
}

LRESULT CServiceDlg::OnParamJDialog(WPARAM, LPARAM)
{
    CParamJDlg dlg;
    dlg.m_nOn = InvertParamJ(m_nParamJ);
    if (dlg.DoModal() != IDOK) {
        ReturnToIdle();
        return 0;
    }
    m_nParamJ = InvertParamJ(dlg.m_nOn);
    StartWrite(OP_WRITE_J, 'J', IDS_PARAM_J_WRITE, m_nParamJ);
    return 0;
}

LRESULT CServiceDlg::OnParamWFDialog(WPARAM, LPARAM)
{
    CParamWFDlg dlg;
    dlg.m_nW = m_nParamW;
    if (m_nParamF >= 0 && m_nParamF <= 3) {
        dlg.m_nHigh = m_nParamF >> 1;
        dlg.m_nLow = m_nParamF & 1;
    }
    if (dlg.DoModal() != IDOK) {
        ReturnToIdle();
        return 0;
    }
    m_nParamF = (dlg.m_nHigh ? 2 : 0) + (dlg.m_nLow ? 1 : 0);
    StartWrite(OP_WRITE_W, 'W', IDS_PARAM_W_WRITE, dlg.m_nW);
    return 0;
}

LRESULT CServiceDlg::OnInterfaceDialog(WPARAM, LPARAM)
{
    CInterfaceDlg dlg;
    dlg.m_nSelection = m_nInterface;
    if (dlg.DoModal() != IDOK) {
        ReturnToIdle();
        return 0;
    }
    StartWrite(OP_WRITE_2, '2', IDS_INTERFACE_WRITE, dlg.m_nSelection);
    return 0;
}

LRESULT CServiceDlg::OnParamCDialog(WPARAM, LPARAM)
{
    CParamCDlg dlg;
    dlg.m_nSelection = m_nParamC;
    if (dlg.DoModal() != IDOK) {
        ReturnToIdle();
        return 0;
    }
    StartWrite(OP_WRITE_C, 'C', IDS_PARAM_C_WRITE, dlg.m_nSelection);
    return 0;
}

LRESULT CServiceDlg::OnParamFDialog(WPARAM, LPARAM)
{
    CParamFDlg dlg;
    if (dlg.DoModal() != IDOK) {
        ReturnToIdle();
        return 0;
    }
    // An unchecked box writes 1, a checked one 0.
    StartWrite(OP_WRITE_F_ALONE, 'F', IDS_PARAM_F_WRITE, dlg.m_nOn ? 0 : 1);
    return 0;
}
