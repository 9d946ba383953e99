#include "kora_test_support.h"

#include <tlhelp32.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <cstdio>
#include <cstring>

std::string connection_string(unsigned port, unsigned baud)
{
    char text[64];
    std::snprintf(text, sizeof text, "ASYNC/COM:%u,SPEED=%u,FLOW=XONXOFF", port, baud);
    return text;
}

std::string error_text(LONG link)
{
    char text[256];
    std::memset(text, 'x', sizeof text);
    LONG length = KoraGetErrorText(link, text);
    return length >= 0 ? std::string(text) : std::string("<KoraGetErrorText failed>");
}

std::string system_message(DWORD code)
{
    char text[256] = "";
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                             text, sizeof text, nullptr);
    while (n > 0 && (text[n - 1] == '\r' || text[n - 1] == '\n' || text[n - 1] == ' '))
        text[--n] = 0;
    return text;
}

bool pump_until(const std::function<bool()> &done, DWORD ms)
{
    ULONGLONG deadline = GetTickCount64() + ms;
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
            if (done && done())
                return true;
        }
        if (done && done())
            return true;
        ULONGLONG now = GetTickCount64();
        if (now >= deadline)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, (DWORD)(deadline - now), QS_ALLINPUT);
    }
}

void pump_for(DWORD ms)
{
    pump_until(nullptr, ms);
}

int EventLog::count(LONG bit) const
{
    int n = 0;
    for (const Event &e : events)
        n += e.bit == bit;
    return n;
}

template <LONG Bit>
static void WINAPI record_event(LONG arg, LONG_PTR context)
{
    auto *log = reinterpret_cast<EventLog *>(context);
    if (!log)
        return;
    log->events.push_back({Bit, arg, GetCurrentThreadId()});
    if (log->on_event)
        log->on_event(Bit);
}

LONG open_link(unsigned port, unsigned baud, EventLog *log)
{
    LONG link = KoraOpen(connection_string(port, baud).c_str());
    if (link <= 0)
        return link;
    KoraEventProc procs[] = {record_event<1>, record_event<2>, record_event<4>, record_event<8>,
                             record_event<16>, record_event<32>, record_event<64>};
    for (int slot = 0; slot < 7; slot++)
        KoraSetCallback(link, 1L << slot, procs[slot], reinterpret_cast<LONG_PTR>(log));
    KoraSetParam(link, KORA_PARAM_RX_QUEUE, 1000);
    KoraSetParam(link, KORA_PARAM_TX_QUEUE, 1000);
    KoraSetParam(link, KORA_PARAM_WRITE_TIMEOUT, 1000);
    return link;
}

HANDLE open_plain_port(const char *name, DWORD baud, bool xonxoff, DWORD flags,
                       const COMMTIMEOUTS &timeouts)
{
    HANDLE com = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, flags, nullptr);
    if (com == INVALID_HANDLE_VALUE)
        return com;
    DCB dcb = {};
    dcb.DCBlength = sizeof dcb;
    GetCommState(com, &dcb);
    dcb.BaudRate = baud;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fOutX = dcb.fInX = xonxoff ? TRUE : FALSE;
    dcb.XonChar = 0x11;
    dcb.XoffChar = 0x13;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    COMMTIMEOUTS copy = timeouts;
    if (!SetCommState(com, &dcb) || !SetCommTimeouts(com, &copy)) {
        CloseHandle(com);
        return INVALID_HANDLE_VALUE;
    }
    return com;
}

DevicePort::DevicePort(unsigned tool_port)
{
    char name[32];
    std::snprintf(name, sizeof name, "\\\\.\\COM%u", tool_port + 20);
    m_handle = open_plain_port(name, 9600, false, 0, COMMTIMEOUTS{});
    if (is_open())
        drain();
}

DevicePort::~DevicePort()
{
    if (is_open())
        CloseHandle(m_handle);
}

void DevicePort::write(const std::string &bytes)
{
    DWORD written = 0;
    WriteFile(m_handle, bytes.data(), (DWORD)bytes.size(), &written, nullptr);
}

std::string DevicePort::read(size_t count, DWORD ms)
{
    // Reads only what is queued: a read that waits for more does not end under Wine.
    std::string got;
    ULONGLONG deadline = GetTickCount64() + ms;
    while (got.size() < count && GetTickCount64() < deadline) {
        DWORD errors;
        COMSTAT status = {};
        if (!ClearCommError(m_handle, &errors, &status))
            break;
        if (status.cbInQue == 0) {
            Sleep(1);
            continue;
        }
        std::string chunk(std::min<size_t>(status.cbInQue, count - got.size()), '\0');
        DWORD n = 0;
        ReadFile(m_handle, &chunk[0], (DWORD)chunk.size(), &n, nullptr);
        got.append(chunk, 0, n);
    }
    return got;
}

void DevicePort::drain(DWORD ms)
{
    while (!read(65536, ms).empty()) {
    }
}

std::string byte_pattern(size_t count, unsigned seed)
{
    std::string bytes(count, '\0');
    unsigned x = 2463534242u + seed;
    for (char &c : bytes) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        c = (char)(x >> 24);
    }
    return bytes;
}

static double now_ms()
{
    LARGE_INTEGER count, frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * (double)count.QuadPart / (double)frequency.QuadPart;
}

AnswerTurns play_answer_turns(LONG link, EventLog *log, const std::function<void(const std::string &)> &device_write,
                              const std::function<std::string(size_t)> &device_read, int turns)
{
    static const std::string pieces[] = {"r=30,", "40,", "9;"};
    AnswerTurns result;
    std::vector<double> delays;
    std::string turn_received;
    size_t piece = 0;
    double written_at = 0;
    log->on_event = [&](LONG bit) {
        if (bit != KORA_EVENT_RECEIVED)
            return;
        char buffer[64];
        LONG n = KoraRead(link, buffer, sizeof buffer);
        if (n <= 0)
            return;
        result.received.append(buffer, (size_t)n);
        if (written_at > 0) {
            delays.push_back(now_ms() - written_at);
            written_at = 0;
        }
        turn_received.append(buffer, (size_t)n);
        // A piece may itself come in parts: the next goes once this one is whole.
        std::string whole;
        for (size_t i = 0; i <= piece && i < 3; i++)
            whole += pieces[i];
        if (turn_received == whole && ++piece < 3) {
            written_at = now_ms();
            device_write(pieces[piece]);
        }
    };
    for (int turn = 0; turn < turns && result.complete; turn++) {
        piece = 0;
        turn_received.clear();
        result.expected += pieces[0] + pieces[1] + pieces[2];
        result.complete = KoraWrite(link, "r", 1) == 1 && device_read(1) == "r";
        if (result.complete) {
            device_write(pieces[0]);
            result.complete = pump_until([&] { return piece >= 3; }, 5000);
        }
    }
    log->on_event = nullptr;
    std::sort(delays.begin(), delays.end());
    result.complete = result.complete && delays.size() == 2 * (size_t)turns;
    result.median_delay_ms = delays.empty() ? 0 : delays[delays.size() / 2];
    return result;
}

unsigned count_threads()
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return 0;
    unsigned n = 0;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        n += entry.th32OwnerProcessID == GetCurrentProcessId();
    CloseHandle(snapshot);
    return n;
}

double long_answer_end_delay(LONG link, EventLog *log, const std::function<void(const std::string &)> &device_write,
                             const std::function<std::string(size_t)> &device_read, int turns)
{
    std::vector<double> delays;
    for (int turn = 0; turn < turns; turn++) {
        std::string received, sent;
        log->on_event = [&](LONG bit) {
            char buffer[256];
            LONG n = bit == KORA_EVENT_RECEIVED ? KoraRead(link, buffer, sizeof buffer) : 0;
            if (n > 0)
                received.append(buffer, (size_t)n);
        };
        if (KoraWrite(link, "L", 1) != 1 || device_read(1) != "L")
            return -1;
        std::atomic<double> last_written{0};
        std::thread device([&] {
            double start = now_ms();
            for (char ch = 'a'; now_ms() - start < 24.0; ch = ch == 'z' ? 'a' : ch + 1) {
                device_write(std::string(1, ch));
                sent += ch;
                Sleep(1);
            }
            device_write("\r");
            last_written = now_ms();
            sent += '\r';
        });
        bool whole = pump_until([&] { return last_written > 0 && received.size() >= sent.size(); }, 5000);
        double done = now_ms();
        device.join();
        log->on_event = nullptr;
        if (!whole || received != sent)
            return -1;
        delays.push_back(done - last_written);
        pump_for(50); // the line quiet before the next turn
    }
    std::sort(delays.begin(), delays.end());
    return delays[delays.size() / 2];
}
