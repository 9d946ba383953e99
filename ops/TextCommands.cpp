// The clock, and the short texts that follow a command letter: 'S', 'N' and 'H' take a
// text from the text entry, send their letter, and send the text when the device
// answers the letter with ESC.
#include "ServiceDlg.h"
#include "ClockText.h"
#include "TextEntryDlg.h"

void CServiceDlg::SendClock()
{
    // The device has taken 'T': its clock text follows.
    KillTimer(TIMER_RESPONSE);
    m_bTxDone = TRUE;
    // The clock text ends in CR; a second CR ends the command.
    std::string strClock = FormatClockText(CTime::GetCurrentTime().GetLocalTm());
    std::string strSend = strClock + '\r';
    if (!SendCommand(strSend.data(), static_cast<int>(strSend.size())))
        return; // refused: reported, and idle already
    LogByIdText(IDS_CLOCK_SENT, strClock.c_str());
    ReturnToIdle();
}

namespace {
// The text entry with its title; TRUE and the text when the user confirmed it.
BOOL AskForText(UINT nTitleID, CString& strText)
{
    CTextEntryDlg dlg;
    dlg.m_strTitle.LoadString(nTitleID);
    if (dlg.DoModal() != IDOK)
        return FALSE;
    strText = dlg.m_strText;
    return TRUE;
}
}

// Posted by the 'S' command once the busy check has agreed.
LRESULT CServiceDlg::OnTextEntry(WPARAM, LPARAM)
{
    CString strText;
    if (!AskForText(IDS_TEXT_S_TITLE, strText)) {
        ReturnToIdle();
        return 0;
    }
    LogByIdText(IDS_TEXT_S_SENT, strText);
    m_strPendingWrite = strText + "\r";
    SendLetter(OP_TEXT_S);
    return 0;
}

// Posted by the 'N' (wParam 0) and 'H' (wParam 1) commands once the busy check has agreed.
LRESULT CServiceDlg::OnTextCommand(WPARAM wParam, LPARAM)
{
    if (!AskForText(wParam == 0 ? IDS_TEXT_N_TITLE : IDS_TEXT_H_TITLE, m_strEnteredText)) {
        ReturnToIdle();
        return 0;
    }
    if (!SendLetter(wParam == 0 ? OP_TEXT_N : OP_TEXT_H))
        return 0; // refused: reported, and idle already
    LogByIdText(wParam == 0 ? IDS_TEXT_N_SENT : IDS_TEXT_H_SENT, m_strEnteredText);
    m_strPendingWrite = m_strEnteredText + "\r";
    return 0;
}
