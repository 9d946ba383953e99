// The texts of the device operations: every one is in both language libraries, and each
// that the program uses as a format takes exactly the arguments that the program gives.
#include "AppTestEnvironment.h"
#include "FormatCheck.h"
#include "resource.h"

#include <doctest.h>

#include <algorithm>
#include <string>

namespace {
struct OperationText {
    UINT nID;
    const char* pszKinds; // the arguments, as IsFormatFor names them
};

const OperationText kOperationTexts[] = {
    { IDS_FIRMWARE_FILES, "" },
    { IDS_ALL_FILES, "" },
    { IDS_DOWNLOAD_START, "s" },
    { IDS_DOWNLOAD_DONE, "" },
    { IDS_DOWNLOAD_RESEND, "uu" },
    { IDS_CLOCK_SENT, "s" },
    { IDS_QUERY_REPLY, "s" },
    { IDS_TEXT_S_TITLE, "" },
    { IDS_CAPTURE_FILES, "" },
    { IDS_CAPTURE_START, "s" },
    { IDS_COMMAND_Y, "" },
    { IDS_COMMAND_X, "" },
    { IDS_COMMAND_XS, "" },
    { IDS_TEXT_N_SENT, "s" },
    { IDS_TEXT_H_SENT, "s" },
    { IDS_TEXT_N_TITLE, "" },
    { IDS_TEXT_H_TITLE, "" },
    { IDS_TEXT_S_SENT, "s" },
    { IDS_CFG_VALUES, "s" },
    { IDS_CFG_KIND, "s" },
    { IDS_CFG_OPTION, "s" },
    { IDS_CFG_MODE, "s" },
    { IDS_FIRMWARE_UNREADABLE, "ss" },
    { IDS_CAPTURE_UNWRITABLE, "ss" },
    // The parameter cycles: replies logged as texts, values written as numbers.
    { IDS_PARAM_F_WRITE, "d" },
    { IDS_PARAM_W_WRITE, "d" },
    { IDS_PARAM_W_REPLY, "s" },
    { IDS_INTERFACE_WRITE, "d" },
    { IDS_INTERFACE_REPLY, "s" },
    { IDS_PARAM_C_REPLY, "s" },
    { IDS_PARAM_F_REPLY, "s" },
    { IDS_PARAM_C_WRITE, "d" },
    { IDS_PARAM_F_FOLLOW, "d" },
    { IDS_PARAM_G_REPLY, "s" },
    { IDS_PARAM_G_WRITE, "d" },
    { IDS_PARAM_J_REPLY, "s" },
    { IDS_PARAM_J_WRITE, "d" },
    { IDS_NOTHING_CHOSEN, "" },
    // The configuration editor, its write chain and its calculator.
    { IDS_CFG_KIND_WRITE, "s" },
    { IDS_CFG_WRITE, "uuu" },
    { IDS_CFG_OPTION_WRITE_1, "d" },
    { IDS_CFG_MODE_WRITE, "d" },
    { IDS_CFG_OPTION_WRITE_0, "d" },
    { IDS_CALC_MISSING, "" },
    { IDS_CALC_OUT_OF_RANGE, "dd" },
    { IDS_CFG_FIRST_TOO_LOW, "" },
    { IDS_CFG_THIRD_TOO_HIGH, "" },
    { IDS_CFG_KIND_UNKNOWN, "d" },
    // The receive framer.
    { IDS_RX_LINE_DROPPED, "d" },
    { IDS_CAPTURE_WRITE_FAILED, "ss" },
    { IDS_LOGFILE_UNWRITABLE, "ss" },
    { IDS_TRACE_ON, "s" },
    { IDS_TRACE_FAILED, "ss" },
    // The monitor's recording.
    { IDS_MON_RECORD_START, "s" },
    { IDS_MON_RECORD_END, "s" },
    { IDS_MON_RECORD_FAILED, "ss" },
    { IDS_MON_RECORD_BUTTON, "" },
    { IDS_MON_STOP_BUTTON, "" },
    { IDS_CSV_FILES, "" },
    // The trace's size limit.
    { IDS_TRACE_LIMIT, "ss" },
};

// The string as the library holds it: not through the framework's search, which would
// fall back to the test program's own strings.
std::string LibraryString(HMODULE hLibrary, UINT nID)
{
    char szText[1024] = {};
    int nLength = ::LoadStringA(hLibrary, nID, szText, sizeof szText);
    return std::string(szText, nLength > 0 ? nLength : 0);
}

struct LoadedLibrary {
    HMODULE hModule;
    explicit LoadedLibrary(const char* pszName) : hModule(::LoadLibraryA(DistPath(pszName).c_str())) {}
    ~LoadedLibrary()
    {
        if (hModule)
            ::FreeLibrary(hModule);
    }
};
}

TEST_CASE("every text of the device operations is in both libraries with its arguments")
{
    for (const char* pszLibrary : { "ZEV_DE.DLL", "ZEV_EN.DLL" }) {
        CAPTURE(pszLibrary);
        LoadedLibrary library(pszLibrary);
        REQUIRE(library.hModule != nullptr);
        for (const OperationText& text : kOperationTexts) {
            CAPTURE(text.nID);
            std::string strText = LibraryString(library.hModule, text.nID);
            CAPTURE(strText);
            CHECK_FALSE(strText.empty());
            CHECK(IsFormatFor(strText.c_str(), text.pszKinds));
        }
        // The clock text ends in a CR; at the very end of the line it moves nothing.
        std::string strClock = LibraryString(library.hModule, IDS_CLOCK_SENT);
        CHECK(strClock.size() >= 2);
        CHECK(strClock.compare(strClock.size() - 2, 2, "%s") == 0);
        // The range message is built with inserts, not as a printf format: each insert
        // once, and no other %.
        std::string strRange = LibraryString(library.hModule, IDS_RANGE);
        CAPTURE(strRange);
        CHECK(strRange.find("%1") != std::string::npos);
        CHECK(strRange.find("%1") == strRange.rfind("%1"));
        CHECK(strRange.find("%2") != std::string::npos);
        CHECK(strRange.find("%2") == strRange.rfind("%2"));
        CHECK(std::count(strRange.begin(), strRange.end(), '%') == 2);
    }
}

TEST_CASE("the German library has the texts a technician reads")
{
    LoadedLibrary library("ZEV_DE.DLL");
    REQUIRE(library.hModule != nullptr);
    CHECK(LibraryString(library.hModule, IDS_TEXT_S_TITLE) == "Text senden (S)");
    CHECK(LibraryString(library.hModule, IDS_DOWNLOAD_RESEND) == "Block %u wird wiederholt (Dateiposition %u)");
    CHECK(LibraryString(library.hModule, IDS_FIRMWARE_UNREADABLE) ==
          "Die Firmware-Datei %s kann nicht geöffnet werden (%s)");
    CHECK(LibraryString(library.hModule, IDS_RANGE) == "Bitte einen Wert von %1 bis %2 eingeben.");
    CHECK(LibraryString(library.hModule, IDS_CFG_THIRD_TOO_HIGH) ==
          "Der dritte Wert darf nicht größer als der erste sein.");
}
