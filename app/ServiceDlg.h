// CServiceDlg: the program's main window and the owner of the whole device connection.
// Its member functions live in the folder of the subsystem that owns them:
//   app/      the window: construction, data exchange, initialisation, menus, teardown
//   link/     the serial link, connection control, the receive framer, the event log
//   ops/      the starts of the device commands
#pragma once

#include "KoraLink.h"
#include "Operation.h"
#include "afxwin.h"
#include "resource.h"

#include <memory>

class CDeviceFont;
class INIFile;

class CServiceDlg : public CDialog, public KoraLink {
public:
    CServiceDlg();
    ~CServiceDlg() override;

    // Runs the window modally on COM port nPort (1 to 4) with device type nType.
    virtual INT_PTR DoModal(int nPort, int nType);
    using CDialog::DoModal;

    // Event log (link/EventLog.cpp): one time-stamped line in the window and the file.
    void LogLine(const CString& strText);
    void LogById(UINT nID);
    void LogByIdNum(UINT nID, int nNumber);
    void LogText(const char* pszText);
    // Shows the lines that wait for the end of a log burst (link/LogBurst.h).
    void FlushLogWindow();
    // A message box owned by this window; it first shows the log up to date.
    int MessageBox(const char* pszText, const char* pszCaption = nullptr, UINT nType = MB_OK);

    // Serial link (link/SerialLink.cpp)
    BOOL OpenLink(int nBaud);     // TRUE when the link is open and good
    void OpenPort();              // the link at 9600 baud, logged
    void CloseLink();
    void OnReceive() override;
    void OnTransmitDone() override;
    void OnLinkError() override;

    // Connection control (link/Connection.cpp)
    BOOL SendCommand(const void* pData, int nLength); // FALSE when the send was refused
    BOOL CheckBusy();             // TRUE when a new operation may start
    void ReturnToIdle();
    void SendPendingWrite();
    void ConnectDevice();         // the port at 9600 and the wake-up, or why the port failed
    void WakeUpDevice();
    void OnInitReply();
    void Disconnect();
    void EmptyReceiveLine();      // the line and a pending DLE: a new transaction begins

    // Receive framer and dispatcher (link/ReceiveFramer.cpp): the bytes of one receive
    // event, and one received byte.
    void ReceiveBytes(const BYTE* pBytes, int nCount);
    void ReceiveByte(BYTE nByte);

    // Command starts (ops/CommandStarts.cpp)
    void StartSimpleQuery(int nOperation, char chLetter);

    CProgressCtrl m_ProgressCtrl;
    CEdit m_LogEdit;
    int m_nComIndex;    // COM port number - 1; -1 when no COM radio is selected
    int m_nDeviceType;  // 0, 1, 2; -1 when no device radio is selected
    HICON m_hIcon;
    CMenu m_Menu;
    HDC m_pLogDC = nullptr;     // the log edit's context, held while the window lives
    int m_nMaxLogLines = 0;     // lines the log window keeps
    int m_nOperation = 0;       // operation in progress, 0 = idle
    BOOL m_bConnected = FALSE;  // the device has answered the wake-up
    BOOL m_bBusy = FALSE;
    BOOL m_bDlePending = FALSE;
    BOOL m_bLinkOpen = FALSE;
    CString m_strRxLine;
    BOOL m_bTxDone = FALSE;
    CString m_strEnteredText;
    CString m_strPendingWrite;
    CString m_strFilePath;
    CString m_strCapture;
    CStdioFile m_DownloadFile;
    CStdioFile m_LogFile;
    INIFile* m_pSettings = nullptr; // start-up's settings file, written back after the window
    std::unique_ptr<CDeviceFont> m_pLogFont; // the log edit's font, kept while the edit lives
    BOOL m_bLogBurst = FALSE;   // log lines wait in m_strLogPending for the burst's end
    CString m_strLogPending;    // stamped lines, each ending in CR LF, not yet in the window
    int m_nLogPending = 0;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnDestroy();
    void LogUnsavedSettings();
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    LRESULT OnInitMenuPopup(WPARAM wParam, LPARAM lParam);
    void OnDeviceRadio();
    void OnComRadio();
    void OnTimer(UINT_PTR nIDEvent);
    void OnConnect();
    void OnDisconnect();
    void OnReadout();

    // Link and connection helpers
    BOOL WaitAndTest(LONG nEventClass, LONG nTimeoutMs);
    void SwitchBaudRate();
    void ShowMessage(UINT nID);   // the string in an OK box with the program's title
    int AskYesNo(UINT nTextID, UINT nCaptionID);
    void ShowPortFailure();
    void OnLineEnd();
    void OnEscape();
    void LogUnexpectedLine();
    void OnReadoutLine();

    // Event log (link/EventLog.cpp)
    BOOL OpenLogFile();
    void CloseLogFile();
    void AppendLogLineByLine(const CString& strShown);

    DECLARE_MESSAGE_MAP()
};

// Where a minimised window draws its icon of size nIcon in a client area of size nClient:
// centred, one pixel nearer the right or bottom edge when the difference is odd.
inline int CenteredIconOffset(int nClient, int nIcon)
{
    return (nClient - nIcon + 1) / 2;
}
