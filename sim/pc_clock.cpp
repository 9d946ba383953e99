#include "pc_clock.h"

#include <windows.h>

#include <cstdio>

namespace zevsim {

std::string pcClockDigits() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  char text[16];
  std::snprintf(text, sizeof text, "%02u%02u%02u%02u%02u%02u", now.wYear % 100u, now.wMonth, now.wDay,
                now.wHour, now.wMinute, now.wSecond);
  return text;
}

}  // namespace zevsim
