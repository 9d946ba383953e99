// What the values of a device settings file mean, which of them the device would take, and what
// a restore writes: the rules that need no window. A value is written only when the tool
// can turn the file's text into exactly what the write letter sends, within the ranges
// of the configuration editor and the words the device defines.
#pragma once

#include "DeviceSettingsFile.h"

#include <string>
#include <vector>

// A short English description of what a reply means, for the file's comment line
// ("three numbers: 9, 33, 0", "entry mode: direct", "kind: SCANIA", "interface: RS485");
// empty when the reply means nothing the tool knows.
std::string DescribeSettingsReply(char chLetter, const std::string& strReply);

// Why a file's value is not written.
enum class SettingsRefusal {
    None,
    NotNumbers,    // 'r': not three unsigned decimal numbers "a,b,c"; 'w': not an unsigned number
    OutOfRange,    // a number outside its range (nMin, nMax say which)
    UnknownWord,   // a word or digit the device does not define for this letter
};

// The value a write sends, in the coding of the member the write transaction uses:
// 'r' three numbers (anNumbers); 'h', 'b', 'j', 'c' 0 or 1; '3' 0 OTHER or 1 SCANIA
// (m_nCfgKind); 'w' 0 to 2147483647; 'f' 0 to 3; '4' 0 RS232, 1 RS232 MODIFIED, 2 RS485.
struct SettingsValue {
    SettingsRefusal refusal = SettingsRefusal::None;
    unsigned anNumbers[3] = {}; // 'r': all three; the others: the first
    unsigned nMin = 0;          // OutOfRange: the range broken
    unsigned nMax = 0;
    int nNumber = 0;            // OutOfRange ('r'): which number, 1 to 3
};

// Strict: no blanks, no sign, no leading '+', exact case. 'r': 2..50, 10..150, 0..50.
SettingsValue SettingsValueOf(char chLetter, const std::string& strReply);

// The reply is a value of its read letter, as the device gives one: what SettingsValueOf
// takes, or numbers out of its ranges ('r' "60,33,0", 'w' past 2147483647). An empty line,
// a garbled reply or a word the letter does not have is none.
bool IsSettingsReplyValue(char chLetter, const std::string& strReply);

// Two replies hold the same setting: the same text, or texts that both turn into the
// same value to write.
bool SameSetting(char chLetter, const std::string& strA, const std::string& strB);

// One row of the comparison: what the device holds, what the file holds, and what the
// restore does with it.
enum class RowAction { Equal, Write, Refused };
struct SettingsRow {
    char chLetter = 0;
    std::string strDevice;
    std::string strFile;
    RowAction action = RowAction::Equal;
    SettingsValue value;        // the file's value (Write), or why not (Refused)
};

// The nine rows, in the order of kSettingsLetters.
std::vector<SettingsRow> CompareSettings(const std::array<std::string, kSettingsCount>& device,
                                         const std::array<std::string, kSettingsCount>& file);

// The write letters a restore sends for the rows to write, in the order the editor and
// the cycles use: "R", "H", "1", "B", "J", "W", "F", "2", "C". 'W' goes with the 'F'
// that follows it in the 'w' cycle: 'F' is written when its row is to be written, and
// after 'W' also when the file's 'f' is a value the device takes (never one that is
// not). "" when nothing is to be written.
std::string PlanSettingsWrites(const std::vector<SettingsRow>& rows);

// The read letter whose reply a write letter sets ('R' -> 'r', '1' -> '3', '2' -> '4',
// ...); 0 for any other byte.
char SettingsReadLetterOf(char chWriteLetter);
