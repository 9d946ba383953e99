// The steps of a save or restore of the device settings: each read and write is the
// operation of the protocol's table that the cycles use for its letter, and the
// dispatcher hands its reply here (OnSettingsReply, OnSettingsWritten).
#include "ServiceDlg.h"
#include "SettingsRun.h"
#include "SettingsTexts.h"
#include "StringFormats.h"

void CServiceDlg::NextSettingsStep()
{
    SettingsRun& run = *m_pSettingsRun;
    if (run.m_phase == SettingsRun::Writing) {
        if (run.m_nNext < run.m_strPlan.size()) {
            WriteSettingsValue(run.m_strPlan[run.m_nNext]);
            return;
        }
        // Everything is written: what the device holds now is read back.
        run.m_phase = SettingsRun::Verifying;
        run.m_nNext = 0;
    }
    if (run.m_nNext < static_cast<std::size_t>(kSettingsCount))
        ReadSettingsValue(kSettingsLetters[run.m_nNext]);
    else
        OnSettingsRead();
}

void CServiceDlg::ReadSettingsValue(char chLetter)
{
    // The run holds the connection from its first step to its last: each read is a new
    // transaction on an empty line, as a busy check that agreed would leave it.
    m_bBusy = TRUE;
    EmptyReceiveLine();
    SendLetter(SettingsOperationOf(chLetter, OperationRow::Read)->nOperation);
}

BOOL CServiceDlg::IsSettingsRead() const
{
    if (!m_pSettingsRun || (m_pSettingsRun->m_phase != SettingsRun::Reading &&
                            m_pSettingsRun->m_phase != SettingsRun::Verifying))
        return FALSE;
    return IsSettingsStep(OperationRow::Read);
}

BOOL CServiceDlg::IsSettingsWrite() const
{
    if (!m_pSettingsRun || m_pSettingsRun->m_phase != SettingsRun::Writing)
        return FALSE;
    return IsSettingsStep(OperationRow::Write);
}

BOOL CServiceDlg::IsSettingsStep(OperationRow::Completion completion) const
{
    // The operation in progress is the one the run uses for the letter of its step.
    const OperationRow* pRow = SettingsOperationOf(m_pSettingsRun->CurrentLetter(), completion);
    return pRow && pRow->nOperation == m_nOperation;
}

void CServiceDlg::OnSettingsReply()
{
    // The read's own parser logs the reply and keeps its value, as in the cycles; the run
    // keeps the reply itself, exactly as it came.
    (this->*OperationOf(m_nOperation).pfnParse)();
    SettingsRun& run = *m_pSettingsRun;
    const char chLetter = run.CurrentLetter();
    const std::string strReply = ToStd(m_strRxLine);
    if (!IsSettingsReplyValue(chLetter, strReply)) {
        // An empty line, a garbled reply, or the second line end of the reply before:
        // taken as it is, it would put later replies onto the wrong letters. Nothing more
        // is read or written, and no file is.
        CString strMessage = FormatById(IDS_SETTINGS_BAD_REPLY, "sss",
                                        "Device settings: the device's reply to %s is no value of that letter "
                                        "(\"%s\"). %s",
                                        Quoted(chLetter).GetString(), Shown(strReply).GetString(),
                                        RunCutText(run).GetString());
        NoteStepFailure(run.m_phase == SettingsRun::Verifying ? RunFailure::NotVerified : RunFailure::Other);
        LogLine(strMessage);
        FinishSettingsRun();
        MessageBox(strMessage, nullptr, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    run.m_read[run.m_nNext] = strReply;
    ++run.m_nNext;
    NextSettingsStep();
}

void CServiceDlg::WriteSettingsValue(char chLetter)
{
    // The value the file holds goes where the cycle's own write takes it from, and the
    // cycle's write step sends it.
    const SettingsRow& row = m_pSettingsRun->m_rows[SettingsIndex(SettingsReadLetterOf(chLetter))];
    const unsigned* anValue = row.value.anNumbers;
    const OperationRow& write = *SettingsOperationOf(chLetter, OperationRow::Write);
    if (write.pnValue) {
        this->*write.pnValue = static_cast<int>(anValue[0]);
    } else { // 'R' writes the three numbers of 'r'
        m_nCfgValue1 = static_cast<int>(anValue[0]);
        m_nCfgValue2 = static_cast<int>(anValue[1]);
        m_nCfgValue3 = static_cast<int>(anValue[2]);
    }
    (this->*write.pfnStartWrite)();
}

void CServiceDlg::OnSettingsWritten()
{
    char chLetter = m_pSettingsRun->CurrentLetter();
    if (!SendPendingWrite())
        return; // refused: said, and the run has ended with the connection
    m_pSettingsRun->m_strWritten += chLetter;
    ++m_pSettingsRun->m_nNext;
    NextSettingsStep();
}

void CServiceDlg::OnSettingsRead()
{
    SettingsRun& run = *m_pSettingsRun;
    if (run.m_purpose == SettingsRun::Save) {
        SaveDeviceSettingsFile();
    } else if (run.m_phase == SettingsRun::Reading) {
        // The comparison is a dialog: it opens from the message loop, not in here. The
        // last read is over: a late line during the comparison belongs to no operation
        // (it is logged as unexpected and opens nothing), while the run itself still
        // holds the connection until its end.
        run.m_phase = SettingsRun::Comparing;
        m_nOperation = OP_IDLE;
        PostMessage(WM_SETTINGS_COMPARE);
    } else {
        VerifySettings();
    }
}

void CServiceDlg::FinishSettingsRun()
{
    m_pSettingsRun.reset();
    m_nOperation = OP_IDLE; // complete: nothing to say about it on the way to idle
    ReturnToIdle();
}

BOOL CServiceDlg::EndSettingsRun()
{
    // Idle between two steps (a write complete, the next not yet sent) the run goes on;
    // cut short in a step or during its comparison it ends.
    if (m_nOperation == OP_IDLE && m_pSettingsRun->m_phase != SettingsRun::Comparing)
        return FALSE;
    // Said once, where it stopped and what the device has been given so far; the run is
    // dropped before the connection goes idle, so that nothing carries it on.
    std::unique_ptr<SettingsRun> pRun = std::move(m_pSettingsRun);
    LogLine(RunCutText(*pRun));
    return TRUE;
}
