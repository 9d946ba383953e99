// The replies of the configuration read ('r', 'h', '3', 'b'), as text rules that need no
// window. Every comparison is exact and case-sensitive over the whole reply line.
#pragma once

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
