// A unit's steps in an unattended run: the unit's start at its wake-up, each step started
// by its menu command's own handler with the file the command line gives it, and the
// step's outcome: the first failure noted while it ran, or done when it returns to idle
// with none.
#include "ServiceDlg.h"
#include "DeviceTypes.h"
#include "StringFormats.h"
#include "UnattendedRun.h"
#include "UnitFiles.h"

#include <vector>

namespace {
bool StepWritesFile(StepKind kind)
{
    return kind == StepKind::SaveSettings || kind == StepKind::Readout;
}

std::string FileNameOf(const std::string& strPath)
{
    std::size_t nSlash = strPath.find_last_of("\\/");
    return nSlash == std::string::npos ? strPath : strPath.substr(nSlash + 1);
}

// The names a folder holds, to number a unit's file past them.
std::vector<std::string> NamesInFolderOf(const std::string& strPath)
{
    std::vector<std::string> names;
    std::string::size_type nSlash = strPath.find_last_of("\\/");
    std::string strPattern = (nSlash == std::string::npos ? std::string() : strPath.substr(0, nSlash + 1)) + "*";
    WIN32_FIND_DATAA found;
    HANDLE hFind = ::FindFirstFileA(strPattern.c_str(), &found);
    if (hFind == INVALID_HANDLE_VALUE)
        return names;
    do
        names.push_back(found.cFileName);
    while (::FindNextFileA(hFind, &found));
    ::FindClose(hFind);
    return names;
}

// Benches that share a folder may count to the same number at once: a name is taken by
// creating its file, which fails for the bench that comes second, and that bench goes on
// to the next number. The step's writer then replaces the empty file. Any other failure
// to create is left to the writer, which says what is wrong.
std::string ClaimNumberedFile(const std::string& strFile, unsigned nNumber)
{
    for (unsigned nTry = 0; nTry < 1000; ++nTry, ++nNumber) {
        std::string strName = NumberedFileName(strFile, nNumber);
        HANDLE hFile = ::CreateFileA(strName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                     nullptr);
        if (hFile != INVALID_HANDLE_VALUE) {
            ::CloseHandle(hFile);
            return strName;
        }
        if (::GetLastError() != ERROR_FILE_EXISTS)
            return strName;
    }
    return NumberedFileName(strFile, nNumber);
}
}

std::string UnattendedRun::ChooseStepFile() const
{
    if (m_nStep >= m_line.steps.size())
        return std::string();
    const std::string& strFile = m_files[m_nStep];
    if (!m_line.bRepeat || !StepWritesFile(m_line.steps[m_nStep].kind))
        return strFile;
    return ClaimNumberedFile(strFile, UnitFileNumber(strFile, m_nUnit, NamesInFolderOf(strFile)));
}

void UnattendedRun::ForgetEmptyStepFile() const
{
    if (m_nStep >= m_line.steps.size() || !m_line.bRepeat || !StepWritesFile(m_line.steps[m_nStep].kind))
        return;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (::GetFileAttributesExA(m_strStepFile.c_str(), GetFileExInfoStandard, &data) && data.nFileSizeHigh == 0 &&
        data.nFileSizeLow == 0)
        ::DeleteFileA(m_strStepFile.c_str());
}

void CServiceDlg::BeginUnit()
{
    UnattendedRun& run = *m_pRun;
    ++run.m_nUnit;
    run.m_nStep = 0;
    run.m_stepFailure = RunFailure::None;
    run.m_unitFailure = RunFailure::None;
    run.m_unit = UnitResult();
    CTime now = CTime::GetCurrentTime();
    run.m_unit.strDate = now.Format("%Y-%m-%d").GetString();
    run.m_unit.strTime = now.Format("%H:%M:%S").GetString();
    run.m_unit.strPort = LinkTargetText();
    run.m_unit.strDevice = DeviceNameOfType(m_nDeviceType);
    if (run.m_phase == UnattendedRun::Starting)
        run.m_nUnitStart = ::GetTickCount64(); // a waiting run set it at the wake-up that was answered
    run.m_phase = UnattendedRun::Waking;
    LogLine(FormatById(IDS_RUN_UNIT_START, "u", run.m_nUnit));
    ArmStepDeadline(15000); // the wake-up's own time-out
}

void CServiceDlg::OnUnitAnswered()
{
    UnattendedRun& run = *m_pRun;
    // A device quicker than the baud switch has answered before the port was re-opened at
    // the working rate: the switch is made now, before the first step, or the re-open
    // would cut that step's letter or its answer.
    if (KillTimer(TIMER_BAUD_SWITCH))
        SwitchBaudRate();
    std::string strIdent(m_strDeviceIdent.GetString(), m_strDeviceIdent.GetLength());
    run.m_unit.strIdent = strIdent;
    // Units of one kind differ in their serial numbers: the same line again is most
    // likely the unit before, not yet taken off. Said, not refused: it may be meant.
    if (run.m_nUnit > 1 && strIdent == run.m_strLastIdent)
        LogByIdText(IDS_RUN_SAME_IDENT, m_strDeviceIdent);
    run.m_strLastIdent = strIdent;
    run.m_unit.steps.emplace_back("connect", OutcomeWord(RunFailure::None));
    run.m_phase = UnattendedRun::Running;
    RunNextStep();
}

void CServiceDlg::RunNextStep()
{
    UnattendedRun& run = *m_pRun;
    if (run.m_nStep >= run.m_line.steps.size()) {
        EndUnit();
        return;
    }
    run.m_stepFailure = RunFailure::None;
    run.m_strStepFile = run.ChooseStepFile();
    ArmStepDeadline(0); // until the step's first letter is out
    switch (run.m_line.steps[run.m_nStep].kind) {
    case StepKind::Download:
        // The record names what the unit got: the download's own digest of the file it
        // sends, which nobody may change while it runs (RecordFirmware).
        run.m_unit.strFirmware = FileNameOf(run.CurrentFile());
        m_FirmwareDigest = FileDigest();
        OnFirmwareDownload();
        break;
    case StepKind::Clock:
        OnClock();
        break;
    case StepKind::RestoreSettings:
        OnSettingsRestore();
        break;
    case StepKind::SaveSettings:
        OnSettingsSave();
        break;
    case StepKind::Readout:
        OnCapture();
        break;
    }
    // A step that ended at once (refused before anything was sent) is seen ended too.
    PostMessage(WM_UNATTENDED_STEP);
}

void CServiceDlg::NoteStepFailure(RunFailure failure)
{
    if (!m_pRun || !m_pRun->IsInUnit())
        return;
    // The first failure is the step's: what follows from it (the box, the return to
    // idle) says nothing new.
    if (m_pRun->m_stepFailure != RunFailure::None)
        return;
    m_pRun->m_stepFailure = failure;
    PostMessage(WM_UNATTENDED_STEP);
}

void CServiceDlg::RecordFirmware()
{
    UnattendedRun& run = *m_pRun;
    if (run.m_nStep < run.m_line.steps.size() && run.m_line.steps[run.m_nStep].kind == StepKind::Download) {
        run.m_unit.nFirmwareBytes = m_FirmwareDigest.nBytes;
        run.m_unit.strFirmwareSha256 = m_FirmwareDigest.strSha256;
    }
}

void CServiceDlg::EndStep()
{
    UnattendedRun& run = *m_pRun;
    KillTimer(TIMER_STEP_DEADLINE);
    RecordFirmware();
    RunFailure failure = run.m_stepFailure;
    run.m_unit.steps.emplace_back(StepName(run.m_line.steps[run.m_nStep].kind), OutcomeWord(failure),
                                  run.CurrentFile());
    if (failure == RunFailure::None) {
        ++run.m_nStep;
        RunNextStep();
        return;
    }
    run.m_unitFailure = failure;
    run.ForgetEmptyStepFile();
    // A step that failed while its operation still runs (a NAK that ends nothing by
    // itself) is ended here, and says where it stopped.
    if (!IsIdleForRun())
        ReturnToIdle();
    ++run.m_nStep;
    EndUnit();
}
