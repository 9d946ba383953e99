#include "DeviceSettingsFile.h"
#include "HexDigits.h"
#include "SettingsRules.h"

#include <cstring>

namespace {

const char kCrLf[] = "\r\n";

enum class Section { None, Device, Values, End };

// The header keys and their fields, in the order they are written.
const char* const kDeviceKeys[] = { "Type", "Identification", "Saved", "Tool" };
std::string DeviceSettings::* const kDeviceFields[] = {
    &DeviceSettings::strType, &DeviceSettings::strIdent, &DeviceSettings::strSaved, &DeviceSettings::strTool
};
const int kDeviceKeyCount = 4;

bool IsBlank(char ch)
{
    return ch == ' ' || ch == '\t';
}

// The text without blanks at either end. A value's own blanks at its ends are escaped by
// the writer, so what an editor adds or a person types around a key or a value can go.
std::string Trimmed(const std::string& strLine)
{
    std::size_t nFirst = 0;
    while (nFirst < strLine.size() && IsBlank(strLine[nFirst]))
        ++nFirst;
    std::size_t nLast = strLine.size();
    while (nLast > nFirst && IsBlank(strLine[nLast - 1]))
        --nLast;
    return strLine.substr(nFirst, nLast - nFirst);
}

void AddLine(std::string& strText, const std::string& strLine)
{
    strText += strLine;
    strText += kCrLf;
}

SettingsReadResult Fault(SettingsFault fault, unsigned nLine, const std::string& strDetail = std::string())
{
    SettingsReadResult result;
    result.fault = fault;
    result.nLine = nLine;
    result.strDetail = strDetail;
    return result;
}

} // namespace

bool IsSettingsOfType(const DeviceSettings& settings, const char* pszTypeName)
{
    const std::string& strType = settings.strType;
    if (strType.size() != std::strlen(pszTypeName))
        return false;
    for (std::size_t i = 0; i < strType.size(); ++i) {
        char chFile = strType[i];
        char chName = pszTypeName[i];
        if (chFile >= 'a' && chFile <= 'z')
            chFile = static_cast<char>(chFile - 'a' + 'A');
        if (chName >= 'a' && chName <= 'z')
            chName = static_cast<char>(chName - 'a' + 'A');
        if (chFile != chName)
            return false;
    }
    return true;
}

int SettingsIndex(char chLetter)
{
    if (chLetter == 0)
        return -1; // strchr would find the terminator
    const char* pszAt = std::strchr(kSettingsLetters, chLetter);
    return pszAt ? static_cast<int>(pszAt - kSettingsLetters) : -1;
}

// Not the result row's escape (CsvField, ResultRow.cpp), on purpose: the tool reads this
// file back, so a value must come back byte for byte whatever an editor did to its line.
// Hence "\\" for a backslash, which the reader undoes; every byte outside printable ASCII
// escaped, as an editor may save in another code page; blanks at the ends escaped, as an
// editor may trim them.
std::string EscapeSettingsValue(const std::string& strValue)
{
    // Blanks at the ends are escaped so that an editor that trims lines keeps them.
    std::size_t nLead = 0;
    while (nLead < strValue.size() && strValue[nLead] == ' ')
        ++nLead;
    std::size_t nTrail = strValue.size();
    while (nTrail > nLead && strValue[nTrail - 1] == ' ')
        --nTrail;
    std::string strEscaped;
    for (std::size_t i = 0; i < strValue.size(); ++i) {
        unsigned char ch = static_cast<unsigned char>(strValue[i]);
        bool bEndBlank = ch == ' ' && (i < nLead || i >= nTrail);
        if (ch == '\\') {
            strEscaped += "\\\\";
        } else if (ch < 0x20 || ch > 0x7E || bEndBlank) {
            strEscaped += "\\x";
            AppendHexByte(strEscaped, ch);
        } else {
            strEscaped += static_cast<char>(ch);
        }
    }
    return strEscaped;
}

bool UnescapeSettingsValue(const std::string& strEscaped, std::string& strValue)
{
    std::string strResult;
    for (std::size_t i = 0; i < strEscaped.size(); ++i) {
        char ch = strEscaped[i];
        if (ch != '\\') {
            strResult += ch;
            continue;
        }
        if (i + 1 < strEscaped.size() && strEscaped[i + 1] == '\\') {
            strResult += '\\';
            i += 1;
            continue;
        }
        if (i + 3 < strEscaped.size() && strEscaped[i + 1] == 'x') {
            // Either case: an editor's or a person's lower case.
            int nHigh = HexDigitValue(strEscaped[i + 2]);
            int nLow = HexDigitValue(strEscaped[i + 3]);
            if (nHigh >= 0 && nLow >= 0) {
                strResult += static_cast<char>(nHigh * 16 + nLow);
                i += 3;
                continue;
            }
        }
        return false;
    }
    strValue = strResult;
    return true;
}

std::string WriteSettingsText(const DeviceSettings& settings)
{
    std::string strText;
    AddLine(strText, "; Zevanto device settings");
    AddLine(strText, "[Device]");
    for (int i = 0; i < kDeviceKeyCount; ++i)
        AddLine(strText, std::string(kDeviceKeys[i]) + "=" + EscapeSettingsValue(settings.*kDeviceFields[i]));
    AddLine(strText, "");
    AddLine(strText, "[Values]");
    for (int i = 0; i < kSettingsCount; ++i) {
        const char chLetter = kSettingsLetters[i];
        const std::string& strReply = settings.replies[i];
        // Descriptions are made of known words and digits only: no line break can hide in one.
        std::string strMeaning = DescribeSettingsReply(chLetter, strReply);
        if (!strMeaning.empty())
            AddLine(strText, "; " + strMeaning);
        AddLine(strText, std::string(1, chLetter) + "=" + EscapeSettingsValue(strReply));
    }
    AddLine(strText, "");
    AddLine(strText, "[End]");
    return strText;
}

namespace {
// One file's reading: what it has found so far, line by line. Each method gives the
// line's fault, or a result whose fault is None.
class SettingsReader {
public:
    SettingsReadResult SectionLine(const std::string& strTrimmed, unsigned nLine);
    SettingsReadResult KeyLine(const std::string& strTrimmed, unsigned nLine);
    SettingsReadResult Finish(unsigned nLastLine);

    Section m_section = Section::None;

private:
    SettingsReadResult m_result;
    bool m_abDeviceSeen[kDeviceKeyCount] = {};
    bool m_abValueSeen[kSettingsCount] = {};
};

SettingsReadResult SettingsReader::SectionLine(const std::string& strTrimmed, unsigned nLine)
{
    if (strTrimmed.back() != ']' || strTrimmed.size() < 2)
        return Fault(SettingsFault::BadLine, nLine);
    std::string strName = strTrimmed.substr(1, strTrimmed.size() - 2);
    if (strName == "Device")
        m_section = Section::Device;
    else if (strName == "Values")
        m_section = Section::Values;
    else if (strName == "End")
        m_section = Section::End;
    else
        return Fault(SettingsFault::UnknownSection, nLine, strName);
    return SettingsReadResult();
}

SettingsReadResult SettingsReader::KeyLine(const std::string& strTrimmed, unsigned nLine)
{
    std::size_t nEquals = strTrimmed.find('=');
    std::string strKey = Trimmed(strTrimmed.substr(0, nEquals == std::string::npos ? 0 : nEquals));
    if (strKey.empty())
        return Fault(SettingsFault::BadLine, nLine);
    std::string* pField = nullptr;
    bool* pSeen = nullptr;
    if (m_section == Section::Device) {
        for (int i = 0; i < kDeviceKeyCount; ++i)
            if (strKey == kDeviceKeys[i]) {
                pField = &(m_result.settings.*kDeviceFields[i]);
                pSeen = &m_abDeviceSeen[i];
            }
    } else if (m_section == Section::Values && strKey.size() == 1) {
        int nIndex = SettingsIndex(strKey[0]);
        if (nIndex >= 0) {
            pField = &m_result.settings.replies[nIndex];
            pSeen = &m_abValueSeen[nIndex];
        }
    }
    if (!pField)
        return Fault(SettingsFault::UnknownKey, nLine, strKey);
    if (*pSeen)
        return Fault(SettingsFault::DuplicateKey, nLine, strKey);
    if (!UnescapeSettingsValue(Trimmed(strTrimmed.substr(nEquals + 1)), *pField))
        return Fault(SettingsFault::BadEscape, nLine, strKey);
    *pSeen = true;
    return SettingsReadResult();
}

SettingsReadResult SettingsReader::Finish(unsigned nLastLine)
{
    // A file cut short lacks its end first of all; what else it lacks follows from that.
    if (m_section != Section::End)
        return Fault(SettingsFault::NoEnd, nLastLine);
    if (!m_abDeviceSeen[0])
        return Fault(SettingsFault::MissingType, 0, kDeviceKeys[0]);
    for (int i = 0; i < kSettingsCount; ++i)
        if (!m_abValueSeen[i])
            return Fault(SettingsFault::MissingValue, 0, std::string(1, kSettingsLetters[i]));
    return m_result;
}
} // namespace

SettingsReadResult ReadSettingsText(const std::string& strText)
{
    if (strText.size() > kMaxSettingsFile)
        return Fault(SettingsFault::TooLarge, 0);
    std::size_t nNul = strText.find('\0');
    if (nNul != std::string::npos) {
        unsigned nLine = 1;
        for (std::size_t i = 0; i < nNul; ++i)
            if (strText[i] == '\n')
                ++nLine;
        return Fault(SettingsFault::NotText, nLine);
    }

    SettingsReader reader;
    unsigned nLine = 0;
    std::size_t nPos = 0;
    // An editor that saves UTF-8 may put a byte-order mark in front of the first line.
    static const char kUtf8Mark[] = "\xEF\xBB\xBF";
    if (strText.compare(0, 3, kUtf8Mark) == 0)
        nPos = 3;
    while (nPos < strText.size()) {
        ++nLine;
        std::size_t nEnd = strText.find('\n', nPos);
        if (nEnd == std::string::npos)
            nEnd = strText.size();
        std::string strLine = strText.substr(nPos, nEnd - nPos);
        nPos = nEnd + 1;
        if (!strLine.empty() && strLine.back() == '\r')
            strLine.pop_back();
        // A CR anywhere else is no line end this reader knows: a garbled line.
        if (strLine.find('\r') != std::string::npos)
            return Fault(SettingsFault::BadLine, nLine);

        std::string strTrimmed = Trimmed(strLine);
        if (strTrimmed.empty() || strTrimmed[0] == ';')
            continue;
        if (reader.m_section == Section::End)
            return Fault(SettingsFault::AfterEnd, nLine);
        SettingsReadResult line =
            strTrimmed[0] == '[' ? reader.SectionLine(strTrimmed, nLine) : reader.KeyLine(strTrimmed, nLine);
        if (line.fault != SettingsFault::None)
            return line;
    }
    return reader.Finish(nLine);
}
