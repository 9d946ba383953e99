// The device's replies, as text rules that need no window: the numbers and words of the
// configuration read ('r', 'h', '3', 'b') and of the parameter reads ('g', 'j', 'w', 'f',
// '4', 'c'). Every comparison is exact and case-sensitive over the whole reply line.
#pragma once

// --- the configuration read ---------------------------------------------------------------
// A number at the start of a text, as atol reads it: blanks skipped, an optional sign,
// the digits up to the first other character; 0 when there are none. Values beyond
// the 32-bit range are held at its ends.
int LeadingNumber(const char* pszText);

// The 'r' reply, three numbers separated by commas ("9,33,0"). A number is taken only
// where a comma follows the one before it: "9,33" gives one number, "9" none. Returns
// how many of anValues were set (0 to 3); the others keep their values.
int ParseCfgValueList(const char* pszReply, int anValues[3]);

// 0 when the reply is exactly pszForZero, 1 when it is exactly pszForOne, else -1.
// Exact and case-sensitive.
int MatchCfgWord(const char* pszReply, const char* pszForZero, const char* pszForOne);

// --- the parameter reads ------------------------------------------------------------------
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
