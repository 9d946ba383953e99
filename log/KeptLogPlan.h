// The logs of earlier sessions: at start the last session's ZevLog.TXT is kept as
// ZevLog.1.TXT, the one before it as ZevLog.2.TXT, and so on up to ZevLog.9.TXT; the
// oldest goes. The plan says which file goes where, in an order in which no rename meets
// a name that is still taken.
#pragma once

#include <string>
#include <vector>

// The logs kept besides the current one.
const int kKeptLogs = 9;

// The name of log n: 0 the current ZevLog.TXT, 1 to kKeptLogs the kept ones.
std::string KeptLogName(int nLog);

// One step: log nFrom takes the name of log nTo, or is deleted when nTo is kDeleteLog.
struct KeptLogStep {
    static const int kDeleteLog = -1;
    int nFrom;
    int nTo;
    bool operator==(const KeptLogStep& other) const { return nFrom == other.nFrom && nTo == other.nTo; }
};

// The steps that keep ZevLog.TXT as log 1, abKept[n - 1] telling whether log n exists:
// the kept logs from 1 up to the first number that is free move up by one, the highest
// first, and ZevLog.TXT last; with none free, log kKeptLogs is deleted first. Logs above
// a free number stay as they are.
std::vector<KeptLogStep> PlanKeptLogs(const bool (&abKept)[kKeptLogs]);
