// The two cases of an answer the program waits for, as doctest subcases on a link open at
// 9600 baud, for a COM port's tests and a network link's alike: its pieces are announced
// at once, and the end of a long one once the line is quiet.
#pragma once

#include "kora_test_support.h"

#include <doctest.h>

inline void check_answers_announced_as_they_come(LONG link, EventLog *log,
                                                 const std::function<void(const std::string &)> &device_write,
                                                 const std::function<std::string(size_t)> &device_read)
{
    SUBCASE("piece by piece, at once")
    {
        AnswerTurns turns = play_answer_turns(link, log, device_write, device_read);
        CHECK(turns.complete);
        CHECK(turns.received == turns.expected);
        MESSAGE("a later piece of an answer is announced after " << turns.median_delay_ms << " ms (median)");
        // Announced at once, the median is a fraction of a millisecond under Wine; held
        // back, every piece would wait nearly 20 ms.
        CHECK(turns.median_delay_ms < 10.0);
    }
    SUBCASE("an answer that flows past its first 20 ms, once the line is quiet")
    {
        double delay = long_answer_end_delay(link, log, device_write, device_read);
        MESSAGE("the end of a long answer is announced after " << delay << " ms (median)");
        REQUIRE(delay >= 0);
        // Two character times at 9600 baud are 2 ms; held for the stream's spacing, the
        // answer's end would wait tens of milliseconds.
        CHECK(delay < 10.0);
    }
}
