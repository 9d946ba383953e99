// Hex digits as the program's files and records hold them: a digit read in either case,
// a byte written as two digits.
#pragma once

#include <string>

// The value of a hex digit, '0' to '9', 'A' to 'F' or 'a' to 'f': 0 to 15; -1 for any
// other byte.
int HexDigitValue(char ch);

// Appends the byte as two hex digits, upper case ("0D") unless bLowerCase ("0d").
void AppendHexByte(std::string& str, unsigned char b, bool bLowerCase = false);
