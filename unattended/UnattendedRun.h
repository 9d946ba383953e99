// An unattended run in progress: the command line's steps, the unit being worked on and
// what each of its steps came to. The main window carries it; its member functions that
// run it are in this folder (UnattendedRun.cpp says which file holds what).
#pragma once

#include "CommandLine.h"
#include "ResultRow.h"
#include "RunOutcome.h"
#include "afxwin.h"

#include <string>
#include <vector>

// A unit done, the next one is woken up this often until one answers (with /repeat).
const UINT kNextUnitPeriodMs = 2000;

struct UnattendedRun {
    enum Phase {
        Starting,   // the window is up; the first unit's wake-up follows
        Waking,     // a unit's wake-up is out
        Running,    // the unit answered; its steps run one after another
        Removing,   // a unit is done: woken up every 2 s until it no longer answers (taken off)
        Waiting,    // the bench is empty: the next unit is woken up every 2 s
        Ended,      // nothing more runs; the window ends or has ended
    };

    CommandLine m_line;
    std::vector<std::string> m_files;  // each step's file as a full path
    std::string m_strResultPath;       // the result file as a full path; empty: none

    Phase m_phase = Starting;
    unsigned m_nUnit = 0;              // the unit's number, from 1
    std::size_t m_nStep = 0;           // the step running, in m_line.steps
    RunFailure m_stepFailure = RunFailure::None; // the first failure of the step running
    RunFailure m_unitFailure = RunFailure::None; // the first failure of the unit
    ULONGLONG m_nUnitStart = 0;        // GetTickCount64 at the unit's wake-up
    UnitResult m_unit;                 // the unit's row, filled in as it goes
    int m_nExitCode = EXIT_DONE;       // the last failed unit's code; 0 while none failed
    std::string m_strLastIdent;        // the unit before's identification line
    std::string m_strStepFile;         // the file of the step running (see CurrentFile)
    bool m_bWakeUpOut = false;         // Removing: a wake-up has gone out since the last tick ...
    bool m_bAnswered = false;          // ... and the unit answered it: it is still on the bench

    // A unit is being worked on: its wake-up is out or its steps run. Only then can a step
    // fail or run out of time.
    bool IsInUnit() const { return m_phase == Waking || m_phase == Running; }
    // The name of what runs in a unit, as the log and the row give it: the connect while
    // the wake-up is out, else the step's.
    const char* StepRunningName() const
    {
        return m_phase == Waking ? "connect" : StepName(m_line.steps[m_nStep].kind);
    }

    // The file the step running chooses instead of a file dialog. With /repeat a file the
    // step writes gets a number: the unit's, or the next after the highest its folder
    // already holds, so that no earlier run's file is replaced.
    std::string CurrentFile() const { return m_strStepFile; }
    std::string ChooseStepFile() const;
    // After a failed step: the numbered file it had taken, if nothing was written to it.
    void ForgetEmptyStepFile() const;
};
