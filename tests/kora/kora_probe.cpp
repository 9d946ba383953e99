// A program that holds a link open while a Python test looks at or pulls the cable.
//   kora_probe settings PORT BAUD...  opens the port at each baud rate in turn, prints
//                                     "OPEN <baud> <handle> <good>", and closes it when a
//                                     line comes on standard input
//   kora_probe vanish PORT            opens the port, prints "READY", and runs its message
//                                     loop; on the link-error event it prints the error
//                                     text, what a write and a wait then give, and closes
//                                     the link inside the callback, as the program does
//   kora_probe write-close PORT BAUD COUNT
//                                     prints "STARTED", opens the port, writes COUNT digits "0123456789..."
//                                     and the good-bye "E", prints "CLOSING" and closes the
//                                     link at once, as the program does at a disconnect;
//                                     then prints "CLOSE <result> <ms>"
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "kora_test_support.h"

static int settings(unsigned port, int count, char **bauds)
{
    for (int i = 0; i < count; i++) {
        unsigned baud = (unsigned)std::atoi(bauds[i]);
        EventLog log;
        LONG link = open_link(port, baud, &log);
        LONG state = KoraWait(KORA_EVENT_READY, 2000);
        std::printf("OPEN %u %ld %ld %s\n", baud, (long)link, (long)KoraTestStatus(state, KORA_STATUS_LINK_GOOD),
                    link > 0 ? "" : error_text(link).c_str());
        std::fflush(stdout);
        char line[16];
        if (!std::fgets(line, sizeof line, stdin))
            return 1;
        KoraClose(link);
    }
    return 0;
}

static int vanish(unsigned port)
{
    EventLog log;
    LONG link = open_link(port, 38400, &log);
    if (link <= 0 || KoraTestStatus(KoraWait(KORA_EVENT_READY, 2000), KORA_STATUS_LINK_GOOD) == 0) {
        std::printf("NOT OPEN %s\n", error_text(link).c_str());
        return 1;
    }
    bool closed = false;
    size_t events_at_close = 0;
    log.on_event = [&](LONG bit) {
        if (bit != KORA_EVENT_LINK_FAILED || closed)
            return;
        std::printf("ERROR %s\n", error_text(link).c_str());
        std::printf("WRITE %ld\n", (long)KoraWrite(link, "E", 1));
        std::printf("WAIT %ld\n", (long)KoraWait(KORA_EVENT_SENT, 100));
        ULONGLONG start = GetTickCount64();
        std::printf("CLOSE %ld\n", (long)KoraClose(link));
        std::printf("CLOSE TOOK %llu ms\n", GetTickCount64() - start);
        closed = true;
        events_at_close = log.events.size();
    };
    std::printf("READY\n");
    std::fflush(stdout);
    pump_until([&] { return closed; }, 15000);
    pump_for(500);
    std::printf("LATE EVENTS %zu\n", closed ? log.events.size() - events_at_close : 0);
    std::printf("READ AFTER CLOSE %ld\n", (long)KoraRead(link, nullptr, 0));
    std::fflush(stdout);
    return closed ? 0 : 1;
}

static int write_close(unsigned port, unsigned baud, size_t count)
{
    // Tells a probe that Wine never ran from one that ended on its way.
    std::printf("STARTED\n");
    std::fflush(stdout);
    std::string text;
    for (size_t i = 0; i < count; i++)
        text += (char)('0' + i % 10);
    text += 'E';
    EventLog log;
    LONG link = open_link(port, baud, &log);
    if (link <= 0 || KoraTestStatus(KoraWait(KORA_EVENT_READY, 2000), KORA_STATUS_LINK_GOOD) == 0) {
        std::printf("NOT OPEN %s\n", error_text(link).c_str());
        return 1;
    }
    LONG written = KoraWrite(link, text.data(), (LONG)text.size());
    std::printf("WRITE %ld\nCLOSING\n", (long)written);
    std::fflush(stdout);
    ULONGLONG start = GetTickCount64();
    LONG closed = KoraClose(link);
    std::printf("CLOSE %ld %llu\n", (long)closed, GetTickCount64() - start);
    std::fflush(stdout);
    return written >= 0 && closed == 0 ? 0 : 1;
}

int main(int argc, char **argv)
{
    if (argc >= 4 && std::strcmp(argv[1], "settings") == 0)
        return settings((unsigned)std::atoi(argv[2]), argc - 3, argv + 3);
    if (argc == 3 && std::strcmp(argv[1], "vanish") == 0)
        return vanish((unsigned)std::atoi(argv[2]));
    if (argc == 5 && std::strcmp(argv[1], "write-close") == 0)
        return write_close((unsigned)std::atoi(argv[2]), (unsigned)std::atoi(argv[3]), (size_t)std::atol(argv[4]));
    std::fprintf(stderr, "usage: kora_probe settings PORT BAUD... | vanish PORT | write-close PORT BAUD COUNT\n");
    return 2;
}
