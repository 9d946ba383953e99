// The receive dispatcher: every byte from the device arrives here and is framed by the
// rules of ReceiveFraming.h. Lines end at CR; ESC, ACK and NAK end transactions; a DLE
// says that the next ordinary byte was sent 0x20 higher, so that replies and frames can
// carry the control values. What a CR or an ESC completes depends on the operation in
// progress: the protocol's table (OperationTable.cpp) says it for each.
#include "ServiceDlg.h"
#include "LogBurst.h"
#include "ReceiveFraming.h"

void CServiceDlg::ReceiveBytes(const BYTE* pBytes, int nCount)
{
    // One receive event may end hundreds of lines: the log window shows them together.
    CLogBurst burst(*this);
    m_bLogBurstMore = nCount >= kReceiveChunk;
    for (int i = 0; i < nCount; ++i)
        ReceiveByte(pBytes[i]);
}

void CServiceDlg::ReceiveByte(BYTE nByte)
{
    FramedByte framed = FrameReceivedByte(nByte, m_bDlePending);
    switch (framed.kind) {
    case RxByte::Ack:
        // Only a download's frame waits for an ACK. Anywhere else it is noise, or a device
        // still booting: said, and the operation's own time-out still runs.
        if (m_nOperation != OP_DOWNLOAD) {
            LogText("[ACK]");
            break;
        }
        KillTimer(TIMER_RESPONSE);
        m_bTxDone = TRUE;
        SendNextFrame(FALSE);
        break;
    case RxByte::Nak:
        if (m_nOperation == OP_DOWNLOAD) {
            KillTimer(TIMER_RESPONSE);
            m_bTxDone = TRUE;
            SendNextFrame(TRUE); // the frame again; the last refusal it takes ends it
            break;
        }
        // A refusal of a letter: said, and the operation's time-out still runs, so that
        // nothing waits for ever on an answer that will not come.
        LogText("[NAK]");
        NoteStepFailure(RunFailure::Nak);
        // A settings run ends at a refused step, the write chain stops there: the log
        // says what was written.
        if (IsSettingsRead() || IsSettingsWrite())
            ReturnToIdle();
        else if (IsConfigWrite(m_nOperation))
            LogConfigWriteCut();
        break;
    case RxByte::DlePending:
        break;
    case RxByte::LineEnd:
        OnLineEnd();
        break;
    case RxByte::Escape:
        OnEscape();
        break;
    case RxByte::Append:
        m_strRxLine += framed.chValue;
        if (static_cast<std::size_t>(m_strRxLine.GetLength()) >= kMaxRxLine)
            DropOverlongLine();
        break;
    }
}

void CServiceDlg::DropOverlongLine()
{
    // A device that never ends its line must not take the tool's memory with it.
    LogByIdNum(IDS_RX_LINE_DROPPED, m_strRxLine.GetLength());
    m_strRxLine.Empty();
}

void CServiceDlg::OnLineEnd()
{
    // A save or restore of the device settings reads with the reads of the cycles, and
    // goes on with its own next step.
    if (IsSettingsRead()) {
        OnSettingsReply();
        return;
    }
    const OperationRow& row = OperationOf(m_nOperation);
    if (row.completion == OperationRow::Read) {
        (this->*row.pfnParse)();
        if (row.nPostAfterParse)
            PostMessage(row.nPostAfterParse); // a dialog opens outside this handling
        if (row.pfnNext) {
            m_bBusy = FALSE;
            (this->*row.pfnNext)();
        }
    } else if (row.completion == OperationRow::Own && row.pfnOnLine) {
        (this->*row.pfnOnLine)();
    } else {
        LogUnexpectedLine();
    }
}

void CServiceDlg::OnEscape()
{
    if (IsSettingsWrite()) {
        OnSettingsWritten();
        return;
    }
    const OperationRow& row = OperationOf(m_nOperation);
    if (row.completion == OperationRow::Write) {
        // The device has taken the letter: its value text, and a chain's next letter.
        if (SendPendingWrite() && row.pfnNext)
            (this->*row.pfnNext)();
    } else if (row.completion == OperationRow::Own && row.pfnOnEscape) {
        (this->*row.pfnOnEscape)();
    } else {
        LogById(IDS_UNEXPECTED_ESC);
    }
}

void CServiceDlg::OnLetterTaken(UINT nLinesDueMs)
{
    // Only the first ESC gives the lines their time: more would keep a read-out that
    // sends no line waiting for ever.
    if (m_bLetterTaken) {
        LogById(IDS_UNEXPECTED_ESC);
        return;
    }
    m_bLetterTaken = TRUE;
    ArmResponseTimer(nLinesDueMs);
    m_bTxDone = TRUE;
}

void CServiceDlg::LogUnexpectedLine()
{
    CString strLine;
    strLine.Format(">> (CR) %s", m_strRxLine.GetString());
    LogLine(strLine);
    m_strRxLine.Empty();
}
