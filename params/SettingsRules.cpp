#include "SettingsRules.h"
#include "ConfigRules.h"

#include <cstring>

namespace {

const char kWriteLetters[] = "RH1BJWF2C"; // the write letter of each read letter, same order

const unsigned kWMax = 2147483647u;

// A whole text of decimal digits, nothing else, as a number; false for an empty text, a
// text with any other byte, or more than 10 digits or a number past 32 bits.
bool ReadStrictNumber(const std::string& strText, std::size_t nFrom, std::size_t nTo, unsigned& nValue)
{
    if (nFrom >= nTo || nTo - nFrom > 10)
        return false;
    unsigned long long nNumber = 0;
    for (std::size_t i = nFrom; i < nTo; ++i) {
        char ch = strText[i];
        if (ch < '0' || ch > '9')
            return false;
        nNumber = nNumber * 10 + static_cast<unsigned>(ch - '0');
    }
    if (nNumber > 0xFFFFFFFFull)
        return false;
    nValue = static_cast<unsigned>(nNumber);
    return true;
}

// "a,b,c": exactly three strict numbers.
bool ReadNumberTriple(const std::string& strReply, unsigned anNumbers[3])
{
    std::size_t nFirstComma = strReply.find(',');
    if (nFirstComma == std::string::npos)
        return false;
    std::size_t nSecondComma = strReply.find(',', nFirstComma + 1);
    if (nSecondComma == std::string::npos)
        return false;
    return ReadStrictNumber(strReply, 0, nFirstComma, anNumbers[0])
        && ReadStrictNumber(strReply, nFirstComma + 1, nSecondComma, anNumbers[1])
        && ReadStrictNumber(strReply, nSecondComma + 1, strReply.size(), anNumbers[2]);
}

// The position of the reply among the words; -1 when it is none of them.
int WordIndex(const std::string& strReply, const char* const* apszWords, int nWords)
{
    for (int i = 0; i < nWords; ++i)
        if (strReply == apszWords[i])
            return i;
    return -1;
}

const char* const kOnOff[] = { "0", "1" };
const char* const kKinds[] = { "OTHER", "SCANIA" };
const char* const kInterfaces[] = { "RS232", "RS232 MODIFIED", "RS485" };
const char* const kDigitsF[] = { "0", "1", "2", "3" };

SettingsValue Word(const std::string& strReply, const char* const* apszWords, int nWords)
{
    SettingsValue value;
    int nIndex = WordIndex(strReply, apszWords, nWords);
    if (nIndex < 0)
        value.refusal = SettingsRefusal::UnknownWord;
    else
        value.anNumbers[0] = static_cast<unsigned>(nIndex);
    return value;
}

SettingsValue NumbersR(const std::string& strReply)
{
    static const unsigned kRanges[3][2] = { { kValue1Min, kValue1Max }, { kValue2Min, kValue2Max },
                                            { kValue3Min, kValue3Max } };
    SettingsValue value;
    if (!ReadNumberTriple(strReply, value.anNumbers)) {
        value = SettingsValue();
        value.refusal = SettingsRefusal::NotNumbers;
        return value;
    }
    for (int i = 0; i < 3; ++i) {
        if (value.anNumbers[i] < kRanges[i][0] || value.anNumbers[i] > kRanges[i][1]) {
            value.refusal = SettingsRefusal::OutOfRange;
            value.nMin = kRanges[i][0];
            value.nMax = kRanges[i][1];
            value.nNumber = i + 1;
            break;
        }
    }
    return value;
}

// 'w': any count of digits; a number past the range is out of range, not "no number".
SettingsValue NumberW(const std::string& strReply)
{
    SettingsValue value;
    if (strReply.empty() || strReply.find_first_not_of("0123456789") != std::string::npos) {
        value.refusal = SettingsRefusal::NotNumbers;
        return value;
    }
    unsigned long long nNumber = 0;
    for (char ch : strReply) {
        nNumber = nNumber * 10 + static_cast<unsigned>(ch - '0');
        if (nNumber > kWMax)
            nNumber = kWMax + 1ull; // held: more digits change nothing
    }
    if (nNumber > kWMax) {
        value.refusal = SettingsRefusal::OutOfRange;
        value.nMin = 0;
        value.nMax = kWMax;
        return value;
    }
    value.anNumbers[0] = static_cast<unsigned>(nNumber);
    return value;
}

} // namespace

SettingsValue SettingsValueOf(char chLetter, const std::string& strReply)
{
    switch (chLetter) {
    case 'r':
        return NumbersR(strReply);
    case 'h': case 'b': case 'j': case 'c':
        return Word(strReply, kOnOff, 2);
    case '3':
        return Word(strReply, kKinds, 2);
    case 'w':
        return NumberW(strReply);
    case 'f':
        return Word(strReply, kDigitsF, 4);
    case '4':
        return Word(strReply, kInterfaces, 3);
    default: {
        SettingsValue value;
        value.refusal = SettingsRefusal::UnknownWord;
        return value;
    }
    }
}

bool IsSettingsReplyValue(char chLetter, const std::string& strReply)
{
    SettingsRefusal refusal = SettingsValueOf(chLetter, strReply).refusal;
    return refusal == SettingsRefusal::None || refusal == SettingsRefusal::OutOfRange;
}

std::string DescribeSettingsReply(char chLetter, const std::string& strReply)
{
    SettingsValue value = SettingsValueOf(chLetter, strReply);
    if (chLetter == 'r') {
        // The meaning of three numbers is plain even out of range.
        if (value.refusal == SettingsRefusal::NotNumbers)
            return std::string();
        return "three numbers: " + std::to_string(value.anNumbers[0]) + ", "
            + std::to_string(value.anNumbers[1]) + ", " + std::to_string(value.anNumbers[2]);
    }
    if (value.refusal != SettingsRefusal::None)
        return std::string();
    unsigned n = value.anNumbers[0];
    switch (chLetter) {
    case 'h':
        return n == 0 ? "entry mode: direct" : "entry mode: in thirds";
    case '3':
        return std::string("kind: ") + kKinds[n];
    case 'b':
        return "option b: " + std::to_string(n);
    case 'j':
        return n == 0 ? "parameter j: 0 (function j active)" : "parameter j: 1 (function j off)";
    case 'w':
        if (n == 1)
            return "switch w: on";
        if (n == 0)
            return "switch w: off";
        return "parameter w: " + std::to_string(n);
    case 'f':
        return "parameter f: " + std::to_string(n) + " (high bit " + std::to_string(n >> 1)
            + ", low bit " + std::to_string(n & 1) + ")";
    case '4':
        return std::string("interface: ") + kInterfaces[n];
    case 'c':
        return "parameter c: " + std::to_string(n);
    default:
        return std::string();
    }
}

bool SameSetting(char chLetter, const std::string& strA, const std::string& strB)
{
    if (strA == strB)
        return true;
    SettingsValue a = SettingsValueOf(chLetter, strA);
    SettingsValue b = SettingsValueOf(chLetter, strB);
    if (a.refusal != SettingsRefusal::None || b.refusal != SettingsRefusal::None)
        return false;
    return a.anNumbers[0] == b.anNumbers[0] && a.anNumbers[1] == b.anNumbers[1]
        && a.anNumbers[2] == b.anNumbers[2];
}

std::vector<SettingsRow> CompareSettings(const std::array<std::string, kSettingsCount>& device,
                                         const std::array<std::string, kSettingsCount>& file)
{
    std::vector<SettingsRow> rows;
    for (int i = 0; i < kSettingsCount; ++i) {
        SettingsRow row;
        row.chLetter = kSettingsLetters[i];
        row.strDevice = device[i];
        row.strFile = file[i];
        row.value = SettingsValueOf(row.chLetter, file[i]);
        if (SameSetting(row.chLetter, device[i], file[i]))
            row.action = RowAction::Equal;
        else if (row.value.refusal == SettingsRefusal::None)
            row.action = RowAction::Write;
        else
            row.action = RowAction::Refused;
        rows.push_back(row);
    }
    return rows;
}

std::string PlanSettingsWrites(const std::vector<SettingsRow>& rows)
{
    bool abWrite[kSettingsCount] = {};
    bool bFileFTaken = false; // the file's 'f' is a value the device takes
    for (const SettingsRow& row : rows) {
        int nIndex = SettingsIndex(row.chLetter);
        if (nIndex < 0)
            continue;
        if (row.action == RowAction::Write)
            abWrite[nIndex] = true;
        if (row.chLetter == 'f' && row.value.refusal == SettingsRefusal::None)
            bFileFTaken = true;
    }
    // The device's 'w' cycle writes 'F' after every 'W': the file's 'f' goes with it,
    // unless it is no value the device takes.
    if (abWrite[SettingsIndex('w')] && bFileFTaken)
        abWrite[SettingsIndex('f')] = true;
    std::string strPlan;
    for (int i = 0; i < kSettingsCount; ++i)
        if (abWrite[i])
            strPlan += kWriteLetters[i];
    return strPlan;
}

char SettingsReadLetterOf(char chWriteLetter)
{
    if (chWriteLetter == 0)
        return 0;
    const char* pszAt = std::strchr(kWriteLetters, chWriteLetter);
    return pszAt ? kSettingsLetters[pszAt - kWriteLetters] : 0;
}
