// What a save or restore of the device settings says, in the words of the language library.
#include "SettingsTexts.h"
#include "SettingsRun.h"
#include "StringFormats.h"
#include "resource.h"

std::string ToStd(const CString& str)
{
    return std::string(str.GetString(), static_cast<std::size_t>(str.GetLength()));
}

CString Shown(const std::string& strValue)
{
    return EscapeSettingsValue(strValue).c_str();
}

CString Quoted(char chLetter)
{
    return CString("'") + CString(chLetter) + "'";
}

CString LetterList(const std::string& strLetters)
{
    CString strList;
    for (char chLetter : strLetters) {
        if (!strList.IsEmpty())
            strList += ", ";
        strList += Quoted(chLetter);
    }
    return strList;
}

CString RunCutText(const SettingsRun& run)
{
    char chLetter = run.CurrentLetter();
    CString strStep = chLetter ? Quoted(chLetter) : CString("-");
    if (run.m_purpose == SettingsRun::Save)
        return FormatById(IDS_SETTINGS_CUT_SAVE, "s", "Saving the device settings stopped at %s: no file was written",
                          strStep.GetString());
    if (run.m_strWritten.empty())
        return FormatById(IDS_SETTINGS_CUT_NONE, "s", "Restoring the device settings stopped at %s: nothing was written",
                          strStep.GetString());
    return FormatById(IDS_SETTINGS_CUT_WRITTEN, "ss", "Restoring the device settings stopped at %s; already written: %s",
                      strStep.GetString(), LetterList(run.m_strWritten).GetString());
}

CString RefusalText(const SettingsValue& value)
{
    switch (value.refusal) {
    case SettingsRefusal::NotNumbers:
        return LoadText(IDS_SETTINGS_REFUSED_NUMBERS, "not a number the device takes");
    case SettingsRefusal::OutOfRange:
        return FormatById(IDS_SETTINGS_REFUSED_RANGE, "uu", "outside %u to %u", value.nMin, value.nMax);
    case SettingsRefusal::UnknownWord:
        return LoadText(IDS_SETTINGS_REFUSED_WORD, "not a value the device knows");
    case SettingsRefusal::None:
        break;
    }
    return CString();
}

CString FaultText(const SettingsReadResult& result)
{
    const char* pszDetail = result.strDetail.c_str();
    switch (result.fault) {
    case SettingsFault::TooLarge:
        return LoadText(IDS_SETFILE_TOO_LARGE, "it is larger than any settings file");
    case SettingsFault::NotText:
        return FormatById(IDS_SETFILE_NOT_TEXT, "u", "line %u holds a NUL byte: it is no text", result.nLine);
    case SettingsFault::BadLine:
        return FormatById(IDS_SETFILE_BAD_LINE, "u", "line %u is no comment, section or key=value", result.nLine);
    case SettingsFault::UnknownSection:
        return FormatById(IDS_SETFILE_UNKNOWN_SECTION, "us", "line %u: unknown section [%s]", result.nLine, pszDetail);
    case SettingsFault::UnknownKey:
        return FormatById(IDS_SETFILE_UNKNOWN_KEY, "us", "line %u: unknown key %s", result.nLine, pszDetail);
    case SettingsFault::DuplicateKey:
        return FormatById(IDS_SETFILE_DUPLICATE_KEY, "us", "line %u: %s is given twice", result.nLine, pszDetail);
    case SettingsFault::BadEscape:
        return FormatById(IDS_SETFILE_BAD_ESCAPE, "u", "line %u: a backslash that starts no escape", result.nLine);
    case SettingsFault::MissingType:
        return LoadText(IDS_SETFILE_MISSING_TYPE, "it does not say the device type");
    case SettingsFault::MissingValue:
        return FormatById(IDS_SETFILE_MISSING_VALUE, "s", "the value '%s' is missing", pszDetail);
    case SettingsFault::NoEnd:
        return LoadText(IDS_SETFILE_NO_END, "it ends before [End]: the file was cut short");
    case SettingsFault::AfterEnd:
        return FormatById(IDS_SETFILE_AFTER_END, "u", "line %u: text after [End]", result.nLine);
    case SettingsFault::None:
        break;
    }
    return CString();
}
