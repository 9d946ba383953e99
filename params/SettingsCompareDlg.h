// CSettingsCompareDlg: a device settings file set against the device before a restore, one row
// per value: the value's letter, what the device holds now, what the file holds, and
// whether the restore writes it. OK writes, Cancel writes nothing.
#pragma once

#include "afxwin.h"

#include <vector>

class CSettingsCompareDlg : public CDialog {
public:
    explicit CSettingsCompareDlg(CWnd* pParentWnd = nullptr);

    CString m_strFile;           // the device settings file's path
    std::vector<CString> m_Rows; // the four columns of each row, separated by tabs

protected:
    BOOL OnInitDialog() override;
};
