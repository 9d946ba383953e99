#include "value_writes.h"

#include <cstring>

namespace zevsim {
namespace {

bool isUnsignedNumber(const std::string& text) {
  if (text.empty() || text.size() > 10) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  return text.size() < 10 || text <= "4294967295";
}

// "a,b,c": three unsigned decimal numbers.
bool isNumberTriple(const std::string& text) {
  size_t start = 0;
  for (int part = 0; part < 3; ++part) {
    const size_t comma = text.find(',', start);
    const bool last = part == 2;
    if (last != (comma == std::string::npos)) return false;
    if (!isUnsignedNumber(text.substr(start, last ? std::string::npos : comma - start))) return false;
    start = comma + 1;
  }
  return true;
}

// Maps the number the tool writes to the word the read letter answers with.
const char* wordFor(const std::string& text, const char* const* words, int count) {
  for (int i = 0; i < count; ++i)
    if (text == std::to_string(i) && words[i]) return words[i];
  return nullptr;
}

WriteOutcome stored(DeviceValues& values, char readLetter, const std::string& reply) {
  values.replies[readLetter] = reply;
  return {true, std::string("'") + readLetter + "' now answers \"" + reply + "\""};
}

WriteOutcome refused(const std::string& text, const char* expected) {
  return {false, "value \"" + text + "\" refused: expected " + expected};
}

}  // namespace

bool isWriteLetter(char letter) { return letter != 0 && std::strchr("RH1BGJWF2CSN", letter); }

char readLetterFor(char letter) {
  switch (letter) {
    case 'R': return 'r';
    case 'H': return 'h';
    case '1': return '3';
    case 'B': return 'b';
    case 'G': return 'g';
    case 'J': return 'j';
    case 'W': return 'w';
    case 'F': return 'f';
    case '2': return '4';
    case 'C': return 'c';
    default: return 0;
  }
}

WriteOutcome applyWrite(char letter, const std::string& text, DeviceValues& values) {
  switch (letter) {
    case 'R':
      if (!isNumberTriple(text)) return refused(text, "three numbers such as 9,33,0");
      return stored(values, 'r', text);
    case 'H':
      // 'H' is both the entry-mode write ("0", "1") and a free text command; the
      // device keeps what it was given and answers 'h' with it.
      return stored(values, 'h', text);
    case '1': {
      // the kind is written as 0 (OTHER) or 2 (SCANIA) and read back as the word
      static const char* const kKinds[3] = {"OTHER", nullptr, "SCANIA"};
      if (const char* word = wordFor(text, kKinds, 3)) return stored(values, '3', word);
      return refused(text, "0 (OTHER) or 2 (SCANIA)");
    }
    case '2': {
      static const char* const kInterfaces[3] = {"RS232", "RS232 MODIFIED", "RS485"};
      if (const char* word = wordFor(text, kInterfaces, 3)) return stored(values, '4', word);
      return refused(text, "0 (RS232), 1 (RS232 MODIFIED) or 2 (RS485)");
    }
    case 'B': case 'G': case 'J': case 'C':
      if (text != "0" && text != "1") return refused(text, "0 or 1");
      return stored(values, readLetterFor(letter), text);
    case 'W':
      if (!isUnsignedNumber(text)) return refused(text, "an unsigned number");
      return stored(values, 'w', text);
    case 'F':
      if (text.size() != 1 || text[0] < '0' || text[0] > '3') return refused(text, "0, 1, 2 or 3");
      return stored(values, 'f', text);
    case 'S':
      values.textS = text;
      return {true, "text S is now \"" + text + "\""};
    case 'N':
      values.textN = text;
      return {true, "text N is now \"" + text + "\""};
    default:
      return {false, std::string("'") + letter + "' takes no value"};
  }
}

}  // namespace zevsim
