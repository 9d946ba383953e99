// Opening and closing links many times must not leave handles or threads behind.
#include <doctest.h>

#include <cstdio>

#include "kora_test_support.h"

TEST_CASE("a thousand opens and closes leave no handle and no thread behind")
{
    auto cycle = [] {
        EventLog log;
        LONG link = open_link(1, 9600, &log);
        LONG state = KoraWait(KORA_EVENT_READY, 2000);
        LONG closed = KoraClose(link);
        pump_for(0);  // as the program's loop would: events of closed links are dropped
        return link > 0 && KoraTestStatus(state, KORA_STATUS_LINK_GOOD) && closed == 0;
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
