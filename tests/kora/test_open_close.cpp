// Opening and closing links: the connection string, the ports, the error texts.
#include <doctest.h>

#include "kora_test_support.h"

static bool starts_with(const std::string &text, const std::string &start)
{
    return text.compare(0, start.size(), start) == 0;
}

TEST_CASE("a malformed connection string is refused and its text is quoted")
{
    const char *malformed[] = {
        "",
        "ASYNC/COM:1,SPEED=9600",
        "ASYNC/COM:1,SPEED=9600,FLOW=XONXOFF ",
        "async/com:1,speed=9600,flow=xonxoff",
        "ASYNC/COM:+1,SPEED=9600,FLOW=XONXOFF",
        "ASYNC/COM: 1,SPEED=9600,FLOW=XONXOFF",
        "ASYNC/COM:01,SPEED=9600,FLOW=XONXOFF",
        "ASYNC/COM:1,SPEED=,FLOW=XONXOFF",
        "ASYNC/COM:1,SPEED=9600,FLOW=RTSCTS",
        "ASYNC/COM:1,SPEED=9600,FLOW=XONXOFF,PARITY=EVEN",
        "ASYNC/COM:4294967297,SPEED=9600,FLOW=XONXOFF",
        "ASYNC/COM1,SPEED=9600,FLOW=XONXOFF",
    };
    for (const char *text : malformed) {
        CAPTURE(text);
        CHECK(KoraOpen(text) == KORA_E_ARGUMENT);
        CHECK(error_text(-1) == std::string("Malformed connection string \"") + text +
                                    "\"; expected ASYNC/COM:<port>,SPEED=<baud>,FLOW=XONXOFF.");
    }
    CHECK(KoraOpen(nullptr) == KORA_E_ARGUMENT);
    CHECK(starts_with(error_text(-1), "No connection string was given"));

    // Control characters are not echoed into the text the user sees.
    CHECK(KoraOpen("ASYNC/COM:1,SPEED=9600\n") == KORA_E_ARGUMENT);
    CHECK(error_text(-1).find("SPEED=9600?\"") != std::string::npos);
}

TEST_CASE("ports outside COM1 to COM256 and baud rates that are not standard are refused")
{
    CHECK(KoraOpen("ASYNC/COM:0,SPEED=9600,FLOW=XONXOFF") == KORA_E_ARGUMENT);
    CHECK(starts_with(error_text(-1), "COM0 is not a serial port: ports are COM1 to COM256"));
    CHECK(KoraOpen("ASYNC/COM:257,SPEED=9600,FLOW=XONXOFF") == KORA_E_ARGUMENT);
    CHECK(starts_with(error_text(-1), "COM257 is not a serial port: ports are COM1 to COM256"));
    CHECK(KoraOpen("ASYNC/COM:1,SPEED=12345,FLOW=XONXOFF") == KORA_E_ARGUMENT);
    CHECK(starts_with(error_text(-1), "12345 baud is not a standard baud rate"));
    CHECK(KoraOpen("ASYNC/COM:1,SPEED=0,FLOW=XONXOFF") == KORA_E_ARGUMENT);
    CHECK(starts_with(error_text(-1), "0 baud is not a standard baud rate"));
}

TEST_CASE("a port that does not exist is refused with the system's message and the port name")
{
    // A number far above the ports Wine gives the machine's own serial devices (/dev/ttyS*).
    CHECK(KoraOpen(connection_string(200, 9600).c_str()) == KORA_E_PORT);
    CHECK(error_text(-1) == "Cannot open COM200: " + system_message(ERROR_FILE_NOT_FOUND) + " (error 2)");
    CHECK(KoraOpen(connection_string(256, 9600).c_str()) == KORA_E_PORT);
    CHECK(starts_with(error_text(-1), "Cannot open COM256: "));
}

TEST_CASE("a port in use is refused until its link is closed")
{
    DevicePort device(1);
    REQUIRE(device.is_open());
    EventLog log;
    LONG first = open_link(1, 9600, &log);
    REQUIRE(first > 0);

    CHECK(KoraOpen(connection_string(1, 19200).c_str()) == KORA_E_PORT);
    CHECK(error_text(-1) == "Cannot open COM1: " + system_message(ERROR_ACCESS_DENIED) + " (error 5)");
    // The refused open leaves the first link as it was.
    CHECK(KoraWrite(first, "still here", 10) == 10);
    CHECK(device.read(10, 2000) == "still here");

    CHECK(KoraClose(first) == 0);
    LONG second = open_link(1, 9600, &log);
    CHECK(second > 0);
    CHECK(second != first);
    CHECK(KoraClose(second) == 0);
}

TEST_CASE("a new link has received nothing, unless it re-opens at another rate a port closed moments ago")
{
    DevicePort device(1);
    REQUIRE(device.is_open());
    Sleep(600); // no close of COM1 by an earlier case is that recent
    EventLog log;
    std::string received;
    LONG link = 0;
    log.on_event = [&](LONG bit) {
        char buffer[64];
        if (bit == KORA_EVENT_RECEIVED)
            received.append(buffer, std::max(0L, KoraRead(link, buffer, sizeof buffer)));
    };
    auto reopen = [&](unsigned baud) {
        Sleep(100); // the pty pair has passed the device's bytes on
        link = open_link(1, baud, &log);
        REQUIRE(link > 0);
        pump_for(300);
    };

    device.write("before the first open\r");
    reopen(9600);
    CHECK(received.empty());

    // The wake-up's answer while the program re-opens the link at the working rate: the
    // part the port gathered while it was closed, and the part the old link had received
    // but the program had not read yet (no message loop ran in between).
    device.write("ide");
    Sleep(200);
    CHECK(KoraClose(link) == 0);
    device.write("nt\r");
    reopen(38400);
    CHECK(received == "ident\r");

    // A re-open at the same rate is a fresh start.
    device.write("unread");
    Sleep(200);
    CHECK(KoraClose(link) == 0);
    received.clear();
    reopen(38400);
    CHECK(received.empty());

    CHECK(KoraClose(link) == 0);
    Sleep(700);
    device.write("long after the close\r");
    received.clear();
    reopen(9600);
    CHECK(received.empty());
    CHECK(KoraClose(link) == 0);
}

TEST_CASE("what a link wrote before its close reaches the device, also when the port is opened again at once")
{
    DevicePort device(1);
    REQUIRE(device.is_open());
    EventLog log;
    // The good-bye of a session, then the port opened again for the next wake-up before
    // the device has read it: an open must not throw away what is on its way out.
    for (unsigned baud : { 9600u, 38400u }) {
        CAPTURE(baud);
        LONG link = open_link(1, 38400, &log);
        REQUIRE(link > 0);
        REQUIRE(KoraWrite(link, "E", 1) == 1);
        CHECK(KoraClose(link) == 0);
        link = open_link(1, baud, &log);
        REQUIRE(link > 0);
        CHECK(device.read(1, 2000) == "E");
        CHECK(KoraClose(link) == 0);
    }

    // The same behind a backlog the device has not read: the pty pair still holds the
    // last bytes in the kernel, not yet handed to the other end, when the port opens
    // again, so an open that purged the port's output would drop them every time, not
    // only when the kernel happens to be late. 30000 bytes: more than the pair passes on
    // to a device that reads nothing, less than it takes before the write stalls.
    // At the same rate the open drops what the port has received, but not what it sends.
    const std::string backlog = byte_pattern(30000) + "E";
    for (unsigned baud : { 9600u, 38400u }) {
        CAPTURE(baud);
        LONG link = open_link(1, 38400, &log);
        REQUIRE(link > 0);
        REQUIRE(KoraWrite(link, backlog.data(), (LONG)backlog.size()) == (LONG)backlog.size());
        CHECK(KoraClose(link) == 0);
        link = open_link(1, baud, &log);
        REQUIRE(link > 0);
        std::string received = device.read(backlog.size(), 10000);
        CHECK(received.size() == backlog.size());
        CHECK(received == backlog);
        CHECK(KoraClose(link) == 0);
    }
}

TEST_CASE("COM12 is reached through the device namespace")
{
    DevicePort device(12);
    REQUIRE(device.is_open());
    EventLog log;
    std::string received;
    LONG link = open_link(12, 38400, &log);
    REQUIRE(link > 0);
    log.on_event = [&](LONG bit) {
        char buffer[1024];
        if (bit == KORA_EVENT_RECEIVED)
            received.append(buffer, std::max(0L, KoraRead(link, buffer, sizeof buffer)));
    };
    CHECK(KoraTestStatus(KoraWait(KORA_EVENT_READY, 2000), KORA_STATUS_LINK_GOOD) != 0);
    CHECK(KoraWrite(link, "to COM12", 8) == 8);
    CHECK(device.read(8, 2000) == "to COM12");
    device.write("from COM32\r");
    CHECK(pump_until([&] { return received.size() >= 11; }, 2000));
    CHECK(received == "from COM32\r");
    CHECK(KoraClose(link) == 0);
}

TEST_CASE("a handle that is not an open link is refused and changes nothing")
{
    DevicePort device(1);
    EventLog log;
    LONG link = open_link(1, 9600, &log);
    REQUIRE(link > 0);
    char buffer[16];

    CHECK(KoraClose(link + 1000) == KORA_E_NO_LINK);
    CHECK(KoraClose(-1) == KORA_E_NO_LINK);
    CHECK(KoraClose(0) == KORA_E_NO_LINK);
    CHECK(KoraRead(0, buffer, sizeof buffer) == KORA_E_NO_LINK);
    CHECK(error_text(0) == "KoraRead: 0 is not the handle of an open link.");
    CHECK(KoraWrite(-1, "x", 1) == KORA_E_NO_LINK);
    CHECK(error_text(-1) == "KoraWrite: -1 is not the handle of an open link.");
    CHECK(error_text(link).empty());

    // The open link still carries bytes both ways.
    CHECK(KoraWrite(link, "ok", 2) == 2);
    CHECK(device.read(2, 2000) == "ok");
    CHECK(KoraClose(link) == 0);

    // Its handle is dead from now on.
    CHECK(KoraClose(link) == KORA_E_NO_LINK);
    CHECK(KoraWrite(link, "x", 1) == KORA_E_NO_LINK);
    CHECK(KoraSetParam(link, KORA_PARAM_RX_QUEUE, 1000) == KORA_E_NO_LINK);
    CHECK(KoraSetCallback(link, KORA_EVENT_RECEIVED, nullptr, 0) == KORA_E_NO_LINK);
    CHECK(device.read(1, 100).empty());
}

TEST_CASE("bad arguments on an open link are refused with the link's error text")
{
    EventLog log;
    LONG link = open_link(1, 9600, &log);
    REQUIRE(link > 0);
    CHECK(KoraSetParam(link, KORA_PARAM_RX_QUEUE, 1000) == 0);
    CHECK(KoraSetParam(link, KORA_PARAM_TX_QUEUE, 1000) == 0);
    CHECK(KoraSetParam(link, KORA_PARAM_WRITE_TIMEOUT, 1000) == 0);

    CHECK(KoraSetParam(link, 0x202014, 1000) == KORA_E_ARGUMENT);
    CHECK(error_text(link) == "KoraSetParam: 0x202014 is not a parameter code.");
    CHECK(KoraSetParam(link, KORA_PARAM_RX_QUEUE, 15) == KORA_E_ARGUMENT);
    CHECK(error_text(link) == "KoraSetParam: 15 is out of range for parameter 0x202011.");
    CHECK(KoraSetParam(link, KORA_PARAM_WRITE_TIMEOUT, -1) == KORA_E_ARGUMENT);
    CHECK(KoraSetCallback(link, 3, nullptr, 0) == KORA_E_ARGUMENT);
    CHECK(KoraSetCallback(link, 128, nullptr, 0) == KORA_E_ARGUMENT);
    CHECK(error_text(link) == "KoraSetCallback: 128 is not an event bit (1, 2, 4, 8, 16, 32, 64).");
    CHECK(KoraWrite(link, nullptr, 5) == KORA_E_ARGUMENT);
    CHECK(KoraWrite(link, "x", -1) == KORA_E_ARGUMENT);
    CHECK(KoraRead(link, nullptr, 1024) == KORA_E_ARGUMENT);
    CHECK(KoraWait(2, 100) == KORA_E_ARGUMENT);
    CHECK(KoraWait(KORA_EVENT_SENT, -1) == KORA_E_ARGUMENT);
    CHECK(KoraGetErrorText(link, nullptr) == KORA_E_ARGUMENT);

    // None of it harmed the link.
    CHECK(KoraTestStatus(KoraWait(KORA_EVENT_READY, 2000), KORA_STATUS_LINK_GOOD) != 0);
    CHECK(KoraClose(link) == 0);
}
