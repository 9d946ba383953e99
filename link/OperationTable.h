// The protocol's table: for each operation code the letter that starts it, the time the
// device has to answer, and what a reply line (CR) and an ESC do while it is in progress.
// The receive dispatcher and the settings run read it; adding an operation is one row
// here and its handler.
#pragma once

#include "Operation.h"
#include "afxwin.h"

class CServiceDlg;

struct OperationRow {
    using Handler = void (CServiceDlg::*)();

    // How the operation is completed, and so which of the handlers below it uses.
    enum Completion {
        Own,      // its own handlers: pfnOnLine for a CR, pfnOnEscape for an ESC
        Read,     // a CR: pfnParse, then nPostAfterParse is posted or pfnNext follows
        Write,    // an ESC: the pending value text, then pfnNext follows
    };

    Operation nOperation = OP_IDLE;
    char chLetter = 0;             // the command letter; 0 where it sends none of its own
    UINT nTimeoutMs = 0;           // the response timer after the letter; 0: none
    Completion completion = Own;
    Handler pfnOnLine = nullptr;   // Own: what a CR does; null: the line is unexpected
    Handler pfnOnEscape = nullptr; // Own: what an ESC does; null: the ESC is unexpected
    Handler pfnParse = nullptr;    // Read: the reply parser (the settings run reads with it too)
    UINT nPostAfterParse = 0;      // Read: the message whose handler opens the read's dialog
    // Read: the chain's next step, called with the busy flag cleared so that its busy
    // check passes without asking. Write: the next step once the value text is out.
    Handler pfnNext = nullptr;
    // Write: the member whose value it sends, and the string that logs it; none for a
    // write of other values (the three numbers of 'R', a text); 'F' alone logs the
    // dialog's value.
    int CServiceDlg::*pnValue = nullptr;
    UINT nWriteLogID = 0;
    // The settings run reads or writes its letter with this operation. A write's value
    // goes into pnValue, and pfnStartWrite (or, without it, WriteValue) sends it.
    BOOL bSettings = FALSE;
    Handler pfnStartWrite = nullptr;
};
