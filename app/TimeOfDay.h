// The local time of day to the millisecond, "14:03:07.123": the stamp of the traffic trace
// and of the monitor's recording, where the log's whole seconds are too coarse.
#pragma once

#include "afxwin.h"

inline CString TimeOfDayWithMilliseconds()
{
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    CString strTime;
    strTime.Format("%02u:%02u:%02u.%03u", now.wHour, now.wMinute, now.wSecond, now.wMilliseconds);
    return strTime;
}
