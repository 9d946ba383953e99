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
#include "ParamWFDlg.h"
#include "ParamReplies.h"

#include <cstdio>

// --- menu commands: the reads ---------------------------------------------------------------

void CServiceDlg::ReadParamG()
{
    StartSimpleQuery(OP_READ_G);
}

void CServiceDlg::ReadParamJ()
{
    StartSimpleQuery(OP_READ_J);
}

void CServiceDlg::ReadParamW()
{
    StartSimpleQuery(OP_READ_W);
}

void CServiceDlg::ReadParamF()
{
    StartSimpleQuery(OP_READ_F);
}

void CServiceDlg::ReadInterface()
{
    StartSimpleQuery(OP_READ_4);
}

void CServiceDlg::ReadParamC()
{
    StartSimpleQuery(OP_READ_C);
}

void CServiceDlg::OnParamFAlone()
{
    if (CheckBusy())
        PostMessage(WM_PARAM_F);
}

// --- the replies --------------------------------------------------------------------------------

void CServiceDlg::TakeReply(UINT nLogID, int& nValue, int (*pfnRule)(const char*))
{
    KillTimer(TIMER_RESPONSE);
    LogByIdText(nLogID, m_strRxLine);
    nValue = pfnRule(m_strRxLine);
}

void CServiceDlg::ParseParamG()
{
    TakeReply(IDS_PARAM_G_REPLY, m_nParamG, ParseOnOffReply);
}

void CServiceDlg::ParseParamJ()
{
    TakeReply(IDS_PARAM_J_REPLY, m_nParamJ, ParseOnOffReply);
}

void CServiceDlg::ParseParamW()
{
    TakeReply(IDS_PARAM_W_REPLY, m_nParamW, ParseParamWReply);
}

void CServiceDlg::ParseParamF()
{
    KillTimer(TIMER_RESPONSE);
    LogByIdText(IDS_PARAM_F_REPLY, m_strRxLine);
    ParseParamFReply(m_strRxLine, m_nParamF); // another reply leaves the value as it was
}

void CServiceDlg::ParseInterface()
{
    TakeReply(IDS_INTERFACE_REPLY, m_nInterface, ParseInterfaceReply);
}

void CServiceDlg::ParseParamC()
{
    TakeReply(IDS_PARAM_C_REPLY, m_nParamC, ParseOnOffReply);
}

// --- the writes ----------------------------------------------------------------------------------

BOOL CServiceDlg::SendWriteLetter(Operation nOperation)
{
    const OperationRow& row = OperationOf(nOperation);
    m_nOperation = nOperation;
    // Busy until the value text has gone, also in a chain that has just passed through
    // idle: a command meanwhile gets the busy question instead of putting its letter in
    // the middle of the write.
    m_bBusy = TRUE;
    if (!SendCommand(&row.chLetter, 1))
        return FALSE; // refused: reported, idle, nothing follows
    ArmResponseTimer(row.nTimeoutMs);
    return TRUE;
}

BOOL CServiceDlg::StartWrite(Operation nOperation, int nValue)
{
    // A choice left open ("no button", an indeterminate box) is no number: a "%u" of it
    // would write 4294967295 into the device.
    if (nValue < 0) {
        LogById(IDS_NOTHING_CHOSEN);
        ReturnToIdle();
        return FALSE;
    }
    LogByIdNum(OperationOf(nOperation).nWriteLogID, nValue);
    if (!SendWriteLetter(nOperation))
        return FALSE;
    char szValue[16];
    std::snprintf(szValue, sizeof szValue, "%u\r", static_cast<unsigned>(nValue));
    m_strPendingWrite = szValue;
    return TRUE;
}

BOOL CServiceDlg::WriteValue(Operation nOperation)
{
    return StartWrite(nOperation, this->*OperationOf(nOperation).pnValue);
}

void CServiceDlg::FollowUpParamF()
{
    WriteValue(OP_WRITE_F);
}

// --- the dialogs, opened by the messages the replies post -------------------------------------

BOOL CServiceDlg::EditParam(CDialog& dlg)
{
    if (dlg.DoModal() == IDOK)
        return TRUE;
    ReturnToIdle();
    return FALSE;
}

template <class TDialog>
BOOL CServiceDlg::EditParamValue(int TDialog::*pnChoice, int& nValue)
{
    TDialog dlg;
    dlg.*pnChoice = nValue;
    if (!EditParam(dlg))
        return FALSE;
    nValue = dlg.*pnChoice;
    return TRUE;
}

void CServiceDlg::ShowParamWF()
{
    PostMessage(WM_PARAM_WF);
}

LRESULT CServiceDlg::OnParamGDialog(WPARAM, LPARAM)
{
    if (EditParamValue(&CParamGDlg::m_nOn, m_nParamG))
        WriteValue(OP_WRITE_G);
    return 0;
}

LRESULT CServiceDlg::OnParamJDialog(WPARAM, LPARAM)
{
    int nOn = InvertParamJ(m_nParamJ);
    if (EditParamValue(&CParamJDlg::m_nOn, nOn)) {
        m_nParamJ = InvertParamJ(nOn);
        WriteValue(OP_WRITE_J);
    }
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
    if (!EditParam(dlg))
        return 0;
    // 'W' goes first; the dispatcher follows it with 'F'.
    m_nParamF = (dlg.m_nHigh ? 2 : 0) + (dlg.m_nLow ? 1 : 0);
    m_nParamW = dlg.m_nW;
    WriteValue(OP_WRITE_W);
    return 0;
}

LRESULT CServiceDlg::OnInterfaceDialog(WPARAM, LPARAM)
{
    if (EditParamValue(&CInterfaceDlg::m_nSelection, m_nInterface))
        WriteValue(OP_WRITE_2);
    return 0;
}

LRESULT CServiceDlg::OnParamCDialog(WPARAM, LPARAM)
{
    if (EditParamValue(&CParamCDlg::m_nSelection, m_nParamC))
        WriteValue(OP_WRITE_C);
    return 0;
}

LRESULT CServiceDlg::OnParamFDialog(WPARAM, LPARAM)
{
    // Written without a read: the box starts unchecked. An unchecked box writes 1, a
    // checked one 0.
    int nOn = 0;
    if (EditParamValue(&CParamFDlg::m_nOn, nOn))
        StartWrite(OP_WRITE_F_ALONE, nOn ? 0 : 1);
    return 0;
}
