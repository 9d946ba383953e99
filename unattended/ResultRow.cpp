#include "ResultRow.h"
#include "CommandLine.h"
#include "HexDigits.h"

#include <cmath>

namespace {

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

// The step kinds' columns, in the row's order, after the connect's outcome.
struct StepColumns {
    StepKind kind;
    const char* pszOutcome; // the header's names of the pair
    const char* pszFile;
};
const StepColumns kStepColumns[] = {
    { StepKind::Download, "Download", "Download file" },
    { StepKind::Clock, "Clock", "Clock file" },
    { StepKind::RestoreSettings, "Restore settings", "Restore settings file" },
    { StepKind::SaveSettings, "Save settings", "Save settings file" },
    { StepKind::Readout, "Readout", "Readout file" },
};
const char kConnect[] = "connect";

bool IsFailure(const std::string& strOutcome)
{
    return strOutcome != "done" && strOutcome != "skipped";
}

// The outcome and the files of every step named pszName: empty when none ran.
void Gather(const UnitResult& unit, const char* pszName, std::string& strOutcome, std::string& strFiles)
{
    strOutcome.clear();
    strFiles.clear();
    for (const StepOutcome& step : unit.steps) {
        if (step.strName != pszName)
            continue;
        // The first failure stands; a skip outranks a done, which says only that one ran.
        if (strOutcome.empty() || (!IsFailure(strOutcome) && (IsFailure(step.strOutcome) || step.strOutcome == "skipped")))
            strOutcome = step.strOutcome;
        if (!step.strFile.empty())
            strFiles += (strFiles.empty() ? "" : ";") + step.strFile;
    }
}

} // namespace

// Not the escape of a .ZEVSET value (EscapeSettingsValue), on purpose: a row is read by a
// spreadsheet and a person, never back by the tool. Bytes from 0x80 stay, so file names and
// identifications in the user's code page stay readable; blanks at the ends are kept by the
// quotes, as CSV keeps them; a backslash is \x5C like any escaped byte, so that "\x" in a
// row always starts an escape.
std::string CsvField(const std::string& strValue)
{
    std::string strField;
    strField.reserve(strValue.size() + 2);
    bool bQuote = !strValue.empty() && (strValue.front() == ' ' || strValue.back() == ' ');
    for (char c : strValue) {
        const unsigned char b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F || c == '\\') {
            strField += "\\x";
            AppendHexByte(strField, b);
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

std::string ResultCsvHeader()
{
    std::string strHeader =
        "Date,Time,Port,Device,Identification,Result,Exit code,Seconds,Firmware,Firmware bytes,Firmware SHA-256,Connect";
    for (const StepColumns& columns : kStepColumns)
        strHeader += std::string(",") + columns.pszOutcome + "," + columns.pszFile;
    return strHeader + "\r\n";
}

bool StartsWithResultHeader(const std::string& strStart)
{
    const std::string strHeader = ResultCsvHeader();
    const std::string strLine = strHeader.substr(0, strHeader.size() - 2);
    if (strStart.compare(0, strLine.size(), strLine) != 0)
        return false;
    const std::string strEnd = strStart.substr(strLine.size(), 2);
    return strEnd == "\r\n" || (!strEnd.empty() && strEnd[0] == '\n');
}

std::string ResultCsvRow(const UnitResult& unit)
{
    std::string strRow = CsvField(unit.strDate);
    strRow += "," + CsvField(unit.strTime);
    strRow += "," + CsvField(unit.strPort);
    strRow += "," + CsvField(unit.strDevice);
    strRow += "," + CsvField(unit.strIdent);
    strRow += unit.nExitCode == 0 ? ",done" : ",failed";
    strRow += "," + std::to_string(unit.nExitCode);
    strRow += "," + TenthsText(unit.dSeconds);
    strRow += "," + CsvField(unit.strFirmware);
    strRow += "," + (unit.nFirmwareBytes < 0 ? std::string() : std::to_string(unit.nFirmwareBytes));
    strRow += "," + CsvField(unit.strFirmwareSha256);
    std::string strOutcome;
    std::string strFiles;
    Gather(unit, kConnect, strOutcome, strFiles);
    strRow += "," + CsvField(strOutcome);
    for (const StepColumns& columns : kStepColumns) {
        Gather(unit, StepName(columns.kind), strOutcome, strFiles);
        strRow += "," + CsvField(strOutcome) + "," + CsvField(strFiles);
    }
    return strRow + "\r\n";
}

std::string HexOfBytes(const unsigned char* pBytes, std::size_t nCount)
{
    std::string strHex;
    strHex.reserve(nCount * 2);
    for (std::size_t i = 0; i < nCount; ++i)
        AppendHexByte(strHex, pBytes[i], true);
    return strHex;
}

std::string PendingFileName(const std::string& strResultPath)
{
    const std::size_t nLength = strResultPath.size();
    std::string strBase = strResultPath;
    if (nLength > 4) {
        std::string strEnd = strResultPath.substr(nLength - 4);
        for (char& c : strEnd)
            c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        // Only a name's own extension: ".csv" alone (a folder's end) is no name to cut.
        const char chBefore = strResultPath[nLength - 5];
        if (strEnd == ".csv" && chBefore != '\\' && chBefore != '/')
            strBase.resize(nLength - 4);
    }
    return strBase + ".pending.csv";
}

std::string PendingRows(const std::string& strPendingText, const std::string& strHeader)
{
    std::string strRows = strPendingText;
    if (strRows.compare(0, strHeader.size(), strHeader) == 0)
        strRows.erase(0, strHeader.size());
    if (!strRows.empty() && strRows.back() != '\n')
        strRows += "\r\n";
    return strRows;
}

std::string AppendText(long long nSize, char chLast, const std::string& strHeader, const std::string& strRows)
{
    if (nSize <= 0)
        return strHeader + strRows;
    if (chLast != '\n')
        return "\r\n" + strRows;
    return strRows;
}
