// The receive dispatcher: every byte from the device arrives here and is framed by the
// rules of ReceiveFraming.h. Lines end at CR; ESC, ACK and NAK end transactions; a DLE
// says that the next ordinary byte was sent 0x20 higher, so that replies and frames can
// carry the control values. What a CR or an ESC completes depends on the operation in
// progress, by which it is routed here.
#include "ServiceDlg.h"
#include "LogBurst.h"
#include "ReceiveFraming.h"

void CServiceDlg::ReceiveBytes(const BYTE* pBytes, int nCount)
{
    // One receive event may end hundreds of lines: the log window shows them together.
    CLogBurst burst(*this);
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
    switch (m_nOperation) {
    case OP_WAKEUP:
        OnInitReply();
        break;
    case OP_QUERY:
        ParseSingleLine();
        break;
    case OP_READOUT:
    case OP_CAPTURE:
        OnReadoutLine();
        break;
    // The configuration read passes from letter to letter; each step's busy check must
    // pass without asking.
    case OP_CFG_VALUES:
        ParseCfgValues();
        m_bBusy = FALSE;
        ReadCfgMode();
        break;
    case OP_CFG_MODE:
        ParseCfgMode();
        m_bBusy = FALSE;
        ReadCfgKind();
        break;
    case OP_CFG_KIND:
        ParseCfgKind();
        m_bBusy = FALSE;
        ReadCfgOption();
        break;
    case OP_CFG_OPTION:
        ParseCfgOption();
        PostMessage(WM_CONFIG_EDITOR);
        break;
    case OP_MONITOR:
        OnFrame();
        break;
    // The parameter reads: the dialog opens from a posted message, outside this handling.
    case OP_READ_G:
        ParseParamG();
        PostMessage(WM_PARAM_G);
        break;
    case OP_READ_J:
        ParseParamJ();
        PostMessage(WM_PARAM_J);
        break;
    case OP_READ_W:
        ParseParamW();
        m_bBusy = FALSE;
        ReadParamF();
        break;
    case OP_READ_4:
        ParseInterface();
        PostMessage(WM_PARAM_INTERFACE);
        break;
    case OP_READ_C:
        ParseParamC();
        PostMessage(WM_PARAM_C);
        break;
    case OP_READ_F:
        ParseParamF();
        m_bBusy = FALSE;
        PostMessage(WM_PARAM_WF);
        break;
    default:
        LogUnexpectedLine();
        break;
    }
}

void CServiceDlg::OnEscape()
{
    if (IsSettingsWrite()) {
        OnSettingsWritten();
        return;
    }
    switch (m_nOperation) {
    case OP_IMAGE_START:
        // The device has taken 'D': the first block follows.
        KillTimer(TIMER_RESPONSE);
        m_bTxDone = TRUE;
        m_nOperation = OP_DOWNLOAD;
        SendNextFrame(FALSE);
        break;
    case OP_CLOCK:
        KillTimer(TIMER_RESPONSE);
        m_bTxDone = TRUE;
        SendClock();
        break;
    // The configuration write and 'W' go on with their next letter once the value is out.
    case OP_CFG_WRITE_R:
        if (SendPendingWrite())
            WriteCfgMode();
        break;
    case OP_CFG_WRITE_H:
        if (SendPendingWrite())
            WriteCfgKind();
        break;
    case OP_CFG_WRITE_1:
        if (SendPendingWrite())
            WriteCfgOption();
        break;
    case OP_WRITE_W:
        if (SendPendingWrite())
            FollowUpParamF();
        break;
    case OP_TEXT_S:
    case OP_TEXT_N:
    case OP_TEXT_H:
    case OP_CFG_WRITE_B:
    case OP_WRITE_G:
    case OP_WRITE_J:
    case OP_WRITE_C:
    case OP_WRITE_F:
    case OP_WRITE_2:
    case OP_WRITE_F_ALONE:
        SendPendingWrite();
        break;
    case OP_QUERY:
        // Type 0 may answer with ESC alone; type 1 says ESC first and sends its line after.
        if (m_nDeviceType == 0)
            ParseSingleLine();
        else if (m_nDeviceType == 1)
            OnLetterTaken(1000);
        break;
    case OP_READOUT:
    case OP_CAPTURE:
        // The device has taken the command; its lines follow.
        OnLetterTaken(2000);
        break;
    case OP_COMMAND_Y:
    case OP_COMMAND_X:
        KillTimer(TIMER_RESPONSE);
        ReturnToIdle();
        break;
    default:
        LogById(IDS_UNEXPECTED_ESC);
        break;
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
