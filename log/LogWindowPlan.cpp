#include "LogWindowPlan.h"

LogAppendPlan PlanLogAppend(int nLineCount, int nMaxLines, const int* pEntryLines, int nEntries)
{
    // The count never drops below 1, the empty line after the last line end.
    if (nMaxLines < 1)
        nMaxLines = 1;
    int nCount = nLineCount;
    int nDropped = 0;
    for (int i = 0; i < nEntries; ++i) {
        if (nCount > nMaxLines) {
            nDropped += nCount - nMaxLines;
            nCount = nMaxLines;
        }
        nCount += pEntryLines[i];
    }
    // The old text has nLineCount - 1 whole lines; what is dropped beyond them are new ones.
    int nOldLines = nLineCount > 0 ? nLineCount - 1 : 0;
    if (nDropped <= nOldLines)
        return { nDropped, 0 };
    return { nOldLines, nDropped - nOldLines };
}

int LogEntryLines(const std::string& strEntry)
{
    int nLines = 0;
    for (std::string::size_type nAt = strEntry.find("\r\n"); nAt != std::string::npos;
         nAt = strEntry.find("\r\n", nAt + 2))
        ++nLines;
    return nLines;
}
