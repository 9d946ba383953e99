// CLogBurst: while it lives, the lines logged reach the log window together, when the
// outermost burst ends or a little later (EndLogBurst); the log file gets each at once,
// and goes to the disk when the outermost burst ends. A burst inside a burst changes
// nothing.
#pragma once

#include "ServiceDlg.h"

class CLogBurst {
public:
    explicit CLogBurst(CServiceDlg& dlg) : m_dlg(dlg), m_bOuter(dlg.m_bLogBurst) { dlg.m_bLogBurst = TRUE; }
    ~CLogBurst()
    {
        m_dlg.m_bLogBurst = m_bOuter;
        if (!m_bOuter)
            m_dlg.EndLogBurst();
    }
    CLogBurst(const CLogBurst&) = delete;
    CLogBurst& operator=(const CLogBurst&) = delete;

private:
    CServiceDlg& m_dlg;
    BOOL m_bOuter;
};
