// Data exchange between a dialog's members and its controls: texts, numbers and check
// boxes both ways, the text-length check, and what a refused value does to the rest of
// the exchange.
#include "AppTestEnvironment.h"
#include "BoxAnswerer.h"
#include "afxwin.h"

#include <doctest.h>

#include <climits>
#include <string>

namespace {
struct CExchangeTestDlg : CDialog {
    CString m_strText = "abc";
    UINT m_nUnsigned = 7;
    int m_nSigned = -3;
    int m_nCheck = 1;
    int m_nThreeState = 2;

    CExchangeTestDlg() : CDialog(IDD_TEST_EXCHANGE) {}

    void DoDataExchange(CDataExchange* pDX) override
    {
        DDX_Text(pDX, IDC_TEST_TEXT, m_strText);
        DDV_MaxChars(pDX, m_strText, 5);
        DDX_Text(pDX, IDC_TEST_UNSIGNED, m_nUnsigned);
        DDX_Text(pDX, IDC_TEST_SIGNED, m_nSigned);
        DDX_Check(pDX, IDC_TEST_CHECK, m_nCheck);
        DDX_Check(pDX, IDC_TEST_THREE_STATE, m_nThreeState);
    }
};

struct ExchangeFixture {
    CExchangeTestDlg dlg;
    // The test program as the resource module: it holds none of the framework's messages,
    // so its own English texts stand in.
    ExchangeFixture()
    {
        AfxSetResourceHandle(AfxGetInstanceHandle());
        REQUIRE(dlg.Create(IDD_TEST_EXCHANGE));
    }
    ~ExchangeFixture() { dlg.DestroyWindow(); }

    std::string Text(int nIDC) const
    {
        char szText[256] = {};
        ::GetDlgItemTextA(dlg.m_hWnd, nIDC, szText, sizeof szText);
        return szText;
    }
    void SetText(int nIDC, const char* pszText) { ::SetDlgItemTextA(dlg.m_hWnd, nIDC, pszText); }
    LRESULT CheckState(int nIDC) const { return ::SendDlgItemMessageA(dlg.m_hWnd, nIDC, BM_GETCHECK, 0, 0); }
    void SetCheckState(int nIDC, WPARAM nState) { ::SendDlgItemMessageA(dlg.m_hWnd, nIDC, BM_SETCHECK, nState, 0); }
    int FocusId() const { return ::GetDlgCtrlID(::GetFocus()); }
};

// Saves the controls while a user answers the boxes with OK; the boxes' texts.
std::vector<std::string> SaveAnswering(CExchangeTestDlg& dlg, BOOL& bSaved)
{
    BoxAnswerer answerer(IDOK);
    bSaved = dlg.UpdateData(TRUE);
    std::vector<std::string> texts;
    for (const SeenBox& box : answerer.Boxes())
        texts.push_back(box.text);
    return texts;
}
}

TEST_CASE("the members are shown in the controls")
{
    ExchangeFixture fixture;
    CHECK(fixture.Text(IDC_TEST_TEXT) == "abc");
    CHECK(fixture.Text(IDC_TEST_UNSIGNED) == "7");
    CHECK(fixture.Text(IDC_TEST_SIGNED) == "-3");
    CHECK(fixture.CheckState(IDC_TEST_CHECK) == BST_CHECKED);
    CHECK(fixture.CheckState(IDC_TEST_THREE_STATE) == BST_INDETERMINATE);
    // The text limit is the edit's own, for typing.
    CHECK(::SendDlgItemMessageA(fixture.dlg.m_hWnd, IDC_TEST_TEXT, EM_GETLIMITTEXT, 0, 0) == 5);

    fixture.dlg.m_nUnsigned = 4294967295u;
    fixture.dlg.m_nSigned = INT_MIN;
    fixture.dlg.UpdateData(FALSE);
    CHECK(fixture.Text(IDC_TEST_UNSIGNED) == "4294967295");
    CHECK(fixture.Text(IDC_TEST_SIGNED) == "-2147483648");
}

TEST_CASE("a check box shows a value outside 0 to 2 unchecked")
{
    ExchangeFixture fixture;
    for (int nValue : { -1, 3, 5 }) {
        CAPTURE(nValue);
        fixture.SetCheckState(IDC_TEST_CHECK, BST_CHECKED);
        fixture.dlg.m_nCheck = nValue;
        fixture.dlg.UpdateData(FALSE);
        CHECK(fixture.CheckState(IDC_TEST_CHECK) == BST_UNCHECKED);
    }
}

TEST_CASE("the controls are read into the members")
{
    ExchangeFixture fixture;
    fixture.SetText(IDC_TEST_TEXT, "hello");
    fixture.SetText(IDC_TEST_UNSIGNED, " 4294967295 ");
    fixture.SetText(IDC_TEST_SIGNED, "-2147483648");
    fixture.SetCheckState(IDC_TEST_CHECK, BST_UNCHECKED);
    fixture.SetCheckState(IDC_TEST_THREE_STATE, BST_CHECKED);

    BOOL bSaved = FALSE;
    CHECK(SaveAnswering(fixture.dlg, bSaved).empty());
    CHECK(bSaved);
    CHECK(std::string(fixture.dlg.m_strText) == "hello");
    CHECK(fixture.dlg.m_nUnsigned == 4294967295u);
    CHECK(fixture.dlg.m_nSigned == INT_MIN);
    CHECK(fixture.dlg.m_nCheck == 0);
    CHECK(fixture.dlg.m_nThreeState == 1);

    fixture.SetText(IDC_TEST_UNSIGNED, "+0");
    fixture.SetText(IDC_TEST_SIGNED, "2147483647");
    fixture.SetCheckState(IDC_TEST_THREE_STATE, BST_INDETERMINATE);
    CHECK(SaveAnswering(fixture.dlg, bSaved).empty());
    CHECK(bSaved);
    CHECK(fixture.dlg.m_nUnsigned == 0u);
    CHECK(fixture.dlg.m_nSigned == INT_MAX);
    CHECK(fixture.dlg.m_nThreeState == 2);
}

TEST_CASE("a text that is no number is refused, and nothing after it is taken")
{
    struct Case {
        int nIDC;
        const char* pszText;
        const char* pszMessage;
    };
    const Case cases[] = {
        { IDC_TEST_UNSIGNED, "12x", "Please enter a positive integer or 0." },
        { IDC_TEST_UNSIGNED, "", "Please enter a positive integer or 0." },
        { IDC_TEST_UNSIGNED, "-1", "Please enter a positive integer or 0." },
        { IDC_TEST_UNSIGNED, "4294967296", "Please enter a positive integer or 0." },
        { IDC_TEST_UNSIGNED, "1 2", "Please enter a positive integer or 0." },
        { IDC_TEST_SIGNED, "2147483648", "Please enter an integer." },
        { IDC_TEST_SIGNED, "-2147483649", "Please enter an integer." },
        { IDC_TEST_SIGNED, "- 5", "Please enter an integer." },
        { IDC_TEST_SIGNED, "0x10", "Please enter an integer." },
    };
    for (const Case& c : cases) {
        CAPTURE(c.pszText);
        ExchangeFixture fixture;
        fixture.SetText(IDC_TEST_TEXT, "new");
        fixture.SetText(c.nIDC == IDC_TEST_UNSIGNED ? IDC_TEST_SIGNED : IDC_TEST_UNSIGNED, "9");
        fixture.SetText(c.nIDC, c.pszText);
        fixture.SetCheckState(IDC_TEST_CHECK, BST_UNCHECKED);

        BOOL bSaved = TRUE;
        CHECK(SaveAnswering(fixture.dlg, bSaved) == std::vector<std::string>{ c.pszMessage });
        CHECK_FALSE(bSaved);
        // Back in the refused field, its whole text selected to be typed over.
        CHECK(fixture.FocusId() == c.nIDC);
        DWORD nStart = 0, nEnd = 0;
        ::SendDlgItemMessageA(fixture.dlg.m_hWnd, c.nIDC, EM_GETSEL, reinterpret_cast<WPARAM>(&nStart),
                              reinterpret_cast<LPARAM>(&nEnd));
        CHECK(nStart == 0);
        CHECK(nEnd == std::string(c.pszText).size());
        // Taken before it, not after it.
        CHECK(std::string(fixture.dlg.m_strText) == "new");
        if (c.nIDC == IDC_TEST_UNSIGNED)
            CHECK(fixture.dlg.m_nSigned == -3);
        CHECK(fixture.dlg.m_nCheck == 1);
    }
}

TEST_CASE("the check refuses a text too long")
{
    ExchangeFixture fixture;
    BOOL bSaved = TRUE;

    SUBCASE("a text longer than its limit, set past the edit's own limit")
    {
        fixture.SetText(IDC_TEST_TEXT, "sixsix");
        fixture.SetText(IDC_TEST_UNSIGNED, "8");
        CHECK(SaveAnswering(fixture.dlg, bSaved) ==
              std::vector<std::string>{ "Please enter no more than 5 characters." });
        CHECK_FALSE(bSaved);
        CHECK(fixture.FocusId() == IDC_TEST_TEXT);
        CHECK(fixture.dlg.m_nUnsigned == 7u);
    }
    SUBCASE("writing the members into the controls checks nothing")
    {
        fixture.dlg.m_strText = "far too long";
        BoxAnswerer answerer(IDOK);
        CHECK(fixture.dlg.UpdateData(FALSE));
        CHECK(answerer.Boxes().empty());
        CHECK(fixture.Text(IDC_TEST_TEXT) == "far too long");
    }
}

TEST_CASE("the framework's messages are the language library's, in its language")
{
    struct Language {
        const char* pszLibrary;
        const char *pszUnsigned, *pszSigned, *pszTooLong;
    };
    const Language languages[] = {
        { "ZEV_DE.DLL", "Bitte eine positive ganze Zahl oder 0 eingeben.", "Bitte eine ganze Zahl eingeben.",
          "Bitte höchstens 5 Zeichen eingeben." },
        { "ZEV_EN.DLL", "Please enter a positive integer or 0.", "Please enter an integer.",
          "Please enter no more than 5 characters." },
    };
    for (const Language& language : languages) {
        CAPTURE(language.pszLibrary);
        ExchangeFixture fixture;
        UseLanguageLibrary(language.pszLibrary);
        BOOL bSaved = TRUE;
        fixture.SetText(IDC_TEST_UNSIGNED, "x");
        CHECK(SaveAnswering(fixture.dlg, bSaved) == std::vector<std::string>{ language.pszUnsigned });
        fixture.SetText(IDC_TEST_UNSIGNED, "1");
        fixture.SetText(IDC_TEST_SIGNED, "x");
        CHECK(SaveAnswering(fixture.dlg, bSaved) == std::vector<std::string>{ language.pszSigned });
        fixture.SetText(IDC_TEST_SIGNED, "11");
        fixture.SetText(IDC_TEST_TEXT, "sixsix");
        CHECK(SaveAnswering(fixture.dlg, bSaved) == std::vector<std::string>{ language.pszTooLong });
        CHECK_FALSE(bSaved);
    }
}

TEST_CASE("Fail takes the user back to the control last prepared")
{
    ExchangeFixture fixture;
    ::SetFocus(::GetDlgItem(fixture.dlg.m_hWnd, IDC_TEST_TEXT));

    SUBCASE("saving: a check box")
    {
        CDataExchange dx(&fixture.dlg, TRUE);
        dx.PrepareCtrl(IDC_TEST_CHECK);
        dx.Fail();
        CHECK(dx.m_bFailed);
        CHECK(fixture.FocusId() == IDC_TEST_CHECK);
    }
    SUBCASE("loading: the focus stays where it is")
    {
        CDataExchange dx(&fixture.dlg, FALSE);
        dx.PrepareEditCtrl(IDC_TEST_SIGNED);
        dx.Fail();
        CHECK(dx.m_bFailed);
        CHECK(fixture.FocusId() == IDC_TEST_TEXT);
    }
}

TEST_CASE("AfxFormatString2 puts the inserts where the text has them")
{
    UseLanguageLibrary();
    CString str;
    AfxFormatString2(str, IDS_TEST_RANGE, "2", "50");
    CHECK(std::string(str) == "Enter a value from 2 to 50.");
    AfxFormatString2(str, IDS_TEST_INSERTS, "a", "b");
    CHECK(std::string(str) == "b before a, a again; 100%% and %3 stay");
    AfxFormatString2(str, 9999, "a", "b");
    CHECK(str.IsEmpty());
}
