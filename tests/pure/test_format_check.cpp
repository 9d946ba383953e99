// Formats from the language library are used only when they take the caller's arguments.
#include "FormatCheck.h"

#include <doctest.h>

TEST_CASE("a format is accepted only for the arguments the caller gives")
{
    CHECK(IsFormatFor("Value %d", "d"));
    CHECK(IsFormatFor("%u%% of %5.2ld", "dd"));
    CHECK(IsFormatFor("Port %s opened", "s"));
    CHECK(IsFormatFor("no inserts, 100%%", ""));
    CHECK(IsFormatFor("%s: %s", "ss"));

    CHECK_FALSE(IsFormatFor("Value %s", "d"));      // a text where a number is given
    CHECK_FALSE(IsFormatFor("%d and %d", "d"));     // more than one argument
    CHECK_FALSE(IsFormatFor("no insert", "d"));     // fewer
    CHECK_FALSE(IsFormatFor("%lld", "d"));          // 64 bits read for 32
    CHECK_FALSE(IsFormatFor("%*d", "d"));           // the width is an argument too
    CHECK_FALSE(IsFormatFor("%n", "d"));
    CHECK_FALSE(IsFormatFor("%f", "d"));
    CHECK_FALSE(IsFormatFor("cut off %", "d"));
}

TEST_CASE("an unsigned number is shown only by an unsigned conversion")
{
    CHECK(IsFormatFor("Block %u (position %u)", "uu"));
    CHECK(IsFormatFor("%08X at %lo", "uu"));
    CHECK(IsFormatFor("%u", "d"));                  // any integer conversion takes a 'd'

    CHECK_FALSE(IsFormatFor("Block %d (position %u)", "uu")); // 4294967295 shown as -1
    CHECK_FALSE(IsFormatFor("%i", "u"));
    CHECK_FALSE(IsFormatFor("%c", "u"));
    CHECK_FALSE(IsFormatFor("%s", "u"));
    CHECK_FALSE(IsFormatFor("%u", "s"));
    CHECK_FALSE(IsFormatFor("%u", "uu"));
}
