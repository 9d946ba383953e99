// The starts of the device commands of the menu. A simple query runs the busy check,
// sets its operation code, sends its letter and arms the response timer, both as the
// protocol's table gives them; the receive dispatcher carries it on. A command that needs input first posts itself a message,
// whose handler opens the dialog outside the command's own handling.
#include "ServiceDlg.h"

BOOL CServiceDlg::StartSimpleQuery(Operation nOperation)
{
    return CheckBusy() && SendLetter(nOperation);
}

BOOL CServiceDlg::SendLetter(Operation nOperation, char chLetter)
{
    const OperationRow& row = OperationOf(nOperation);
    if (!chLetter)
        chLetter = row.chLetter;
    m_nOperation = nOperation; // before the letter goes out: the answer may come at once
    m_bLetterTaken = FALSE;
    // A refused letter has been reported and the connection is idle again: nothing to wait for.
    if (!SendCommand(&chLetter, 1))
        return FALSE;
    if (row.nTimeoutMs)
        ArmResponseTimer(row.nTimeoutMs);
    return TRUE;
}

void CServiceDlg::OnQuery()
{
    StartSimpleQuery(OP_QUERY);
}

void CServiceDlg::OnReadout()
{
    StartSimpleQuery(OP_READOUT);
}

void CServiceDlg::OnClock()
{
    StartSimpleQuery(OP_CLOCK);
}

void CServiceDlg::OnConfigRead()
{
    ReadCfgValues();
}

// The acknowledged commands say in the log what they are about to do.
void CServiceDlg::OnCommandY()
{
    if (!CheckBusy())
        return;
    LogById(IDS_COMMAND_Y);
    SendLetter(OP_COMMAND_Y);
}

void CServiceDlg::OnCommandX()
{
    if (!CheckBusy())
        return;
    LogById(IDS_COMMAND_X);
    SendLetter(OP_COMMAND_X);
}

void CServiceDlg::OnCommandXs()
{
    if (!CheckBusy())
        return;
    LogById(IDS_COMMAND_XS);
    SendLetter(OP_COMMAND_X, 'x');
}

void CServiceDlg::OnCommandTaken()
{
    KillTimer(TIMER_RESPONSE);
    ReturnToIdle();
}

void CServiceDlg::OnTextS()
{
    if (CheckBusy())
        PostMessage(WM_TEXT_ENTRY);
}

void CServiceDlg::OnTextN()
{
    if (CheckBusy())
        PostMessage(WM_TEXT_COMMAND, 0);
}

void CServiceDlg::OnTextH()
{
    if (CheckBusy())
        PostMessage(WM_TEXT_COMMAND, 1);
}

void CServiceDlg::OnCapture()
{
    if (CheckBusy())
        PostMessage(WM_CAPTURE_FILE);
}

void CServiceDlg::OnFirmwareDownload()
{
    if (CheckBusy())
        StartDownload();
}
