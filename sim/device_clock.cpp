#include "device_clock.h"

#include <cstdio>

namespace zevsim {
namespace {

int pair(const std::string& digits, int index) {
  return (digits[index * 2] - '0') * 10 + (digits[index * 2 + 1] - '0');
}

bool leapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int daysInMonth(int year, int month) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && leapYear(year) ? 29 : kDays[month - 1];
}

// Days since 2000-01-01.
std::int64_t dayNumber(int year, int month, int day) {
  std::int64_t days = 0;
  for (int y = 2000; y < year; ++y) days += leapYear(y) ? 366 : 365;
  for (int m = 1; m < month; ++m) days += daysInMonth(year, m);
  return days + day - 1;
}

}  // namespace

std::string clockTextProblem(const std::string& digits) {
  if (digits.size() != 12) return "not twelve characters";
  for (char c : digits)
    if (c < '0' || c > '9') return "not all digits";
  const int year = 2000 + pair(digits, 0), month = pair(digits, 1), day = pair(digits, 2);
  if (month < 1 || month > 12) return "month out of range";
  if (day < 1 || day > daysInMonth(year, month)) return "day out of range";
  if (pair(digits, 3) > 23) return "hour out of range";
  if (pair(digits, 4) > 59) return "minute out of range";
  if (pair(digits, 5) > 59) return "second out of range";
  return "";
}

std::string advanceClock(const std::string& digits, std::int64_t seconds) {
  const int year = 2000 + pair(digits, 0);
  std::int64_t total = dayNumber(year, pair(digits, 1), pair(digits, 2)) * 86400 +
                       pair(digits, 3) * 3600 + pair(digits, 4) * 60 + pair(digits, 5) + seconds;
  const std::int64_t century = dayNumber(2100, 1, 1) * 86400;
  total = ((total % century) + century) % century;

  std::int64_t days = total / 86400;
  const int secondOfDay = static_cast<int>(total % 86400);
  int y = 2000;
  while (days >= (leapYear(y) ? 366 : 365)) days -= leapYear(y++) ? 366 : 365;
  int m = 1;
  while (days >= daysInMonth(y, m)) days -= daysInMonth(y, m++);
  char text[16];
  std::snprintf(text, sizeof text, "%02d%02d%02d%02d%02d%02d", y % 100, m, static_cast<int>(days) + 1,
                secondOfDay / 3600, secondOfDay / 60 % 60, secondOfDay % 60);
  return text;
}

}  // namespace zevsim
