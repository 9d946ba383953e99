// The records of the traffic trace, which need no window: for each piece of traffic the
// time, the direction, the operation in progress and the bytes, sixteen a row in hex and
// as text, so that support can read a field problem byte by byte.
#pragma once

#include <cstddef>
#include <string>

// "14:03:07.123 TX  6 query         4C                                               |L|"
// with continuation rows for every further sixteen bytes.
std::string FormatTraceRecord(const char* pszTime, bool bSent, int nOperation, const unsigned char* pBytes,
                              std::size_t nCount);

// The short name of an operation code, "op 35" for one the program does not have.
std::string OperationName(int nOperation);

// The first lines of a trace file: what the columns hold.
std::string TraceHeader(const char* pszStarted);

// The trace's last line when it reaches its size limit (nLimitMB megabytes), in the
// records' manner: the time first.
std::string TraceLimitLine(const char* pszTime, int nLimitMB);

// The size limit in megabytes that a setting gives: below 1 it is the default.
int TraceLimitMegabytes(int nSetting);
const int kDefaultTraceLimitMB = 100;

// The bytes a text takes in a file written in text mode, where each line feed becomes
// CR LF.
unsigned long long TextFileBytes(const std::string& strText);
