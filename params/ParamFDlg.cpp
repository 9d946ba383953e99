#include "ParamFDlg.h"
#include "resource.h"

CParamFDlg::CParamFDlg(CWnd* pParentWnd) : CDialog(IDD_PARAM_F, pParentWnd), m_nOn(0)
{
}

void CParamFDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Check(pDX, IDC_PARAM_F_ZERO, m_nOn);
}
