#include "AboutDlg.h"
#include "TextGrid.h"
#include "VersionString.h"
#include "resource.h"

BEGIN_MESSAGE_MAP(CAboutDlg, CDialog)
    ON_WM_PAINT()
END_MESSAGE_MAP()

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX)
{
}

void CAboutDlg::OnPaint()
{
    PAINTSTRUCT ps;
    ::BeginPaint(m_hWnd, &ps);
    // A window context has the system font, not the dialog's: the grid is measured on it.
    HDC hDC = GetDC();
    CTextGrid grid(hDC);
    CString strVersion;
    GetVersionString(strVersion, "ZEV.EXE");
    grid.PutText(6, 2, strVersion);
    ReleaseDC(hDC);
    ::EndPaint(m_hWnd, &ps);
}
