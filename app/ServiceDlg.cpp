// The main window: construction, its message map, data exchange, initialisation, the
// radio groups, the system menu, the minimised icon and the teardown.
#include "ServiceDlg.h"
#include "UnattendedRun.h"
#include "AboutDlg.h"
#include "DeviceFont.h"
#include "IconOffset.h"
#include "MonitorDlg.h"
#include "INIFile.h"
#include "SettingsRun.h"
#include "StringFormats.h"

BEGIN_MESSAGE_MAP(CServiceDlg, CDialog)
    // app/
    ON_WM_SYSCOMMAND()
    ON_WM_DESTROY()
    ON_WM_PAINT()
    ON_WM_QUERYDRAGICON()
    ON_MESSAGE(WM_INITMENUPOPUP, &CServiceDlg::OnInitMenuPopup)
    ON_BN_CLICKED(IDC_COM1, &CServiceDlg::OnComRadio)
    ON_BN_CLICKED(IDC_COM2, &CServiceDlg::OnComRadio)
    ON_BN_CLICKED(IDC_COM3, &CServiceDlg::OnComRadio)
    ON_BN_CLICKED(IDC_COM4, &CServiceDlg::OnComRadio)
    ON_BN_CLICKED(IDC_DEVICE_VANTIK, &CServiceDlg::OnDeviceRadio)
    ON_BN_CLICKED(IDC_DEVICE_CORLAXA, &CServiceDlg::OnDeviceRadio)
    ON_BN_CLICKED(IDC_DEVICE_BRENNIX, &CServiceDlg::OnDeviceRadio)
    // app/PortChoices.cpp
    ON_COMMAND(ID_LINK_PORTS, &CServiceDlg::OnPorts)
    // link/Connection.cpp
    ON_WM_TIMER()
    ON_COMMAND(ID_LINK_CONNECT, &CServiceDlg::OnConnect)
    ON_COMMAND(ID_LINK_DISCONNECT, &CServiceDlg::OnDisconnect)
    // ops/CommandStarts.cpp
    ON_COMMAND(ID_DEVICE_QUERY, &CServiceDlg::OnQuery)
    ON_COMMAND(ID_READOUT_CAPTURE, &CServiceDlg::OnCapture)
    ON_COMMAND(ID_DEVICE_CLOCK, &CServiceDlg::OnClock)
    ON_COMMAND(ID_DEVICE_TEXT, &CServiceDlg::OnTextS)
    ON_COMMAND(ID_READOUT_VIEW, &CServiceDlg::OnReadout)
    ON_COMMAND(ID_DEVICE_COMMAND_Y, &CServiceDlg::OnCommandY)
    ON_COMMAND(ID_DEVICE_COMMAND_X, &CServiceDlg::OnCommandX)
    ON_COMMAND(ID_DEVICE_COMMAND_XS, &CServiceDlg::OnCommandXs)
    ON_COMMAND(ID_DEVICE_TEXT_N, &CServiceDlg::OnTextN)
    ON_COMMAND(ID_DEVICE_TEXT_H, &CServiceDlg::OnTextH)
    ON_COMMAND(ID_FIRMWARE_DOWNLOAD, &CServiceDlg::OnFirmwareDownload)
    ON_COMMAND(ID_CONFIG_EDIT, &CServiceDlg::OnConfigRead)
    // monitor/MonitorStart.cpp
    ON_COMMAND(ID_MONITOR, &CServiceDlg::StartMonitor)
    // monitor/RecordingOpen.cpp
    ON_COMMAND(ID_MONITOR_OPEN_RECORDING, &CServiceDlg::OnOpenRecording)
    // ops/TextCommands.cpp, ops/Readout.cpp
    ON_MESSAGE(WM_TEXT_ENTRY, &CServiceDlg::OnTextEntry)
    ON_MESSAGE(WM_CAPTURE_FILE, &CServiceDlg::OnCaptureFile)
    ON_MESSAGE(WM_TEXT_COMMAND, &CServiceDlg::OnTextCommand)
    // params/ParamCycles.cpp, params/ConfigWrite.cpp
    ON_COMMAND(ID_PARAM_F, &CServiceDlg::OnParamFAlone)
    ON_COMMAND(ID_PARAM_G, &CServiceDlg::ReadParamG)
    ON_COMMAND(ID_PARAM_INTERFACE, &CServiceDlg::ReadInterface)
    ON_COMMAND(ID_PARAM_C, &CServiceDlg::ReadParamC)
    ON_COMMAND(ID_PARAM_WF, &CServiceDlg::ReadParamW)
    ON_COMMAND(ID_PARAM_J, &CServiceDlg::ReadParamJ)
    ON_MESSAGE(WM_CONFIG_EDITOR, &CServiceDlg::OnConfigEditor)
    ON_MESSAGE(WM_PARAM_INTERFACE, &CServiceDlg::OnInterfaceDialog)
    ON_MESSAGE(WM_PARAM_F, &CServiceDlg::OnParamFDialog)
    ON_MESSAGE(WM_PARAM_C, &CServiceDlg::OnParamCDialog)
    ON_MESSAGE(WM_PARAM_WF, &CServiceDlg::OnParamWFDialog)
    ON_MESSAGE(WM_PARAM_G, &CServiceDlg::OnParamGDialog)
    ON_MESSAGE(WM_PARAM_J, &CServiceDlg::OnParamJDialog)
    // params/DeviceSettings.cpp
    ON_COMMAND(ID_SETTINGS_SAVE, &CServiceDlg::OnSettingsSave)
    ON_COMMAND(ID_SETTINGS_RESTORE, &CServiceDlg::OnSettingsRestore)
    ON_MESSAGE(WM_SETTINGS_SAVE, &CServiceDlg::OnSettingsSaveFile)
    ON_MESSAGE(WM_SETTINGS_RESTORE, &CServiceDlg::OnSettingsRestoreFile)
    ON_MESSAGE(WM_SETTINGS_COMPARE, &CServiceDlg::OnSettingsCompare)
    // log/EventLog.cpp
    ON_MESSAGE(WM_LOG_FILE_FAILED, &CServiceDlg::OnLogFileFailedBox)
    // monitor/MonitorRecord.cpp
    ON_MESSAGE(WM_MONITOR_RECORD, &CServiceDlg::OnMonitorRecord)
    ON_MESSAGE(WM_MONITOR_SAVE_CHART, &CServiceDlg::OnMonitorSaveChart)
    // unattended/UnattendedRun.cpp
    ON_MESSAGE(WM_UNATTENDED_STEP, &CServiceDlg::OnUnattendedStep)
END_MESSAGE_MAP()

CServiceDlg::CServiceDlg() : CDialog(IDD_SERVICE_DIALOG), m_nComIndex(0), m_nDeviceType(-1)
{
    LPCSTR pszIcon = MAKEINTRESOURCEA(IDR_MAINFRAME);
    m_hIcon = ::LoadIconA(AfxFindResourceHandle(pszIcon, RT_GROUP_ICON), pszIcon);
    for (int i = 0; i < 4; ++i)
        m_PortTargets[i].nCom = static_cast<unsigned>(i + 1); // each choice its own COM port
}

CServiceDlg::~CServiceDlg() = default; // here, where CMonitorDlg is known

INT_PTR CServiceDlg::DoModal(int nPort, int nType)
{
    m_nComIndex = nPort - 1;
    m_nDeviceType = nType;
    return CDialog::DoModal();
}

void CServiceDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Control(pDX, IDC_PROGRESS, m_ProgressCtrl);
    DDX_Control(pDX, IDC_LOG, m_LogEdit);
    DDX_Radio(pDX, IDC_COM1, m_nComIndex);
    DDX_Radio(pDX, IDC_DEVICE_VANTIK, m_nDeviceType);
}

BOOL CServiceDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetWindowText("Zevanto");

    HMENU hSysMenu = GetSystemMenu(FALSE);
    ::AppendMenuA(hSysMenu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuA(hSysMenu, MF_STRING, IDM_ABOUTBOX, LoadText(IDS_ABOUTBOX));

    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);

    // The line limit is measured with the context's default font, before the log font.
    m_pLogDC = m_LogEdit.GetDC();
    TEXTMETRICA tm = {};
    ::GetTextMetricsA(m_pLogDC, &tm);
    RECT rect;
    m_LogEdit.GetClientRect(&rect);
    m_nMaxLogLines = tm.tmHeight > 0 ? (rect.bottom - rect.top) / tm.tmHeight : 0;
    // A window lower than one line still keeps one, so the trimming of the log ends.
    if (m_nMaxLogLines < 1)
        m_nMaxLogLines = 1;

    // Without its log the program ends: the modal run is ended as a dialog's is, before
    // its loop starts (a quit posted from here would leave the ending to whichever
    // message loop takes it first). The teardown runs as at any end.
    if (!OpenLogFile())
        EndDialog(IDABORT);
    else
        OpenTrace();

    m_nOperation = OP_IDLE;
    m_bConnected = FALSE;
    m_bBusy = FALSE;
    m_bDlePending = FALSE;
    m_bLinkOpen = FALSE;
    UpdateData(FALSE);

    m_pLogFont = std::make_unique<CDeviceFont>(m_pLogDC, "Courier New", 90, 0, 0, TRUE);
    m_pLogFont->ApplyToWindow(m_LogEdit);
    // The window keeps a few lines, each cut short if it is very long: the edit's own
    // limit (about 32 K characters) must not drop a line that the file has.
    m_LogEdit.SetLimitText(0);

    LogById(IDS_PROGRAM_START);
    SayKeptLogFailure();
    ReadPortMappings();

    if (m_Menu.LoadMenu(IDR_MAIN_MENU))
        SetMenuKeepingClientArea();
    if (m_LogFile.IsOpen())
        StartUnattendedRun();
    else if (IsScripted())
        m_nExitCode = EXIT_FILE; // the run cannot keep its record
    return TRUE;
}

void CServiceDlg::SetMenuKeepingClientArea()
{
    // The template made the window without a menu: the menu bar would take its height from
    // the client area and cut off the log's lower edge. The window grows by it instead.
    RECT before = {};
    GetClientRect(&before);
    SetMenu(&m_Menu);
    RECT after = {};
    GetClientRect(&after);
    int nGrow = (before.bottom - before.top) - (after.bottom - after.top);
    if (nGrow <= 0)
        return;
    RECT window = {};
    ::GetWindowRect(m_hWnd, &window);
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, window.right - window.left, window.bottom - window.top + nGrow,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CServiceDlg::OnDeviceRadio()
{
    UpdateData(TRUE);
    if (m_bConnected)
        Disconnect();
    m_bConnected = FALSE;
    LogById(IDS_SELECTION_CHANGED);
}

void CServiceDlg::OnComRadio()
{
    OnDeviceRadio();
    LogById(IDS_PORT_CHANGED);
}

BOOL CServiceDlg::PreTranslateMessage(MSG* pMsg)
{
    // The dialog manager would make Enter and Esc into OK and Cancel, which end the main
    // window in the middle of a download; in this window the two keys do nothing.
    switch (pMsg->message) {
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
        return pMsg->wParam == VK_RETURN || pMsg->wParam == VK_ESCAPE;
    default:
        return FALSE;
    }
}

void CServiceDlg::OnOK()
{
    // The window has no OK: it is no form to be confirmed.
}

// Exit in the menu, the close box and Alt+F4 (the close box's Cancel).
void CServiceDlg::OnCancel()
{
    if (ConfirmEnd())
        CDialog::OnCancel();
}

BOOL CServiceDlg::ConfirmEnd()
{
    // Closing the window is how a bench run ends: nobody is asked. Nor for the monitor:
    // ending it loses nothing (its recording is closed whole).
    if (m_pRun || (m_nOperation == OP_IDLE && !m_bBusy) || m_nOperation == OP_MONITOR)
        return TRUE;
    BOOL bDownload = m_nOperation == OP_DOWNLOAD || m_nOperation == OP_IMAGE_START;
    CString strText = bDownload ? LoadText(IDS_END_DURING_DOWNLOAD)
                                : LoadText(IDS_END_DURING_OPERATION);
    return MessageBox(strText, nullptr, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

void CServiceDlg::OnSysCommand(UINT nID, LPARAM lParam)
{
    if ((nID & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg dlgAbout;
        dlgAbout.DoModal();
    } else {
        CDialog::OnSysCommand(nID, lParam);
    }
}

void CServiceDlg::OnPaint()
{
    if (!IsIconic()) {
        CDialog::OnPaint();
        return;
    }
    PAINTSTRUCT ps;
    HDC hDC = ::BeginPaint(m_hWnd, &ps);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(hDC), 0);
    int cxIcon = ::GetSystemMetrics(SM_CXICON);
    int cyIcon = ::GetSystemMetrics(SM_CYICON);
    RECT rect;
    GetClientRect(&rect);
    ::DrawIcon(hDC, CenteredIconOffset(rect.right - rect.left, cxIcon),
               CenteredIconOffset(rect.bottom - rect.top, cyIcon), m_hIcon);
    ::EndPaint(m_hWnd, &ps);
}

HCURSOR CServiceDlg::OnQueryDragIcon()
{
    return static_cast<HCURSOR>(m_hIcon);
}

void CServiceDlg::OnDestroy()
{
    StopUnattendedRun();
    ReturnToIdle();
    Disconnect();
    CloseLink();
    m_pMonitorDlg.reset();
    LogUnsavedSettings();
    LogText("End");
    LogById(IDS_PROGRAM_END);
    CloseLogFile();
    CloseTrace();
    if (m_DownloadFile.IsOpen())
        m_DownloadFile.Abort();
    m_LogEdit.ReleaseDC(m_pLogDC);
    m_pLogDC = nullptr;
    // The menu is taken from the window before it is destroyed.
    SetMenu(nullptr);
    m_Menu.DestroyMenu();
    ::WinHelpA(m_hWnd, nullptr, HELP_QUIT, 0);
    CDialog::OnDestroy();
}

void CServiceDlg::LogUnsavedSettings()
{
    // Start-up writes the port and the device back after this window, and the log, are
    // gone; whether it can is known now, and said while the log is still open.
    if (!m_pSettings)
        return;
    CFileException error;
    error.m_lOsError = m_pSettings->WriteAccessError();
    if (error.m_lOsError == 0)
        return;
    const char* pszPath = m_pSettings->GetFileName() ? m_pSettings->GetFileName() : "";
    LogLine(FormatTwoTexts(IDS_SETTINGS_UNSAVED, pszPath, error.GetErrorMessage()));
}
