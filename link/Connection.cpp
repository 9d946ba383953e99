// Connection control: sending, the busy check, return to idle, the pending write, the
// wake-up with its baud switch, disconnecting, and the three timers.
#include "ServiceDlg.h"
#include "StringFormats.h"

#include <cstdio>

BOOL CServiceDlg::SendCommand(const void* pData, int nLength)
{
    if (!m_bLinkOpen)
        return TRUE; // nothing goes out; the response timer tells the user
    if (!m_bTxDone && !WaitAndTest(KORA_EVENT_SENT, 5000)) {
        NoteStepFailure(RunFailure::TimeOut);
        LogById(IDS_TX_REFUSED);
        ShowMessage(IDS_TX_REFUSED);
        ReturnToIdle();
        return FALSE;
    }
    m_bTxDone = FALSE;
    KoraWrite(m_hLink, pData, nLength);
    if (m_bLogBurst)
        m_bLogBurstSent = TRUE; // the answer is on its way: the log window waits
    // Armed after the bytes are on their way: the report that they have gone comes through
    // the message loop, after this call, and a download's next frame waits for nothing.
    SetTimer(TIMER_WATCHDOG, 1000);
    TraceBytes(true, pData, nLength);
    return TRUE;
}

BOOL CServiceDlg::CheckBusy()
{
    if (m_bConnected && m_bLinkLost) {
        // The link error closed the link: a letter would go nowhere and its time-out would
        // blame the device. Said once, with what to do; nothing is sent, no timer armed.
        ReportLinkLost();
        return FALSE;
    }
    if (m_bBusy) {
        if (AskYesNo(IDS_BUSY_QUESTION, IDS_BUSY_CAPTION) != IDYES)
            return FALSE;
        ReturnToIdle();
        EmptyReceiveLine();
        // The new operation is as busy as any other: a third command meanwhile gets the
        // question too, instead of a letter in the middle of this one's answer.
        m_bBusy = TRUE;
        return TRUE;
    }
    if (!m_bConnected) {
        // The command itself is not carried out: the user gives it again once connected.
        if (AskYesNo(IDS_CONNECT_QUESTION, IDS_CONNECT_CAPTION) == IDYES)
            ConnectDevice();
        return FALSE;
    }
    m_bBusy = TRUE;
    EmptyReceiveLine();
    return TRUE;
}

void CServiceDlg::ReturnToIdle()
{
    EndUnfinishedOperation();
    CloseMonitor();
    if (m_DownloadFile.IsOpen())
        m_DownloadFile.Close();
    m_ProgressCtrl.SendMessage(PBM_SETPOS, 0);
    EndDownloadPace();
    m_strRxLine.Empty();
    m_strEnteredText.Empty();
    m_nOperation = OP_IDLE;
    m_bTxDone = TRUE;
    m_bBusy = FALSE;
    m_bDlePending = FALSE;
    // An unattended run goes on with its next step once this handling is over.
    if (m_pRun)
        PostMessage(WM_UNATTENDED_STEP);
}

void CServiceDlg::EndUnfinishedOperation()
{
    // An operation that ends otherwise than by its own completion (a time-out, the busy
    // question, a disconnect, a link error, the end of the program) says where it
    // stopped, while its state is still here; a capture keeps the lines it has received.
    // Completions set the operation to idle before they return to idle.
    if (m_pSettingsRun && EndSettingsRun())
        return;
    switch (m_nOperation) {
    case OP_IMAGE_START:
    case OP_DOWNLOAD:
        LogDownloadAbandoned();
        break;
    case OP_CAPTURE:
        KeepCaptureCutShort();
        break;
    default:
        if (IsConfigWrite(m_nOperation))
            LogConfigWriteCut();
        break;
    }
}

BOOL CServiceDlg::SendPendingWrite()
{
    KillTimer(TIMER_RESPONSE);
    if (!SendCommand(m_strPendingWrite.GetString(), m_strPendingWrite.GetLength()))
        return FALSE; // refused: reported, and idle already; a chain ends here
    m_nOperation = OP_IDLE; // the write is complete
    ReturnToIdle();
    return TRUE;
}

void CServiceDlg::ArmResponseTimer(UINT nMs)
{
    SetTimer(TIMER_RESPONSE, nMs);
    // An unattended run's step ends by this deadline at the latest, whatever becomes of
    // the timer: a script must never wait for ever.
    if (m_pRun)
        ArmStepDeadline(nMs);
}

void CServiceDlg::EmptyReceiveLine()
{
    // A DLE that noise left at the end of an idle line belongs to that line: kept, it
    // would shift the first character of the next reply.
    m_strRxLine.Empty();
    m_bDlePending = FALSE;
}

void CServiceDlg::WakeUpDevice()
{
    EmptyReceiveLine();
    char szWakeUp[16];
    std::snprintf(szWakeUp, sizeof szWakeUp, "**\x18" "B%02u", static_cast<unsigned>(m_nDeviceType));
    if (!SendCommand(szWakeUp, 6))
        return;
    if (WaitAndTest(KORA_EVENT_SENT, 2000))
        KillTimer(TIMER_WATCHDOG);
    SetTimer(TIMER_BAUD_SWITCH, 30);
    ArmResponseTimer(OperationOf(OP_WAKEUP).nTimeoutMs);
    m_nOperation = OP_WAKEUP;
}

void CServiceDlg::OnInitReply()
{
    KillTimer(TIMER_RESPONSE);
    m_nOperation = OP_IDLE;
    m_bTxDone = TRUE;
    m_bConnected = TRUE;
    m_strDeviceIdent = m_strRxLine;
    // A bench that waits for its unit to be taken off hears it every 2 s: not logged.
    if (!IsUnitLeftOn()) {
        CString strLine;
        strLine.Format(">> (Init.) %s", m_strRxLine.GetString());
        LogLine(strLine);
    }
    if (m_pRun)
        PostMessage(WM_UNATTENDED_STEP); // the unit has answered
}

void CServiceDlg::SwitchBaudRate()
{
    KillTimer(TIMER_BAUD_SWITCH);
    // The re-open drops what the link holds. A window busy elsewhere handles this timer
    // late, and a device may have answered meanwhile: its identification is taken first.
    if (m_bLinkOpen)
        OnReceive();
    if (m_nDeviceType == 0 || m_nDeviceType == 2)
        OpenLink(38400);
    else if (m_nDeviceType == 1)
        OpenLink(19200);
}

void CServiceDlg::Disconnect()
{
    SendCommand("E", 1);
    ReturnToIdle();
    m_bConnected = FALSE;
    m_bDlePending = FALSE;
    LogById(IDS_DISCONNECTED);
    ReopenForWakeUp();
}

void CServiceDlg::ReopenForWakeUp()
{
    OpenLink(9600); // the port stays open at 9600 for the next connect
    // A link re-opened at once at another rate starts with what the closed one had
    // received and not handed over: here that is the tail of the session just ended.
    BYTE buffer[1024];
    while (m_bLinkOpen && KoraRead(m_hLink, buffer, sizeof buffer) > 0) {
    }
}

void CServiceDlg::ConnectDevice()
{
    OpenPort();
    // A port that did not open is no silent device: the user learns why at once.
    if (!m_bLinkOpen) {
        ShowPortFailure();
        return;
    }
    WakeUpDevice();
}

void CServiceDlg::ShowPortFailure()
{
    char szReason[260] = {};
    KoraGetErrorText(m_hLink, szReason);
    NoteStepFailure(RunFailure::PortFailed);
    CString strMessage = FormatById(IDS_PORT_FAILED_BOX, "ss", LinkTargetText().c_str(), szReason);
    MessageBox(strMessage, nullptr, MB_OK | MB_ICONEXCLAMATION);
}

void CServiceDlg::OnConnect()
{
    if (!m_bConnected)
        ConnectDevice();
}

void CServiceDlg::OnDisconnect()
{
    if (m_bConnected)
        Disconnect();
}

void CServiceDlg::OnTimer(UINT_PTR nIDEvent)
{
    switch (nIDEvent) {
    case TIMER_WATCHDOG:
        if (!IsGuardExpired(TIMER_WATCHDOG))
            break;
        // The time-out ends the transaction: the other timer must not report it again
        // while this box is open.
        KillTimer(TIMER_WATCHDOG);
        KillTimer(TIMER_RESPONSE);
        NoteStepFailure(RunFailure::TimeOut);
        LogById(IDS_TX_TIMEOUT);
        ShowMessage(IDS_TX_TIMEOUT);
        ReturnToIdle();
        break;
    case TIMER_RESPONSE:
        if (!IsGuardExpired(TIMER_RESPONSE))
            break;
        KillTimer(TIMER_RESPONSE);
        KillTimer(TIMER_WATCHDOG);
        NoteStepFailure(m_nOperation == OP_WAKEUP ? RunFailure::NoAnswer : RunFailure::TimeOut);
        LogById(IDS_RX_TIMEOUT);
        ShowMessage(IDS_RX_TIMEOUT);
        ReturnToIdle();
        break;
    case TIMER_BAUD_SWITCH:
        SwitchBaudRate();
        break;
    case TIMER_LINE_ERRORS:
        OnLineErrorTimer();
        break;
    case TIMER_NEXT_UNIT:
        OnNextUnitTimer();
        break;
    case TIMER_QUIET:
        OnQuietTimer();
        break;
    case TIMER_STEP_DEADLINE:
        OnStepDeadline();
        break;
    case TIMER_DOWNLOAD_PACE:
        OnDownloadPaceTimer();
        break;
    case TIMER_LOG_WINDOW:
        OnLogWindowTimer();
        break;
    }
    CDialog::OnTimer(nIDEvent);
}
