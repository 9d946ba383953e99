// CDeviceConfigDlg: edits the device configuration: three numbers (the first and the
// third also counted in thirds), the entry mode, the kind and the option. The caller
// sets the members from the values read, runs the dialog and, after OK, writes the
// members back to the device.
#pragma once

#include "afxwin.h"

#include <functional>

class CDeviceConfigDlg : public CDialog {
public:
    explicit CDeviceConfigDlg(CWnd* pParentWnd = nullptr);

    UINT m_nValue1;       // the first number, 2 to 50
    UINT m_nValue3;       // the third number, 0 to 50; never above the first
    UINT m_nValue2;       // the second number, 10 to 150
    UINT m_nValue1Thirds; // the first number in thirds, 1 to 17
    int m_nKind;          // 0 OTHER, 1 SCANIA
    int m_nMode;          // entry: 0 direct, 1 in thirds, -1 none chosen
    int m_nOption;        // 0 or 1, -1 none chosen
    UINT m_nValue3Thirds; // the third number in thirds, 0 to 17

    // Counts the first and the third number in thirds, then runs the dialog.
    INT_PTR DoModal() override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    // Enables the entry mode's fields, then shows the members.
    BOOL OnInitDialog() override;
    // Called for OK, also by Enter in a field: the field's rule first, then the values.
    void OnOK() override;

    // Mode 0 enables the direct numbers and the option, mode 1 the numbers in thirds and
    // the calculator; any other mode changes nothing.
    void ApplyEnableRule();

    // Called when the kind box is clicked: takes the values.
    void OnKindClicked();
    // Called when the second number, which has no rule of its own, loses the focus:
    // takes the values.
    void OnSecondNumberLeft();
    // Called when direct entry is clicked, also when it was chosen: the default values.
    void OnDirectEntry();
    // Called when entry in thirds is clicked.
    void OnEntryInThirds();
    // Called when the calculator button is pressed: its result becomes the first number.
    void OnCalculator();

    // The order rules, called when their edit loses the focus to another control but
    // Cancel. Each takes the values and, when the first number would be below the
    // third, says so and puts the focus back; otherwise it brings the number and its
    // thirds into line.
    void OnFirstNumberLeft();
    void OnThirdNumberLeft();
    void OnFirstInThirdsLeft();
    void OnThirdInThirdsLeft();

    // Says why the numbers are out of order, and puts the focus back on control nIDC.
    void ShowOrderConflict(UINT nIDPrompt, int nIDC);

    // Set while a rule runs: its message box and the focus it moves make other edits
    // lose the focus, and their rules must not start a second message.
    BOOL m_bChecking;

    DECLARE_MESSAGE_MAP()

private:
    // The order rule of edit nIDC (the first or the third number, directly or in
    // thirds): takes the values and applies it. FALSE when it found the numbers out of
    // order (said, focus back); TRUE otherwise (for an edit without one: nothing done).
    BOOL ApplyOrderRule(int nIDC);
    BOOL TakeValues();
    BOOL RunCalculator();
    // Runs rule unless a rule is running already; its result, TRUE when none ran.
    BOOL RunGuarded(const std::function<BOOL()>& rule);
    // The same for an edit that lost the focus, when the focus went to another of the
    // dialog's controls but Cancel.
    void RunOnLeaving(const std::function<BOOL()>& rule);
};
