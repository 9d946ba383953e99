// Line errors (framing, parity, overrun, break) on the link: KORA.DLL counts them and
// raises event bit 8; the log says them at most once a second, with the counts since
// its last such line. They end nothing: the device's NAK and the time-outs deal with a
// damaged byte, and only the loss of the port is a link error.
#include "ServiceDlg.h"
#include "StringFormats.h"

namespace {
// KORA's counter of each kind, and the kind's name in the log line.
const struct {
    LineErrorKind nKind;
    LONG nParam;
    UINT nNameID;
} kLineErrorKinds[] = {
    { LINE_ERROR_FRAMING, KORA_PARAM_FRAMING_ERRORS, IDS_LINE_ERROR_FRAMING },
    { LINE_ERROR_PARITY, KORA_PARAM_PARITY_ERRORS, IDS_LINE_ERROR_PARITY },
    { LINE_ERROR_OVERRUN, KORA_PARAM_OVERRUN_ERRORS, IDS_LINE_ERROR_OVERRUN },
    { LINE_ERROR_BREAK, KORA_PARAM_BREAK_ERRORS, IDS_LINE_ERROR_BREAK },
};
}

void CServiceDlg::OnEvent8()
{
    TakeLineErrors();
    if (m_bLineErrorTimer)
        return; // the line that is due says these too
    unsigned nDelay = LineErrorLineDelay(GetTickCount64(), m_nLineErrorLineAt);
    if (nDelay == 0) {
        SayLineErrors();
    } else {
        // Errors that come in a burst and then stop still get their line.
        SetTimer(TIMER_LINE_ERRORS, nDelay);
        m_bLineErrorTimer = TRUE;
    }
}

void CServiceDlg::OnLineErrorTimer()
{
    KillTimer(TIMER_LINE_ERRORS);
    m_bLineErrorTimer = FALSE;
    TakeLineErrors();
    SayLineErrors();
}

void CServiceDlg::SayLineErrorsNow()
{
    if (m_bLineErrorTimer) {
        KillTimer(TIMER_LINE_ERRORS);
        m_bLineErrorTimer = FALSE;
    }
    TakeLineErrors();
    SayLineErrors();
}

void CServiceDlg::TakeLineErrors()
{
    if (!m_bLinkOpen)
        return;
    // Setting a counter to 0 returns what it held: each error is taken exactly once.
    for (const auto& kind : kLineErrorKinds)
        m_LineErrors.Add(kind.nKind, KoraSetParam(m_hLink, kind.nParam, 0));
}

void CServiceDlg::SayLineErrors()
{
    if (m_LineErrors.IsEmpty())
        return;
    CString strKinds;
    for (const auto& kind : kLineErrorKinds) {
        if (!m_LineErrors.anCounts[kind.nKind])
            continue;
        if (!strKinds.IsEmpty())
            strKinds += ", ";
        strKinds += LoadText(kind.nNameID);
    }
    LogLine(FormatById(IDS_LINE_ERRORS, "ssd", LinkTargetText().c_str(), strKinds.GetString(), m_LineErrors.Total()));
    m_LineErrors = LineErrorTally();
    m_nLineErrorLineAt = GetTickCount64();
}
