// Line errors (framing, parity, overrun, break), injected through the line-error seam as
// the port's ClearCommError would report them: they are counted, told by bit 8, and the
// link goes on; only a failure of the port is bit 16.
#include <doctest.h>

#include "LineErrorSeam.h"
#include "kora_test_support.h"

namespace {
// Injects the flags and waits until the link's I/O thread has taken them.
bool inject(DWORD flags)
{
    InjectLineErrors(1, flags);
    ULONGLONG deadline = GetTickCount64() + 2000;
    while (!LineErrorsTaken(1)) {
        if (GetTickCount64() > deadline)
            return false;
        Sleep(5);
    }
    return true;
}

LONG take(LONG link, LONG counter)
{
    return KoraSetParam(link, counter, 0);
}
}

TEST_CASE("a line error is counted and told by bit 8, and the link goes on")
{
    DevicePort device(1);
    REQUIRE(device.is_open());
    EventLog log;
    LONG link = open_link(1, 9600, &log);
    REQUIRE(link > 0);
    REQUIRE(KoraWait(KORA_EVENT_READY, 2000) >= 0);

    REQUIRE(inject(CE_FRAME));
    CHECK(pump_until([&] { return log.count(KORA_EVENT_LINE_ERROR) == 1; }, 2000));
    CHECK(take(link, KORA_PARAM_FRAMING_ERRORS) == 1);
    CHECK(take(link, KORA_PARAM_FRAMING_ERRORS) == 0); // taken once
    CHECK(take(link, KORA_PARAM_PARITY_ERRORS) == 0);
    CHECK(take(link, KORA_PARAM_OVERRUN_ERRORS) == 0);
    CHECK(take(link, KORA_PARAM_BREAK_ERRORS) == 0);
    CHECK(error_text(link).empty()); // no failure, so no error text

    // Bytes still flow both ways, and the link is still good for a wait-and-test.
    std::string received;
    log.on_event = [&](LONG bit) {
        char buffer[64];
        LONG n = bit == KORA_EVENT_RECEIVED ? KoraRead(link, buffer, sizeof buffer) : 0;
        if (n > 0)
            received.append(buffer, n);
    };
    device.write("after");
    CHECK(pump_until([&] { return received.size() >= 5; }, 2000));
    CHECK(received == "after");
    CHECK(KoraWrite(link, "T", 1) == 1);
    LONG state = KoraWait(KORA_EVENT_SENT, 2000);
    CHECK(state >= 0);
    CHECK((state & KORA_STATE_LINE_ERROR_SEEN) != 0); // seen, for information
    CHECK(KoraTestStatus(state, KORA_STATUS_LINK_GOOD) != 0);
    CHECK(device.read(1, 1000) == "T");

    pump_for(300);
    CHECK(log.count(KORA_EVENT_LINK_FAILED) == 0);
    CHECK(KoraClose(link) == 0);
}

TEST_CASE("each kind has its own counter, and a burst is one waiting event")
{
    DevicePort device(1);
    EventLog log;
    LONG link = open_link(1, 38400, &log);
    REQUIRE(link > 0);
    REQUIRE(KoraWait(KORA_EVENT_READY, 2000) >= 0);
    pump_for(100); // bit 1

    // Four looks at the port, none of them delivered yet: one event waits.
    REQUIRE(inject(CE_FRAME | CE_BREAK));
    REQUIRE(inject(CE_RXPARITY));
    REQUIRE(inject(CE_OVERRUN));
    REQUIRE(inject(CE_RXOVER | CE_FRAME)); // the driver's queue overflowing is an overrun too
    pump_for(300);
    CHECK(log.count(KORA_EVENT_LINE_ERROR) == 1);
    CHECK(take(link, KORA_PARAM_FRAMING_ERRORS) == 2);
    CHECK(take(link, KORA_PARAM_PARITY_ERRORS) == 1);
    CHECK(take(link, KORA_PARAM_OVERRUN_ERRORS) == 2);
    CHECK(take(link, KORA_PARAM_BREAK_ERRORS) == 1);

    // Errors after the event has been delivered bring the next one.
    REQUIRE(inject(CE_BREAK));
    CHECK(pump_until([&] { return log.count(KORA_EVENT_LINE_ERROR) == 2; }, 2000));
    CHECK(take(link, KORA_PARAM_BREAK_ERRORS) == 1);
    CHECK(log.count(KORA_EVENT_LINK_FAILED) == 0);
    CHECK(KoraClose(link) == 0);
}

TEST_CASE("a line-error counter can only be set to 0, and only on an open link")
{
    DevicePort device(1);
    EventLog log;
    LONG link = open_link(1, 9600, &log);
    REQUIRE(link > 0);
    CHECK(KoraSetParam(link, KORA_PARAM_PARITY_ERRORS, 3) == KORA_E_ARGUMENT);
    CHECK(error_text(link) == "KoraSetParam: a line-error counter can only be set to 0, not 3.");
    CHECK(KoraSetParam(link, KORA_PARAM_BREAK_ERRORS + 1, 0) == KORA_E_ARGUMENT); // no such code
    CHECK(KoraClose(link) == 0);
    CHECK(KoraSetParam(link, KORA_PARAM_FRAMING_ERRORS, 0) == KORA_E_NO_LINK);
}
