// The replies of the parameter reads ('g', 'j', 'w', 'f', '4', 'c'), as text rules that
// need no window. Every comparison is exact and case-sensitive over the whole reply line.
#pragma once

// 'g', 'j' and 'c': 0 for "0", 1 for "1", -1 for anything else.
int ParseOnOffReply(const char* pszReply);

// 'w': the number at the start of the reply, as atol reads it.
int ParseParamWReply(const char* pszReply);

// 'f': 0 to 3 from the reply's first character; false (nothing to store) for any other
// first character and for an empty reply.
bool ParseParamFReply(const char* pszReply, int& nValue);

// '4': 0 "RS232", 1 "RS232 MODIFIED", 2 "RS485", 3 anything else.
int ParseInterfaceReply(const char* pszReply);

// The 'j' parameter is shown inverted: its box is checked when the device says 0.
// 0 and 1 swap; anything else (-1, or an indeterminate box's 2) stays "none" (-1).
int InvertParamJ(int nValue);
