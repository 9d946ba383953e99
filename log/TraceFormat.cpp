#include "TraceFormat.h"

#include <algorithm>
#include <cstdio>

namespace {
const char* const kOperationNames[] = {
    "idle",      "wake-up",  "image start", "download",  "clock",     "text S",    "query",
    "read-out",  "capture",  "Y",           "X",         "text N",    "text H",    "config r",
    "config h",  "config 3", "config b",    "config R",  "config H",  "config 1",  "config B",
    "read g",    "write G",  "read j",      "write J",   "read w",    "write W",   "read 4",
    "read c",    "write C",  "read f",      "write F",   "write 2",   "monitor",   "write F only",
};
const int kOperationCount = static_cast<int>(sizeof kOperationNames / sizeof kOperationNames[0]);
const std::size_t kRowBytes = 16;
}

std::string OperationName(int nOperation)
{
    if (nOperation >= 0 && nOperation < kOperationCount)
        return kOperationNames[nOperation];
    return "op " + std::to_string(nOperation);
}

std::string FormatTraceRecord(const char* pszTime, bool bSent, int nOperation, const unsigned char* pBytes,
                              std::size_t nCount)
{
    static const char kHex[] = "0123456789ABCDEF";
    char szLead[64];
    int nLead = std::snprintf(szLead, sizeof szLead, "%s %s %2d %-12s ", pszTime, bSent ? "TX" : "RX", nOperation,
                              OperationName(nOperation).c_str());
    const std::string strIndent(nLead > 0 ? static_cast<std::size_t>(nLead) : 0, ' ');
    std::string strOut;
    for (std::size_t nRow = 0; nRow < nCount || nRow == 0; nRow += kRowBytes) {
        std::string strHex, strText;
        for (std::size_t i = nRow; i < nRow + kRowBytes; ++i) {
            if (i < nCount) {
                strHex += kHex[pBytes[i] >> 4];
                strHex += kHex[pBytes[i] & 15];
                strHex += ' ';
                strText += pBytes[i] >= 0x20 && pBytes[i] < 0x7F ? static_cast<char>(pBytes[i]) : '.';
            } else {
                strHex += "   ";
            }
        }
        strOut += nRow == 0 ? szLead : strIndent;
        strOut += strHex + "|" + strText + "|\n";
    }
    return strOut;
}

std::string TraceHeader(const char* pszStarted)
{
    return std::string("Zevanto traffic trace, started ") + pszStarted +
           "\ntime         TX sent / RX received, the operation in progress, the bytes in hex |as text|\n";
}

std::string TraceLimitLine(const char* pszTime, int nLimitMB)
{
    return std::string(pszTime) + " -- the trace ends here: it has reached its size limit of " +
           std::to_string(nLimitMB) + " MB ([Debug] TraceLimitMB in ZEV.INI)\n";
}

int TraceLimitMegabytes(int nSetting)
{
    return nSetting >= 1 ? nSetting : kDefaultTraceLimitMB;
}

unsigned long long TextFileBytes(const std::string& strText)
{
    return strText.size() + static_cast<unsigned long long>(std::count(strText.begin(), strText.end(), '\n'));
}
