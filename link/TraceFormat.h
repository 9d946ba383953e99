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
