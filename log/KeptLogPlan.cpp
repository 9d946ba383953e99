#include "KeptLogPlan.h"

std::string KeptLogName(int nLog)
{
    if (nLog == 0)
        return "ZevLog.TXT";
    return "ZevLog." + std::to_string(nLog) + ".TXT";
}

std::vector<KeptLogStep> PlanKeptLogs(const bool (&abKept)[kKeptLogs])
{
    std::vector<KeptLogStep> steps;
    int nFree = 1;
    while (nFree <= kKeptLogs && abKept[nFree - 1])
        ++nFree;
    if (nFree > kKeptLogs) {
        steps.push_back(KeptLogStep{ kKeptLogs, KeptLogStep::kDeleteLog });
        nFree = kKeptLogs;
    }
    for (int n = nFree - 1; n >= 0; --n)
        steps.push_back(KeptLogStep{ n, n + 1 });
    return steps;
}
