#include "stop_signals.h"

namespace zevsim {
namespace {

// Process-wide: the console handler and the stdin thread have no other way in.
HANDLE g_stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
volatile LONG g_reason = 0;  // 0 none, 1 Ctrl+C, 2 stdin closed

void signalStop(LONG reason) {
  InterlockedCompareExchange(&g_reason, reason, 0);
  SetEvent(g_stop);
}

BOOL WINAPI onConsoleEvent(DWORD) {
  signalStop(1);
  return TRUE;
}

DWORD WINAPI watchStdin(void* input) {
  char buffer[256];
  DWORD count = 0;
  // Whatever is typed or piped in is read and dropped; only its end matters.
  while (ReadFile(static_cast<HANDLE>(input), buffer, sizeof buffer, &count, nullptr) && count > 0) {
  }
  signalStop(2);
  return 0;
}

}  // namespace

void StopSignals::start(bool watchStdinToo) {
  SetConsoleCtrlHandler(onConsoleEvent, TRUE);
  if (!watchStdinToo) return;
  HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  if (input == nullptr || input == INVALID_HANDLE_VALUE) return;
  // The thread stays blocked in its read until the input ends or the process does.
  HANDLE thread = CreateThread(nullptr, 0, watchStdin, input, 0, nullptr);
  if (thread) CloseHandle(thread);
}

HANDLE StopSignals::event() const { return g_stop; }

std::string StopSignals::reason() const {
  switch (g_reason) {
    case 1: return "Ctrl+C";
    case 2: return "standard input closed";
    default: return "stop requested";
  }
}

}  // namespace zevsim
