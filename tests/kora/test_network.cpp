// Network links: a raw TCP connection and a remote serial port over RFC 2217, with the
// server played by the test on the loopback.
#include "net_peer.h"

#include <doctest.h>

#include "AnswerChecks.h"
#include "kora_test_support.h"

namespace {
const std::string kIac = "\xFF";

std::string Option(unsigned char verb, unsigned char option)
{
    return kIac + static_cast<char>(verb) + static_cast<char>(option);
}

// IAC SB COM-PORT-OPTION code value IAC SE, 0xFF in the value doubled.
std::string ComPort(unsigned char code, const std::string& value)
{
    return kIac + "\xFA\x2C" + static_cast<char>(code) + doubled(value) + kIac + "\xF0";
}

std::string Rate(unsigned long baud)
{
    return std::string { static_cast<char>(baud >> 24), static_cast<char>(baud >> 16), static_cast<char>(baud >> 8),
                         static_cast<char>(baud) };
}

// What the client says first: its offers, then every setting at the rate.
std::string ClientStart(unsigned long baud)
{
    return Option(0xFB, 44) + Option(0xFB, 0) + Option(0xFD, 0) + Option(0xFB, 3) + Option(0xFD, 3)
         + ComPort(1, Rate(baud)) + ComPort(2, "\x08") + ComPort(3, "\x01") + ComPort(4, "\x01") + ComPort(5, "\x01")
         + ComPort(5, "\x0F") + ComPort(5, "\x08") + ComPort(5, "\x0B");
}

// A server's confirmation of every setting but DTR on, as ser2net in front of a pty.
std::string ConfirmAllButDtr(unsigned long baud)
{
    return ComPort(101, Rate(baud)) + ComPort(102, "\x08") + ComPort(103, "\x01") + ComPort(104, "\x01")
         + ComPort(105, "\x01") + ComPort(105, "\x0F") + ComPort(105, "\x0B");
}

// Opens a network link as the program does; the callbacks record into log.
LONG OpenNetwork(const std::string& strConnection, EventLog* log)
{
    LONG link = KoraOpen(strConnection.c_str());
    if (link <= 0)
        return link;
    static const KoraEventProc procs[] = {
        [](LONG, LONG_PTR c) { reinterpret_cast<EventLog*>(c)->events.push_back({ 1, 1, GetCurrentThreadId() }); },
        [](LONG, LONG_PTR c) {
            auto* log = reinterpret_cast<EventLog*>(c);
            log->events.push_back({ 2, 2, GetCurrentThreadId() });
            if (log->on_event)
                log->on_event(2);
        },
        [](LONG, LONG_PTR c) { reinterpret_cast<EventLog*>(c)->events.push_back({ 4, 4, GetCurrentThreadId() }); },
        [](LONG, LONG_PTR c) { reinterpret_cast<EventLog*>(c)->events.push_back({ 8, 8, GetCurrentThreadId() }); },
        [](LONG, LONG_PTR c) { reinterpret_cast<EventLog*>(c)->events.push_back({ 16, 16, GetCurrentThreadId() }); },
        [](LONG, LONG_PTR c) { reinterpret_cast<EventLog*>(c)->events.push_back({ 32, 32, GetCurrentThreadId() }); },
        [](LONG, LONG_PTR c) { reinterpret_cast<EventLog*>(c)->events.push_back({ 64, 64, GetCurrentThreadId() }); },
    };
    for (int slot = 0; slot < 7; slot++)
        KoraSetCallback(link, 1L << slot, procs[slot], reinterpret_cast<LONG_PTR>(log));
    KoraSetParam(link, KORA_PARAM_RX_QUEUE, 1000);
    KoraSetParam(link, KORA_PARAM_TX_QUEUE, 1000);
    KoraSetParam(link, KORA_PARAM_WRITE_TIMEOUT, 1000);
    return link;
}

// Reads what the link has received, as the program does: once per receive event.
struct Reader {
    LONG link = 0;
    std::string received;
    void attach(EventLog& log)
    {
        log.on_event = [this](LONG) {
            char buffer[1024];
            LONG n = KoraRead(link, buffer, sizeof buffer);
            if (n > 0)
                received.append(buffer, static_cast<size_t>(n));
        };
    }
};

std::string AllByteValues()
{
    std::string bytes;
    for (int i = 0; i < 256; i++)
        bytes += static_cast<char>(i);
    return bytes;
}
}

TEST_CASE("socket:// passes bytes as they are, both ways")
{
    NetPeer peer;
    REQUIRE(peer.listening());
    EventLog log;
    Reader reader;
    reader.attach(log);
    LONG link = reader.link = OpenNetwork(peer.connection("SOCKET", 9600), &log);
    REQUIRE(link > 0);
    REQUIRE(peer.accept(5000));
    CHECK(KoraTestStatus(KoraWait(KORA_EVENT_READY, 2000), KORA_STATUS_LINK_GOOD) != 0);

    const std::string bytes = AllByteValues() + byte_pattern(3000, 11);
    CHECK(KoraWrite(link, bytes.data(), static_cast<LONG>(bytes.size())) == static_cast<LONG>(bytes.size()));
    CHECK(pump_until([&] { return log.count(KORA_EVENT_SENT) > 0; }, 5000));
    CHECK(peer.read(bytes.size() + 1, 3000) == bytes); // 0xFF not doubled, nothing added

    peer.write(bytes);
    CHECK(pump_until([&] { return reader.received.size() >= bytes.size(); }, 5000));
    CHECK(reader.received == bytes);
    CHECK(log.count(KORA_EVENT_READY) == 1);
    CHECK(log.count(KORA_EVENT_NOTICE) == 0);
    for (const EventLog::Event& e : log.events)
        CHECK(e.thread == GetCurrentThreadId());

    SUBCASE("a second open of the same target is refused while it is open")
    {
        CHECK(KoraOpen(peer.connection("SOCKET", 9600).c_str()) == KORA_E_PORT);
        CHECK(error_text(-1) == "Cannot open " + peer.target("socket") + ": " + system_message(ERROR_ACCESS_DENIED)
                                    + " (error 5)");
    }
    CHECK(KoraClose(link) == 0);
    // Nobody adopts it: the connection is closed after a moment.
    CHECK(peer.sees_close(5000));
}

TEST_CASE("rfc2217:// negotiates, doubles 0xFF, confirms, and keeps the connection across a re-open")
{
    NetPeer peer;
    REQUIRE(peer.listening());
    EventLog log;
    Reader reader;
    reader.attach(log);
    LONG link = reader.link = OpenNetwork(peer.connection("RFC2217", 9600), &log);
    REQUIRE(link > 0);
    REQUIRE(peer.accept(5000));
    const std::string start = ClientStart(9600);
    CHECK(peer.read(start.size(), 3000) == start);

    // The server's side: it would echo (refused), answers the offers, confirms all but DTR.
    peer.write(Option(0xFB, 1) + Option(0xFD, 44) + Option(0xFB, 0) + Option(0xFD, 0) + Option(0xFB, 3)
               + Option(0xFD, 3) + ConfirmAllButDtr(9600));
    CHECK(KoraTestStatus(KoraWait(KORA_EVENT_READY, 2000), KORA_STATUS_LINK_GOOD) != 0);
    CHECK(peer.read(3, 3000) == Option(0xFE, 1)); // DONT ECHO, and nothing more
    CHECK(pump_until([&] { return log.count(KORA_EVENT_NOTICE) > 0; }, 3000));
    CHECK(error_text(link) == peer.target("rfc2217") + " did not confirm DTR on");

    // Data both ways, 0xFF doubled on the wire and single at either end.
    const std::string bytes = AllByteValues() + "\xFF\xFF" + byte_pattern(2000, 3);
    CHECK(KoraWrite(link, bytes.data(), static_cast<LONG>(bytes.size())) == static_cast<LONG>(bytes.size()));
    CHECK(pump_until([&] { return log.count(KORA_EVENT_SENT) > 0; }, 5000));
    CHECK(peer.read(doubled(bytes).size(), 3000) == doubled(bytes));
    peer.write(doubled(bytes));
    CHECK(pump_until([&] { return reader.received.size() >= bytes.size(); }, 5000));
    CHECK(reader.received == bytes);

    // The wake-up at 9600, the close, the device's answer while no link is open, and the
    // re-open at the working rate: the same connection hears SET-BAUDRATE 38400, and the
    // answer is read afterwards.
    CHECK(KoraWrite(link, "wake", 4) == 4);
    CHECK(KoraClose(link) == 0);
    CHECK(peer.read(4, 3000) == "wake");
    peer.write("answer\r");
    Sleep(50);
    EventLog log2;
    Reader reader2;
    reader2.attach(log2);
    link = reader2.link = OpenNetwork(peer.connection("RFC2217", 38400), &log2);
    REQUIRE(link > 0);
    CHECK(peer.read(10, 3000) == ComPort(1, Rate(38400)));
    peer.write(ComPort(101, Rate(38400)));
    CHECK(KoraTestStatus(KoraWait(KORA_EVENT_READY, 2000), KORA_STATUS_LINK_GOOD) != 0);
    CHECK(pump_until([&] { return reader2.received.size() >= 7; }, 3000));
    CHECK(reader2.received == "answer\r");
    CHECK_FALSE(peer.pending(200));             // no new connection was made ...
    CHECK(log2.count(KORA_EVENT_NOTICE) == 0);  // ... and nothing new is unconfirmed
    CHECK(log2.count(KORA_EVENT_READY) == 1);

    // The rate again, at the same rate: what was not read is dropped, no rate is sent.
    peer.write("late\r");
    Sleep(200);
    CHECK(KoraClose(link) == 0);
    EventLog log3;
    Reader reader3;
    reader3.attach(log3);
    link = reader3.link = OpenNetwork(peer.connection("RFC2217", 38400), &log3);
    REQUIRE(link > 0);
    CHECK(KoraTestStatus(KoraWait(KORA_EVENT_READY, 2000), KORA_STATUS_LINK_GOOD) != 0);
    peer.write("fresh\r");
    CHECK(pump_until([&] { return reader3.received.size() >= 6; }, 3000));
    CHECK(reader3.received == "fresh\r");
    CHECK(peer.read(1, 300).empty());
    CHECK_FALSE(peer.pending(0));

    CHECK(KoraClose(link) == 0);
    CHECK(peer.sees_close(5000));
}

TEST_CASE("a server that confirms nothing: the link comes up all the same, with one note")
{
    NetPeer peer;
    REQUIRE(peer.listening());
    EventLog log;
    LONG link = OpenNetwork(peer.connection("RFC2217", 19200), &log);
    REQUIRE(link > 0);
    REQUIRE(peer.accept(5000));
    CHECK(peer.read(ClientStart(19200).size(), 3000) == ClientStart(19200));
    // Not a word from the server.
    CHECK(KoraTestStatus(KoraWait(KORA_EVENT_READY, 3000), KORA_STATUS_LINK_GOOD) != 0);
    CHECK(pump_until([&] { return log.count(KORA_EVENT_NOTICE) > 0; }, 3000));
    pump_for(700);
    CHECK(log.count(KORA_EVENT_NOTICE) == 1);
    CHECK(log.count(KORA_EVENT_LINK_FAILED) == 0);
    CHECK(error_text(link) == peer.target("rfc2217") + " did not confirm 19200 baud, 8 data bits, no parity, "
                                  "1 stop bit, no outbound flow control, inbound XON/XOFF, DTR on, RTS on");
    // The link goes on.
    CHECK(KoraWrite(link, "go", 2) == 2);
    CHECK(peer.read(2, 3000) == "go");
    CHECK(KoraClose(link) == 0);
}

TEST_CASE("a target that refuses or does not answer fails the open with its text")
{
    SUBCASE("refused")
    {
        unsigned port = refused_port();
        REQUIRE(port != 0);
        const std::string target = "rfc2217://127.0.0.1:" + std::to_string(port);
        CHECK(KoraOpen(("ASYNC/RFC2217:127.0.0.1:" + std::to_string(port) + ",SPEED=9600,FLOW=XONXOFF").c_str())
              == KORA_E_PORT);
        CHECK(error_text(-1) == target + ": connection refused (error 10061)");
    }
    SUBCASE("no answer: a server whose backlog is full drops the connect")
    {
        NetPeer peer(0);
        REQUIRE(peer.listening());
        // The one connection the backlog holds, never taken.
        SOCKET filler = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(static_cast<u_short>(peer.port()));
        REQUIRE(connect(filler, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0);
        ULONGLONG started = GetTickCount64();
        CHECK(KoraOpen(peer.connection("SOCKET", 9600).c_str()) == KORA_E_PORT);
        ULONGLONG took = GetTickCount64() - started;
        CHECK(error_text(-1) == peer.target("socket") + ": no answer within 5 s");
        CHECK(took >= 4900);
        CHECK(took < 9000); // the open gives up itself, whatever the system's own limit
        closesocket(filler);
    }
    SUBCASE("a host that cannot be found")
    {
        CHECK(KoraOpen("ASYNC/SOCKET:no-such-host.invalid:7000,SPEED=9600,FLOW=XONXOFF") == KORA_E_PORT);
        CHECK(error_text(-1).rfind("socket://no-such-host.invalid:7000: cannot find the host: ", 0) == 0);
    }
}

TEST_CASE("a server that closes the connection fails the link once, and the next open connects anew")
{
    NetPeer peer;
    REQUIRE(peer.listening());
    EventLog log;
    LONG link = OpenNetwork(peer.connection("SOCKET", 9600), &log);
    REQUIRE(link > 0);
    REQUIRE(peer.accept(5000));
    REQUIRE(KoraWait(KORA_EVENT_READY, 2000) >= 0);
    peer.write("bye");
    peer.close_client();
    CHECK(pump_until([&] { return log.count(KORA_EVENT_LINK_FAILED) > 0; }, 5000));
    pump_for(500);
    CHECK(log.count(KORA_EVENT_LINK_FAILED) == 1);
    CHECK(error_text(link) == peer.target("socket") + ": the server closed the connection.");
    CHECK(KoraWait(KORA_EVENT_SENT, 100) == KORA_E_FAILED);
    CHECK(KoraWrite(link, "x", 1) == KORA_E_FAILED);
    char buffer[16];
    CHECK(KoraRead(link, buffer, sizeof buffer) == 3); // what came before the close can be read
    CHECK(std::string(buffer, 3) == "bye");
    CHECK(KoraClose(link) == 0);

    // A failed link is not kept: the next open is a new connection.
    link = OpenNetwork(peer.connection("SOCKET", 9600), &log);
    REQUIRE(link > 0);
    CHECK(peer.accept(5000));
    CHECK(KoraClose(link) == 0);
}

TEST_CASE("network links opened, adopted and left to close leave no handle and no thread behind")
{
    NetPeer peer;
    REQUIRE(peer.listening());
    // One connection's life as the program leads it: open, the re-open at the working rate
    // at once, the close, and nobody adopting it.
    auto cycle = [&peer] {
        EventLog log;
        LONG link = OpenNetwork(peer.connection("SOCKET", 9600), &log);
        bool good = link > 0 && peer.accept(5000) && KoraWait(KORA_EVENT_READY, 2000) >= 0;
        KoraClose(link);
        link = OpenNetwork(peer.connection("SOCKET", 38400), &log);
        good = good && link > 0 && KoraWait(KORA_EVENT_READY, 2000) >= 0 && KoraClose(link) == 0;
        pump_for(0);
        return good && peer.sees_close(5000) && !peer.pending(0);
    };
    REQUIRE(cycle());
    // The parked link's thread ends once it has closed the connection, half a second after
    // the close; the count is taken when the first cycle's thread has had time to end.
    auto settled = [](unsigned threads) {
        return pump_until([&] { return count_threads() <= threads; }, 3000);
    };
    pump_for(1000);
    unsigned threads = count_threads();
    REQUIRE(cycle());
    REQUIRE(settled(threads));
    unsigned handles = count_open_handles();

    int good = 0;
    for (int i = 0; i < 10; i++)
        good += cycle();
    CHECK(good == 10);
    CHECK(settled(threads));
    unsigned handles_after = count_open_handles();
    MESSAGE("handles " << handles << " -> " << handles_after);
    CHECK(handles_after == handles);
}

TEST_CASE("a peer that takes nothing stalls the transmitter: the link fails")
{
    NetPeer peer(4, 4096);
    REQUIRE(peer.listening());
    EventLog log;
    LONG link = OpenNetwork(peer.connection("SOCKET", 115200), &log);
    REQUIRE(link > 0);
    REQUIRE(peer.accept(5000));
    REQUIRE(KoraWait(KORA_EVENT_READY, 2000) >= 0);
    // The peer reads nothing: once the system's buffers on both sides are full, the
    // connection takes no more.
    // (A megabyte refused while the last is still queued is written again after the wait.)
    const std::string megabyte = byte_pattern(1024 * 1024, 9);
    LONG waited = 0;
    for (int i = 0; i < 100 && waited != KORA_E_FAILED; i++) {
        if (KoraWrite(link, megabyte.data(), static_cast<LONG>(megabyte.size())) == KORA_E_FAILED)
            break;
        waited = KoraWait(KORA_EVENT_SENT, 2000); // ends with the failure, a second after the last progress
    }
    CHECK(waited == KORA_E_FAILED);
    CHECK(pump_until([&] { return log.count(KORA_EVENT_LINK_FAILED) > 0; }, 10000));
    CHECK(error_text(link) == peer.target("socket") + " took no data for 1000 ms: the transmitter is stalled.");
    CHECK(KoraWrite(link, "x", 1) == KORA_E_FAILED);
    CHECK(KoraClose(link) == 0);
}

TEST_CASE("over the network too, an answer the program waits for is announced as it comes")
{
    NetPeer peer;
    REQUIRE(peer.listening());
    EventLog log;
    LONG link = OpenNetwork(peer.connection("SOCKET", 9600), &log);
    REQUIRE(link > 0);
    REQUIRE(peer.accept(5000));
    REQUIRE(KoraWait(KORA_EVENT_READY, 2000) >= 0);
    pump_for(100);
    check_answers_announced_as_they_come(
        link, &log, [&](const std::string& bytes) { peer.write(bytes); }, [&](size_t count) { return peer.read(count, 2000); });
    CHECK(KoraClose(link) == 0);
}
