// The clock text that sets the device clock: two digits each of year, month, day, hour
// (00 to 23), minute and second, then CR ("061206052050\r" for 5:20:50 on 6 December
// of a year ending in 06).
#pragma once

#include <ctime>
#include <string>

std::string FormatClockText(const std::tm& time);
