// Answers the message boxes that the code under test opens on this thread, from a
// second thread, as a user would: it notes each box's caption and text and presses the
// given button. Messages are pumped with PumpMessages while the code waits for timers.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct SeenBox {
    std::string caption;
    std::string text;
};

class BoxAnswerer {
public:
    explicit BoxAnswerer(int nButton);
    ~BoxAnswerer();

    std::vector<SeenBox> Boxes() const;

private:
    void Watch();

    int m_nButton;
    DWORD m_nThreadId;
    std::atomic<bool> m_bStop{ false };
    mutable std::mutex m_mutex;
    std::vector<SeenBox> m_boxes;
    std::thread m_thread;
};

// Runs this thread's messages (timers, posted events) for nMilliseconds.
void PumpMessages(DWORD nMilliseconds);
