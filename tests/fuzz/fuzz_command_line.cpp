// Any arguments and any field text. The parse names a fault or gives a command line whose
// files all came from the arguments (and whose steps a type refuses are those the table
// says it does not offer); a CSV field is always one line without control bytes
// and reads back as the bytes it was made from.
#include "CommandLine.h"
#include "FuzzCheck.h"
#include "ResultRow.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace {

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// A reader's view of one field: its quotes taken off and doubled quotes made one, then
// every \xHH made its byte. False for a field the writer could not have written.
bool DecodeField(const std::string& strField, std::string& strValue)
{
    std::string strText = strField;
    if (!strText.empty() && strText[0] == '"') {
        if (strText.size() < 2 || strText.back() != '"')
            return false;
        std::string strInner;
        for (std::size_t i = 1; i + 1 < strText.size(); ++i) {
            if (strText[i] == '"') {
                if (i + 2 >= strText.size() || strText[i + 1] != '"')
                    return false; // a lone quote inside
                ++i;
            }
            strInner += strText[i];
        }
        strText = strInner;
    } else if (strText.find('"') != std::string::npos || strText.find(',') != std::string::npos) {
        return false; // quotes and commas only inside quotes
    }
    strValue.clear();
    for (std::size_t i = 0; i < strText.size(); ++i) {
        if (strText[i] != '\\') {
            strValue += strText[i];
            continue;
        }
        if (i + 3 >= strText.size())
            return false;
        if (strText[i + 1] != 'x' || HexDigit(strText[i + 2]) < 0 || HexDigit(strText[i + 3]) < 0)
            return false;
        strValue += static_cast<char>(HexDigit(strText[i + 2]) * 16 + HexDigit(strText[i + 3]));
        i += 3;
    }
    return true;
}

void CheckParse(const std::vector<std::string>& args)
{
    const CommandLineParse parse = ParseCommandLine(args);
    if (parse.fault != ArgumentFault::None) {
        // The argument named is one of those given, or the switch that needs a step.
        FUZZ_CHECK(std::find(args.begin(), args.end(), parse.strArgument) != args.end());
        return;
    }
    FUZZ_CHECK(parse.strArgument.empty());
    const CommandLine& line = parse.line;
    FUZZ_CHECK(line.nPort >= 0 && line.nPort <= 4);
    FUZZ_CHECK(line.nDeviceType >= -1 && line.nDeviceType <= 2);
    FUZZ_CHECK(!line.steps.empty() || (line.strResult.empty() && !line.bRepeat));
    for (const RunStep& step : line.steps) {
        if (step.kind == StepKind::Clock) {
            FUZZ_CHECK(step.strFile.empty());
            continue;
        }
        FUZZ_CHECK(!step.strFile.empty());
        FUZZ_CHECK(std::find(args.begin(), args.end(), step.strFile) != args.end());
    }
    for (const std::string* pstrValue : { &line.strLanguage, &line.strResult }) {
        FUZZ_CHECK(pstrValue->empty() || std::find(args.begin(), args.end(), *pstrValue) != args.end());
    }
    // The step refused for a type is one of the line's, the first the type does not offer;
    // a Corlaxa offers every step.
    for (int nType = 0; nType < 3; ++nType) {
        StepKind kind = StepKind::Download;
        const bool bRefused = FindStepNotOffered(line, nType, kind);
        const auto firstNotOffered = std::find_if(line.steps.begin(), line.steps.end(), [nType](const RunStep& step) {
            return !DeviceTypeOffersStep(nType, step.kind);
        });
        FUZZ_CHECK(bRefused == (firstNotOffered != line.steps.end()));
        FUZZ_CHECK(!bRefused || kind == firstNotOffered->kind);
        FUZZ_CHECK(!bRefused || nType != 1);
    }
}

void CheckField(const std::string& strValue)
{
    const std::string strField = CsvField(strValue);
    for (char c : strField) {
        const unsigned char b = static_cast<unsigned char>(c);
        FUZZ_CHECK(b >= 0x20 && b != 0x7F);
    }
    std::string strDecoded;
    FUZZ_CHECK(DecodeField(strField, strDecoded));
    FUZZ_CHECK(strDecoded == strValue);
}

// The fields of a row without its CR LF, split at the commas outside quotes.
std::vector<std::string> SplitRow(const std::string& strRow)
{
    std::vector<std::string> fields(1);
    bool bQuoted = false;
    for (char c : strRow) {
        if (c == '"')
            bQuoted = !bQuoted; // a doubled quote toggles twice
        if (c == ',' && !bQuoted)
            fields.emplace_back();
        else
            fields.back() += c;
    }
    return fields;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    const std::string strInput(reinterpret_cast<const char*>(pData), nSize);
    std::vector<std::string> args;
    std::string::size_type nStart = 0;
    for (;;) {
        const std::string::size_type nEnd = strInput.find('\0', nStart);
        args.push_back(strInput.substr(nStart, nEnd == std::string::npos ? std::string::npos : nEnd - nStart));
        if (nEnd == std::string::npos)
            break;
        nStart = nEnd + 1;
    }
    if (nSize == 0)
        args.clear();
    CheckParse(args);
    CheckField(strInput);
    for (const std::string& strArg : args)
        CheckField(strArg);

    // A row of such fields is one line: its only CR LF is its end; its columns are fixed,
    // each step's outcome and file in its kind's place.
    static const char* const kNames[] = { "connect", "download", "clock", "restore-settings", "save-settings", "readout" };
    UnitResult unit;
    unit.strIdent = strInput;
    for (std::size_t i = 0; i + 1 < args.size() && i / 2 < 6; i += 2)
        unit.steps.emplace_back(kNames[i / 2], args[i], args[i + 1]);
    const std::string strRow = ResultCsvRow(unit);
    FUZZ_CHECK(strRow.size() >= 2 && strRow.compare(strRow.size() - 2, 2, "\r\n") == 0);
    FUZZ_CHECK(strRow.find_first_of(std::string("\r\n\0", 3)) == strRow.size() - 2);
    const std::vector<std::string> fields = SplitRow(strRow.substr(0, strRow.size() - 2));
    FUZZ_CHECK(fields.size() == 22);
    std::string strIdent;
    FUZZ_CHECK(DecodeField(fields[4], strIdent) && strIdent == unit.strIdent);
    for (std::size_t i = 0; i < unit.steps.size(); ++i) {
        std::string strOutcome;
        const std::size_t nColumn = i == 0 ? 11 : 10 + 2 * i;
        FUZZ_CHECK(DecodeField(fields[nColumn], strOutcome) && strOutcome == unit.steps[i].strOutcome);
        std::string strFile;
        FUZZ_CHECK(i == 0 || (DecodeField(fields[nColumn + 1], strFile) && strFile == unit.steps[i].strFile));
    }
    return 0;
}
