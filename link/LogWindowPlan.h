// How the log window takes a burst of lines at once and still ends exactly as the
// line-by-line rule leaves it. That rule trims the window before each line: while its
// line count (which counts the empty line after the last line end) is above the limit,
// the first line goes; then the line is appended.
#pragma once

struct LogAppendPlan {
    int nDropOld;  // lines to take from the top of the window's text
    int nSkipNew;  // new lines that would be trimmed away again: they are never shown
};

// nLineCount: the window's line count now; nMaxLines: its limit (below 1 counts as 1); nNew: the
// number of new entries, each exactly one line.
LogAppendPlan PlanLogAppend(int nLineCount, int nMaxLines, int nNew);

