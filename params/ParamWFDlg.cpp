#include "ParamWFDlg.h"
#include "resource.h"

CParamWFDlg::CParamWFDlg(CWnd* pParentWnd) : CDialog(IDD_PARAM_WF, pParentWnd), m_nHigh(0), m_nLow(0), m_nW(0)
{
}

void CParamWFDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Check(pDX, IDC_F_HIGH, m_nHigh);
    DDX_Check(pDX, IDC_F_LOW, m_nLow);
    DDX_Check(pDX, IDC_W_ON, m_nW);
}
