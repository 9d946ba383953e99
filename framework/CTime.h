// CTime: a point in time to the second, formatted in local time.
#pragma once

#include "CString.h"

#include <ctime>

class CTime {
public:
    explicit CTime(std::time_t time = 0) : m_time(time) {}

    static CTime GetCurrentTime() { return CTime(std::time(nullptr)); }

    // strftime formatting in local time ("%H:%M:%S ").
    CString Format(const char* pszFormat) const;

    // The time broken down in local time.
    std::tm GetLocalTm() const;

private:
    std::time_t m_time;
};
