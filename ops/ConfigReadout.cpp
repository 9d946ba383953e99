// The configuration read: four letters, 'r', 'h', '3' and 'b', one reply line each. Each
// reply is logged and kept in six numbers for the configuration editor (params/), which
// the last step opens. The dispatcher passes from one step to the next.
#include "ServiceDlg.h"
#include "ConfigReplies.h"

void CServiceDlg::ReadCfgValues()
{
    StartSimpleQuery(OP_CFG_VALUES);
}

void CServiceDlg::ReadCfgMode()
{
    StartSimpleQuery(OP_CFG_MODE);
}

void CServiceDlg::ReadCfgKind()
{
    StartSimpleQuery(OP_CFG_KIND);
}

void CServiceDlg::ReadCfgOption()
{
    StartSimpleQuery(OP_CFG_OPTION);
}

void CServiceDlg::ParseCfgValues()
{
    KillTimer(TIMER_RESPONSE);
    LogByIdText(IDS_CFG_VALUES, m_strRxLine);
    // A number is taken only where a comma follows the one before; the rest keep theirs.
    int anValues[3] = { m_nCfgValue1, m_nCfgValue2, m_nCfgValue3 };
    ParseCfgValueList(m_strRxLine, anValues);
    m_nCfgValue1 = anValues[0];
    m_nCfgValue2 = anValues[1];
    m_nCfgValue3 = anValues[2];
}

void CServiceDlg::ParseCfgMode()
{
    KillTimer(TIMER_RESPONSE);
    m_nCfgMode = MatchCfgWord(m_strRxLine, "0", "1");
    LogByIdText(IDS_CFG_MODE, m_strRxLine);
}

void CServiceDlg::ParseCfgKind()
{
    KillTimer(TIMER_RESPONSE);
    LogByIdText(IDS_CFG_KIND, m_strRxLine);
    m_nCfgKind = MatchCfgWord(m_strRxLine, "OTHER", "SCANIA");
}

void CServiceDlg::ParseCfgOption()
{
    KillTimer(TIMER_RESPONSE);
    LogByIdText(IDS_CFG_OPTION, m_strRxLine);
    m_nCfgOption = MatchCfgWord(m_strRxLine, "0", "1");
}
