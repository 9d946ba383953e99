// The device settings file: the writer's exact text, the reader's faults with their lines,
// what it forgives (a byte-order mark, LF line ends, blanks around keys and values,
// lower-case escapes, comments, order, the type's case), the escapes, and round trips of
// any bytes.
#include "DeviceSettingsFile.h"

#include <doctest.h>

#include <cstdint>
#include <initializer_list>

namespace {

DeviceSettings KnownSettings()
{
    DeviceSettings settings;
    settings.strType = "Corlaxa";
    settings.strIdent = "Corlaxa V2.14 SN 104711";
    settings.strSaved = "2026-12-07 21:40:05";
    settings.strTool = "Version 1.0.0.0001 (abc1234)";
    settings.replies = { "9,33,0", "0", "OTHER", "1", "0", "1", "2", "RS232 MODIFIED", "1" };
    return settings;
}

const char kKnownText[] =
    "; Zevanto device settings\r\n"
    "[Device]\r\n"
    "Type=Corlaxa\r\n"
    "Identification=Corlaxa V2.14 SN 104711\r\n"
    "Saved=2026-12-07 21:40:05\r\n"
    "Tool=Version 1.0.0.0001 (abc1234)\r\n"
    "\r\n"
    "[Values]\r\n"
    "; three numbers: 9, 33, 0\r\n"
    "r=9,33,0\r\n"
    "; entry mode: direct\r\n"
    "h=0\r\n"
    "; kind: OTHER\r\n"
    "3=OTHER\r\n"
    "; option b: 1\r\n"
    "b=1\r\n"
    "; parameter j: 0 (function j active)\r\n"
    "j=0\r\n"
    "; switch w: on\r\n"
    "w=1\r\n"
    "; parameter f: 2 (high bit 1, low bit 0)\r\n"
    "f=2\r\n"
    "; interface: RS232 MODIFIED\r\n"
    "4=RS232 MODIFIED\r\n"
    "; parameter c: 1\r\n"
    "c=1\r\n"
    "\r\n"
    "[End]\r\n";

// Lines joined with CR LF, each ended by one.
std::string Lines(std::initializer_list<const char*> lines)
{
    std::string strText;
    for (const char* pszLine : lines)
        strText += std::string(pszLine) + "\r\n";
    return strText;
}

// A whole valid file but for the lines given in place of its [Values] keys.
std::string WithValues(std::initializer_list<const char*> values)
{
    std::string strText = Lines({ "[Device]", "Type=Vantik", "[Values]" });
    strText += Lines(values);
    return strText + "[End]\r\n";
}

const std::initializer_list<const char*> kNineValues = { "r=9,33,0", "h=0", "3=OTHER", "b=0", "j=0",
                                                         "w=1", "f=2", "4=RS232", "c=0" };

bool SameSettings(const DeviceSettings& a, const DeviceSettings& b)
{
    return a.strType == b.strType && a.strIdent == b.strIdent && a.strSaved == b.strSaved
        && a.strTool == b.strTool && a.replies == b.replies;
}

void CheckFault(const std::string& strText, SettingsFault fault, unsigned nLine, const char* pszDetail = nullptr)
{
    CAPTURE(strText);
    SettingsReadResult result = ReadSettingsText(strText);
    CHECK(result.fault == fault);
    CHECK(result.nLine == nLine);
    if (pszDetail)
        CHECK(result.strDetail == pszDetail);
}

void CheckRoundTrip(const DeviceSettings& settings)
{
    const std::string strText = WriteSettingsText(settings);
    SettingsReadResult result = ReadSettingsText(strText);
    REQUIRE(result.fault == SettingsFault::None);
    CHECK(SameSettings(result.settings, settings));
    CHECK(WriteSettingsText(result.settings) == strText);
}

} // namespace

TEST_CASE("the writer: the exact text of a known set of settings")
{
    CHECK(WriteSettingsText(KnownSettings()) == kKnownText);
    SettingsReadResult result = ReadSettingsText(kKnownText);
    REQUIRE(result.fault == SettingsFault::None);
    CHECK(SameSettings(result.settings, KnownSettings()));
}

TEST_CASE("the writer: no comment for a reply the tool does not know; escapes in header and values")
{
    DeviceSettings settings;
    settings.strType = "Brennix";
    settings.strIdent = " Brennix\\V1 ";
    settings.strSaved = "";
    settings.strTool = "T\x01";
    settings.replies = { "9,33", "", "scania", "1 ", "0", "abc", "7", "RS485", "a\r\nb" };
    CHECK(WriteSettingsText(settings) == Lines({
        "; Zevanto device settings",
        "[Device]",
        "Type=Brennix",
        "Identification=\\x20Brennix\\\\V1\\x20",
        "Saved=",
        "Tool=T\\x01",
        "",
        "[Values]",
        "r=9,33",
        "h=",
        "3=scania",
        "b=1\\x20",
        "; parameter j: 0 (function j active)",
        "j=0",
        "w=abc",
        "f=7",
        "; interface: RS485",
        "4=RS485",
        "c=a\\x0D\\x0Ab",
        "",
        "[End]" }));
    CheckRoundTrip(settings);
}

TEST_CASE("escapes: backslash, control and high bytes, blanks at the ends only")
{
    CHECK(EscapeSettingsValue("") == "");
    CHECK(EscapeSettingsValue("9,33,0") == "9,33,0");
    CHECK(EscapeSettingsValue("a\\b") == "a\\\\b");
    CHECK(EscapeSettingsValue(" a b ") == "\\x20a b\\x20");
    CHECK(EscapeSettingsValue("  a  ") == "\\x20\\x20a\\x20\\x20");
    CHECK(EscapeSettingsValue("   ") == "\\x20\\x20\\x20");
    CHECK(EscapeSettingsValue("\t\r\n\x1B") == "\\x09\\x0D\\x0A\\x1B");
    CHECK(EscapeSettingsValue(std::string("a\0b", 3)) == "a\\x00b");
    CHECK(EscapeSettingsValue("\x7F\x80\xFF~") == "\\x7F\\x80\\xFF~");
    CHECK(EscapeSettingsValue("=;[x]") == "=;[x]");
    CHECK(EscapeSettingsValue("\\x41") == "\\\\x41");

    std::string strValue = "kept";
    CHECK(UnescapeSettingsValue("\\x41\\\\\\x20", strValue));
    CHECK(strValue == "A\\ ");
    CHECK(UnescapeSettingsValue("", strValue));
    CHECK(strValue == "");
    // an editor's or a person's lower case
    CHECK(UnescapeSettingsValue("\\x0d\\x0a\\xab\\xFf", strValue));
    CHECK(strValue == "\r\n\xAB\xFF");
    for (const char* pszBad : { "\\", "a\\", "\\q", "\\x", "\\x4", "\\x4G", "\\x4g", "\\X41", "\\n" }) {
        CAPTURE(pszBad);
        strValue = "kept";
        CHECK_FALSE(UnescapeSettingsValue(pszBad, strValue));
        CHECK(strValue == "kept");
    }
}

TEST_CASE("round trips: every byte in every field, and the bytes the format itself uses")
{
    std::string strAll;
    for (int i = 0; i < 256; ++i)
        strAll += static_cast<char>(i);
    DeviceSettings settings;
    settings.strType = strAll;
    settings.strIdent = " ;[Device]= ";
    settings.strSaved = "\\x41\\";
    settings.strTool = "\r\n[End]\r\n";
    settings.replies = { strAll, " ", "\n", "\r", std::string(1, '\0'), "=", "[Values]", ";c=1", "\\\\" };
    CheckRoundTrip(settings);
    CheckRoundTrip(DeviceSettings()); // all empty

    // Fields of random bytes, leaning towards the ones that matter to the format.
    std::uint32_t nState = 12345;
    auto next = [&nState]() {
        nState = nState * 1664525u + 1013904223u;
        return nState >> 16;
    };
    const char kSpecial[] = " \\=;[]\r\n\t\x7F\x80";
    for (int nRound = 0; nRound < 500; ++nRound) {
        auto field = [&]() {
            std::string strField;
            unsigned nLength = next() % 12;
            for (unsigned i = 0; i < nLength; ++i)
                strField += next() % 2 ? kSpecial[next() % (sizeof kSpecial - 1)] : static_cast<char>(next() & 0xFF);
            return strField;
        };
        settings.strType = field();
        settings.strIdent = field();
        settings.strSaved = field();
        settings.strTool = field();
        for (std::string& strReply : settings.replies)
            strReply = field();
        CheckRoundTrip(settings);
    }
}

TEST_CASE("the reader forgives LF line ends, comments, blank lines and any order")
{
    std::string strLf;
    for (char ch : std::string(kKnownText))
        if (ch != '\r')
            strLf += ch;
    SettingsReadResult result = ReadSettingsText(strLf);
    REQUIRE(result.fault == SettingsFault::None);
    CHECK(SameSettings(result.settings, KnownSettings()));

    // [Values] first, keys shuffled, comments and blank lines between, indented
    // comments and sections, a comment after [End], no last line end.
    result = ReadSettingsText(
        "\n"
        "[Values]\r\n"
        "   ; the numbers\n"
        "c=1\n"
        "4=RS232 MODIFIED\r\n"
        "f=2\n"
        "\t \n"
        "w=1\n"
        "j=0\n"
        "b=1\n"
        "3=OTHER\n"
        "h=0\n"
        "r=9,33,0\n"
        "  [Device]  \n"
        "Tool=Version 1.0.0.0001 (abc1234)\n"
        "Saved=2026-12-07 21:40:05\n"
        "Identification=Corlaxa V2.14 SN 104711\n"
        "; a comment before the type\n"
        "Type=Corlaxa\n"
        "[End]\n"
        "\n"
        "; a comment after the end\n"
        "   \r\n"
        "\r");
    REQUIRE(result.fault == SettingsFault::None);
    CHECK(SameSettings(result.settings, KnownSettings()));
}

TEST_CASE("the reader: Identification, Saved and Tool may be missing; a value may be empty; escaped blanks stay")
{
    SettingsReadResult result = ReadSettingsText(WithValues({ "r=9,33,0", "h=", "3=\\x20OTHER", "b=0\\x20", "j=0",
                                                              "w=\\x201", "f=2", "4=RS232 MODIFIED", "c=a=b" }));
    REQUIRE(result.fault == SettingsFault::None);
    CHECK(result.settings.strType == "Vantik");
    CHECK(result.settings.strIdent == "");
    CHECK(result.settings.strSaved == "");
    CHECK(result.settings.strTool == "");
    CHECK(result.settings.replies[1] == "");
    CHECK(result.settings.replies[2] == " OTHER");
    CHECK(result.settings.replies[3] == "0 ");
    CHECK(result.settings.replies[5] == " 1");
    CHECK(result.settings.replies[7] == "RS232 MODIFIED"); // a blank inside a value is its own
    CHECK(result.settings.replies[8] == "a=b");
}

TEST_CASE("the reader takes a file as an editor leaves it: mark, CR LF or LF, blanks, lower-case escapes")
{
    // The known file as a person edits it: a byte-order mark, blanks around the '=' and
    // at both ends of lines, tabs, LF and CR LF mixed, a lower-case escape.
    std::string strEdited =
        "\xEF\xBB\xBF; Zevanto device settings\r\n"
        "[Device]\n"
        "  Type = Corlaxa  \r\n"
        "Identification=\tCorlaxa V2.14 SN 104711\t\n"
        "Saved =2026-12-07 21:40:05\r\n"
        "Tool= Version 1.0.0.0001 (abc1234)\r\n"
        "[Values]\r\n"
        "r = 9,33,0 \r\n"
        "\th=0\n"
        "3 =OTHER\n"
        "b= 1\n"
        "j=0   \n"
        "w\t=\t1\n"
        "f=2\n"
        "4 = RS232 MODIFIED \n"
        "c=\\x31\r\n"
        "[End]  \r\n";
    SettingsReadResult result = ReadSettingsText(strEdited);
    REQUIRE(result.fault == SettingsFault::None);
    CHECK(SameSettings(result.settings, KnownSettings()));

    // The writer's own text with a mark in front reads as without it; a mark only at the start.
    result = ReadSettingsText("\xEF\xBB\xBF" + std::string(kKnownText));
    REQUIRE(result.fault == SettingsFault::None);
    CHECK(SameSettings(result.settings, KnownSettings()));
    CheckFault(Lines({ "[Device]", "\xEF\xBB\xBFType=Vantik" }), SettingsFault::UnknownKey, 2, "\xEF\xBB\xBFType");
    CheckFault("\xEF\xBB\xBF", SettingsFault::NoEnd, 0);
    CheckFault("\xEF\xBB\xBF\xEF\xBB\xBF[Device]\r\n", SettingsFault::BadLine, 1);

    // A value's own blanks, escaped by the writer, survive an editor's trimming.
    DeviceSettings settings = KnownSettings();
    settings.replies[1] = " 1 ";
    settings.strIdent = "  SN 7  ";
    std::string strText = WriteSettingsText(settings);
    std::string strPadded;
    for (std::size_t nPos = 0; nPos < strText.size();) {
        std::size_t nEnd = strText.find("\r\n", nPos);
        strPadded += "  " + strText.substr(nPos, nEnd - nPos) + " \t\n";
        nPos = nEnd + 2;
    }
    result = ReadSettingsText(strPadded);
    REQUIRE(result.fault == SettingsFault::None);
    CHECK(SameSettings(result.settings, settings));
}

TEST_CASE("the device type's name in any case")
{
    DeviceSettings settings;
    for (const char* pszType : { "Corlaxa", "corlaxa", "CORLAXA", "cOrLaXa" }) {
        CAPTURE(pszType);
        settings.strType = pszType;
        CHECK(IsSettingsOfType(settings, "Corlaxa"));
        CHECK_FALSE(IsSettingsOfType(settings, "Vantik"));
    }
    for (const char* pszOther : { "", "Corlax", "Corlaxa ", " Corlaxa", "Corlaxa\x01", "Corl\xC1xa", "Corlaxas" }) {
        CAPTURE(pszOther);
        settings.strType = pszOther;
        CHECK_FALSE(IsSettingsOfType(settings, "Corlaxa"));
    }
    // read from a file: the reader keeps the name as written, the type check takes any case
    SettingsReadResult result = ReadSettingsText(Lines({ "[Device]", "Type = vantik", "[Values]", "r=9,33,0", "h=0",
                                                         "3=OTHER", "b=0", "j=0", "w=1", "f=2", "4=RS232", "c=0",
                                                         "[End]" }));
    REQUIRE(result.fault == SettingsFault::None);
    CHECK(result.settings.strType == "vantik");
    CHECK(IsSettingsOfType(result.settings, "Vantik"));
}

TEST_CASE("the reader's faults, each with its line and what it concerns")
{
    SUBCASE("too large, as a whole")
    {
        std::string strText = WriteSettingsText(KnownSettings());
        strText += std::string(kMaxSettingsFile + 1 - strText.size(), '\n');
        CheckFault(strText, SettingsFault::TooLarge, 0);
        strText.pop_back();
        CHECK(ReadSettingsText(strText).fault == SettingsFault::None); // exactly the limit
    }
    SUBCASE("a NUL byte is no text, on the line it is on")
    {
        std::string strText = kKnownText;
        strText[strText.find("Type=") + 6] = '\0';
        CheckFault(strText, SettingsFault::NotText, 3);
    }
    SUBCASE("lines that are no comment, section or key=value")
    {
        CheckFault(Lines({ "[Device]", "Type=Vantik", "garbage" }), SettingsFault::BadLine, 3);
        CheckFault(Lines({ "[Device", "Type=Vantik" }), SettingsFault::BadLine, 1);
        CheckFault(Lines({ "[Device]", "=Vantik" }), SettingsFault::BadLine, 2);
        CheckFault(Lines({ "[Device]", "  \t = Vantik" }), SettingsFault::BadLine, 2);
        CheckFault(Lines({ "[Device]", "Type Vantik  " }), SettingsFault::BadLine, 2);
        CheckFault("[Device]\r\nType=Van\rtik\r\n", SettingsFault::BadLine, 2); // a CR inside a line
        CheckFault("[Device]\r\r\nType=Vantik\r\n", SettingsFault::BadLine, 1);
    }
    SUBCASE("unknown sections, case-sensitive")
    {
        CheckFault(Lines({ "[Device]", "Type=Vantik", "[Setup]" }), SettingsFault::UnknownSection, 3, "Setup");
        CheckFault(Lines({ "; x", "[device]" }), SettingsFault::UnknownSection, 2, "device");
        CheckFault(Lines({ "[]" }), SettingsFault::UnknownSection, 1, "");
    }
    SUBCASE("unknown keys: case-sensitive, in the wrong section, or before any section")
    {
        CheckFault(Lines({ "[Device]", "Type=Vantik", "Colour=red" }), SettingsFault::UnknownKey, 3, "Colour");
        CheckFault(Lines({ "[Device]", "type=Vantik" }), SettingsFault::UnknownKey, 2, "type");
        CheckFault(Lines({ "[Device]", "T ype =Vantik" }), SettingsFault::UnknownKey, 2, "T ype");
        CheckFault(Lines({ "[Device]", "r=9,33,0" }), SettingsFault::UnknownKey, 2, "r");
        CheckFault(Lines({ "[Values]", "Type=Vantik" }), SettingsFault::UnknownKey, 2, "Type");
        CheckFault(Lines({ "[Values]", "g=1" }), SettingsFault::UnknownKey, 2, "g");
        CheckFault(Lines({ "[Values]", "R=9,33,0" }), SettingsFault::UnknownKey, 2, "R");
        CheckFault(Lines({ "[Values]", " rh =9,33,0" }), SettingsFault::UnknownKey, 2, "rh");
        CheckFault(Lines({ "; settings", "Type=Vantik" }), SettingsFault::UnknownKey, 2, "Type");
    }
    SUBCASE("a key given twice, also in a section opened twice")
    {
        CheckFault(WithValues({ "r=9,33,0", "h=0", "r=9,33,0" }), SettingsFault::DuplicateKey, 6, "r");
        CheckFault(Lines({ "[Device]", "Type=Vantik", "[Values]", "r=1", "[Device]", "Type=Brennix" }),
                   SettingsFault::DuplicateKey, 6, "Type");
    }
    SUBCASE("bad escapes")
    {
        CheckFault(WithValues({ "r=9,33,0", "h=\\q" }), SettingsFault::BadEscape, 5, "h");
        CheckFault(WithValues({ "r=9,33,0\\X0D" }), SettingsFault::BadEscape, 4, "r");
        CheckFault(WithValues({ "r=9,33,0\\x0g" }), SettingsFault::BadEscape, 4, "r");
        CheckFault(WithValues({ "r=9,33,0 \\ " }), SettingsFault::BadEscape, 4, "r"); // trimmed to a lone backslash
        CheckFault(Lines({ "[Device]", "Identification=abc\\" }), SettingsFault::BadEscape, 2, "Identification");
    }
    SUBCASE("no Type, as a whole")
    {
        std::string strText = kKnownText;
        strText.erase(strText.find("Type="), std::string("Type=Corlaxa\r\n").size());
        CheckFault(strText, SettingsFault::MissingType, 0);
    }
    SUBCASE("a value missing, as a whole, naming its letter")
    {
        CheckFault(WithValues({ "r=9,33,0", "h=0", "3=OTHER", "b=0", "j=0", "f=2", "4=RS232", "c=0" }),
                   SettingsFault::MissingValue, 0, "w");
        CheckFault(Lines({ "[Device]", "Type=Vantik", "[End]" }), SettingsFault::MissingValue, 0, "r");
    }
    SUBCASE("a file cut short lacks its end, at its last line")
    {
        std::string strText = kKnownText;
        strText.resize(strText.find("w=1"));
        CheckFault(strText, SettingsFault::NoEnd, 19);
        strText.resize(strText.find("\r\n[Values]"));
        CheckFault(strText, SettingsFault::NoEnd, 6);
        CheckFault("", SettingsFault::NoEnd, 0);
        CheckFault(WithValues(kNineValues).substr(0, 40), SettingsFault::NoEnd, 4); // "r=9,33,"
    }
    SUBCASE("anything but blank lines and comments after [End]")
    {
        CheckFault(std::string(kKnownText) + "\r\nr=9,33,0\r\n", SettingsFault::AfterEnd, 30);
        CheckFault(std::string(kKnownText) + "[Values]\r\n", SettingsFault::AfterEnd, 29);
        CheckFault(std::string(kKnownText) + kKnownText, SettingsFault::AfterEnd, 30);
        CHECK(ReadSettingsText(std::string(kKnownText) + "\r\n; saved twice\r\n\r\n").fault == SettingsFault::None);
    }
    SUBCASE("the first fault in the file is the one given")
    {
        CheckFault(Lines({ "[Device]", "Colour=red", "garbage" }), SettingsFault::UnknownKey, 2, "Colour");
        CheckFault(Lines({ "[Values]", "r=\\q", "[End]", "x" }), SettingsFault::BadEscape, 2, "r");
    }
    SUBCASE("a fault gives no settings")
    {
        SettingsReadResult result = ReadSettingsText(Lines({ "[Device]", "Type=Vantik", "Colour=red" }));
        CHECK(result.settings.strType.empty());
    }
}

TEST_CASE("a complete file of nine values reads")
{
    SettingsReadResult result = ReadSettingsText(WithValues(kNineValues));
    REQUIRE(result.fault == SettingsFault::None);
    CHECK(result.nLine == 0);
    CHECK(result.settings.replies[0] == "9,33,0");
    CHECK(result.settings.replies[7] == "RS232");
}
