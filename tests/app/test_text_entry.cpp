// The text-entry dialog run modally, as the text commands run it, with a user at the
// keyboard on a second thread.
#include "AppTestEnvironment.h"
#include "DialogDriver.h"
#include "TextEntryDlg.h"
#include "UiRobot.h"
#include "resource.h"

#include <doctest.h>

#include <string>

namespace {
struct TextEntryFixture {
    TextEntryFixture()
    {
        UseLanguageLibrary();
        dlg.m_strTitle.LoadString(IDS_TEXT_N_TITLE);
    }
    CTextEntryDlg dlg;
};

// What the user saw when the dialog opened.
struct FirstLook {
    std::string title;
    std::string text;
    int nFocusId = -1;
};

FirstLook LookAt(HWND hDlg)
{
    FirstLook look;
    look.title = UiRobot::Text(hDlg);
    look.text = UiRobot::ItemText(hDlg, IDC_TEXT_ENTRY);
    look.nFocusId = UiRobot::FocusId(hDlg);
    return look;
}
}

TEST_CASE("the text entry takes 8 typed characters and no ninth")
{
    TextEntryFixture fixture;
    FirstLook look;
    std::string strShownAfterTyping;
    DialogDriver driver([&](HWND hDlg) {
        look = LookAt(hDlg);
        UiRobot::Type(hDlg, IDC_TEXT_ENTRY, "ABCDEFGHI");
        strShownAfterTyping = UiRobot::ItemText(hDlg, IDC_TEXT_ENTRY);
        UiRobot::PostClick(hDlg, IDOK);
    });

    INT_PTR nResult = fixture.dlg.DoModal();
    REQUIRE(driver.Join());

    CHECK(look.title == "Text mit N senden");
    CHECK(look.text == "");
    CHECK(look.nFocusId == IDC_TEXT_ENTRY);
    CHECK(strShownAfterTyping == "ABCDEFGH");
    CHECK(nResult == IDOK);
    CHECK(std::string(fixture.dlg.m_strText) == "ABCDEFGH");
}

TEST_CASE("the text entry shows the text it starts with and gives back an empty one")
{
    TextEntryFixture fixture;
    fixture.dlg.m_strText = "12";
    FirstLook look;
    DialogDriver driver([&](HWND hDlg) {
        look = LookAt(hDlg);
        UiRobot::SetText(hDlg, IDC_TEXT_ENTRY, "");
        UiRobot::PostClick(hDlg, IDOK);
    });

    INT_PTR nResult = fixture.dlg.DoModal();
    REQUIRE(driver.Join());

    CHECK(look.text == "12");
    CHECK(look.nFocusId == IDC_TEXT_ENTRY);
    CHECK(nResult == IDOK);
    CHECK(fixture.dlg.m_strText.IsEmpty());
}

TEST_CASE("cancelling the text entry leaves the text as it was")
{
    TextEntryFixture fixture;
    fixture.dlg.m_strText = "keep";
    DialogDriver driver([&](HWND hDlg) {
        UiRobot::Type(hDlg, IDC_TEXT_ENTRY, "XY");
        UiRobot::PostClick(hDlg, IDCANCEL);
    });

    INT_PTR nResult = fixture.dlg.DoModal();
    REQUIRE(driver.Join());

    CHECK(nResult == IDCANCEL);
    CHECK(std::string(fixture.dlg.m_strText) == "keep");
}

TEST_CASE("a text set past the limit is refused on OK and the edit gets the focus back")
{
    TextEntryFixture fixture;
    std::string strBox;
    int nFocusAfterBox = -1;
    DialogDriver driver([&](HWND hDlg) {
        // Not typed: a text set by a program passes the edit's limit.
        UiRobot::SetText(hDlg, IDC_TEXT_ENTRY, "123456789");
        UiRobot::PostClick(hDlg, IDOK);
        strBox = AnswerMessageBox(hDlg, IDOK);
        nFocusAfterBox = UiRobot::FocusId(hDlg);
        UiRobot::SetText(hDlg, IDC_TEXT_ENTRY, "12345678");
        UiRobot::PostClick(hDlg, IDOK);
    });

    INT_PTR nResult = fixture.dlg.DoModal();
    REQUIRE(driver.Join());

    CHECK(strBox == "Bitte höchstens 8 Zeichen eingeben.");
    CHECK(nFocusAfterBox == IDC_TEXT_ENTRY);
    CHECK(nResult == IDOK);
    CHECK(std::string(fixture.dlg.m_strText) == "12345678");
}
