// Events of a link: on which thread they come, bytes both ways, and the waits.
#include <doctest.h>

#include <thread>

#include "AnswerChecks.h"
#include "kora_test_support.h"

TEST_CASE("events come through the message loop of the thread that opened the link")
{
    DevicePort device(1);
    REQUIRE(device.is_open());

    SUBCASE("the opening thread, only while its loop runs")
    {
        EventLog log;
        LONG link = open_link(1, 9600, &log);
        REQUIRE(link > 0);
        REQUIRE(KoraTestStatus(KoraWait(KORA_EVENT_READY, 2000), KORA_STATUS_LINK_GOOD) != 0);
        device.write("abc");
        Sleep(300);
        CHECK(log.events.empty());  // nothing is delivered while the loop does not run

        CHECK(pump_until([&] { return log.count(KORA_EVENT_RECEIVED) > 0; }, 2000));
        CHECK(log.count(KORA_EVENT_READY) == 1);
        for (const EventLog::Event &e : log.events) {
            CHECK(e.thread == GetCurrentThreadId());
            CHECK(e.arg == e.bit);
        }
        char buffer[1024];
        CHECK(KoraRead(link, buffer, sizeof buffer) == 3);
        CHECK(std::string(buffer, 3) == "abc");
        CHECK(KoraClose(link) == 0);
    }

    SUBCASE("a second thread with its own loop gets the events of the link it opened")
    {
        EventLog log;
        LONG link = 0;
        DWORD worker_id = 0;
        HANDLE opened = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        std::thread worker([&] {
            worker_id = GetCurrentThreadId();
            link = open_link(1, 9600, &log);
            SetEvent(opened);
            MSG msg;
            while (GetMessageA(&msg, nullptr, 0, 0) > 0)
                DispatchMessageA(&msg);
            KoraClose(link);
        });
        WaitForSingleObject(opened, 5000);
        REQUIRE(link > 0);
        device.write("x");
        // This thread's loop runs too, and must not see the worker's events.
        pump_for(500);
        PostThreadMessageA(worker_id, WM_QUIT, 0, 0);
        worker.join();
        CloseHandle(opened);
        CHECK(log.count(KORA_EVENT_RECEIVED) == 1);
        for (const EventLog::Event &e : log.events)
            CHECK(e.thread == worker_id);
    }
}

TEST_CASE("no callback of a link runs after its close, even for an event already posted")
{
    DevicePort device(1);
    EventLog log;
    LONG link = open_link(1, 9600, &log);
    REQUIRE(link > 0);
    REQUIRE(KoraWait(KORA_EVENT_READY, 2000) >= 0);
    device.write("late");
    CHECK(KoraWrite(link, "out", 3) == 3);
    CHECK(KoraWait(KORA_EVENT_SENT, 2000) >= 0);
    Sleep(300);  // the receive and sent events are posted, not yet delivered
    CHECK(KoraClose(link) == 0);
    pump_for(300);
    CHECK(log.events.empty());
}

TEST_CASE("written bytes reach the device exactly, and each write is followed by bit 4")
{
    DevicePort device(1);
    EventLog log;
    LONG link = open_link(1, 9600, &log);
    REQUIRE(link > 0);
    std::string all_values;
    for (int i = 0; i < 256; i++)
        all_values += (char)i;
    const std::string writes[] = {std::string("**\x18" "B01"), all_values, byte_pattern(3000)};
    int sent_events = 0;
    for (const std::string &bytes : writes) {
        CHECK(KoraWrite(link, bytes.data(), (LONG)bytes.size()) == (LONG)bytes.size());
        CHECK(pump_until([&] { return log.count(KORA_EVENT_SENT) > sent_events; }, 3000));
        sent_events = log.count(KORA_EVENT_SENT);
        CHECK(device.read(bytes.size() + 1, 1000) == bytes);
    }

    // Writes queued back to back go out in order; bit 4 says when all have gone.
    CHECK(KoraWrite(link, "first,", 6) == 6);
    CHECK(KoraWrite(link, "second", 6) == 6);
    CHECK(pump_until([&] { return log.count(KORA_EVENT_SENT) > sent_events; }, 3000));
    CHECK(device.read(13, 1000) == "first,second");
    CHECK(KoraWrite(link, "", 0) == 0);
    CHECK(KoraClose(link) == 0);
}

TEST_CASE("a read that leaves bytes waiting is followed by another receive event")
{
    DevicePort device(1);
    EventLog log;
    LONG link = open_link(1, 38400, &log);
    REQUIRE(link > 0);
    REQUIRE(KoraWait(KORA_EVENT_READY, 2000) >= 0);
    std::vector<LONG> reads;
    std::string received;
    log.on_event = [&](LONG bit) {  // as the program does: one read of 1024 per event
        char buffer[1024];
        if (bit != KORA_EVENT_RECEIVED)
            return;
        LONG n = KoraRead(link, buffer, sizeof buffer);
        reads.push_back(n);
        if (n > 0)
            received.append(buffer, n);
    };
    const std::string bytes = byte_pattern(1500, 7);
    device.write(bytes);
    Sleep(500);  // all 1500 bytes are waiting before the loop runs
    pump_until([&] { return received.size() >= bytes.size(); }, 3000);
    pump_for(200);
    CHECK(reads == std::vector<LONG>{1024, 476});
    CHECK(received == bytes);
    CHECK(KoraClose(link) == 0);
}

TEST_CASE("waiting for the link and for the transmitter")
{
    SUBCASE("with no link open there is nothing to wait on")
    {
        CHECK(KoraWait(KORA_EVENT_READY, 100) == KORA_E_NO_LINK);
        CHECK(error_text(-1) == "KoraWait: no link is open.");
        CHECK(KoraTestStatus(KORA_E_NO_LINK, KORA_STATUS_LINK_GOOD) == 0);
    }

    SUBCASE("an open link is up, and its transmitter empties after a write")
    {
        DevicePort device(1);
        EventLog log;
        LONG link = open_link(1, 9600, &log);
        REQUIRE(link > 0);
        LONG state = KoraWait(KORA_EVENT_READY, 2000);
        CHECK(state >= 0);
        CHECK((state & KORA_STATE_READY) != 0);
        CHECK(KoraTestStatus(state, KORA_STATUS_LINK_GOOD) != 0);
        CHECK(KoraTestStatus(state, 0x202021) == 0);
        // A line error leaves the link good (a noisy byte must not fail a wake-up).
        CHECK(KoraTestStatus(state | KORA_STATE_LINE_ERROR_SEEN, KORA_STATUS_LINK_GOOD) != 0);
        CHECK(KoraTestStatus(state & ~KORA_STATE_READY, KORA_STATUS_LINK_GOOD) == 0);

        CHECK(KoraWrite(link, "**\x18" "B02", 6) == 6);
        state = KoraWait(KORA_EVENT_SENT, 2000);
        CHECK((state & KORA_STATE_TX_EMPTY) != 0);
        CHECK(KoraTestStatus(state, KORA_STATUS_LINK_GOOD) != 0);
        CHECK(device.read(6, 1000) == "**\x18" "B02");
        CHECK(log.count(KORA_EVENT_SENT) == 0);  // the wait ran no callback ...
        CHECK(pump_until([&] { return log.count(KORA_EVENT_SENT) == 1; }, 2000));  // ... the loop does
        CHECK(KoraClose(link) == 0);
        CHECK(KoraWait(KORA_EVENT_SENT, 0) == KORA_E_NO_LINK);
    }

    SUBCASE("the wait is on the newest link that is still open")
    {
        // Nobody reads the device end of COM2: once the pty pair's buffers are full, the
        // port takes no more bytes and its transmitter stays busy.
        EventLog log2, log1;
        LONG link2 = open_link(2, 115200, &log2);
        REQUIRE(link2 > 0);
        const std::string bytes = byte_pattern(512 * 1024, 5);
        CHECK(KoraWrite(link2, bytes.data(), (LONG)bytes.size()) == (LONG)bytes.size());
        LONG link1 = open_link(1, 9600, &log1);
        REQUIRE(link1 > 0);
        CHECK(KoraWait(KORA_EVENT_READY, 2000) >= 0);
        CHECK(KoraWait(KORA_EVENT_SENT, 100) >= 0);  // COM1's transmitter is empty
        CHECK(KoraClose(link1) == 0);
        CHECK(KoraWait(KORA_EVENT_SENT, 100) == KORA_E_TIMEOUT);  // COM2's is not
        CHECK(KoraClose(link2) == 0);
    }

    SUBCASE("a transmitter that takes nothing times the wait out, then fails the link")
    {
        EventLog log;
        LONG link = open_link(2, 115200, &log);
        REQUIRE(link > 0);
        const std::string bytes = byte_pattern(512 * 1024, 3);
        CHECK(KoraWrite(link, bytes.data(), (LONG)bytes.size()) == (LONG)bytes.size());
        CHECK(KoraWait(KORA_EVENT_SENT, 300) == KORA_E_TIMEOUT);
        CHECK(error_text(link) == "COM2: the transmitter was still busy after 300 ms.");

        CHECK(pump_until([&] { return log.count(KORA_EVENT_LINK_FAILED) > 0; }, 10000));
        CHECK(error_text(link) == "COM2 took no data for 1000 ms: the transmitter is stalled.");
        CHECK(KoraWait(KORA_EVENT_SENT, 100) == KORA_E_FAILED);
        CHECK(KoraWrite(link, "x", 1) == KORA_E_FAILED);
        CHECK(error_text(link) == "COM2 took no data for 1000 ms: the transmitter is stalled.");
        CHECK(KoraClose(link) == 0);
    }
}

// The device streams `count` bytes after the program has written `letter` (none: a
// stream nobody asked for): one a millisecond, as at the line rate, or with `piece` above
// 1 in pieces of that size as fast as the port takes them, a flood. The program reads
// 1024 bytes an event, as ZEV.EXE does. Every byte must come in order, and the link stays
// good; returns how many receive events brought them.
static size_t stream_events(size_t count, const char* letter, unsigned baud = 38400, size_t piece = 1)
{
    DevicePort device(1);
    EventLog log;
    LONG link = open_link(1, baud, &log);
    REQUIRE(link > 0);
    REQUIRE(KoraWait(KORA_EVENT_READY, 2000) >= 0);
    pump_for(100);
    std::string expected = byte_pattern(count, 5);
    std::string received;
    log.on_event = [&](LONG bit) {
        if (bit != KORA_EVENT_RECEIVED)
            return;
        char buffer[1024];
        LONG n = KoraRead(link, buffer, sizeof buffer);
        if (n > 0)
            received.append(buffer, static_cast<size_t>(n));
    };
    if (letter) {
        CHECK(KoraWrite(link, letter, 1) == 1);
        CHECK(device.read(1, 2000) == letter);
    }
    std::thread writer([&] {
        for (size_t offset = 0; offset < expected.size(); offset += piece) {
            device.write(expected.substr(offset, piece));
            if (piece == 1)
                Sleep(1);
        }
    });
    bool complete = pump_until([&] { return received.size() >= expected.size(); }, 60000);
    writer.join();
    CHECK(complete);
    CHECK(received == expected);
    CHECK(KoraWrite(link, "x", 1) == 1); // the link is still good
    CHECK(KoraClose(link) == 0);
    return log.count(KORA_EVENT_RECEIVED);
}

TEST_CASE("a stream that nobody asked for comes in few events, every byte in order")
{
    // each piece on its own would be about 200 events; gathered, a few dozen
    size_t events = stream_events(200, nullptr);
    MESSAGE(events << " receive events for 200 bytes");
    CHECK(events < 100);
}

TEST_CASE("an answer the program waits for is announced as it comes")
{
    DevicePort device(1);
    EventLog log;
    LONG link = open_link(1, 9600, &log);
    REQUIRE(link > 0);
    REQUIRE(KoraWait(KORA_EVENT_READY, 2000) >= 0);
    pump_for(100);
    check_answers_announced_as_they_come(
        link, &log, [&](const std::string& bytes) { device.write(bytes); }, [&](size_t count) { return device.read(count, 2000); });
    CHECK(KoraClose(link) == 0);
}

TEST_CASE("a stream that follows a write still comes in few events once its answer is over")
{
    // The program starts a read-out; the device then streams at the line rate of 9600
    // baud. The first 20 ms are the answer, piece by piece; the rest comes gathered.
    size_t events = stream_events(300, "L", 9600);
    MESSAGE(events << " receive events for 300 bytes");
    CHECK(events < 100);
}

TEST_CASE("a flood faster than the line's rate is read on while its events are spaced, every byte in order")
{
    // A pty has no rate: the device's end takes bytes as fast as they are written, and
    // the port's queue holds a few kilobytes. Read only between events, such a flood would
    // come at one queue an event; held bytes must be announced even when the receive
    // queue is full.
    size_t events = stream_events(1 << 20, nullptr, 38400, 4096);
    MESSAGE(events << " receive events for 1 MiB");
}
