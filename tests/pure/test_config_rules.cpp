// The configuration's number rules without a window: counting in thirds and back, and
// the step calculator's quotient, with its step of 0 never divided by.
#include "ConfigRules.h"

#include <doctest.h>

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {
// A small deterministic generator, so that a failing case can be run again.
struct Lcg {
    uint32_t state;
    uint32_t Next()
    {
        state = state * 1664525u + 1013904223u;
        return state;
    }
};

unsigned ThirdsByDivision(unsigned v)
{
    return static_cast<unsigned>((static_cast<uint64_t>(v) + 1) / 3);
}
}

TEST_CASE("numbers in thirds round to the nearest third")
{
    struct Case {
        unsigned v, thirds;
    };
    const Case cases[] = { { 0, 0 },  { 1, 0 },   { 2, 1 },   { 3, 1 },   { 4, 1 },   { 5, 2 },
                           { 9, 3 },  { 10, 3 },  { 12, 4 },  { 33, 11 }, { 48, 16 }, { 49, 16 },
                           { 50, 17 }, { 51, 17 }, { UINT_MAX, 1431655765u } };
    for (const Case& c : cases) {
        CAPTURE(c.v);
        CHECK(ToThirds(c.v) == c.thirds);
    }
}

TEST_CASE("thirds round as (v + 1) / 3 over the whole unsigned range")
{
    // The first value where the two differ; none expected.
    bool bDiffers = false;
    unsigned nFirst = 0;
    auto check = [&](unsigned v) {
        if (!bDiffers && ToThirds(v) != ThirdsByDivision(v)) {
            bDiffers = true;
            nFirst = v;
        }
    };
    for (unsigned v = 0; v < 100000; ++v)
        check(v);
    for (unsigned v = UINT_MAX - 100000; v != 0; ++v)
        check(v);
    Lcg lcg{ 12345 };
    for (int i = 0; i < 1000000; ++i)
        check(lcg.Next());
    CAPTURE(nFirst);
    CHECK_FALSE(bDiffers);
}

TEST_CASE("thirds count back three each, and 17 or more give 50")
{
    const unsigned cases[][2] = { { 0, 0 },   { 1, 3 },   { 3, 9 },   { 10, 30 },
                              { 16, 48 }, { 17, 50 }, { 18, 50 }, { UINT_MAX, 50 } };
    for (const auto& c : cases) {
        CAPTURE(c[0]);
        CHECK(FromThirds(c[0]) == c[1]);
    }
    // Below 17 the two ways are each other's inverse.
    for (unsigned n = 0; n < 17; ++n)
        CHECK(ToThirds(FromThirds(n)) == n);
}

TEST_CASE("the calculator divides the difference of the readings by the step")
{
    struct Case {
        const char *high, *low, *step;
        unsigned result;
    };
    const Case cases[] = {
        { "1000", "500", "50", 10 },
        { "1000", "500", "30", 16 },  // 16.67: the remainder is dropped
        { "1300", "400", "50", 18 },
        { "700", "700", "10", 0 },
        { "870", "700", "10", 17 },
        { " 1000", "500x", "+50", 10 }, // read as atol reads: blanks, sign, digits up to another character
        { "700", "701", "10", 429496729 }, // below the low reading: unsigned, round the top
        { "1000", "500", "-1", 0 },       // -1 is the largest unsigned step
    };
    for (const Case& c : cases) {
        INFO((std::string(c.high) + " / " + c.low + " / " + c.step));
        unsigned nResult = 12345;
        REQUIRE(CalculateStep(c.high, c.low, c.step, nResult));
        CHECK(nResult == c.result);
    }
}

TEST_CASE("a step that reads as 0 is not divided by")
{
    for (const char* pszStep : { "0", "00", "abc", "", " ", "-0", "+", "0x10" }) {
        INFO((std::string("step ") + pszStep));
        unsigned nResult = 12345;
        CHECK_FALSE(CalculateStep("1000", "500", pszStep, nResult));
        CHECK(nResult == 12345);
    }
}

TEST_CASE("any texts of the calculator's lengths give the quotient that strtol's numbers give")
{
    // Four, three and three characters at most, from the characters a user might type.
    const char kChars[] = "0123456789 +-x";
    Lcg lcg{ 777 };
    auto randomText = [&](int nMaxLength) {
        std::string str;
        for (int n = static_cast<int>(lcg.Next() % (nMaxLength + 1)); n > 0; --n)
            str += kChars[lcg.Next() % (sizeof kChars - 1)];
        return str;
    };
    // The first texts where the two differ; none expected.
    std::string strFirstDiffering;
    int nZeroSteps = 0;
    for (int i = 0; i < 200000 && strFirstDiffering.empty(); ++i) {
        std::string strHigh = randomText(4), strLow = randomText(3), strStep = randomText(3);
        unsigned nHigh = static_cast<unsigned>(std::strtol(strHigh.c_str(), nullptr, 10));
        unsigned nLow = static_cast<unsigned>(std::strtol(strLow.c_str(), nullptr, 10));
        unsigned nStep = static_cast<unsigned>(std::strtol(strStep.c_str(), nullptr, 10));
        unsigned nResult = 0;
        bool bDivided = CalculateStep(strHigh.c_str(), strLow.c_str(), strStep.c_str(), nResult);
        nZeroSteps += nStep == 0;
        if (bDivided != (nStep != 0) || (bDivided && nResult != (nHigh - nLow) / nStep))
            strFirstDiffering = "[" + strHigh + "] [" + strLow + "] [" + strStep + "]";
    }
    CHECK(strFirstDiffering == "");
    // The texts met steps of 0 often enough to matter.
    CHECK(nZeroSteps > 1000);
}

TEST_CASE("a calculator input is a reading only when it is a whole number")
{
    struct Case { const char* pszText; bool bNumber; unsigned nValue; } cases[] = {
        { "1000", true, 1000 }, { " 700 ", true, 700 }, { "\t50", true, 50 }, { "007", true, 7 },
        { "", false, 0 }, { "abc", false, 0 }, { "12ab", false, 0 }, { "1 2", false, 0 }, { "-5", false, 0 },
        { "+5", false, 0 }, { "4294967296", false, 0 }, { "4294967295", true, 4294967295u },
    };
    for (const Case& c : cases) {
        CAPTURE(c.pszText);
        unsigned nValue = 12345;
        CHECK(ReadCalculatorInput(c.pszText, nValue) == c.bNumber);
        CHECK(nValue == (c.bNumber ? c.nValue : 12345u));
    }
}
