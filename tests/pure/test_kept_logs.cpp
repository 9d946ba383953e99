// The earlier sessions' logs: their names, and the order of the renames that keep the
// last session's ZevLog.TXT as ZevLog.1.TXT.
#include "KeptLogPlan.h"

#include <doctest.h>

#include <vector>

namespace {
using Steps = std::vector<KeptLogStep>;
const int kDelete = KeptLogStep::kDeleteLog;

Steps Plan(std::vector<int> kept)
{
    bool abKept[kKeptLogs] = {};
    for (int n : kept)
        abKept[n - 1] = true;
    return PlanKeptLogs(abKept);
}
}

TEST_CASE("the logs' names")
{
    CHECK(KeptLogName(0) == "ZevLog.TXT");
    CHECK(KeptLogName(1) == "ZevLog.1.TXT");
    CHECK(KeptLogName(9) == "ZevLog.9.TXT");
}

TEST_CASE("the kept logs move up to the first free number, the highest first, and ZevLog.TXT last")
{
    CHECK(Plan({}) == Steps{ { 0, 1 } });
    CHECK(Plan({ 1 }) == Steps{ { 1, 2 }, { 0, 1 } });
    CHECK(Plan({ 1, 2 }) == Steps{ { 2, 3 }, { 1, 2 }, { 0, 1 } });
    // a gap: what lies above it stays
    CHECK(Plan({ 1, 2, 5, 6 }) == Steps{ { 2, 3 }, { 1, 2 }, { 0, 1 } });
    CHECK(Plan({ 2, 3 }) == Steps{ { 0, 1 } });
    CHECK(Plan({ 1, 2, 3, 4, 5, 6, 7, 8 }) ==
          Steps{ { 8, 9 }, { 7, 8 }, { 6, 7 }, { 5, 6 }, { 4, 5 }, { 3, 4 }, { 2, 3 }, { 1, 2 }, { 0, 1 } });
}

TEST_CASE("with all nine kept, the oldest goes first")
{
    CHECK(Plan({ 1, 2, 3, 4, 5, 6, 7, 8, 9 }) == Steps{ { 9, kDelete }, { 8, 9 }, { 7, 8 }, { 6, 7 }, { 5, 6 },
                                                         { 4, 5 }, { 3, 4 }, { 2, 3 }, { 1, 2 }, { 0, 1 } });
}

TEST_CASE("no step meets a name that is taken, and each log keeps its order")
{
    // Every set of kept logs: play the plan on the names and look at each step.
    for (int nSet = 0; nSet < (1 << kKeptLogs); ++nSet) {
        CAPTURE(nSet);
        bool abKept[kKeptLogs] = {};
        int anSession[kKeptLogs + 1] = {}; // which session's log each name holds, 0 none
        anSession[0] = 100;
        for (int n = 1; n <= kKeptLogs; ++n) {
            abKept[n - 1] = (nSet >> (n - 1)) & 1;
            anSession[n] = abKept[n - 1] ? 100 - n : 0;
        }
        int nDeleted = 0;
        for (const KeptLogStep& step : PlanKeptLogs(abKept)) {
            REQUIRE(anSession[step.nFrom] != 0);
            if (step.nTo == kDelete) {
                CHECK(step.nFrom == kKeptLogs);
                ++nDeleted;
            } else {
                REQUIRE(anSession[step.nTo] == 0);
                anSession[step.nTo] = anSession[step.nFrom];
            }
            anSession[step.nFrom] = 0;
        }
        CHECK(anSession[0] == 0);
        CHECK(anSession[1] == 100);
        CHECK(nDeleted == (nSet == (1 << kKeptLogs) - 1 ? 1 : 0));
        // newer sessions keep lower numbers
        int nLast = 101;
        for (int n = 1; n <= kKeptLogs; ++n) {
            if (anSession[n] != 0) {
                CHECK(anSession[n] < nLast);
                nLast = anSession[n];
            }
        }
    }
}
