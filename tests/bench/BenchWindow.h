// The main window as the in-process benchmarks use it: in a folder of its own (its log
// file goes there), in German, on a port that leads nowhere, so that the teardown's
// good-bye goes nowhere either.
#ifndef BENCH_WINDOW_H
#define BENCH_WINDOW_H

#include "AppTestEnvironment.h"
#include "ServiceDlg.h"

class CBenchWindow {
public:
    explicit CBenchWindow(BOOL bShown)
    {
        dlg.m_nComIndex = 7; // unmapped
        dlg.Create(IDD_SERVICE_DIALOG);
        dlg.m_nComIndex = 7;
        if (bShown)
            dlg.ShowWindow(SW_SHOW);
    }
    ~CBenchWindow() { dlg.DestroyWindow(); }
    CBenchWindow(const CBenchWindow&) = delete;
    CBenchWindow& operator=(const CBenchWindow&) = delete;

    TempFolder folder;
private:
    bool m_bLibrary = (UseLanguageLibrary(), true); // before the window is made
public:
    CServiceDlg dlg;
};
#endif
