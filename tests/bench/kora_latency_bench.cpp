// Receive latency: the time from a byte written on the device's end of the pty to the
// moment the program sees it. kora_latency_bench.py writes the bytes and keeps the clock;
// this program answers each byte with the same byte and, at the end, prints the
// QueryPerformanceCounter value (Wine: CLOCK_MONOTONIC_RAW in 100 ns) of each arrival.
//   kora_latency_bench kora PORT COUNT   arrival = the receive callback on the UI thread,
//                                through KORA.DLL and the thread's message loop
//   kora_latency_bench raw PORT COUNT    arrival = completion of an overlapped one-byte
//                                ReadFile on the port, no library: the floor that
//                                Wine's serial layer sets
//   kora_latency_bench hop COUNT         no port: a second thread posts a message to this
//                                thread's loop; prints "HOP <ticks>" per message, the
//                                cost of handing an event from one thread to another
//   kora_latency_bench wake COUNT        no port: this thread sets an event a second thread
//                                waits on; prints "WAKE <ticks>" per wake, the cost of
//                                handing a write to the library's I/O thread
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "kora_test_support.h"

static long long now_ticks()
{
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return counter.QuadPart;
}

static void print_arrivals(const std::vector<long long> &arrivals)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    std::printf("FREQUENCY %lld\n", frequency.QuadPart);
    for (long long t : arrivals)
        std::printf("ARRIVAL %lld\n", t);
    std::fflush(stdout);
}

static int through_kora(unsigned port, size_t count)
{
    EventLog log;
    LONG link = open_link(port, 38400, &log);
    if (link <= 0 || KoraWait(KORA_EVENT_READY, 2000) < 0)
        return 1;
    std::vector<long long> arrivals;
    arrivals.reserve(count);
    log.on_event = [&](LONG bit) {
        if (bit != KORA_EVENT_RECEIVED)
            return;
        long long t = now_ticks();
        char buffer[1024];
        LONG n = KoraRead(link, buffer, sizeof buffer);
        if (n <= 0)
            return;
        arrivals.push_back(t);
        KoraWrite(link, buffer, n);
        if (arrivals.size() == count)
            PostQuitMessage(0);
    };
    std::printf("READY\n");
    std::fflush(stdout);
    MSG msg;  // the program's kind of loop
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    KoraClose(link);
    print_arrivals(arrivals);
    return 0;
}

static int raw_port(unsigned port, size_t count)
{
    char name[16];
    std::snprintf(name, sizeof name, "\\\\.\\COM%u", port);
    HANDLE com = open_plain_port(name, 38400, false, FILE_FLAG_OVERLAPPED, COMMTIMEOUTS{});
    if (com == INVALID_HANDLE_VALUE)
        return 1;
    OVERLAPPED read_request = {}, write_request = {};
    read_request.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    write_request.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::vector<long long> arrivals;
    std::printf("READY\n");
    std::fflush(stdout);
    while (arrivals.size() < count) {
        char byte;
        DWORD n = 0;
        if (!ReadFile(com, &byte, 1, nullptr, &read_request) && GetLastError() != ERROR_IO_PENDING)
            break;
        if (!GetOverlappedResult(com, &read_request, &n, TRUE))
            break;
        arrivals.push_back(now_ticks());
        WriteFile(com, &byte, 1, nullptr, &write_request);
        GetOverlappedResult(com, &write_request, &n, TRUE);
    }
    CloseHandle(com);
    print_arrivals(arrivals);
    return arrivals.size() == count ? 0 : 1;
}

static long long hop_sent;
static HANDLE hop_done;

static DWORD WINAPI hop_poster(void *ui_thread)
{
    for (;;) {
        if (WaitForSingleObject(hop_done, INFINITE) != WAIT_OBJECT_0)
            return 0;
        Sleep(1);
        hop_sent = now_ticks();
        if (!PostThreadMessageA((DWORD)(UINT_PTR)ui_thread, WM_APP, 0, 0))
            return 0;
    }
}

static int thread_hop(size_t count)
{
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // this thread gets its queue
    hop_done = CreateEventA(nullptr, FALSE, TRUE, nullptr);
    HANDLE poster = CreateThread(nullptr, 0, hop_poster, (void *)(UINT_PTR)GetCurrentThreadId(), 0, nullptr);
    for (size_t n = 0; n < count && GetMessageA(&msg, nullptr, 0, 0) > 0;) {
        if (msg.message != WM_APP)
            continue;
        std::printf("HOP %lld\n", now_ticks() - hop_sent);
        n++;
        if (n < count)
            SetEvent(hop_done);
    }
    TerminateThread(poster, 0);
    CloseHandle(poster);
    return 0;
}

static volatile long long wake_set;
static HANDLE wake_event, wake_seen;
static std::vector<long long> wakes;

static DWORD WINAPI wake_waiter(void *)
{
    while (WaitForSingleObject(wake_event, INFINITE) == WAIT_OBJECT_0) {
        wakes.push_back(now_ticks() - wake_set);
        SetEvent(wake_seen);
    }
    return 0;
}

static int thread_wake(size_t count)
{
    wake_event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    wake_seen = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    HANDLE waiter = CreateThread(nullptr, 0, wake_waiter, nullptr, 0, nullptr);
    for (size_t n = 0; n < count; n++) {
        Sleep(1);
        wake_set = now_ticks();
        SetEvent(wake_event);
        if (WaitForSingleObject(wake_seen, 5000) != WAIT_OBJECT_0)
            break;
    }
    TerminateThread(waiter, 0);
    CloseHandle(waiter);
    for (long long ticks : wakes)
        std::printf("WAKE %lld\n", ticks);
    return wakes.size() == count ? 0 : 1;
}

int main(int argc, char **argv)
{
    if (argc == 3 && std::strcmp(argv[1], "hop") == 0)
        return thread_hop((size_t)std::atoi(argv[2]));
    if (argc == 3 && std::strcmp(argv[1], "wake") == 0)
        return thread_wake((size_t)std::atoi(argv[2]));
    if (argc == 4 && std::strcmp(argv[1], "kora") == 0)
        return through_kora((unsigned)std::atoi(argv[2]), (size_t)std::atoi(argv[3]));
    if (argc == 4 && std::strcmp(argv[1], "raw") == 0)
        return raw_port((unsigned)std::atoi(argv[2]), (size_t)std::atoi(argv[3]));
    std::fprintf(stderr, "usage: kora_latency_bench kora|raw PORT COUNT | hop|wake COUNT\n");
    return 2;
}
