// The line errors counted between two log lines, and when the next line may be said.
#include "LineErrorTally.h"

#include <doctest.h>

#include <climits>

TEST_CASE("each kind is counted on its own, and the total is their sum")
{
    LineErrorTally tally;
    CHECK(tally.IsEmpty());
    tally.Add(LINE_ERROR_FRAMING, 3);
    tally.Add(LINE_ERROR_BREAK, 1);
    tally.Add(LINE_ERROR_FRAMING, 2);
    tally.Add(LINE_ERROR_PARITY, 0);   // nothing taken
    tally.Add(LINE_ERROR_OVERRUN, -4); // a failed take of the library adds nothing
    CHECK(tally.anCounts[LINE_ERROR_FRAMING] == 5);
    CHECK(tally.anCounts[LINE_ERROR_PARITY] == 0);
    CHECK(tally.anCounts[LINE_ERROR_OVERRUN] == 0);
    CHECK(tally.anCounts[LINE_ERROR_BREAK] == 1);
    CHECK(tally.Total() == 6);
    CHECK_FALSE(tally.IsEmpty());
}

TEST_CASE("counts stop at the largest int instead of turning negative")
{
    LineErrorTally tally;
    tally.Add(LINE_ERROR_OVERRUN, INT_MAX - 1);
    tally.Add(LINE_ERROR_OVERRUN, 5);
    CHECK(tally.anCounts[LINE_ERROR_OVERRUN] == INT_MAX);
    tally.Add(LINE_ERROR_FRAMING, INT_MAX);
    CHECK(tally.Total() == INT_MAX);
    CHECK_FALSE(tally.IsEmpty());
}

TEST_CASE("one line a second: the first at once, the next when the second is over")
{
    CHECK(LineErrorLineDelay(5000, 0) == 0);     // no line yet
    CHECK(LineErrorLineDelay(5000, 5000) == 1000);
    CHECK(LineErrorLineDelay(5250, 5000) == 750);
    CHECK(LineErrorLineDelay(5999, 5000) == 1);
    CHECK(LineErrorLineDelay(6000, 5000) == 0);
    CHECK(LineErrorLineDelay(90000, 5000) == 0);
    CHECK(LineErrorLineDelay(4000, 5000) == 1000); // never longer than the spacing
}
