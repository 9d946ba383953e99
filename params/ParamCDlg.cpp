#include "ParamCDlg.h"
#include "resource.h"

CParamCDlg::CParamCDlg(CWnd* pParentWnd) : CDialog(IDD_PARAM_C, pParentWnd), m_nSelection(-1)
{
}

void CParamCDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Radio(pDX, IDC_PARAM_C_0, m_nSelection);
}
