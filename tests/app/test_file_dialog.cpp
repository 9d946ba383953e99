// The common file dialog as the download and the capture open it, with a user choosing
// or cancelling on a second thread.
#include "AppTestEnvironment.h"
#include "DialogDriver.h"
#include "UiRobot.h"
#include "afxwin.h"

#include <doctest.h>

#include <string>

namespace {
const int kNameField = 0x47C; // cmb13: where the file name is shown and typed
const int kTypeField = 0x470; // cmb1: the filter's kinds

// What the dialog showed when it opened.
struct DialogLook {
    std::string name;
    std::string kind;
    LRESULT nKinds = 0;
    HWND hOwner = nullptr;
};

DialogLook LookAt(HWND hDlg)
{
    DialogLook look;
    look.name = UiRobot::ItemText(hDlg, kNameField);
    look.kind = UiRobot::ItemText(hDlg, kTypeField);
    look.nKinds = ::SendDlgItemMessageA(hDlg, kTypeField, CB_GETCOUNT, 0, 0);
    look.hOwner = ::GetWindow(hDlg, GW_OWNER);
    return look;
}

const DWORD kOpenFlags = OFN_HIDEREADONLY | OFN_FILEMUSTEXIST;
const DWORD kSaveFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
}

TEST_CASE("a file chosen in the open dialog comes back with its full path")
{
    TempFolder folder;
    std::string strPath = folder.Path("firmware.S19");
    WriteFileBytes(strPath, "S0030000FC\r\n");
    CFileDialog dlg(TRUE, "S19", "*.S19", kOpenFlags, "Firmware (*.S19)|*.S19|All files (*.*)|*.*||");
    DialogLook look;
    DialogDriver driver([&](HWND hDlg) {
        look = LookAt(hDlg);
        UiRobot::FileDialog(hDlg, strPath);
    });

    INT_PTR nResult = dlg.DoModal();
    REQUIRE(driver.Join());

    CHECK(look.name == "*.S19");
    CHECK(look.kind == "Firmware (*.S19)");
    CHECK(look.nKinds == 2);
    CHECK(nResult == IDOK);
    CHECK(std::string(dlg.GetPathName()) == strPath);
}

TEST_CASE("the open dialog takes a filter with NULs and wants a file that exists")
{
    TempFolder folder;
    CFileDialog dlg(TRUE, "LOG", "*.LOG", kOpenFlags);
    // As the program builds it: the '|' form cannot carry a description with a '|'.
    static const char kFilter[] = "Logs (*.LOG)\0*.LOG\0Everything\0*.*\0";
    dlg.m_ofn.lpstrFilter = kFilter;
    DialogLook look;
    std::string strBox;
    DialogDriver driver([&](HWND hDlg) {
        look = LookAt(hDlg);
        UiRobot::FileDialog(hDlg, folder.Path("missing.LOG"));
        strBox = AnswerMessageBox(hDlg, IDOK);
        UiRobot::PostClick(hDlg, IDCANCEL);
    });

    INT_PTR nResult = dlg.DoModal();
    REQUIRE(driver.Join());

    CHECK(look.kind == "Logs (*.LOG)");
    CHECK(look.nKinds == 2);
    CHECK_FALSE(strBox.empty());
    CHECK(nResult == IDCANCEL);
    CHECK(dlg.GetPathName().IsEmpty());
}

TEST_CASE("a name typed in the save dialog gets the default extension")
{
    TempFolder folder;
    CFileDialog dlg(FALSE, "LOG", "*.LOG", kSaveFlags, "Read-outs (*.LOG)|*.LOG|All files (*.*)|*.*||");
    DialogDriver driver([&](HWND hDlg) { UiRobot::FileDialog(hDlg, folder.Path("capture")); });

    INT_PTR nResult = dlg.DoModal();
    REQUIRE(driver.Join());

    CHECK(nResult == IDOK);
    // Wine writes the extension in lower case; either names the same file.
    CHECK(::lstrcmpiA(dlg.GetPathName(), folder.Path("capture.LOG").c_str()) == 0);
}

TEST_CASE("the save dialog asks before it replaces a file")
{
    TempFolder folder;
    std::string strPath = folder.Path("capture.LOG");
    WriteFileBytes(strPath, "old\n");
    CFileDialog dlg(FALSE, "LOG", "*.LOG", kSaveFlags, "Read-outs (*.LOG)|*.LOG||");
    std::string strQuestion;

    SUBCASE("Yes: the file is chosen")
    {
        DialogDriver driver([&](HWND hDlg) {
            UiRobot::FileDialog(hDlg, strPath);
            strQuestion = AnswerMessageBox(hDlg, IDYES);
        });
        INT_PTR nResult = dlg.DoModal();
        REQUIRE(driver.Join());
        CHECK_FALSE(strQuestion.empty());
        CHECK(nResult == IDOK);
        CHECK(std::string(dlg.GetPathName()) == strPath);
    }
    SUBCASE("No: the dialog stays open, and Cancel chooses nothing")
    {
        bool bStillOpen = false;
        DialogDriver driver([&](HWND hDlg) {
            UiRobot::FileDialog(hDlg, strPath);
            strQuestion = AnswerMessageBox(hDlg, IDNO);
            bStillOpen = ::IsWindowVisible(hDlg) != FALSE;
            UiRobot::PostClick(hDlg, IDCANCEL);
        });
        INT_PTR nResult = dlg.DoModal();
        REQUIRE(driver.Join());
        CHECK_FALSE(strQuestion.empty());
        CHECK(bStillOpen);
        CHECK(nResult == IDCANCEL);
        CHECK(dlg.GetPathName().IsEmpty());
    }
    // Asked or not, the file itself is the caller's to write.
    CHECK(ReadFileBytes(strPath) == "old\n");
}

TEST_CASE("a cancelled file dialog gives no path")
{
    TempFolder folder;
    CFileDialog dlg(TRUE, "IMG", "*.IMG", kOpenFlags, "Images (*.IMG)|*.IMG||");
    DialogDriver driver([&](HWND hDlg) { UiRobot::PostClick(hDlg, IDCANCEL); });

    CHECK(dlg.DoModal() == IDCANCEL);
    REQUIRE(driver.Join());
    CHECK(dlg.GetPathName().IsEmpty());
}

TEST_CASE("the file dialog belongs to its parent, else to the main window")
{
    TempFolder folder;
    CDialog window(IDD_TEST_EXCHANGE);
    REQUIRE(window.Create(IDD_TEST_EXCHANGE));
    DialogLook look;
    auto cancel = [&](HWND hDlg) {
        look = LookAt(hDlg);
        UiRobot::PostClick(hDlg, IDCANCEL);
    };

    SUBCASE("its parent")
    {
        CFileDialog dlg(TRUE, nullptr, nullptr, kOpenFlags, nullptr, &window);
        DialogDriver driver(cancel);
        CHECK(dlg.DoModal() == IDCANCEL);
        REQUIRE(driver.Join());
        CHECK(look.hOwner == window.m_hWnd);
        CHECK(look.name == "");
    }
    SUBCASE("the main window")
    {
        CWinApp* pApp = AfxGetApp();
        CWnd* pOldMainWnd = pApp->m_pMainWnd;
        pApp->m_pMainWnd = &window;
        CFileDialog dlg(FALSE);
        DialogDriver driver(cancel);
        CHECK(dlg.DoModal() == IDCANCEL);
        REQUIRE(driver.Join());
        pApp->m_pMainWnd = pOldMainWnd;
        CHECK(look.hOwner == window.m_hWnd);
    }
    window.DestroyWindow();
}
