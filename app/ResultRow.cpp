#include "ResultRow.h"

#include <cmath>

namespace {

const char kHexUpper[] = "0123456789ABCDEF";
const char kHexLower[] = "0123456789abcdef";

// Seconds with one decimal and always a point, whatever locale the process has.
std::string TenthsText(double dSeconds)
{
    // A duration below zero (the clock was set back) or no number at all is written as 0.
    if (!(dSeconds >= 0))
        dSeconds = 0;
    if (dSeconds > 1e12)
        dSeconds = 1e12;
    const long long nTenths = std::llround(dSeconds * 10);
    return std::to_string(nTenths / 10) + "." + std::to_string(nTenths % 10);
}

} // namespace

std::string CsvField(const std::string& strValue)
{
    std::string strField;
    strField.reserve(strValue.size() + 2);
    bool bQuote = !strValue.empty() && (strValue.front() == ' ' || strValue.back() == ' ');
    for (char c : strValue) {
        const unsigned char b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F || c == '\\') {
            strField += "\\x";
            strField += kHexUpper[b >> 4];
            strField += kHexUpper[b & 0x0F];
        } else if (c == '"') {
            strField += "\"\"";
            bQuote = true;
        } else {
            strField += c;
            bQuote = bQuote || c == ',';
        }
    }
    return bQuote ? "\"" + strField + "\"" : strField;
}

std::string ResultCsvHeader(std::size_t nSteps)
{
    std::string strHeader =
        "Date,Time,Port,Device,Identification,Result,Exit code,Seconds,Firmware,Firmware bytes,Firmware SHA-256";
    for (std::size_t i = 1; i <= nSteps; ++i)
        strHeader += ",Step " + std::to_string(i) + ",Outcome " + std::to_string(i);
    return strHeader + "\r\n";
}

std::string ResultCsvRow(const UnitResult& unit)
{
    std::string strRow = CsvField(unit.strDate);
    strRow += "," + CsvField(unit.strTime);
    strRow += ",COM" + std::to_string(unit.nPort);
    strRow += "," + CsvField(unit.strDevice);
    strRow += "," + CsvField(unit.strIdent);
    strRow += unit.nExitCode == 0 ? ",done" : ",failed";
    strRow += "," + std::to_string(unit.nExitCode);
    strRow += "," + TenthsText(unit.dSeconds);
    strRow += "," + CsvField(unit.strFirmware);
    strRow += "," + (unit.nFirmwareBytes < 0 ? std::string() : std::to_string(unit.nFirmwareBytes));
    strRow += "," + CsvField(unit.strFirmwareSha256);
    for (const auto& step : unit.steps)
        strRow += "," + CsvField(step.first) + "," + CsvField(step.second);
    return strRow + "\r\n";
}

std::string HexOfBytes(const unsigned char* pBytes, std::size_t nCount)
{
    std::string strHex;
    strHex.reserve(nCount * 2);
    for (std::size_t i = 0; i < nCount; ++i) {
        strHex += kHexLower[pBytes[i] >> 4];
        strHex += kHexLower[pBytes[i] & 0x0F];
    }
    return strHex;
}
