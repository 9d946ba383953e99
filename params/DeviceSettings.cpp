// The device settings as a file. Save reads the configuration ('r', 'h', '3', 'b') and the
// parameters ('j', 'w', 'f', '4', 'c') with the reads of the cycles and writes what the
// device answered into a device settings file. Restore reads a device settings file and the device,
// shows the two side by side, writes what differs with the write transactions of the
// cycles, and reads everything back to prove that the device holds the file's values.
// Each is one operation: the busy check stands in front of it as a whole, and the
// dispatcher carries it from step to step (DeviceSettingsSteps.cpp). Here: the menu
// commands and the device settings file a restore reads.
#include "ServiceDlg.h"
#include "DeviceTypes.h"
#include "DeviceSettingsFileCheck.h"
#include "SettingsRun.h"
#include "SettingsTexts.h"
#include "StringFormats.h"

// --- the menu commands and their files ----------------------------------------------------

void CServiceDlg::OnSettingsSave()
{
    if (CheckBusy())
        PostMessage(WM_SETTINGS_SAVE);
}

void CServiceDlg::OnSettingsRestore()
{
    if (CheckBusy())
        PostMessage(WM_SETTINGS_RESTORE);
}

LRESULT CServiceDlg::OnSettingsSaveFile(WPARAM, LPARAM)
{
    if (PromptForFileOfKind(FALSE, "ZEVSET", IDS_SETTINGS_FILES) != IDOK) {
        ReturnToIdle();
        return 0;
    }
    LogByIdText(IDS_SETTINGS_SAVE_START, m_strFilePath);
    m_pSettingsRun.reset(new SettingsRun(SettingsRun::Save, m_strFilePath));
    NextSettingsStep();
    return 0;
}

LRESULT CServiceDlg::OnSettingsRestoreFile(WPARAM, LPARAM)
{
    if (PromptForFileOfKind(TRUE, "ZEVSET", IDS_SETTINGS_FILES) != IDOK) {
        ReturnToIdle();
        return 0;
    }
    CString strPath = m_strFilePath;
    DeviceSettings file;
    if (!ReadDeviceSettingsFile(strPath, file))
        return 0;
    LogByIdText(IDS_SETTINGS_RESTORE_START, strPath);
    m_pSettingsRun.reset(new SettingsRun(SettingsRun::Restore, strPath));
    m_pSettingsRun->m_file = file;
    NextSettingsStep();
    return 0;
}

CString DeviceSettingsFileFault(const CString& strPath, int nDeviceType, DeviceSettings& settings)
{
    CString strMessage;
    CStdioFile file;
    CFileException error;
    std::string strText;
    if (file.Open(strPath, CStdioFile::modeRead | CStdioFile::typeBinary, &error)) {
        // One byte more than a device settings file may hold tells a file that is too large.
        std::string strBuffer(kMaxSettingsFile + 1, '\0');
        UINT nRead = file.Read(&strBuffer[0], static_cast<UINT>(strBuffer.size()));
        if (file.ReadFailed())
            strMessage = FormatTwoTexts(IDS_SETTINGS_UNREADABLE, strPath, file.GetReadErrorMessage());
        strText.assign(strBuffer, 0, nRead);
        file.Close();
    } else {
        strMessage = FormatTwoTexts(IDS_SETTINGS_UNREADABLE, strPath, error.GetErrorMessage());
    }
    if (strMessage.IsEmpty()) {
        SettingsReadResult result = ReadSettingsText(strText);
        const char* pszConnected = DeviceNameOfType(nDeviceType);
        if (result.fault != SettingsFault::None)
            strMessage = FormatTwoTexts(IDS_SETTINGS_BAD_FILE, strPath, FaultText(result));
        else if (!IsSettingsOfType(result.settings, pszConnected))
            strMessage = FormatById(IDS_SETTINGS_OTHER_TYPE, "sss", strPath.GetString(),
                                    Shown(result.settings.strType).GetString(), pszConnected);
        else
            settings = result.settings;
    }
    return strMessage;
}

BOOL CServiceDlg::ReadDeviceSettingsFile(const CString& strPath, DeviceSettings& settings)
{
    // Nothing is sent for a file that cannot be used: said in the log and a box, idle.
    CString strMessage = DeviceSettingsFileFault(strPath, m_nDeviceType, settings);
    if (strMessage.IsEmpty())
        return TRUE;
    NoteStepFailure(RunFailure::FileFailed);
    LogLine(strMessage);
    ReturnToIdle();
    MessageBox(strMessage, nullptr, MB_OK | MB_ICONEXCLAMATION);
    return FALSE;
}
