// Helpers of the KORA.DLL tests: a message loop, links opened the way the program
// opens them, the device's end of a pty pair, and counts of handles and threads.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "kora.h"

std::string connection_string(unsigned port, unsigned baud);
std::string error_text(LONG link);
std::string system_message(DWORD code);

// Runs the calling thread's message loop for ms milliseconds, or until done() holds.
bool pump_until(const std::function<bool()> &done, DWORD ms);
void pump_for(DWORD ms);

// What the callbacks of one link saw: the event bit of each call (from the slot it
// came through) and the thread it ran on. on_event runs inside the callback.
struct EventLog {
    struct Event {
        LONG bit;
        LONG arg;
        DWORD thread;
    };
    std::vector<Event> events;
    std::function<void(LONG bit)> on_event;
    int count(LONG bit) const;
};

// Opens a link as the program does: open, the seven callbacks (bits 1 to 64) with the
// log as context, the three parameters at 1000. Returns the handle or the failure.
LONG open_link(unsigned port, unsigned baud, EventLog *log);

// Opens a COM port without the library: 8N1 at the baud rate, XON/XOFF in both
// directions or none, the given COMMTIMEOUTS. INVALID_HANDLE_VALUE when it fails.
HANDLE open_plain_port(const char *name, DWORD baud, bool xonxoff, DWORD flags,
                       const COMMTIMEOUTS &timeouts);

// The device's end of COM port n: COM(n + 20) of the test prefix, raw, no flow control.
class DevicePort {
public:
    explicit DevicePort(unsigned tool_port);
    ~DevicePort();
    bool is_open() const { return m_handle != INVALID_HANDLE_VALUE; }
    void write(const std::string &bytes);
    // Reads until count bytes have come or ms have passed.
    std::string read(size_t count, DWORD ms);
    // Discards what has come until the line has been quiet for ms.
    void drain(DWORD ms = 50);

private:
    HANDLE m_handle;
};

std::string byte_pattern(size_t count, unsigned seed = 0);

// Turns of a program that writes a letter and waits for the answer, which the device sends
// in three pieces, each only once the program has read the one before (as a device that
// answers in parts, or a line that splits the answer). The program reads in log's receive
// callback; delays are from the device's write of each later piece to the event that
// brought its first byte.
struct AnswerTurns {
    bool complete = true;        // every turn got its whole answer
    std::string received, expected;
    double median_delay_ms = 0;  // of the later pieces
};
AnswerTurns play_answer_turns(LONG link, EventLog *log, const std::function<void(const std::string &)> &device_write,
                              const std::function<std::string(size_t)> &device_read, int turns = 8);

// Turns of an answer that flows longer than KORA's answer window (a long line, one byte a
// millisecond for about 24 ms) and then stops: the median time from its last byte written
// by the device to the event that brings it. Held for the stream's spacing it is
// tens of milliseconds; announced once the line is quiet, a few. Negative: an answer went missing.
double long_answer_end_delay(LONG link, EventLog *log, const std::function<void(const std::string &)> &device_write,
                             const std::function<std::string(size_t)> &device_read, int turns = 5);

#include "HandleCount.h"

// The threads of this process.
unsigned count_threads();
