#include "ParamJDlg.h"
#include "resource.h"

CParamJDlg::CParamJDlg(CWnd* pParentWnd) : CDialog(IDD_PARAM_J, pParentWnd), m_nOn(0)
{
}

void CParamJDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Check(pDX, IDC_PARAM_J_ON, m_nOn);
}
