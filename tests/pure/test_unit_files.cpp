// The numbers a bench run's unit files get: never one an earlier run's file has.
#include "UnitFiles.h"

#include <doctest.h>

TEST_CASE("a unit's file takes the unit's number in an empty folder, and passes an earlier run's files")
{
    CHECK(UnitFileNumber("out\\unit.LOG", 1, {}) == 1);
    CHECK(UnitFileNumber("out\\unit.LOG", 3, {"other.LOG", "unit.LOG", "unit-x.LOG"}) == 3);
    // yesterday's run left units 1 to 5: today's first unit is the sixth file
    CHECK(UnitFileNumber("out\\unit.LOG", 1, {"unit-1.LOG", "unit-5.LOG", "unit-2.LOG"}) == 6);
    // a number below the unit's own changes nothing: a failed unit leaves a gap
    CHECK(UnitFileNumber("unit.LOG", 4, {"unit-1.LOG", "unit-3.LOG"}) == 4);
    CHECK(UnitFileNumber("unit.LOG", 4, {"unit-4.LOG"}) == 5);
}

TEST_CASE("unit files are matched as Windows names are, by the whole pattern")
{
    CHECK(UnitFileNumber("C:\\bench\\Unit.ZEVSET", 1, {"UNIT-7.zevset"}) == 8);
    CHECK(UnitFileNumber("unit.LOG", 1, {"unit-7.LOG.bak", "myunit-7.LOG", "unit-7.TXT", "unit--7.LOG"}) == 1);
    CHECK(UnitFileNumber("unit", 1, {"unit-2"}) == 3);
    CHECK(UnitFileNumber("dir.d\\unit", 1, {"unit-2", "dir-9.d"}) == 3);
    // numbers too large to count on are left alone
    CHECK(UnitFileNumber("unit.LOG", 2, {"unit-99999999999.LOG", "unit-4294967295.LOG"}) == 2);
    CHECK(UnitFileNumber("unit.LOG", 2, {"unit-.LOG"}) == 2);
}
