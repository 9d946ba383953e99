#include "ParamGDlg.h"
#include "resource.h"

CParamGDlg::CParamGDlg(CWnd* pParentWnd) : CDialog(IDD_PARAM_G, pParentWnd), m_nOn(0)
{
}

void CParamGDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Check(pDX, IDC_PARAM_G_ON, m_nOn);
}
