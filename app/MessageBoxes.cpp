// The main window's message boxes: a time-out, a refused send, a question. Each shows
// the log up to date first, since the user reads it to answer.
#include "ServiceDlg.h"
#include "ScriptOutput.h"
#include "StringFormats.h"

int CServiceDlg::MessageBox(const char* pszText, const char* pszCaption, UINT nType)
{
    // In an unattended run nobody is there to read a box: its text goes to the log, and
    // to the error file too when nobody listens to the program (a scheduled task).
    if (m_pRun) {
        if (!CallerListens())
            KeepInErrorFile(pszText);
        return AnswerUnattended(pszText, nType);
    }
    // ... nor before it has begun (the log cannot be opened): the script is told, or
    // the error file keeps it.
    if (IsScripted()) {
        TellCaller(pszText);
        return (nType & MB_TYPEMASK) == MB_OK ? IDOK : IDNO;
    }
    // The user reads the log while a box waits: it shows every line so far (on the disk
    // too), and lines logged while the box is up (by timers, by receive events) show at once.
    BOOL bBurst = m_bLogBurst;
    m_bLogBurst = FALSE;
    FlushLog();
    int nResult = CDialog::MessageBox(pszText, pszCaption, nType);
    m_bLogBurst = bBurst;
    return nResult;
}

void CServiceDlg::ShowMessage(UINT nID)
{
    MessageBox(LoadText(nID), nullptr, MB_OK);
}

int CServiceDlg::AskYesNo(UINT nTextID, UINT nCaptionID)
{
    return MessageBox(LoadText(nTextID), LoadText(nCaptionID), MB_YESNO | MB_ICONEXCLAMATION);
}

