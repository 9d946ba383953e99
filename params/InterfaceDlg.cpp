#include "InterfaceDlg.h"
#include "resource.h"

CInterfaceDlg::CInterfaceDlg(CWnd* pParentWnd) : CDialog(IDD_INTERFACE, pParentWnd), m_nSelection(-1)
{
}

void CInterfaceDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Radio(pDX, IDC_INTERFACE_RS232, m_nSelection);
}
