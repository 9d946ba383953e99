// The serial link: opening, re-opening and closing it through KORA.DLL, the one read per
// receive event, and what a link error does.
#include "ServiceDlg.h"
#include "CommandLine.h"
#include "ConnectionString.h"
#include "LogBurst.h"
#include "StringFormats.h"

#include <string>

namespace {
// Every link gets a receive and a transmit queue of 1000 bytes and a write time-out of
// 1000 ms (the parameters' meaning is in kora.h).
const LONG kLinkParameterValue = 1000;
}

BOOL CServiceDlg::WaitAndTest(LONG nEventClass, LONG nTimeoutMs)
{
    LONG nResult = KoraWait(nEventClass, nTimeoutMs);
    return nResult >= 0 && KoraTestStatus(nResult, KORA_STATUS_LINK_GOOD) != 0;
}

BOOL CServiceDlg::OpenLink(int nBaud)
{
    if (m_bLinkOpen)
        CloseLink();
    // A choice mapped elsewhere ([Ports], /port) opens its target; any other its own COM port.
    const PortTarget* pTarget = LinkTarget();
    std::string strConnection = pTarget ? PortTargetConnection(*pTarget, static_cast<unsigned>(nBaud))
                                        : ConnectionString(static_cast<unsigned>(m_nComIndex + 1), static_cast<unsigned>(nBaud));
    m_bTxDone = FALSE;
    if (m_hLink < 0) {
        m_hLink = KoraOpen(strConnection.c_str());
        if (m_hLink >= 0) {
            m_bLinkLost = FALSE;
            RegisterCallbacks();
            KoraSetParam(m_hLink, KORA_PARAM_RX_QUEUE, kLinkParameterValue);
            KoraSetParam(m_hLink, KORA_PARAM_TX_QUEUE, kLinkParameterValue);
            KoraSetParam(m_hLink, KORA_PARAM_WRITE_TIMEOUT, kLinkParameterValue);
        }
    }
    m_bLinkOpen = m_hLink;
    if (m_bLinkOpen < 0) {
        m_bLinkOpen = 0;
        m_hLink = -1;
        return FALSE;
    }
    return WaitAndTest(KORA_EVENT_READY, 2000);
}

void CServiceDlg::OpenPort()
{
    LogById(OpenLink(9600) ? IDS_PORT_OPENED : IDS_PORT_FAILED);
    // Where a mapped choice leads, so the log names the port that was tried.
    if (m_pCommandLine && m_pCommandLine->bPortTarget)
        LogLine(FormatById(IDS_PORT_ARGUMENT, "s", LinkTargetText().c_str()));
    else if (LinkTarget())
        LogLine(FormatById(IDS_PORT_LEADS_TO, "ss", ("COM" + std::to_string(m_nComIndex + 1)).c_str(),
                           LinkTargetText().c_str()));
}

void CServiceDlg::CloseLink()
{
    if (!m_bLinkOpen)
        return;
    // The library lets what was written go out before it closes, and drops the event
    // that would report it: a closed link has nothing in flight for the watchdog.
    KillTimer(TIMER_WATCHDOG);
    SayLineErrorsNow(); // the link's counts go with it
    m_bTxDone = FALSE;
    m_bLinkOpen = 0;
    KoraClose(m_hLink);
    m_hLink = -1;
}

void CServiceDlg::OnReceive()
{
    BYTE buffer[kReceiveChunk];
    LONG nCount = KoraRead(m_hLink, buffer, sizeof buffer);
    if (nCount > 0) {
        CLogBurst burst(*this); // the piece's trace record goes to the disk with its lines
        TraceBytes(false, buffer, nCount);
        ReceiveBytes(buffer, nCount);
    }
}

void CServiceDlg::OnTransmitDone()
{
    if (!m_bTxDone)
        m_bTxDone = TRUE;
    KillTimer(TIMER_WATCHDOG);
}

void CServiceDlg::OnLinkError()
{
    // The error ends the transaction: its timers must not report a time-out of it on top
    // of this message (they would fire while the box is open) or after it, and a wake-up's
    // baud switch must not open the port again behind the user's back.
    KillTimer(TIMER_RESPONSE);
    KillTimer(TIMER_WATCHDOG);
    KillTimer(TIMER_BAUD_SWITCH);
    SayLineErrorsNow(); // what the line did before it went comes first
    m_bLinkLost = TRUE;
    NoteStepFailure(RunFailure::LinkLost);
    char szText[260] = {};
    KoraGetErrorText(m_hLink, szText);
    CString strMessage = CString("KORA - Error\n\n") + szText + LinkLostAdvice();
    LogLine(strMessage);
    MessageBox(strMessage, nullptr, MB_OK);
    CloseLink();
    ReturnToIdle();
}

CString CServiceDlg::LinkLostAdvice() const
{
    return "\n\n" + LoadText(IDS_LINK_LOST_ADVICE);
}

void CServiceDlg::ReportLinkLost()
{
    NoteStepFailure(RunFailure::LinkLost);
    CString strMessage = LoadText(IDS_LINK_LOST) + LinkLostAdvice();
    LogLine(strMessage);
    MessageBox(strMessage, nullptr, MB_OK);
}

void CServiceDlg::OnEvent32()
{
    // A note of the library while the link goes on, such as a setting that a network
    // server did not confirm: one line for whoever reads the log, no box.
    char szText[260] = {};
    KoraGetErrorText(m_hLink, szText);
    if (szText[0])
        LogLine(CString("KORA: ") + szText);
}
