// The result file of an unattended run, which several benches may append to at once and a
// technician may have open in a spreadsheet. A row goes in whole or not at all; a file held
// by another program is waited for up to 10 s, and a row that still cannot go in is kept in
// the pending file beside it (ResultRow.h names it), whose rows the next append that gets
// the result file moves in first. The header is decided while this process alone has the
// file open, so it is written once however many benches start a new file together.
#pragma once

#include "afxwin.h"

#include <functional>
#include <string>

struct ResultAppend {
    enum Where {
        Written, // in the result file
        Pending, // in the pending file
        Lost,    // in neither: the caller keeps it in the log
    };
    Where where = Written;
    CString strReason;        // why the result file did not take the row; empty when it did
    std::string strPendingPath;
    CString strPendingReason; // why the pending file did not take it either (Lost)
    unsigned nMovedRows = 0;  // rows of earlier units moved in from the pending file
    bool bOtherHeader = false; // the result file begins with another header than this version's
};

// Appends strRow (one line ending in CR LF) to the result file at strPath, after the
// header when the file is new or empty. onHeld is called once when the file is found held
// by another program, before the wait; the call returns when the row is in a file or lost.
ResultAppend AppendResultRow(const std::string& strPath, const std::string& strRow,
                             const std::function<void()>& onHeld);
