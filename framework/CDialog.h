// CDialog: a window made from a dialog template of the resource module. DoModal runs it
// with Windows' own modal loop (DialogBoxParam); Create makes it modeless.
//
// Every modal loop (a dialog's, a message box's) hands each message to the dialog manager
// (IsDialogMessage), which first offers it to the thread's message filter. The framework's
// filter gives the dialog the message is on its way to a look at it first
// (PreTranslateMessage): that is how a modeless dialog gets its keyboard (Tab, Enter,
// Esc) while another dialog's loop runs, and how a dialog keeps keys from the dialog
// manager.
#pragma once

#include "CWnd.h"

class CDialog : public CWnd {
public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr)
        : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}
    ~CDialog() override;

    // Runs the dialog modally. Without a parent, the application's main window owns it.
    // Returns the value given to EndDialog, or -1 when the template cannot be found.
    virtual INT_PTR DoModal();
    // Makes the dialog modeless; FALSE when the template cannot be found.
    BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    void EndDialog(int nResult) { ::EndDialog(m_hWnd, nResult); }

    // Called when the controls exist: copies the members into them.
    virtual BOOL OnInitDialog();

    // Called when the user presses OK: reads the controls and ends the modal run.
    virtual void OnOK();
    // Called when the user cancels (Esc, the close box): ends the run without reading.
    virtual void OnCancel();

    BOOL OnCmdMsg(UINT nID, int nCode) override;

    // A modeless dialog hands its keyboard to the dialog manager; a modal one has its
    // loop do that. The filter offers a dialog keys only (WM_KEYFIRST to WM_KEYLAST).
    BOOL PreTranslateMessage(MSG* pMsg) override;

    // The dialog of this framework that hWnd is, or nullptr.
    static CDialog* FromHandle(HWND hWnd);

protected:
    // Called after the window is gone; a modeless dialog that owns itself deletes itself here.
    virtual void PostNcDestroy() {}
    // The owner of a modal run: the parent, else the application's main window.
    HWND OwnerForModal() const;

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;
    BOOL m_bModeless = FALSE;

    DECLARE_MESSAGE_MAP()

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK MessageFilter(int nCode, WPARAM wParam, LPARAM lParam);
    static void InstallMessageFilter();
};
