// Opening and closing links many times must not leave handles or threads behind.
#include <doctest.h>

#include <cstdio>
#include <string>

#include "kora_test_support.h"

TEST_CASE("a thousand opens and closes leave no handle and no thread behind")
{
    int told = 0;
    auto cycle = [&told] {
        EventLog log;
        LONG link = open_link(1, 9600, &log);
        std::string error = link > 0 ? std::string() : error_text(-1); // why the open failed
        LONG state = KoraWait(KORA_EVENT_READY, 2000);
        if (link > 0 && !KoraTestStatus(state, KORA_STATUS_LINK_GOOD))
            error = error_text(link);
        LONG closed = KoraClose(link);
        pump_for(0);  // as the program's loop would: events of closed links are dropped
        bool good = link > 0 && KoraTestStatus(state, KORA_STATUS_LINK_GOOD) && closed == 0;
        if (!good && told++ < 3) // what went wrong, for the first few cycles that fail
            std::printf("cycle failed: link %ld, state %ld, close %ld, error \"%s\"\n", (long)link,
                        (long)state, (long)closed, error.c_str());
        return good;
    };
    for (int i = 0; i < 5; i++)
        REQUIRE(cycle());
    unsigned handles = count_open_handles(), threads = count_threads();

    // The counts see what an open link holds: its I/O thread, its port and events.
    EventLog log;
    LONG open = open_link(1, 9600, &log);
    REQUIRE(open > 0);
    CHECK(count_threads() == threads + 1);
    CHECK(count_open_handles() > handles);
    KoraClose(open);

    int good = 0;
    for (int i = 0; i < 1000; i++)
        good += cycle();
    CHECK(good == 1000);

    unsigned handles_after = count_open_handles(), threads_after = count_threads();
    std::printf("handles %u -> %u, threads %u -> %u\n", handles, handles_after, threads, threads_after);
    CHECK(handles_after == handles);
    CHECK(threads_after == threads);
}
