// CServiceDlg: the program's main window and the owner of the whole device connection.
// Its member functions, and the data they own, live in the folder of the subsystem that
// owns them; each group below names its file.
#pragma once

#include "DownloadPace.h"
#include "FileDigest.h"
#include "GuardTimer.h"
#include "KoraLink.h"
#include "LineErrorTally.h"
#include "Operation.h"
#include "OperationTable.h"
#include "PortTarget.h"
#include "RunOutcome.h"
#include "ServiceMessages.h"
#include "ServiceTimers.h"
#include "afxwin.h"
#include "resource.h"

#include <memory>
#include <vector>

class CDeviceFont;
class CMonitorDlg;
class INIFile;
struct CommandLine;
struct UnattendedRun;
struct DeviceSettings;
struct SettingsRun;

class CServiceDlg : public CDialog, public KoraLink {
public:
    CServiceDlg();
    ~CServiceDlg() override;

    // --- app/ServiceDlg.cpp: the window ---------------------------------------------------
    // Runs the window modally on COM port nPort (1 to 4) with device type nType.
    virtual INT_PTR DoModal(int nPort, int nType);
    using CDialog::DoModal;

    // --- app/PortChoices.cpp: where each COM choice leads ([Ports] in ZEV.INI, /port) --------
    // The target of the link when it is not the COM port of the choice's own number: the
    // command line's /port COMn or URL, else the choice's mapping; null otherwise.
    const PortTarget* LinkTarget() const;
    // What the link opens, as the program shows it: "COM1", "COM7", "rfc2217://host:4001".
    std::string LinkTargetText() const;
    // Sets the choices' mappings from texts (an empty text: its own COM port) and shows them
    // in the radio buttons' texts.
    void SetPortMappings(const std::string (&astrTargets)[4]);

    // --- app/MessageBoxes.cpp ---------------------------------------------------------------
    // A message box owned by this window; it first shows the log up to date.
    int MessageBox(const char* pszText, const char* pszCaption = nullptr, UINT nType = MB_OK);

    // --- log/EventLog.cpp: one time-stamped line in the window and the file ---------------
    void LogLine(const CString& strText);
    void LogById(UINT nID);
    void LogByIdNum(UINT nID, int nNumber);
    void LogText(const char* pszText);
    // A string of the language library used as a format for one text (IDS-Error when it
    // is missing or is no such format).
    void LogByIdText(UINT nID, const char* pszText);
    // Shows the lines that wait for the end of a log burst (log/LogBurst.h).
    void FlushLogWindow();
    // The end of a log burst: its lines to the window, and the log file and the trace to
    // the disk.
    void FlushLog();
    void FlushLogFile();
    // The end of a burst: the files to the disk, the lines to the window now or, after a
    // burst that sent the device its next letter, when the window's next change is due
    // (OnLogWindowTimer).
    void EndLogBurst();
    void OnLogWindowTimer();
    // A file the program writes cannot be written (a full disk): the text in the log at
    // once and in a box when the message loop runs next. Each file says it once.
    void ReportFileFailure(const CString& strText);
    // The traffic trace (log/Trace.cpp): a record of bytes sent or received, on the disk at
    // once or, within a burst, when the burst ends (FlushTrace).
    void TraceBytes(bool bSent, const void* pBytes, int nCount);
    void FlushTrace();

    // --- link/SerialLink.cpp: the serial link ----------------------------------------------
    BOOL OpenLink(int nBaud);     // TRUE when the link is open and good
    void OpenPort();              // the link at 9600 baud, logged
    void CloseLink();
    void OnReceive() override;
    void OnTransmitDone() override;
    void OnLinkError() override;
    void OnEvent32() override;    // bit 32: the link's note (a setting a server did not confirm)

    // --- link/LineErrors.cpp: line errors, counted by the library, said once a second -----
    void OnEvent8() override;     // bit 8: line errors have been counted
    void OnLineErrorTimer();      // timer 104: the line that was held back is due
    void SayLineErrorsNow();      // the link ends: what it counted is said at once

    // --- link/Connection.cpp: connection control -------------------------------------------
    BOOL SendCommand(const void* pData, int nLength); // FALSE when the send was refused
    BOOL CheckBusy();             // TRUE when a new operation may start
    void ReturnToIdle();
    BOOL SendPendingWrite();       // FALSE when the text was refused
    void ConnectDevice();         // the port at 9600 and the wake-up, or why the port failed
    void WakeUpDevice();
    void OnInitReply();
    void Disconnect();
    void ReopenForWakeUp();       // the link at 9600, without what the session left
    // The response timer; in an unattended run the step's deadline follows it.
    void ArmResponseTimer(UINT nMs);
    // --- link/GuardTimers.cpp: the watchdog and the response timer are guards, whose window
    // timer runs on between frames (GuardTimer.h): SetTimer of either arms its deadline, and
    // KillTimer disarms it (TRUE when it was armed). Any other timer is the window's own.
    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse);
    BOOL KillTimer(UINT_PTR nIDEvent);
    BOOL IsGuardExpired(UINT_PTR nIDEvent); // the timer fired: FALSE when its deadline is not due
    void EmptyReceiveLine();      // the line and a pending DLE: a new transaction begins
    void EndUnfinishedOperation(); // what an operation cut short leaves, said and kept

    // --- link/ReceiveDispatch.cpp: the bytes of one receive event, and one byte ------------
    // A receive event hands over at most kReceiveChunk bytes; a full chunk means that
    // more of the stream waits in KORA, and its event follows at once.
    static const int kReceiveChunk = 1024;
    void ReceiveBytes(const BYTE* pBytes, int nCount);
    void ReceiveByte(BYTE nByte);

    // --- link/OperationTable.cpp: the protocol's table ------------------------------------
    static const OperationRow& OperationOf(Operation nOperation); // a code outside it: idle
    // The operation a settings run reads (Read) or writes (Write) the letter with; none
    // for a letter the run does not use.
    static const OperationRow* SettingsOperationOf(char chLetter, OperationRow::Completion completion);

    // --- ops/CommandStarts.cpp: the starts of the device commands ---------------------------
    // Busy check, operation code, the letter, the response timer. FALSE when it did not
    // start, or its letter was refused.
    BOOL StartSimpleQuery(Operation nOperation);
    // The same once the busy check has agreed; chLetter stands in for the table's letter
    // where an operation has two ('X' and 'x').
    BOOL SendLetter(Operation nOperation, char chLetter = 0);
    void OnCommandTaken();        // the ESC of 'Y', 'X' or 'x': idle

    // --- ops/Readout.cpp: the one-line query, read-outs and their capture --------------------
    void ParseSingleLine();
    void OnQueryTaken();          // the ESC of 'L', by device type
    void OnReadoutTaken();        // the ESC of 'V' or 'O': the lines follow
    void OnReadoutLine();
    BOOL WriteCapture();          // the lines collected so far, in one write; FALSE when it failed
    void KeepCaptureCutShort();   // a capture that did not end by its empty line

    // --- ops/TextCommands.cpp: the clock and the texts after a letter ------------------------
    void SendClock();             // the ESC of 'T': the clock text

    // --- ops/ConfigReadout.cpp: the configuration read-out chain ------------------------------
    void ReadCfgValues();
    void ReadCfgMode();
    void ReadCfgKind();
    void ReadCfgOption();
    void ParseCfgValues();
    void ParseCfgMode();
    void ParseCfgKind();
    void ParseCfgOption();

    // --- params/ParamCycles.cpp: the parameter cycles ------------------------------------------
    void ReadParamG();
    void ReadParamJ();
    void ReadParamW();
    void ReadParamF();
    void ReadInterface();
    void ReadParamC();
    void ParseParamG();
    void ParseParamJ();
    void ParseParamW();
    void ParseParamF();
    void ParseInterface();
    void ParseParamC();
    // A reply's line: the response timer stopped, the line logged, its value by the rule.
    void TakeReply(UINT nLogID, int& nValue, int (*pfnRule)(const char*));
    void FollowUpParamF();        // 'F' with the 'f' value, after 'W'
    void ShowParamWF();           // after 'w' and 'f': the dialog's message
    // The write letter of a parameter: operation code, busy, the letter, the response
    // timer. FALSE when it was refused.
    BOOL SendWriteLetter(Operation nOperation);
    // The value logged, the letter sent, the value text pending; nothing for a value
    // below 0 (no choice made). FALSE when nothing went out.
    BOOL StartWrite(Operation nOperation, int nValue);
    BOOL WriteValue(Operation nOperation); // the same with the value of the write's member

    // --- params/ConfigWrite.cpp: the configuration write chain ----------------------------------
    void WriteCfgMode();          // the 'H' step
    void WriteCfgKind();          // the '1' step
    void WriteCfgOption();        // the 'B' step
    void LogConfigWriteCut();     // the step not taken and the steps written, once a chain
    void WriteCfgValues();        // the 'R' step: the three numbers

    // --- params/DeviceSettingsSteps.cpp: the device settings saved to a file and restored ----
    // Its steps are the reads and writes above, carried on by the dispatcher.
    BOOL IsSettingsRead() const;  // the operation in progress is a read of a settings run
    BOOL IsSettingsWrite() const; // ... or one of its writes
    void OnSettingsReply();       // a read's line: parsed, kept, and the next step
    void OnSettingsWritten();     // a write's ESC: the value text, and the next step
    BOOL EndSettingsRun();        // a settings run cut short in a step or its comparison: said, dropped

    // --- monitor/MonitorStart.cpp: the live flow monitor ---------------------------------------
    void StartMonitor();
    void OnFrame();               // a CR in the monitor: one frame
    void CloseMonitor();          // the connection returns to idle: the monitor ends

    // --- monitor/RecordingOpen.cpp: a recording of the monitor reviewed ------------------------
    // The file read and shown in a window of its own; FALSE when it is refused (said in the
    // log and a box) or its window cannot be made (logged).
    BOOL OpenRecording(const CString& strPath);

    // --- ops/FirmwareDownload.cpp, ops/PromptForFile.cpp: firmware download -----------------
    INT_PTR PromptForFile(BOOL bOpen, const char* pszExtension);
    INT_PTR PromptForFileOfKind(BOOL bOpen, const char* pszExtension, UINT nKindID);
    void StartDownload();
    void OnImageStartTaken();     // the ESC of an image's 'D': the first block
    void SendNextFrame(BOOL bResend);
    // The next frame of the file into m_strFrame; TRUE at its end (for an image, the end
    // frame is then built), and when the file failed (said, and idle).
    BOOL BuildImageFrame();
    BOOL BuildLineFrame();
    void LogDownloadAbandoned();   // where a download that did not finish stopped
    // ops/DownloadStatus.cpp: the status line under the bar while a download runs
    void StartDownloadPace();     // the clock starts, the line shows the count
    void OnDownloadPaceTimer();   // timer 108: the line brought up to date
    void EndDownloadPace();       // no download runs: the line empty
    void LogDownloadTime();       // a complete download: the time it took, and its rate

    // --- unattended/: the command line's steps, run without a person ------------------------
    // RunSteps.cpp. Where a step fails: the first failure of a step is its outcome. Nothing
    // without a run.
    void NoteStepFailure(RunFailure failure);
    // StepDeadline.cpp
    void ArmStepDeadline(UINT nAnswerDueMs); // the step ends a margin after its answer is due
    // BenchUnits.cpp. /repeat: the unit just done has answered a wake-up again; it is to be
    // taken off.
    BOOL IsUnitLeftOn() const;

    // --- app: the window's controls and choices ------------------------------------------------
    CProgressCtrl m_ProgressCtrl;
    CEdit m_LogEdit;
    int m_nComIndex;    // COM port number - 1; -1 when no COM radio is selected
    int m_nDeviceType;  // 0, 1, 2; -1 when no device radio is selected
    PortTarget m_PortTargets[4];  // where COM1 to COM4 lead ([Ports]); their own COM ports by default
    CString m_astrComText[4];     // the COM radio buttons' texts as the template has them
    HICON m_hIcon;
    CMenu m_Menu;
    INIFile* m_pSettings = nullptr; // start-up's settings file, written back after the window
    const CommandLine* m_pCommandLine = nullptr; // start-up's arguments; none without them
    CString m_strRunArguments;  // the arguments as given, for the log
    int m_nExitCode = 0;        // the program's exit code once an unattended run has ended
    std::unique_ptr<UnattendedRun> m_pRun; // the unattended run, from the window's start to its end

    // --- log: the event log ------------------------------------------------------------------
    HDC m_pLogDC = nullptr;     // the log edit's context, held while the window lives
    int m_nMaxLogLines = 0;     // lines the log window keeps
    std::unique_ptr<CDeviceFont> m_pLogFont; // the log edit's font, kept while the edit lives
    CStdioFile m_LogFile;
    CStdioFile m_TraceFile;     // the traffic trace, open only with [Debug] Trace=1
    ULONGLONG m_nTraceBytes = 0;   // the trace file's length so far
    ULONGLONG m_nTraceLimit = 0;   // its length may not pass this ([Debug] TraceLimitMB)
    int m_nTraceLimitMB = 0;
    BOOL m_bLogFileFailed = FALSE; // a write failed: the file is left as it was, the window goes on
    CString m_strKeptLogFailure;  // why the last session's log was not kept; empty when it was
    CString m_strFileFailures;     // failures of the files not yet shown in a box
    BOOL m_bLogBurst = FALSE;   // log lines wait in m_strLogPending for the burst's end
    CString m_strLogPending;    // stamped lines, each ending in CR LF, not yet in the window
    DWORD m_nLogWindowChangedAt = 0; // GetTickCount of the log window's last change
    BOOL m_bLogWindowDue = FALSE;    // TIMER_LOG_WINDOW runs for the lines pending
    BOOL m_bLogBurstSent = FALSE;    // the log burst under way has sent the device something
    BOOL m_bLogBurstLogged = FALSE;  // the log burst under way has logged a line
    BOOL m_bLogBurstMore = FALSE;    // the device's bytes go on in the next receive event
    CString m_strLastLogText;   // the last line's text, without its time stamp
    std::vector<int> m_LogPendingLines; // the lines each of them is in the window

    // --- link: the connection and the receive line -------------------------------------------
    Operation m_nOperation = OP_IDLE; // the transaction in progress
    BOOL m_bConnected = FALSE;  // the device has answered the wake-up
    BOOL m_bBusy = FALSE;       // an operation was granted and has not returned to idle
    BOOL m_bDlePending = FALSE; // the next ordinary byte came shifted by 0x20
    BOOL m_bLinkOpen = FALSE;   // the link's handle while it is open, else 0
    CString m_strRxLine;        // the reply line being collected, without its CR
    BOOL m_bTxDone = FALSE;     // the last transmission has been reported complete
    GuardTimer m_WatchdogGuard; // timer 101's deadline
    GuardTimer m_ResponseGuard; // timer 102's deadline
    CString m_strPendingWrite;  // the value text sent when the device answers ESC
    BOOL m_bLetterTaken = FALSE; // 'L', 'V' or 'O' has been answered by its ESC
    BOOL m_bLinkLost = FALSE;   // a link error closed the link, and none has opened since
    LineErrorTally m_LineErrors;      // line errors taken from the library, not yet said
    ULONGLONG m_nLineErrorLineAt = 0; // GetTickCount64 of the last line about them; 0 none
    BOOL m_bLineErrorTimer = FALSE;   // timer 104 runs: a line about them is due

    // --- ops: texts, files, the download and the configuration read --------------------------
    CString m_strEnteredText;   // the text entered for 'N' or 'H'
    CString m_strFilePath;      // the path chosen in the last file dialog
    CString m_strCapture;       // read-out lines collected for the capture file
    CStdioFile m_DownloadFile;  // the transfer file: firmware to send or capture to write
    UINT m_nFrameCount = 0;     // frames taken from the firmware file in this download
    UINT m_nFirmwareFrames = 0; // the frames the file holds (its lines, or its blocks)
    ULONGLONG m_nFirmwareEnd = 0;  // where the download must end in the file
    ULONGLONG m_nFirmwareSent = 0; // the bytes of the file that have gone out
    UINT m_nFrameRefusals = 0;  // NAKs of the current frame in a row
    FileDigest m_FirmwareDigest; // the firmware file being sent, taken while it is held open
    BOOL m_bEndFrameSent = FALSE; // an image's end frame is out: its ACK completes the download
    CString m_strFrame;         // the frame last built, sent again after a NAK
    DownloadPace m_DownloadPace; // the download's rate and time left, for its status line
    BOOL m_bDownloadPace = FALSE; // a download runs: its status line is shown and timer 108 runs
    CString m_strDownloadStatus; // what the status line shows
    CString m_strDeviceIdent;   // the identification line of the last wake-up
    int m_nCfgValue1 = 0;       // the 'r' reply's three numbers
    int m_nCfgValue2 = 0;
    int m_nCfgValue3 = 0;
    int m_nCfgMode = 0;         // 'h': 0, 1, -1 for anything else
    int m_nCfgKind = 0;         // '3': 1 "SCANIA", 0 "OTHER", -1 for anything else
    int m_nCfgOption = 0;       // 'b': 0, 1, -1 for anything else
    BOOL m_bCfgWriteCutLogged = FALSE; // the write chain's stop has been said

    // --- params: the values of the parameter reads ----------------------------------------------
    int m_nParamG = 0;          // 'g': 0, 1, -1 for anything else
    int m_nParamJ = 0;          // 'j': the same
    int m_nParamW = 0;          // 'w': a number
    int m_nParamF = 0;          // 'f': 0 to 3
    int m_nInterface = 0;       // '4': 0 RS232, 1 RS232 MODIFIED, 2 RS485, 3 other
    int m_nParamC = 0;          // 'c': 0, 1, -1 for anything else

    // --- params: a save or restore of the device settings in progress -------------------------
    std::unique_ptr<SettingsRun> m_pSettingsRun;

    // --- monitor --------------------------------------------------------------------------------
    std::unique_ptr<CMonitorDlg> m_pMonitorDlg; // kept from its first start to the teardown
    CStdioFile m_MonitorCsvFile;  // the monitor's recording, open while it records

protected:
    // app/ServiceDlg.cpp
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnDestroy();
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void SetMenuKeepingClientArea(); // the main menu, the window grown by its bar
    void OnDeviceRadio();
    void OnComRadio();
    void LogUnsavedSettings();
    // The window ends by Exit, the close box and Alt+F4, never by Enter or Esc.
    BOOL PreTranslateMessage(MSG* pMsg) override;
    void OnOK() override;
    void OnCancel() override;
    // TRUE when nothing runs, or the user agrees to end what runs.
    BOOL ConfirmEnd();
    // unattended/UnattendedRun.cpp
    BOOL IsScripted() const;      // started with a command line of steps to run
    void StartUnattendedRun();    // from OnInitDialog, once the log is open
    LRESULT OnUnattendedStep(WPARAM wParam, LPARAM lParam);
    int AnswerUnattended(const char* pszText, UINT nType); // a box's answer: logged, No
    BOOL IsIdleForRun() const;    // the step's operation has ended
    void OnQuietTimer();          // /quiet: the window is minimised once it has been shown
    // unattended/RunSteps.cpp
    void BeginUnit();
    void OnUnitAnswered();
    void RunNextStep();
    void RecordFirmware();        // a download step's file digest into the unit's row
    void EndStep();
    // unattended/StepDeadline.cpp
    void OnStepDeadline();        // timer 107: the step has not ended in time
    // unattended/BenchUnits.cpp
    void WaitForUnits();          // /repeat: the first unit is woken up as every next one
    void OnNextUnitTimer();
    void EndRemovedUnitSession(); // the unit still on the bench answered: its session ended quietly
    // unattended/RunEnd.cpp
    void FinishUnit();            // the unit's outcome: logged, its row written
    void EndUnit();               // ... and the next unit waited for, or the run's end
    void EndRun();
    void StopUnattendedRun();     // the window closes: the unit in progress is recorded
    // app/PortChoices.cpp
    void ReadPortMappings();      // [Ports] of the settings file, a bad value logged
    void ShowPortChoices();       // the COM radio buttons name where a mapped choice leads
    void OnPorts();               // the ports dialog: [Ports] edited and written
    // app/MenuEnabling.cpp
    LRESULT OnInitMenuPopup(WPARAM wParam, LPARAM lParam);
    // app/MessageBoxes.cpp
    void ShowMessage(UINT nID);   // the string in an OK box with the program's title
    int AskYesNo(UINT nTextID, UINT nCaptionID);

    // log/EventLog.cpp
    BOOL OpenLogFile();
    // log/KeptLogs.cpp: the earlier sessions' logs
    HANDLE ClaimLogFile(CFileException& error); // ZevLog.TXT held for this program, else why not
    BOOL KeepPreviousLog(HANDLE hClaim);  // TRUE when ZevLog.TXT is now ZevLog.1.TXT
    void SayKeptLogFailure();     // after the start line: why the last log was not kept
    void CloseLogFile();
    void OnLogFileFailed();
    LRESULT OnLogFileFailedBox(WPARAM wParam, LPARAM lParam);
    // log/Trace.cpp
    void OpenTrace();
    void StopTraceAtLimit(const std::string& strLastLine);
    void CloseTrace();
    // link/SerialLink.cpp
    BOOL WaitAndTest(LONG nEventClass, LONG nTimeoutMs);
    CString LinkLostAdvice() const; // "\n\n" and what the technician does once the link is lost
    void ReportLinkLost();        // a command while the link is lost: said once, nothing sent
    // link/LineErrors.cpp
    void TakeLineErrors();        // the library's counts into m_LineErrors
    void SayLineErrors();         // one log line about m_LineErrors, if it holds any
    // link/Connection.cpp
    void SwitchBaudRate();
    void ShowPortFailure();
    void OnTimer(UINT_PTR nIDEvent);
    void OnConnect();
    void OnDisconnect();
    // link/ReceiveDispatch.cpp
    void OnLineEnd();
    void OnEscape();
    void LogUnexpectedLine();
    void OnLetterTaken(UINT nLinesDueMs); // the ESC before the lines of 'L' (type 1), 'V' and 'O'
    void DropOverlongLine();

    // ops/CommandStarts.cpp: menu commands
    void OnQuery();
    void OnReadout();
    void OnClock();
    void OnCommandY();
    void OnCommandX();
    void OnCommandXs();
    void OnTextS();
    void OnTextN();
    void OnTextH();
    void OnCapture();
    void OnFirmwareDownload();
    void OnConfigRead();
    // ops/TextCommands.cpp: the dialogs that posted starts open
    LRESULT OnTextEntry(WPARAM wParam, LPARAM lParam);
    LRESULT OnTextCommand(WPARAM wParam, LPARAM lParam);
    // ops/Readout.cpp
    LRESULT OnCaptureFile(WPARAM wParam, LPARAM lParam);
    // params/ParamCycles.cpp: the menu command without a read, and the dialogs
    void OnParamFAlone();
    BOOL EditParam(CDialog& dlg); // the dialog shown; FALSE (idle again) when it was cancelled
    // A dialog of one value: shown with nValue, which takes the choice on OK.
    template <class TDialog>
    BOOL EditParamValue(int TDialog::*pnChoice, int& nValue);
    LRESULT OnParamGDialog(WPARAM wParam, LPARAM lParam);
    LRESULT OnParamJDialog(WPARAM wParam, LPARAM lParam);
    LRESULT OnParamWFDialog(WPARAM wParam, LPARAM lParam);
    LRESULT OnInterfaceDialog(WPARAM wParam, LPARAM lParam);
    LRESULT OnParamCDialog(WPARAM wParam, LPARAM lParam);
    LRESULT OnParamFDialog(WPARAM wParam, LPARAM lParam);
    // params/ConfigWrite.cpp
    LRESULT OnConfigEditor(WPARAM wParam, LPARAM lParam);
    // params/DeviceSettings.cpp: the menu commands and the file of a restore
    void OnSettingsSave();
    void OnSettingsRestore();
    LRESULT OnSettingsSaveFile(WPARAM wParam, LPARAM lParam);
    LRESULT OnSettingsRestoreFile(WPARAM wParam, LPARAM lParam);
    BOOL ReadDeviceSettingsFile(const CString& strPath, DeviceSettings& settings); // FALSE: said
    // params/DeviceSettingsSteps.cpp
    void NextSettingsStep();
    void ReadSettingsValue(char chLetter);
    void WriteSettingsValue(char chLetter);
    BOOL IsSettingsStep(OperationRow::Completion completion) const; // the step's letter is in flight
    void OnSettingsRead();        // a pass of the nine reads is complete
    void FinishSettingsRun();     // the run is complete: dropped, idle
    // params/DeviceSettingsEnds.cpp: the file, the comparison, the check
    void SaveDeviceSettingsFile();
    LRESULT OnSettingsCompare(WPARAM wParam, LPARAM lParam);
    void VerifySettings();
    // ops/FirmwareDownload.cpp
    BOOL OpenFirmwareFile();
    BOOL SurveyFirmwareFile();    // FALSE when the download does not start (said, idle)
    void StopDownload(const CString& strMessage); // logged, idle, then shown in a box
    void StopDownloadUnread(const CString& strReason);
    void StopDownloadRefused();
    void CompleteDownload();      // the device has taken the last frame: said, idle
    // ops/DownloadStatus.cpp
    void ShowDownloadPace();
    void SetDownloadStatus(const CString& strText);
    // monitor/MonitorStart.cpp
    void PlaceBeside(HWND hWnd);
    // monitor/RecordingOpen.cpp: the menu command, with its file dialog
    void OnOpenRecording();
    // monitor/MonitorRecord.cpp: the monitor's recording to a CSV file
    LRESULT OnMonitorRecord(WPARAM wParam, LPARAM lParam);
    void RecordFrame(const unsigned char* pFrame);
    void StopMonitorRecord();
    // monitor/MonitorChartSave.cpp: the monitor's chart saved as a PNG file
    LRESULT OnMonitorSaveChart(WPARAM wParam, LPARAM lParam);

    DECLARE_MESSAGE_MAP()
};

