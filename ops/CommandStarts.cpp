// The starts of the device commands: each runs the busy check, sets its operation code,
// sends its letter and arms the response timer; the receive dispatcher carries it on.
#include "ServiceDlg.h"

void CServiceDlg::StartSimpleQuery(int nOperation, char chLetter)
{
    if (!CheckBusy())
        return;
    m_nOperation = nOperation; // before the letter goes out: the answer may come at once
    SendCommand(&chLetter, 1);
    SetTimer(TIMER_RESPONSE, 1000);
}

void CServiceDlg::OnReadout()
{
    StartSimpleQuery(OP_READOUT, 'V');
}
