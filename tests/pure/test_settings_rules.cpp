// The rules of the settings file's values: what the device takes (ranges at their edges,
// its words), what a reply means, when two replies hold the same setting, and which write
// letters a restore sends.
#include "SettingsRules.h"

#include <doctest.h>

namespace {

std::array<std::string, kSettingsCount> TypicalReplies()
{
    return { "9,33,0", "0", "OTHER", "0", "0", "1", "2", "RS232", "0" };
}

std::string Plan(const std::array<std::string, kSettingsCount>& device,
                 const std::array<std::string, kSettingsCount>& file)
{
    return PlanSettingsWrites(CompareSettings(device, file));
}

void CheckOutOfRange(const std::string& strReply, int nNumber, unsigned nMin, unsigned nMax)
{
    CAPTURE(strReply);
    SettingsValue value = SettingsValueOf('r', strReply);
    CHECK(value.refusal == SettingsRefusal::OutOfRange);
    CHECK(value.nNumber == nNumber);
    CHECK(value.nMin == nMin);
    CHECK(value.nMax == nMax);
}

} // namespace

TEST_CASE("'r': three numbers within 2..50, 10..150, 0..50, checked at their edges and in order")
{
    SettingsValue value = SettingsValueOf('r', "2,10,0");
    CHECK(value.refusal == SettingsRefusal::None);
    CHECK(value.anNumbers[0] == 2);
    CHECK(value.anNumbers[1] == 10);
    CHECK(value.anNumbers[2] == 0);
    value = SettingsValueOf('r', "50,150,50");
    CHECK(value.refusal == SettingsRefusal::None);
    CHECK(value.anNumbers[0] == 50);
    CHECK(value.anNumbers[1] == 150);
    CHECK(value.anNumbers[2] == 50);

    CheckOutOfRange("1,33,0", 1, 2, 50);
    CheckOutOfRange("51,33,0", 1, 2, 50);
    CheckOutOfRange("9,9,0", 2, 10, 150);
    CheckOutOfRange("9,151,0", 2, 10, 150);
    CheckOutOfRange("9,33,51", 3, 0, 50);
    CheckOutOfRange("0,0,99", 1, 2, 50); // the first broken range is the one named
    CheckOutOfRange("9,0,99", 2, 10, 150);
    CheckOutOfRange("4294967295,33,0", 1, 2, 50);

    value = SettingsValueOf('r', "0000000009,033,00"); // leading zeros are digits like any other
    CHECK(value.refusal == SettingsRefusal::None);
    CHECK(value.anNumbers[0] == 9);
    CHECK(value.anNumbers[1] == 33);
}

TEST_CASE("'r': anything but three plain unsigned numbers is no numbers")
{
    for (const char* pszReply : { "9,33", "9", "", "9,33,0,1", " 9,33,0", "9,33,0 ", "+9,33,0", "-1,33,0",
                                  "9,,0", ",33,0", "9,33,", "9;33;0", "x,y,z", "4294967296,33,0",
                                  "00000000009,33,0", "9,33,0\r", "9, 33, 0" }) {
        CAPTURE(pszReply);
        CHECK(SettingsValueOf('r', pszReply).refusal == SettingsRefusal::NotNumbers);
    }
}

TEST_CASE("'w': 0 to 2147483647; a larger number is out of range, other text no number")
{
    SettingsValue value = SettingsValueOf('w', "0");
    CHECK(value.refusal == SettingsRefusal::None);
    CHECK(value.anNumbers[0] == 0);
    value = SettingsValueOf('w', "2147483647");
    CHECK(value.refusal == SettingsRefusal::None);
    CHECK(value.anNumbers[0] == 2147483647u);
    CHECK(SettingsValueOf('w', "00000000000012").anNumbers[0] == 12);

    for (const char* pszReply : { "2147483648", "4294967296", "99999999999999999999999" }) {
        CAPTURE(pszReply);
        value = SettingsValueOf('w', pszReply);
        CHECK(value.refusal == SettingsRefusal::OutOfRange);
        CHECK(value.nMin == 0);
        CHECK(value.nMax == 2147483647u);
    }
    for (const char* pszReply : { "", "-1", "+1", " 1", "1 ", "12abc", "abc", "1.5" }) {
        CAPTURE(pszReply);
        CHECK(SettingsValueOf('w', pszReply).refusal == SettingsRefusal::NotNumbers);
    }
}

TEST_CASE("the words of 'h', '3', 'b', 'j', 'c', 'f' and '4': exact, case-sensitive, nothing around them")
{
    for (char chLetter : { 'h', 'b', 'j', 'c' }) {
        CAPTURE(chLetter);
        CHECK(SettingsValueOf(chLetter, "0").refusal == SettingsRefusal::None);
        CHECK(SettingsValueOf(chLetter, "0").anNumbers[0] == 0);
        CHECK(SettingsValueOf(chLetter, "1").anNumbers[0] == 1);
        for (const char* pszReply : { "2", "01", "1 ", "", "-1" })
            CHECK(SettingsValueOf(chLetter, pszReply).refusal == SettingsRefusal::UnknownWord);
    }
    CHECK(SettingsValueOf('3', "OTHER").anNumbers[0] == 0);
    CHECK(SettingsValueOf('3', "SCANIA").anNumbers[0] == 1);
    CHECK(SettingsValueOf('3', "SCANIA").refusal == SettingsRefusal::None);
    CHECK(SettingsValueOf('3', "scania").refusal == SettingsRefusal::UnknownWord);
    CHECK(SettingsValueOf('3', "2").refusal == SettingsRefusal::UnknownWord);

    CHECK(SettingsValueOf('4', "RS232").anNumbers[0] == 0);
    CHECK(SettingsValueOf('4', "RS232 MODIFIED").anNumbers[0] == 1);
    CHECK(SettingsValueOf('4', "RS485").anNumbers[0] == 2);
    CHECK(SettingsValueOf('4', "RS485").refusal == SettingsRefusal::None);
    CHECK(SettingsValueOf('4', "rs485").refusal == SettingsRefusal::UnknownWord);
    CHECK(SettingsValueOf('4', "RS232 ").refusal == SettingsRefusal::UnknownWord);

    for (unsigned n = 0; n < 4; ++n) {
        SettingsValue value = SettingsValueOf('f', std::to_string(n));
        CHECK(value.refusal == SettingsRefusal::None);
        CHECK(value.anNumbers[0] == n);
    }
    for (const char* pszReply : { "4", "2x", "", " 2", "02" }) {
        CAPTURE(pszReply);
        CHECK(SettingsValueOf('f', pszReply).refusal == SettingsRefusal::UnknownWord);
    }
    CHECK(SettingsValueOf('g', "1").refusal == SettingsRefusal::UnknownWord); // not a setting of the file
}

TEST_CASE("a reply that is a value of its letter: what a restore takes, or numbers out of range; nothing else")
{
    for (int i = 0; i < kSettingsCount; ++i) {
        CAPTURE(kSettingsLetters[i]);
        CHECK(IsSettingsReplyValue(kSettingsLetters[i], TypicalReplies()[i]));
        CHECK_FALSE(IsSettingsReplyValue(kSettingsLetters[i], "")); // an empty line, a doubled line end
        CHECK_FALSE(IsSettingsReplyValue(kSettingsLetters[i], "\x9A\xF1")); // garbage alone
    }
    // out of range is still the letter's value: saved as it is, refused only in a restore
    CHECK(IsSettingsReplyValue('r', "60,33,0"));
    CHECK(IsSettingsReplyValue('r', "1,9,51"));
    CHECK(IsSettingsReplyValue('w', "2147483648"));
    CHECK(IsSettingsReplyValue('w', "0"));
    CHECK(IsSettingsReplyValue('3', "SCANIA"));
    CHECK(IsSettingsReplyValue('4', "RS232 MODIFIED"));
    CHECK(IsSettingsReplyValue('f', "3"));
    // garbled: garbage before the value, a value cut short, a word of another letter
    for (const char* pszBad : { "\x9A" "9,33,0", "9,33", "9,,0", "9,33,0,1", " 9,33,0" }) {
        CAPTURE(pszBad);
        CHECK_FALSE(IsSettingsReplyValue('r', pszBad));
    }
    CHECK_FALSE(IsSettingsReplyValue('h', "OTHER"));
    CHECK_FALSE(IsSettingsReplyValue('3', "0"));
    CHECK_FALSE(IsSettingsReplyValue('3', "scania"));
    CHECK_FALSE(IsSettingsReplyValue('b', "1 "));
    CHECK_FALSE(IsSettingsReplyValue('w', "-1"));
    CHECK_FALSE(IsSettingsReplyValue('f', "4"));
    CHECK_FALSE(IsSettingsReplyValue('4', "RS232\xFF"));
    CHECK_FALSE(IsSettingsReplyValue('c', "2"));
    CHECK_FALSE(IsSettingsReplyValue('g', "1")); // no letter of the settings
}

TEST_CASE("what each reply means, and nothing for a reply the tool does not know")
{
    CHECK(DescribeSettingsReply('r', "9,33,0") == "three numbers: 9, 33, 0");
    CHECK(DescribeSettingsReply('r', "1,200,99") == "three numbers: 1, 200, 99"); // out of range, still three numbers
    CHECK(DescribeSettingsReply('r', "9,33") == "");
    CHECK(DescribeSettingsReply('h', "0") == "entry mode: direct");
    CHECK(DescribeSettingsReply('h', "1") == "entry mode: in thirds");
    CHECK(DescribeSettingsReply('h', "1 ") == "");
    CHECK(DescribeSettingsReply('3', "OTHER") == "kind: OTHER");
    CHECK(DescribeSettingsReply('3', "SCANIA") == "kind: SCANIA");
    CHECK(DescribeSettingsReply('3', "Scania") == "");
    CHECK(DescribeSettingsReply('b', "0") == "option b: 0");
    CHECK(DescribeSettingsReply('b', "1") == "option b: 1");
    CHECK(DescribeSettingsReply('j', "0") == "parameter j: 0 (function j active)");
    CHECK(DescribeSettingsReply('j', "1") == "parameter j: 1 (function j off)");
    CHECK(DescribeSettingsReply('w', "1") == "switch w: on");
    CHECK(DescribeSettingsReply('w', "0") == "switch w: off");
    CHECK(DescribeSettingsReply('w', "12") == "parameter w: 12");
    CHECK(DescribeSettingsReply('w', "2147483648") == "");
    CHECK(DescribeSettingsReply('w', "12abc") == "");
    CHECK(DescribeSettingsReply('f', "0") == "parameter f: 0 (high bit 0, low bit 0)");
    CHECK(DescribeSettingsReply('f', "1") == "parameter f: 1 (high bit 0, low bit 1)");
    CHECK(DescribeSettingsReply('f', "2") == "parameter f: 2 (high bit 1, low bit 0)");
    CHECK(DescribeSettingsReply('f', "3") == "parameter f: 3 (high bit 1, low bit 1)");
    CHECK(DescribeSettingsReply('f', "7") == "");
    CHECK(DescribeSettingsReply('4', "RS232") == "interface: RS232");
    CHECK(DescribeSettingsReply('4', "RS232 MODIFIED") == "interface: RS232 MODIFIED");
    CHECK(DescribeSettingsReply('4', "RS485") == "interface: RS485");
    CHECK(DescribeSettingsReply('4', "RS422") == "");
    CHECK(DescribeSettingsReply('c', "0") == "parameter c: 0");
    CHECK(DescribeSettingsReply('c', "1") == "parameter c: 1");
    CHECK(DescribeSettingsReply('c', "") == "");
    CHECK(DescribeSettingsReply('g', "1") == "");
}

TEST_CASE("the same setting: the same text, or two texts that write the same value")
{
    CHECK(SameSetting('r', "9,33,0", "9,33,0"));
    CHECK(SameSetting('r', "009,33,0", "9,33,00"));
    CHECK_FALSE(SameSetting('r', "1,200,99", "01,200,99")); // out of range: no value to write, only text
    CHECK(SameSetting('r', "1,200,99", "1,200,99"));
    CHECK_FALSE(SameSetting('r', "9,33,0", "9,33,3"));
    CHECK_FALSE(SameSetting('r', "9,33", "9,33,0"));
    CHECK(SameSetting('r', "9,33", "9,33")); // a reply the tool does not understand equals itself
    CHECK(SameSetting('w', "007", "7"));
    CHECK_FALSE(SameSetting('w', "7", "8"));
    CHECK_FALSE(SameSetting('w', "7", "7 "));
    CHECK(SameSetting('4', "RS485", "RS485"));
    CHECK_FALSE(SameSetting('4', "RS485", "rs485"));
    CHECK_FALSE(SameSetting('h', "x", "y"));
    CHECK(SameSetting('h', "", ""));
}

TEST_CASE("the comparison: nine rows in order, equal, to write, or refused with the reason")
{
    std::array<std::string, kSettingsCount> device = TypicalReplies();
    std::array<std::string, kSettingsCount> file = device;
    file[0] = "12,40,6";  // r: to write
    file[1] = "2";        // h: no word the device knows
    file[5] = "007";      // w: "1" on the device: differs
    file[8] = "00";       // c: no word
    file[7] = "RS232";    // 4: the same
    std::vector<SettingsRow> rows = CompareSettings(device, file);
    REQUIRE(rows.size() == 9u);
    for (int i = 0; i < kSettingsCount; ++i) {
        CHECK(rows[i].chLetter == kSettingsLetters[i]);
        CHECK(rows[i].strDevice == device[i]);
        CHECK(rows[i].strFile == file[i]);
    }
    CHECK(rows[0].action == RowAction::Write);
    CHECK(rows[0].value.anNumbers[1] == 40);
    CHECK(rows[1].action == RowAction::Refused);
    CHECK(rows[1].value.refusal == SettingsRefusal::UnknownWord);
    CHECK(rows[2].action == RowAction::Equal);
    CHECK(rows[5].action == RowAction::Write);
    CHECK(rows[5].value.anNumbers[0] == 7);
    CHECK(rows[7].action == RowAction::Equal);
    CHECK(rows[8].action == RowAction::Refused);

    // The same reply the tool does not understand on both sides is nothing to do.
    device[1] = file[1] = "?";
    rows = CompareSettings(device, file);
    CHECK(rows[1].action == RowAction::Equal);
    // An out-of-range 'r' is refused with the number and range broken.
    file[0] = "9,33,60";
    rows = CompareSettings(device, file);
    CHECK(rows[0].action == RowAction::Refused);
    CHECK(rows[0].value.refusal == SettingsRefusal::OutOfRange);
    CHECK(rows[0].value.nNumber == 3);
    CHECK(rows[0].value.nMax == 50);
}

TEST_CASE("the plan: the write letters of the rows to write, in the editor's and the cycles' order")
{
    const std::array<std::string, kSettingsCount> device = TypicalReplies();
    std::array<std::string, kSettingsCount> file = device;
    CHECK(Plan(device, file) == "");

    file = { "12,40,6", "1", "SCANIA", "1", "1", "0", "1", "RS485", "1" };
    CHECK(Plan(device, file) == "RH1BJWF2C");

    file = device;
    file[7] = "RS232 MODIFIED";
    file[1] = "1";
    CHECK(Plan(device, file) == "H2");

    // Refused rows are not written, whatever else is.
    file = device;
    file[0] = "9,33,99";
    file[2] = "scania";
    file[3] = "1";
    CHECK(Plan(device, file) == "B");
}

TEST_CASE("the plan: 'W' takes the file's 'f' with it, but never an 'f' the device would refuse")
{
    const std::array<std::string, kSettingsCount> device = TypicalReplies(); // w "1", f "2"
    std::array<std::string, kSettingsCount> file = device;

    file[5] = "0"; // only 'w' differs: its cycle writes 'F' after it, with the file's (equal) 'f'
    CHECK(Plan(device, file) == "WF");

    file = device;
    file[6] = "3"; // only 'f' differs
    CHECK(Plan(device, file) == "F");

    file[5] = "0"; // both differ: each once
    CHECK(Plan(device, file) == "WF");

    std::array<std::string, kSettingsCount> deviceOddF = device;
    deviceOddF[6] = file[6] = "7"; // 'f' the same on both sides, but no value the device takes
    CHECK(Plan(deviceOddF, file) == "W");

    file = device;
    file[5] = "0";
    file[6] = "2x"; // 'f' to be refused: 'W' goes alone
    std::vector<SettingsRow> rows = CompareSettings(device, file);
    CHECK(rows[6].action == RowAction::Refused);
    CHECK(PlanSettingsWrites(rows) == "W");

    file[5] = "abc"; // 'w' refused: 'f' refused too, nothing to write
    CHECK(Plan(device, file) == "");
}

TEST_CASE("the read letter of each write letter, and the position of each read letter")
{
    const char* const pszWrite = "RH1BJWF2C";
    for (int i = 0; i < kSettingsCount; ++i) {
        CHECK(SettingsReadLetterOf(pszWrite[i]) == kSettingsLetters[i]);
        CHECK(SettingsIndex(kSettingsLetters[i]) == i);
    }
    for (char ch : { 'G', 'S', 'N', 'r', 'T', '3', '\0', '\x1B' })
        CHECK(SettingsReadLetterOf(ch) == 0);
    for (char ch : { 'g', 'R', 'L', 'x', '\0', '\xFF' })
        CHECK(SettingsIndex(ch) == -1);
}
