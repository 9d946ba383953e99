// The device settings file: any bytes are either refused with a fault or read as settings
// that the writer writes back to a text reading as exactly the same settings, a text the
// writer reproduces byte for byte; settings compared with themselves are all equal and
// plan no write. The input also read as a settings file's fields must round-trip, also
// through the changes an editor makes to the text.
#include "FuzzCheck.h"
#include "DeviceSettingsFile.h"
#include "SettingsRules.h"

#include <cstdint>
#include <string>

namespace {

bool SameSettings(const DeviceSettings& a, const DeviceSettings& b)
{
    return a.strType == b.strType && a.strIdent == b.strIdent && a.strSaved == b.strSaved
        && a.strTool == b.strTool && a.replies == b.replies;
}

void CheckWrittenBack(const DeviceSettings& settings)
{
    const std::string strText = WriteSettingsText(settings);
    const SettingsReadResult again = ReadSettingsText(strText);
    FUZZ_CHECK(again.fault == SettingsFault::None);
    FUZZ_CHECK(SameSettings(again.settings, settings));
    FUZZ_CHECK(WriteSettingsText(again.settings) == strText);
}

// The writer's text as an editor may leave it: a byte-order mark in front, LF or CR LF
// line ends, blanks and tabs around the '=' and at both ends of each line, each hex
// escape in lower case; the input's bytes say which. It reads as the same settings.
void CheckAsEdited(const DeviceSettings& settings, const std::string& strChoices)
{
    const std::string strText = WriteSettingsText(settings);
    std::size_t nChoice = 0;
    auto choose = [&](unsigned nKinds) {
        unsigned char ch = strChoices.empty() ? 0 : static_cast<unsigned char>(strChoices[nChoice++ % strChoices.size()]);
        return static_cast<unsigned>(ch) % nKinds;
    };
    const char* const kBlanks[] = { "", " ", "\t", "  \t " };
    std::string strEdited = choose(2) ? "\xEF\xBB\xBF" : "";
    for (std::size_t nPos = 0; nPos < strText.size();) {
        std::size_t nEnd = strText.find("\r\n", nPos);
        std::string strLine = strText.substr(nPos, nEnd - nPos);
        nPos = nEnd + 2;
        std::size_t nEquals = strLine[0] == ';' || strLine[0] == '[' ? std::string::npos : strLine.find('=');
        if (nEquals != std::string::npos) {
            for (std::size_t i = nEquals; i + 3 < strLine.size(); ++i)
                if (strLine[i] == '\\' && strLine[i + 1] == 'x') {
                    for (std::size_t j = i + 2; j < i + 4; ++j)
                        if (strLine[j] >= 'A' && strLine[j] <= 'F')
                            strLine[j] = static_cast<char>(strLine[j] - 'A' + 'a');
                    i += 3;
                } else if (strLine[i] == '\\') {
                    ++i; // "\\\\": the second backslash starts nothing
                }
            strLine = strLine.substr(0, nEquals) + kBlanks[choose(4)] + "=" + kBlanks[choose(4)]
                + strLine.substr(nEquals + 1);
        }
        strEdited += kBlanks[choose(4)] + strLine + kBlanks[choose(4)] + (choose(2) ? "\r\n" : "\n");
    }
    const SettingsReadResult again = ReadSettingsText(strEdited);
    FUZZ_CHECK(again.fault == SettingsFault::None);
    FUZZ_CHECK(SameSettings(again.settings, settings));
}

// The bytes cut into the thirteen fields at each 0xFF, for settings no reader made.
DeviceSettings FieldsOf(const std::string& strBytes)
{
    DeviceSettings settings;
    std::string* apFields[4 + kSettingsCount] = { &settings.strType, &settings.strIdent, &settings.strSaved,
                                                  &settings.strTool };
    for (int i = 0; i < kSettingsCount; ++i)
        apFields[4 + i] = &settings.replies[i];
    int nField = 0;
    for (char ch : strBytes) {
        if (static_cast<unsigned char>(ch) == 0xFF && nField < 4 + kSettingsCount - 1)
            ++nField;
        else
            *apFields[nField] += ch;
    }
    return settings;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    const std::string strBytes(reinterpret_cast<const char*>(pData), nSize);

    const SettingsReadResult result = ReadSettingsText(strBytes);
    if (result.fault == SettingsFault::None) {
        FUZZ_CHECK(result.nLine == 0);
        CheckWrittenBack(result.settings);
        const std::vector<SettingsRow> rows = CompareSettings(result.settings.replies, result.settings.replies);
        FUZZ_CHECK(rows.size() == static_cast<std::size_t>(kSettingsCount));
        for (const SettingsRow& row : rows)
            FUZZ_CHECK(row.action == RowAction::Equal);
        FUZZ_CHECK(PlanSettingsWrites(rows).empty());
    } else {
        // A fault's line lies within the text; the whole-file faults name none or the last.
        std::size_t nLines = 0;
        for (char ch : strBytes)
            nLines += ch == '\n';
        FUZZ_CHECK(result.nLine <= nLines + 1);
        FUZZ_CHECK(result.settings.strType.empty());
    }

    const DeviceSettings fields = FieldsOf(strBytes);
    CheckWrittenBack(fields);
    CheckAsEdited(fields, strBytes);

    std::string strValue;
    const std::string strEscaped = EscapeSettingsValue(strBytes);
    FUZZ_CHECK(strEscaped.find_first_of("\r\n") == std::string::npos);
    FUZZ_CHECK(UnescapeSettingsValue(strEscaped, strValue) && strValue == strBytes);
    return 0;
}
