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

    Operation nOperation;
    char chLetter;              // the command letter; 0 where it sends none of its own
    UINT nTimeoutMs;            // the response timer after the letter; 0: none
    Completion completion;
    Handler pfnOnLine;          // Own: what a CR does; null: the line is unexpected
    Handler pfnOnEscape;        // Own: what an ESC does; null: the ESC is unexpected
    Handler pfnParse;           // Read: the reply parser (the settings run reads with it too)
    UINT nPostAfterParse;       // Read: the message whose handler opens the read's dialog
    // Read: the chain's next step, called with the busy flag cleared so that its busy
    // check passes without asking. Write: the next step once the value text is out.
    Handler pfnNext;
    // The settings run reads or writes its letter with this operation. A write's value
    // goes into this member before pfnStartWrite sends it (none: the three numbers of 'R').
    BOOL bSettings;
    int CServiceDlg::*pnValue;
    Handler pfnStartWrite;
};
