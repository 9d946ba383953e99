// The device settings file: any bytes are either refused with a fault or read as settings
// that the writer writes back to a text reading as exactly the same settings, a text the
// writer reproduces byte for byte; settings compared with themselves are all equal and
// plan no write. The input also read as a settings file's fields must round-trip.
#include "FuzzCheck.h"
#include "SettingsFile.h"
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

    CheckWrittenBack(FieldsOf(strBytes));

    std::string strValue;
    const std::string strEscaped = EscapeSettingsValue(strBytes);
    FUZZ_CHECK(strEscaped.find_first_of("\r\n") == std::string::npos);
    FUZZ_CHECK(UnescapeSettingsValue(strEscaped, strValue) && strValue == strBytes);
    return 0;
}
