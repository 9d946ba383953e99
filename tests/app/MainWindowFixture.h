// The main window made modeless in a fresh working folder, with the German library.
#pragma once

#include "AppTestEnvironment.h"
#include "ServiceDlg.h"

#include <vector>

// The library is the resource module before the window object is made: its constructor
// loads the icon.
struct GermanLibrary {
    GermanLibrary() { UseLanguageLibrary(); }
};

struct MainWindowFixture {
    TempFolder folder;
    GermanLibrary library;
    CServiceDlg dlg;

    MainWindowFixture()
    {
        dlg.m_nComIndex = 0;
        dlg.m_nDeviceType = 0;
        dlg.Create(IDD_SERVICE_DIALOG);
    }
    ~MainWindowFixture() { dlg.DestroyWindow(); }

    // The log window's text as it stands: lines of a burst may still wait for its next change.
    std::string ShownLogWindowText() const { return std::string(dlg.m_LogEdit.GetWindowText()); }
    // The log window's text with what waits for its next change in it (the change brought
    // forward): what it shows a moment later.
    std::string LogWindowText() const
    {
        const_cast<CServiceDlg&>(dlg).FlushLogWindow();
        return ShownLogWindowText();
    }

    // The lines of the log window without their time stamps (the last, empty line dropped).
    std::vector<std::string> LogWindowLines() const { return LinesWithoutStamps(LogWindowText()); }
    std::vector<std::string> ShownLogWindowLines() const { return LinesWithoutStamps(ShownLogWindowText()); }

    static std::vector<std::string> LinesWithoutStamps(const std::string& text)
    {
        std::vector<std::string> lines;
        std::string::size_type start = 0, end;
        while ((end = text.find("\r\n", start)) != std::string::npos) {
            lines.push_back(text.substr(start + 9, end - start - 9));
            start = end + 2;
        }
        return lines;
    }
};
