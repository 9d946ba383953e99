// The device settings file (.ZEVSET): a plain INI-style text that a person can read and
// diff. A header section says which device the values came from, and one key per value
// holds the device's reply exactly as it came, so a reply the tool does not understand
// is kept rather than turned into a number. Reading and writing need no window.
//
//   ; Zevanto device settings
//   [Device]
//   Type=Corlaxa
//   Identification=Corlaxa V2.14 SN 104711
//   Saved=2026-12-07 21:40:05
//   Tool=Version 1.0.0.0001 (abc1234)
//
//   [Values]
//   ; three numbers: 9, 33, 0
//   r=9,33,0
//   ...                      (h, 3, b, j, w, f, 4, c: always all nine, in this order)
//
//   [End]
//
// Lines end in CR LF. A value runs from the '=' to the end of its line; a backslash
// starts an escape: "\\" for a backslash, "\xHH" (two upper-case hex digits) for a byte
// below 0x20 or above 0x7E, and for a blank at either end of the value, so that blanks
// around the '=' and at the ends of a line are no part of a value and the reader drops
// them. Comments (';') are written from the values and ignored when read.
#pragma once

#include <array>
#include <cstddef>
#include <string>

// The read letters whose replies a device settings file holds, in the order of the file, of the
// reads and of the comparison.
constexpr char kSettingsLetters[] = "rh3bjwf4c";
constexpr int kSettingsCount = 9;

// The position of a read letter in kSettingsLetters; -1 for any other byte.
int SettingsIndex(char chLetter);

struct DeviceSettings {
    std::string strType;   // the device type's name: "Vantik", "Corlaxa" or "Brennix"
    std::string strIdent;  // the device's identification line from the wake-up
    std::string strSaved;  // when the values were read, "yyyy-mm-dd hh:mm:ss"
    std::string strTool;   // the tool's version text
    std::array<std::string, kSettingsCount> replies; // each letter's reply, without its CR
};

// The file's whole text. Any bytes in the fields are written so that they read back
// unchanged.
std::string WriteSettingsText(const DeviceSettings& settings);

// Why a text is no device settings file that can be used; the line is where it was found.
enum class SettingsFault {
    None,
    TooLarge,        // more than kMaxSettingsFile bytes: no device settings file
    NotText,         // a NUL byte
    BadLine,         // a line that is no comment, section or key=value
    UnknownSection,  // a section other than [Device], [Values], [End]
    UnknownKey,      // a key its section does not have, or a key before any section
    DuplicateKey,    // a key given twice
    BadEscape,       // a backslash not followed by "\\" or "\xHH"
    MissingType,     // no Type in [Device] (line 0)
    MissingValue,    // one of the nine values is missing (strDetail names it; line 0)
    NoEnd,           // the text ends before [End]: a file cut short (the line: its last)
    AfterEnd,        // something other than blank lines and comments after [End]
};

constexpr std::size_t kMaxSettingsFile = 64 * 1024;

struct SettingsReadResult {
    SettingsFault fault = SettingsFault::None;
    unsigned nLine = 0;      // 1-based line of the fault; 0 when it is the file as a whole
    std::string strDetail;   // the key, section or letter concerned, where there is one
    DeviceSettings settings; // complete only when fault is None
};

// Reads a device settings file's text as an editor may leave it: a UTF-8 byte-order mark in
// front, LF as well as CR LF line ends, blanks around the '=' and at the ends of a line,
// hex escapes in either case ("\x0d"); comments and blank lines may stand anywhere; the
// sections and the keys within them in any order. Section and key names are exact.
SettingsReadResult ReadSettingsText(const std::string& strText);

// The file holds the settings of a device of this type: its Type is the type's name in
// any case ("corlaxa" is a Corlaxa's).
bool IsSettingsOfType(const DeviceSettings& settings, const char* pszTypeName);

// The escaped form of one value, as the file holds it (also how the comparison shows a
// value, so that a control byte is visible); and back. UnescapeSettingsValue returns
// false for a bad escape.
std::string EscapeSettingsValue(const std::string& strValue);
bool UnescapeSettingsValue(const std::string& strEscaped, std::string& strValue);
