// The monitor window's chart saved as a PNG file, from the main window: the file dialog,
// then the chart as the window shows it. A file that cannot be written is said in the log
// and in a box with the system's reason; the file is then as it was.
#include "ServiceDlg.h"
#include "MonitorDlg.h"
#include "StringFormats.h"

LRESULT CServiceDlg::OnMonitorSaveChart(WPARAM, LPARAM)
{
    if (!m_pMonitorDlg || !m_pMonitorDlg->m_hWnd || PromptForFileOfKind(FALSE, "PNG", IDS_PNG_FILES) != IDOK)
        return 0;
    // The monitor may have closed while the dialog was open: its chart went with it.
    if (!m_pMonitorDlg || !m_pMonitorDlg->m_hWnd)
        return 0;
    CString strError;
    if (m_pMonitorDlg->m_Chart.SaveAsPng(m_strFilePath, strError))
        LogByIdText(IDS_CHART_SAVED, m_strFilePath);
    else
        ReportFileFailure(FormatTwoTexts(IDS_CHART_SAVE_FAILED, m_strFilePath, strError));
    return 0;
}
