#include "trace_parse.h"

#include <cstdio>

namespace zevsim {
namespace {

const size_t kRowBytes = 16;
const size_t kHexWidth = kRowBytes * 3;  // "4C " for each byte, blanks for the bytes a row lacks
const size_t kTimeWidth = 12;            // "14:03:07.123"
const size_t kNameWidth = 12;            // the operation's name, padded with blanks
const Millis kDayMs = 24LL * 3600 * 1000;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

int hexValue(char c) {
  if (isDigit(c)) return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// "hh:mm:ss.mmm" at the start of `line` -> milliseconds of the day; -1 when it is none.
Millis timeOfDay(const std::string& line) {
  if (line.size() < kTimeWidth) return -1;
  static const char kShape[] = "dd:dd:dd.ddd";
  for (size_t i = 0; i < kTimeWidth; ++i)
    if (kShape[i] == 'd' ? !isDigit(line[i]) : line[i] != kShape[i]) return -1;
  auto number = [&line](size_t at, size_t digits) {
    int value = 0;
    for (size_t i = at; i < at + digits; ++i) value = value * 10 + (line[i] - '0');
    return value;
  };
  const int hours = number(0, 2), minutes = number(3, 2), seconds = number(6, 2);
  if (hours > 23 || minutes > 59 || seconds > 59) return -1;
  return ((hours * 60LL + minutes) * 60 + seconds) * 1000 + number(9, 3);
}

// One row of bytes: the hex columns from `at`, then the text column between bars, as
// long as the row has bytes. Appends the bytes; false when the row is not so.
bool readRow(const std::string& line, size_t at, std::string& bytes, size_t& count) {
  if (line.size() < at + kHexWidth + 2 || line[at + kHexWidth] != '|' || line.back() != '|') return false;
  count = 0;
  for (size_t i = 0; i < kRowBytes; ++i) {
    const char* cell = line.data() + at + i * 3;
    if (cell[2] != ' ') return false;
    if (cell[0] == ' ' && cell[1] == ' ') continue;
    const int high = hexValue(cell[0]), low = hexValue(cell[1]);
    if (high < 0 || low < 0 || count != i) return false;  // no byte after a gap
    bytes += static_cast<char>(high * 16 + low);
    ++count;
  }
  // The text column shows each byte as one character: its width says the row was read whole.
  return line.size() - (at + kHexWidth + 2) == count;
}

bool blank(const std::string& line) { return line.find_first_not_of(" \t") == std::string::npos; }

}  // namespace

TraceParse parseTrace(const std::string& text) {
  TraceParse result;
  auto fail = [&result](int lineNumber, const std::string& what) {
    result.ok = false;
    result.error = "line " + std::to_string(lineNumber) + ": " + what;
    result.records.clear();
    return result;
  };
  TraceRecord current;
  bool open = false;     // `current` may take continuation rows
  bool rowFull = false;  // the last row read had sixteen bytes
  Millis dayOffset = 0, lastTime = -1;
  auto finish = [&]() {
    if (open && !current.bytes.empty()) result.records.push_back(current);
    open = false;
  };

  int lineNumber = 0;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.pop_back();  // written in text mode: CR LF

    if (blank(line)) {
      finish();
      continue;
    }
    if (line.rfind("Zevanto traffic trace", 0) == 0 || line.rfind("time ", 0) == 0) {
      finish();
      continue;
    }
    if (result.limitReached) return fail(lineNumber, "a line after the one that ends the trace at its size limit");
    if (line[0] == ' ') {
      if (!open) return fail(lineNumber, "a continuation row without a record before it");
      if (!rowFull) return fail(lineNumber, "a continuation row after a row of fewer than 16 bytes");
      size_t count = 0;
      if (!readRow(line, line.find_first_not_of(' '), current.bytes, count) || count == 0)
        return fail(lineNumber, "the bytes are not in the trace's columns (16 in hex, then |text|)");
      rowFull = count == kRowBytes;
      continue;
    }

    finish();
    const Millis time = timeOfDay(line);
    if (time < 0 || line.size() < kTimeWidth + 4 || line[kTimeWidth] != ' ')
      return fail(lineNumber, "no record of a Zevanto traffic trace (time hh:mm:ss.mmm, TX or RX, operation, bytes)");
    if (line.compare(kTimeWidth + 1, 3, "-- ") == 0) {
      result.limitReached = true;
      continue;
    }
    const std::string direction = line.substr(kTimeWidth + 1, 3);
    if (direction != "TX " && direction != "RX ")
      return fail(lineNumber, "neither TX nor RX after the time");
    // the operation: its number (right-aligned in two places), a blank, its padded name
    size_t at = kTimeWidth + 4;
    while (at < line.size() && line[at] == ' ') ++at;
    if (at < line.size() && line[at] == '-') ++at;
    const size_t digits = at;
    while (at < line.size() && isDigit(line[at])) ++at;
    if (at == digits || at >= line.size() || line[at] != ' ')
      return fail(lineNumber, "no operation number after " + direction.substr(0, 2));
    const size_t nameEnd = line.find(' ', at + 1 + kNameWidth);
    if (nameEnd == std::string::npos) return fail(lineNumber, "no bytes after the operation");
    current = TraceRecord();
    current.sent = direction == "TX ";
    current.line = lineNumber;
    size_t count = 0;
    if (!readRow(line, nameEnd + 1, current.bytes, count))
      return fail(lineNumber, "the bytes are not in the trace's columns (16 in hex, then |text|)");
    // Past midnight the time of day starts again; a step back of a second or so is the PC
    // clock being set and stays as it is.
    if (lastTime >= 0 && time + dayOffset < lastTime - kDayMs / 2) dayOffset += kDayMs;
    current.time = lastTime = time + dayOffset;
    open = true;
    rowFull = count == kRowBytes;
  }
  finish();
  bool sends = false;
  for (const TraceRecord& record : result.records) sends = sends || record.sent;
  if (!sends) {
    result.error = result.records.empty() ? "no record of a traffic trace in it"
                                          : "no TX record in it: the tool sent nothing, there is nothing to answer";
    result.records.clear();
    return result;
  }
  result.ok = true;
  return result;
}

TraceParse readTrace(const std::string& path) {
  TraceParse result;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) {
    result.error = "cannot open the trace file " + path;
    return result;
  }
  std::string text;
  char buffer[65536];
  size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, got);
  const bool readFailed = std::ferror(file) != 0;
  std::fclose(file);
  if (readFailed) {
    result.error = "cannot read the trace file " + path;
    return result;
  }
  result = parseTrace(text);
  if (!result.ok) result.error = "the trace file " + path + " is no traffic trace of the tool: " + result.error;
  return result;
}

}  // namespace zevsim
