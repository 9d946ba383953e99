// The device settings as a file. Save reads the configuration ('r', 'h', '3', 'b') and the
// parameters ('j', 'w', 'f', '4', 'c') with the reads of the cycles and writes what the
// device answered into a settings file. Restore reads a settings file and the device,
// shows the two side by side, writes what differs with the write transactions of the
// cycles, and reads everything back to prove that the device holds the file's values.
// Each is one operation: the busy check stands in front of it as a whole, and the
// dispatcher carries it from step to step (OnSettingsReply, OnSettingsWritten).
#include "ServiceDlg.h"
#include "DeviceTypes.h"
#include "SettingsCompareDlg.h"
#include "SettingsFileCheck.h"
#include "SettingsRun.h"
#include "StringFormats.h"
#include "VersionString.h"

#include <string>

namespace {
// The operation of each read of a settings run, in the order of kSettingsLetters.
const Operation kReadOperations[kSettingsCount] = {
    OP_CFG_VALUES, OP_CFG_MODE, OP_CFG_KIND, OP_CFG_OPTION, OP_READ_J, OP_READ_W, OP_READ_F, OP_READ_4, OP_READ_C,
};

std::string ToStd(const CString& str)
{
    return std::string(str.GetString(), static_cast<std::size_t>(str.GetLength()));
}

// A value as the file and the comparison show it: a control byte stays visible.
CString Shown(const std::string& strValue)
{
    return EscapeSettingsValue(strValue).c_str();
}

CString Quoted(char chLetter)
{
    return CString("'") + CString(chLetter) + "'";
}

// "'R', 'H'": the letters in the order they went out.
CString LetterList(const std::string& strLetters)
{
    CString strList;
    for (char chLetter : strLetters) {
        if (!strList.IsEmpty())
            strList += ", ";
        strList += Quoted(chLetter);
    }
    return strList;
}

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

// Where a run that did not finish stopped, and what the device had been given by then.
CString RunCutText(const SettingsRun& run)
{
    char chLetter = run.CurrentLetter();
    CString strStep = chLetter ? Quoted(chLetter) : CString("-");
    if (run.m_purpose == SettingsRun::Save)
        return FormatById(IDS_SETTINGS_CUT_SAVE, "s", strStep.GetString());
    if (run.m_strWritten.empty())
        return FormatById(IDS_SETTINGS_CUT_NONE, "s", strStep.GetString());
    return FormatById(IDS_SETTINGS_CUT_WRITTEN, "ss", strStep.GetString(), LetterList(run.m_strWritten).GetString());
}

CString RefusalText(const SettingsValue& value)
{
    switch (value.refusal) {
    case SettingsRefusal::NotNumbers:
        return LoadText(IDS_SETTINGS_REFUSED_NUMBERS);
    case SettingsRefusal::OutOfRange:
        return FormatById(IDS_SETTINGS_REFUSED_RANGE, "uu", value.nMin, value.nMax);
    case SettingsRefusal::UnknownWord:
        return LoadText(IDS_SETTINGS_REFUSED_WORD);
    case SettingsRefusal::None:
        break;
    }
    return CString();
}

// What a settings file's fault is, in the words of the language library.
CString FaultText(const SettingsReadResult& result)
{
    const char* pszDetail = result.strDetail.c_str();
    switch (result.fault) {
    case SettingsFault::TooLarge:
        return LoadText(IDS_SETFILE_TOO_LARGE);
    case SettingsFault::NotText:
        return FormatById(IDS_SETFILE_NOT_TEXT, "u", result.nLine);
    case SettingsFault::BadLine:
        return FormatById(IDS_SETFILE_BAD_LINE, "u", result.nLine);
    case SettingsFault::UnknownSection:
        return FormatById(IDS_SETFILE_UNKNOWN_SECTION, "us", result.nLine, pszDetail);
    case SettingsFault::UnknownKey:
        return FormatById(IDS_SETFILE_UNKNOWN_KEY, "us", result.nLine, pszDetail);
    case SettingsFault::DuplicateKey:
        return FormatById(IDS_SETFILE_DUPLICATE_KEY, "us", result.nLine, pszDetail);
    case SettingsFault::BadEscape:
        return FormatById(IDS_SETFILE_BAD_ESCAPE, "u", result.nLine);
    case SettingsFault::MissingType:
        return LoadText(IDS_SETFILE_MISSING_TYPE);
    case SettingsFault::MissingValue:
        return FormatById(IDS_SETFILE_MISSING_VALUE, "s", pszDetail);
    case SettingsFault::NoEnd:
        return LoadText(IDS_SETFILE_NO_END);
    case SettingsFault::AfterEnd:
        return FormatById(IDS_SETFILE_AFTER_END, "u", result.nLine);
    case SettingsFault::None:
        break;
    }
    return CString();
}
}

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
    if (!ReadSettingsFile(strPath, file))
        return 0;
    LogByIdText(IDS_SETTINGS_RESTORE_START, strPath);
    m_pSettingsRun.reset(new SettingsRun(SettingsRun::Restore, strPath));
    m_pSettingsRun->m_file = file;
    NextSettingsStep();
    return 0;
}

CString SettingsFileFault(const CString& strPath, int nDeviceType, DeviceSettings& settings)
{
    CString strMessage;
    CStdioFile file;
    CFileException error;
    std::string strText;
    if (file.Open(strPath, CStdioFile::modeRead | CStdioFile::typeBinary, &error)) {
        // One byte more than a settings file may hold tells a file that is too large.
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

BOOL CServiceDlg::ReadSettingsFile(const CString& strPath, DeviceSettings& settings)
{
    // Nothing is sent for a file that cannot be used: said in the log and a box, idle.
    CString strMessage = SettingsFileFault(strPath, m_nDeviceType, settings);
    if (strMessage.IsEmpty())
        return TRUE;
    NoteStepFailure(RunFailure::FileFailed);
    LogLine(strMessage);
    ReturnToIdle();
    MessageBox(strMessage, nullptr, MB_OK | MB_ICONEXCLAMATION);
    return FALSE;
}

// --- the steps ---------------------------------------------------------------------------------

void CServiceDlg::NextSettingsStep()
{
    SettingsRun& run = *m_pSettingsRun;
    if (run.m_phase == SettingsRun::Writing) {
        if (run.m_nNext < run.m_strPlan.size()) {
            WriteSettingsValue(run.m_strPlan[run.m_nNext]);
            return;
        }
        // Everything is written: what the device holds now is read back.
        run.m_phase = SettingsRun::Verifying;
        run.m_nNext = 0;
    }
    if (run.m_nNext < static_cast<std::size_t>(kSettingsCount))
        ReadSettingsValue(kSettingsLetters[run.m_nNext]);
    else
        OnSettingsRead();
}

void CServiceDlg::ReadSettingsValue(char chLetter)
{
    // The run holds the connection from its first step to its last: each read is a new
    // transaction on an empty line, as a busy check that agreed would leave it.
    m_bBusy = TRUE;
    EmptyReceiveLine();
    SendQuery(kReadOperations[SettingsIndex(chLetter)], chLetter);
}

BOOL CServiceDlg::IsSettingsRead() const
{
    if (!m_pSettingsRun || (m_pSettingsRun->m_phase != SettingsRun::Reading &&
                            m_pSettingsRun->m_phase != SettingsRun::Verifying))
        return FALSE;
    char chLetter = m_pSettingsRun->CurrentLetter();
    return chLetter && m_nOperation == kReadOperations[SettingsIndex(chLetter)];
}

BOOL CServiceDlg::IsSettingsWrite() const
{
    if (!m_pSettingsRun || m_pSettingsRun->m_phase != SettingsRun::Writing)
        return FALSE;
    switch (m_pSettingsRun->CurrentLetter()) {
    case 'R': return m_nOperation == OP_CFG_WRITE_R;
    case 'H': return m_nOperation == OP_CFG_WRITE_H;
    case '1': return m_nOperation == OP_CFG_WRITE_1;
    case 'B': return m_nOperation == OP_CFG_WRITE_B;
    case 'J': return m_nOperation == OP_WRITE_J;
    case 'W': return m_nOperation == OP_WRITE_W;
    case 'F': return m_nOperation == OP_WRITE_F;
    case '2': return m_nOperation == OP_WRITE_2;
    case 'C': return m_nOperation == OP_WRITE_C;
    }
    return FALSE;
}

void CServiceDlg::OnSettingsReply()
{
    // The read's own parser logs the reply and keeps its value, as in the cycles; the run
    // keeps the reply itself, exactly as it came.
    switch (m_nOperation) {
    case OP_CFG_VALUES: ParseCfgValues(); break;
    case OP_CFG_MODE:   ParseCfgMode(); break;
    case OP_CFG_KIND:   ParseCfgKind(); break;
    case OP_CFG_OPTION: ParseCfgOption(); break;
    case OP_READ_J:     ParseParamJ(); break;
    case OP_READ_W:     ParseParamW(); break;
    case OP_READ_F:     ParseParamF(); break;
    case OP_READ_4:     ParseInterface(); break;
    case OP_READ_C:     ParseParamC(); break;
    default:            return;
    }
    SettingsRun& run = *m_pSettingsRun;
    const char chLetter = run.CurrentLetter();
    const std::string strReply = ToStd(m_strRxLine);
    if (!IsSettingsReplyValue(chLetter, strReply)) {
        // An empty line, a garbled reply, or the second line end of the reply before:
        // taken as it is, it would put later replies onto the wrong letters. Nothing more
        // is read or written, and no file is.
        CString strMessage = FormatById(IDS_SETTINGS_BAD_REPLY, "sss", Quoted(chLetter).GetString(),
                                        Shown(strReply).GetString(), RunCutText(run).GetString());
        NoteStepFailure(run.m_phase == SettingsRun::Verifying ? RunFailure::NotVerified : RunFailure::Other);
        LogLine(strMessage);
        FinishSettingsRun();
        MessageBox(strMessage, nullptr, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    run.m_read[run.m_nNext] = strReply;
    ++run.m_nNext;
    NextSettingsStep();
}

void CServiceDlg::WriteSettingsValue(char chLetter)
{
    // The value the file holds, in the coding the write transaction uses.
    const SettingsRow& row = m_pSettingsRun->m_rows[SettingsIndex(SettingsReadLetterOf(chLetter))];
    const unsigned* anValue = row.value.anNumbers;
    int nValue = static_cast<int>(anValue[0]);
    switch (chLetter) {
    case 'R':
        WriteCfgValues(anValue[0], anValue[1], anValue[2]);
        break;
    case 'H':
        m_nCfgMode = nValue;
        WriteCfgMode();
        break;
    case '1':
        m_nCfgKind = nValue;
        WriteCfgKind();
        break;
    case 'B':
        m_nCfgOption = nValue;
        WriteCfgOption();
        break;
    case 'J':
        m_nParamJ = nValue;
        StartWrite(OP_WRITE_J, 'J', IDS_PARAM_J_WRITE, nValue);
        break;
    case 'W':
        StartWrite(OP_WRITE_W, 'W', IDS_PARAM_W_WRITE, nValue);
        break;
    case 'F':
        m_nParamF = nValue;
        FollowUpParamF();
        break;
    case '2':
        StartWrite(OP_WRITE_2, '2', IDS_INTERFACE_WRITE, nValue);
        break;
    case 'C':
        StartWrite(OP_WRITE_C, 'C', IDS_PARAM_C_WRITE, nValue);
        break;
    }
}

void CServiceDlg::OnSettingsWritten()
{
    char chLetter = m_pSettingsRun->CurrentLetter();
    if (!SendPendingWrite())
        return; // refused: said, and the run has ended with the connection
    m_pSettingsRun->m_strWritten += chLetter;
    ++m_pSettingsRun->m_nNext;
    NextSettingsStep();
}

void CServiceDlg::OnSettingsRead()
{
    SettingsRun& run = *m_pSettingsRun;
    if (run.m_purpose == SettingsRun::Save) {
        SaveSettingsFile();
    } else if (run.m_phase == SettingsRun::Reading) {
        // The comparison is a dialog: it opens from the message loop, not in here. The
        // last read is over: a late line during the comparison belongs to no operation
        // (it is logged as unexpected and opens nothing), while the run itself still
        // holds the connection until its end.
        run.m_phase = SettingsRun::Comparing;
        m_nOperation = OP_IDLE;
        PostMessage(WM_SETTINGS_COMPARE);
    } else {
        VerifySettings();
    }
}

// --- the ends of a run -------------------------------------------------------------------------

void CServiceDlg::SaveSettingsFile()
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
        ReportFileFailure(FormatTwoTexts(IDS_SETTINGS_SAVE_FAILED, strPath, error.GetErrorMessage()));
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
            strAction = LoadText(IDS_SETTINGS_ROW_WRITE);
        else if (chWrite)
            strAction = LoadText(IDS_SETTINGS_ROW_AFTER_W);
        else
            strAction = LoadText(IDS_SETTINGS_ROW_EQUAL);
        dlg.m_Rows.push_back(CString(row.chLetter) + "\t" + Shown(row.strDevice) + "\t" + Shown(row.strFile) + "\t" +
                             strAction);
    }
    // An unattended run has chosen already: the file is to be restored.
    INT_PTR nResult = m_pRun ? IDOK : dlg.DoModal();
    if (!m_pSettingsRun)
        return 0; // ended while the dialog was open
    if (nResult != IDOK) {
        LogLine(LoadText(IDS_SETTINGS_CANCELLED));
        FinishSettingsRun();
        return 0;
    }
    for (const SettingsRow& row : run.m_rows)
        if (row.action == RowAction::Refused)
            LogLine(FormatById(IDS_SETTINGS_NOT_WRITTEN, "ss", Quoted(row.chLetter).GetString(),
                               RefusalText(row.value).GetString()));
    if (run.m_strPlan.empty()) {
        // The device was read a moment ago: it holds what the file holds.
        bool bAllEqual = true;
        for (const SettingsRow& row : run.m_rows)
            bAllEqual = bAllEqual && row.action == RowAction::Equal;
        if (bAllEqual) {
            LogLine(LoadText(IDS_SETTINGS_ALREADY));
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
        LogLine(FormatById(IDS_SETTINGS_DIFFERS, "sss", Quoted(chLetter).GetString(), Shown(run.m_read[i]).GetString(),
                           Shown(run.m_file.replies[i]).GetString()));
    }
    if (nDiffering == 0) {
        LogLine(LoadText(IDS_SETTINGS_VERIFIED));
        FinishSettingsRun();
        return;
    }
    CString strMessage = FormatById(IDS_SETTINGS_NOT_VERIFIED, "u", nDiffering);
    NoteStepFailure(RunFailure::NotVerified);
    LogLine(strMessage);
    FinishSettingsRun();
    MessageBox(strMessage, nullptr, MB_OK | MB_ICONEXCLAMATION);
}

void CServiceDlg::FinishSettingsRun()
{
    m_pSettingsRun.reset();
    m_nOperation = OP_IDLE; // complete: nothing to say about it on the way to idle
    ReturnToIdle();
}

BOOL CServiceDlg::EndSettingsRun()
{
    // Idle between two steps (a write complete, the next not yet sent) the run goes on;
    // cut short in a step or during its comparison it ends.
    if (m_nOperation == OP_IDLE && m_pSettingsRun->m_phase != SettingsRun::Comparing)
        return FALSE;
    // Said once, where it stopped and what the device has been given so far; the run is
    // dropped before the connection goes idle, so that nothing carries it on.
    std::unique_ptr<SettingsRun> pRun = std::move(m_pSettingsRun);
    LogLine(RunCutText(*pRun));
    return TRUE;
}
