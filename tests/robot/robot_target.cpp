// robot_target: a program with the program's own dialogs, for the robot's own tests. It
// shows one dialog as ZEV.EXE shows it and leaves what came back in result.txt, in its
// working folder: the dialog's result (1 OK, 2 Cancel) on the first line, then the path
// chosen or the text entered.
//   robot_target.exe open    the open dialog for *.txt files (the file must exist)
//   robot_target.exe save    the save dialog for *.txt files (asks before replacing)
//   robot_target.exe text    the text entry, with the German library's 'S' title
#include "TextEntryDlg.h"
#include "afxwin.h"
#include "resource.h"

#include <cstdlib>
#include <fstream>
#include <string>

namespace {
class CRobotTargetApp : public CWinApp {
public:
    BOOL InitInstance() override;
} theApp;

void WriteResult(INT_PTR nResult, const CString& strValue)
{
    std::ofstream file("result.txt", std::ios::binary | std::ios::trunc);
    file << nResult << "\n" << strValue.GetString() << "\n";
}

const char kFilter[] = "Text files (*.txt)|*.txt|All files (*.*)|*.*||";
}

BOOL CRobotTargetApp::InitInstance()
{
    std::string strMode = __argc > 1 ? __argv[1] : "";
    if (strMode == "text") {
        // Found on the path (WINEPATH), as the tests run.
        AfxSetResourceHandle(::LoadLibraryA("ZEV_DE.DLL"));
        CTextEntryDlg dlg;
        dlg.m_strTitle.LoadString(IDS_TEXT_S_TITLE);
        INT_PTR nResult = dlg.DoModal();
        WriteResult(nResult, nResult == IDOK ? dlg.m_strText : CString());
    } else if (strMode == "open" || strMode == "save") {
        BOOL bOpen = strMode == "open";
        CFileDialog dlg(bOpen, "txt", "*.txt",
                        OFN_HIDEREADONLY | (bOpen ? OFN_FILEMUSTEXIST : OFN_OVERWRITEPROMPT), kFilter);
        INT_PTR nResult = dlg.DoModal();
        WriteResult(nResult, dlg.GetPathName());
    }
    return FALSE;
}
