// XON (0x11) and XOFF (0x13) from the device. Its monitor frames are binary and carry
// these bytes unescaped, so they must reach the program as data.
#include <doctest.h>

#include "kora_test_support.h"

static std::string every_byte_value()
{
    std::string bytes;
    for (int i = 0; i < 256; i++)
        bytes += (char)i;
    return bytes;  // 0x13 comes after the last 0x11: the line ends "stopped"
}

// What a port set up for XON/XOFF in both directions does with them (no library): the
// driver takes both bytes out of the data, and after an XOFF it sends nothing until XON.
TEST_CASE("a port that obeys XON/XOFF from the device loses 0x11 and 0x13 and stalls")
{
    DevicePort device(1);
    // reads return what is there
    HANDLE com = open_plain_port("\\\\.\\COM1", 9600, true, 0, COMMTIMEOUTS{MAXDWORD, 0, 0, 0, 0});
    REQUIRE(com != INVALID_HANDLE_VALUE);

    device.write(every_byte_value());
    Sleep(300);
    char buffer[512];
    DWORD n = 0;
    ReadFile(com, buffer, sizeof buffer, &n, nullptr);
    std::string expected;
    for (int i = 0; i < 256; i++)
        if (i != 0x11 && i != 0x13)
            expected += (char)i;
    CHECK(std::string(buffer, n) == expected);

    // The last XOFF holds the transmitter; the device's XON lets the bytes go.
    DWORD written = 0;
    HANDLE writer = CreateThread(nullptr, 0, [](void *h) -> DWORD {
        DWORD w = 0;
        WriteFile((HANDLE)h, "held", 4, &w, nullptr);
        return w;
    }, com, 0, nullptr);
    CHECK(device.read(4, 300).empty());
    device.write("\x11");
    CHECK(device.read(4, 2000) == "held");
    WaitForSingleObject(writer, 2000);
    GetExitCodeThread(writer, &written);
    CHECK(written == 4);
    CloseHandle(writer);
    CloseHandle(com);
}

TEST_CASE("through the library 0x11 and 0x13 from the device are data and never stop the transmitter")
{
    DevicePort device(1);
    EventLog log;
    LONG link = open_link(1, 38400, &log);
    REQUIRE(link > 0);
    std::string received;
    log.on_event = [&](LONG bit) {
        char buffer[1024];
        if (bit == KORA_EVENT_RECEIVED)
            received.append(buffer, std::max(0L, KoraRead(link, buffer, sizeof buffer)));
    };
    // A frame-like record full of XON and XOFF, then every byte value, ending in XOFF.
    const std::string frame = std::string("\x13\x11\x13\x13 flow \x11\x11\x13\r", 13) + every_byte_value();
    device.write(frame);
    CHECK(pump_until([&] { return received.size() >= frame.size(); }, 3000));
    CHECK(received == frame);

    CHECK(KoraWrite(link, "M", 1) == 1);
    CHECK(pump_until([&] { return log.count(KORA_EVENT_SENT) == 1; }, 2000));
    CHECK(device.read(1, 1000) == "M");
    CHECK(KoraClose(link) == 0);
}
