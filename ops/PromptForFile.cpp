// The file dialog for one kind of file: firmware to open, a capture file to save, the
// monitor's recording to save.
#include "ServiceDlg.h"
#include "StringFormats.h"
#include "UnattendedRun.h"

INT_PTR CServiceDlg::PromptForFile(BOOL bOpen, const char* pszExtension)
{
    return PromptForFileOfKind(bOpen, pszExtension, bOpen ? IDS_FIRMWARE_FILES : IDS_CAPTURE_FILES);
}

INT_PTR CServiceDlg::PromptForFileOfKind(BOOL bOpen, const char* pszExtension, UINT nKindID)
{
    // An unattended run names its files on the command line.
    if (m_pRun) {
        std::string strFile = m_pRun->CurrentFile();
        m_strFilePath = strFile.c_str();
        return strFile.empty() ? IDCANCEL : IDOK;
    }
    CString strKind = LoadText(nKindID);
    CString strAll = LoadText(IDS_ALL_FILES);
    // Two choices: the kind's files and all files; each a description and a pattern,
    // separated by NULs, the list ended by two.
    CString strFilter;
    strFilter.Format("%s (*.%s)%c*.%s%c%s%c*.*%c", strKind.GetString(), pszExtension, '\0', pszExtension, '\0',
                     strAll.GetString(), '\0', '\0');
    CString strFileName;
    strFileName.Format("*.%s", pszExtension);

    DWORD nFlags = OFN_HIDEREADONLY | (bOpen ? OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST : OFN_OVERWRITEPROMPT);
    CFileDialog dlg(bOpen, pszExtension, strFileName, nFlags);
    dlg.m_ofn.lpstrFilter = strFilter.GetString();
    INT_PTR nResult = dlg.DoModal();
    if (nResult == IDOK)
        m_strFilePath = dlg.GetPathName();
    else
        m_strFilePath.Empty();
    return nResult;
}
