// How the log window takes a burst of lines at once and still ends exactly as the
// line-by-line rule leaves it. That rule trims the window before each entry: while its
// line count (which counts the empty line after the last line end) is above the limit,
// the first line goes; then the entry is appended.
//
// The edit breaks lines only at CR LF (CR CR LF is one soft break), never at a lone CR
// or LF: an entry ending in CR LF is as many lines as it holds CR LF pairs.
#pragma once

#include <string>

struct LogAppendPlan {
    int nDropOld;  // lines to take from the top of the window's text
    int nSkipNew;  // lines of the new text that would be trimmed away again: never shown
};

// nLineCount: the window's line count now; nMaxLines: its limit (below 1 counts as 1);
// pEntryLines: how many lines each new entry is, nEntries of them.
LogAppendPlan PlanLogAppend(int nLineCount, int nMaxLines, const int* pEntryLines, int nEntries);

// The lines an entry is in the window: the CR LF pairs it holds (it ends in one).
int LogEntryLines(const std::string& strEntry);
