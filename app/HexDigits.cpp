#include "HexDigits.h"

int HexDigitValue(char ch)
{
    if (ch >= '0' && ch <= '9')
        return ch - '0';
    if (ch >= 'A' && ch <= 'F')
        return ch - 'A' + 10;
    if (ch >= 'a' && ch <= 'f')
        return ch - 'a' + 10;
    return -1;
}

void AppendHexByte(std::string& str, unsigned char b, bool bLowerCase)
{
    const char* pszDigits = bLowerCase ? "0123456789abcdef" : "0123456789ABCDEF";
    str += pszDigits[b >> 4];
    str += pszDigits[b & 0x0F];
}
