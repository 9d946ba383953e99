// The ends of a save or restore of the device settings: the file a save writes, the
// comparison a restore shows before it writes, and the check of what the device holds
// after the writes.
#include "ServiceDlg.h"
#include "DeviceTypes.h"
#include "SettingsCompareDlg.h"
#include "SettingsRun.h"
#include "SettingsTexts.h"
#include "StringFormats.h"
#include "VersionString.h"

namespace {
// Writes the text into a new file of that name and has it on the disk before it returns:
// 0, or the system's reason.
DWORD WriteFileToDisk(const char* pszPath, const std::string& strText)
{
    HANDLE hFile = ::CreateFileA(pszPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return ::GetLastError();
    DWORD nError = 0;
    DWORD nWritten = 0;
    if (!::WriteFile(hFile, strText.data(), static_cast<DWORD>(strText.size()), &nWritten, nullptr))
        nError = ::GetLastError();
    else if (nWritten != strText.size())
        nError = ERROR_DISK_FULL;
    else if (!::FlushFileBuffers(hFile))
        nError = ::GetLastError();
    ::CloseHandle(hFile);
    return nError;
}
}

void CServiceDlg::SaveDeviceSettingsFile()
{
    SettingsRun& run = *m_pSettingsRun;
    DeviceSettings settings;
    settings.strType = DeviceNameOfType(m_nDeviceType);
    settings.strIdent = ToStd(m_strDeviceIdent);
    settings.strSaved = ToStd(CTime::GetCurrentTime().Format("%Y-%m-%d %H:%M:%S"));
    CString strVersion;
    GetVersionString(strVersion, "ZEV.EXE");
    settings.strTool = ToStd(strVersion);
    settings.replies = run.m_read;
    const std::string strText = WriteSettingsText(settings);

    // Written whole or not at all: a temporary file beside it takes the text, and only a
    // complete one, on the disk, replaces the file the user chose (or an older one of that
    // name). The temporary file's name is this process's own: two benches saving to one
    // name in one folder do not write into each other's.
    CString strPath = run.m_strPath.c_str();
    CString strTemporary;
    strTemporary.Format("%s.%lu.tmp", strPath.GetString(), static_cast<unsigned long>(::GetCurrentProcessId()));
    DWORD nError = WriteFileToDisk(strTemporary, strText);
    if (nError == 0 && !::MoveFileExA(strTemporary, strPath, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        nError = ::GetLastError();
    if (nError == 0) {
        LogByIdText(IDS_SETTINGS_SAVED, strPath);
    } else {
        ::DeleteFileA(strTemporary);
        CFileException error;
        error.m_lOsError = nError;
        ReportFileFailure(FormatTwoTexts(IDS_SETTINGS_SAVE_FAILED,
                                         "The settings file %s cannot be written (%s): the device settings were not saved.",
                                         strPath, error.GetErrorMessage()));
    }
    FinishSettingsRun();
}

LRESULT CServiceDlg::OnSettingsCompare(WPARAM, LPARAM)
{
    if (!m_pSettingsRun || m_pSettingsRun->m_phase != SettingsRun::Comparing)
        return 0; // the run ended meanwhile (a link error): it has said so
    SettingsRun& run = *m_pSettingsRun;
    run.m_rows = CompareSettings(run.m_read, run.m_file.replies);
    run.m_strPlan = PlanSettingsWrites(run.m_rows);

    CSettingsCompareDlg dlg;
    dlg.m_strFile = run.m_strPath.c_str();
    for (const SettingsRow& row : run.m_rows) {
        char chWrite = 0;
        for (char chLetter : run.m_strPlan)
            if (SettingsReadLetterOf(chLetter) == row.chLetter)
                chWrite = chLetter;
        CString strAction;
        if (row.action == RowAction::Refused)
            strAction = RefusalText(row.value);
        else if (row.action == RowAction::Write)
            strAction = LoadText(IDS_SETTINGS_ROW_WRITE, "to be written");
        else if (chWrite)
            strAction = LoadText(IDS_SETTINGS_ROW_AFTER_W, "equal; written after 'W'");
        else
            strAction = LoadText(IDS_SETTINGS_ROW_EQUAL, "equal");
        dlg.m_Rows.push_back(CString(row.chLetter) + "\t" + Shown(row.strDevice) + "\t" + Shown(row.strFile) + "\t" +
                             strAction);
    }
    // An unattended run has chosen already: the file is to be restored.
    INT_PTR nResult = m_pRun ? IDOK : dlg.DoModal();
    if (!m_pSettingsRun)
        return 0; // ended while the dialog was open
    if (nResult != IDOK) {
        LogLine(LoadText(IDS_SETTINGS_CANCELLED, "Restoring the device settings cancelled: nothing was written"));
        FinishSettingsRun();
        return 0;
    }
    for (const SettingsRow& row : run.m_rows)
        if (row.action == RowAction::Refused)
            LogLine(FormatById(IDS_SETTINGS_NOT_WRITTEN, "ss", "Device settings: %s is not written (%s)",
                               Quoted(row.chLetter).GetString(), RefusalText(row.value).GetString()));
    if (run.m_strPlan.empty()) {
        // The device was read a moment ago: it holds what the file holds.
        bool bAllEqual = true;
        for (const SettingsRow& row : run.m_rows)
            bAllEqual = bAllEqual && row.action == RowAction::Equal;
        if (bAllEqual) {
            LogLine(LoadText(IDS_SETTINGS_ALREADY,
                             "Device settings restored and verified: the device already held them, nothing was written"));
            FinishSettingsRun();
            return 0;
        }
    }
    run.m_phase = SettingsRun::Writing;
    run.m_nNext = 0;
    NextSettingsStep();
    return 0;
}

void CServiceDlg::VerifySettings()
{
    const SettingsRun& run = *m_pSettingsRun;
    unsigned nDiffering = 0;
    for (int i = 0; i < kSettingsCount; ++i) {
        const char chLetter = kSettingsLetters[i];
        if (SameSetting(chLetter, run.m_read[i], run.m_file.replies[i]))
            continue;
        ++nDiffering;
        LogLine(FormatById(IDS_SETTINGS_DIFFERS, "sss",
                           "Device settings: %s differs after the write: the device answers \"%s\", the file holds \"%s\"",
                           Quoted(chLetter).GetString(), Shown(run.m_read[i]).GetString(),
                           Shown(run.m_file.replies[i]).GetString()));
    }
    if (nDiffering == 0) {
        LogLine(LoadText(IDS_SETTINGS_VERIFIED, "Device settings restored and verified"));
        FinishSettingsRun();
        return;
    }
    CString strMessage = FormatById(IDS_SETTINGS_NOT_VERIFIED, "u",
                                    "Device settings not verified: %u of the values differ from the file", nDiffering);
    NoteStepFailure(RunFailure::NotVerified);
    LogLine(strMessage);
    FinishSettingsRun();
    MessageBox(strMessage, nullptr, MB_OK | MB_ICONEXCLAMATION);
}
