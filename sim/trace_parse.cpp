#include "trace_parse.h"

#include <cstdio>
#include <string>

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

// Past the operation's number after the direction (right-aligned in two places, perhaps
// negative); `digits` is where its digits begin.
size_t pastOperationNumber(const std::string& line, size_t& digits) {
  size_t at = kTimeWidth + 4;
  while (at < line.size() && line[at] == ' ') ++at;
  if (at < line.size() && line[at] == '-') ++at;
  digits = at;
  while (at < line.size() && isDigit(line[at])) ++at;
  return at;
}

// Whether the row of bytes from `at` begins as the trace's rows do, as far as it goes:
// hex cells of three characters ("4C " or blanks), then the bar of the text column.
bool rowBegins(const std::string& line, size_t at) {
  for (size_t i = at; i < line.size(); ++i) {
    const size_t place = i - at;
    if (place > kHexWidth) break;  // the text column: any character
    const char c = line[i];
    bool fits;
    if (place == kHexWidth)
      fits = c == '|';
    else if (place % 3 == 2)
      fits = c == ' ';
    else
      fits = c == ' ' || hexValue(c) >= 0;
    if (!fits) return false;
  }
  return true;
}

// Whether `line` is the beginning of a record's first line or of a continuation row: what
// a trace cut off in the middle of a line ends with.
bool beginsLikeTraceLine(const std::string& line) {
  if (line[0] == ' ') return rowBegins(line, line.find_first_not_of(' '));
  static const char kShape[] = "dd:dd:dd.ddd";
  for (size_t i = 0; i < kTimeWidth && i < line.size(); ++i)
    if (kShape[i] == 'd' ? !isDigit(line[i]) : line[i] != kShape[i]) return false;
  if (line.size() <= kTimeWidth) return true;
  if (line[kTimeWidth] != ' ') return false;
  const std::string direction = line.substr(kTimeWidth + 1, 3);  // shorter where the cut came
  auto begins = [&direction](const char* whole) {
    return direction.compare(0, direction.size(), whole, direction.size()) == 0;
  };
  if (direction.size() < 3 || direction == "-- ") return begins("TX ") || begins("RX ") || begins("-- ");
  if (direction != "TX " && direction != "RX ") return false;
  size_t digits = 0;
  const size_t at = pastOperationNumber(line, digits);
  if (at >= line.size()) return true;
  if (at == digits || line[at] != ' ') return false;
  const size_t nameEnd = line.find(' ', at + 1 + kNameWidth);
  return nameEnd == std::string::npos || rowBegins(line, nameEnd + 1);
}

// What is wrong with a line. `columns`: its own text is not in the trace's columns, as a
// line cut off is not; otherwise the line is where no trace has it.
struct LineFault {
  std::string what;
  bool columns = false;
};

const char kNotInColumns[] = "the bytes are not in the trace's columns (16 in hex, then |text|)";

// The records line by line; a record is whole when the line after its last row comes.
class TraceReader {
 public:
  explicit TraceReader(TraceParse& result) : result_(result) {}

  // Reads one line (without its line end); false with `fault` when no trace has it.
  bool read(const std::string& line, int lineNumber, LineFault& fault);
  void finish() {  // the open record is whole
    if (open_ && !current_.bytes.empty()) result_.records.push_back(current_);
    open_ = false;
  }
  // Leaves the open record out; its first line, 0 for none.
  int drop() {
    const int line = open_ ? current_.line : 0;
    open_ = false;
    return line;
  }
  bool mayGoOn() const { return open_ && rowFull_; }  // the open record's last row is full

 private:
  TraceParse& result_;
  TraceRecord current_;
  bool open_ = false;     // `current_` may take continuation rows
  bool rowFull_ = false;  // the last row read had sixteen bytes
  Millis dayOffset_ = 0, lastTime_ = -1;
};

bool TraceReader::read(const std::string& line, int lineNumber, LineFault& fault) {
  auto refuse = [&fault](const std::string& what, bool columns) {
    fault = {what, columns};
    return false;
  };
  if (blank(line)) {
    finish();
    return true;
  }
  if (line.rfind("Zevanto traffic trace", 0) == 0 || line.rfind("time ", 0) == 0) {
    finish();
    return true;
  }
  if (result_.limitReached) return refuse("a line after the one that ends the trace at its size limit", false);
  if (line[0] == ' ') {
    if (!open_) return refuse("a continuation row without a record before it", false);
    if (!rowFull_) return refuse("a continuation row after a row of fewer than 16 bytes", false);
    size_t count = 0;
    if (!readRow(line, line.find_first_not_of(' '), current_.bytes, count) || count == 0)
      return refuse(kNotInColumns, true);
    rowFull_ = count == kRowBytes;
    return true;
  }

  finish();
  const Millis time = timeOfDay(line);
  if (time < 0 || line.size() < kTimeWidth + 4 || line[kTimeWidth] != ' ')
    return refuse("no record of a Zevanto traffic trace (time hh:mm:ss.mmm, TX or RX, operation, bytes)", true);
  if (line.compare(kTimeWidth + 1, 3, "-- ") == 0) {
    result_.limitReached = true;
    return true;
  }
  const std::string direction = line.substr(kTimeWidth + 1, 3);
  if (direction != "TX " && direction != "RX ") return refuse("neither TX nor RX after the time", true);
  // the operation: its number, a blank, its padded name
  size_t digits = 0;
  const size_t at = pastOperationNumber(line, digits);
  if (at == digits || at >= line.size() || line[at] != ' ')
    return refuse("no operation number after " + direction.substr(0, 2), true);
  const size_t nameEnd = line.find(' ', at + 1 + kNameWidth);
  if (nameEnd == std::string::npos) return refuse("no bytes after the operation", true);
  TraceRecord record;
  record.sent = direction == "TX ";
  record.line = lineNumber;
  size_t count = 0;
  if (!readRow(line, nameEnd + 1, record.bytes, count)) return refuse(kNotInColumns, true);
  // Past midnight the time of day starts again; a step back of a second or so is the PC
  // clock being set and stays as it is.
  if (lastTime_ >= 0 && time + dayOffset_ < lastTime_ - kDayMs / 2) dayOffset_ += kDayMs;
  record.time = lastTime_ = time + dayOffset_;
  current_ = record;
  open_ = true;
  rowFull_ = count == kRowBytes;
  return true;
}

// Why reading stopped at `lineNumber`, the last line, which has no line end.
std::string cutOff(int lineNumber, int droppedRecord, const char* how) {
  std::string text = "line " + std::to_string(lineNumber) + ": the file ends " + how +
                     " (cut off, as when the tool ended while writing it); the whole records before it are read";
  if (droppedRecord > 0)
    text += ", the record begun on line " + std::to_string(droppedRecord) + " is not whole and is left out";
  return text;
}

const char kByteOrderMark[] = "\xEF\xBB\xBF";

}  // namespace

TraceParse parseTrace(const std::string& text) {
  TraceParse result;
  TraceReader reader(result);
  int lineNumber = 0;
  size_t start = text.compare(0, 3, kByteOrderMark) == 0 ? 3 : 0;  // an editor's mark: no text of the trace
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    const bool lineEnd = end != std::string::npos;
    if (!lineEnd) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.pop_back();  // written in text mode: CR LF

    // the indent of a continuation row without the row: cut off in its line
    if (!lineEnd && !line.empty() && blank(line) && reader.mayGoOn()) {
      result.stopped = cutOff(lineNumber, reader.drop(), "in the middle of this line");
      break;
    }
    LineFault fault;
    if (!reader.read(line, lineNumber, fault)) {
      // Only the last line may be cut, and only in a way a line of the trace begins.
      if (lineEnd || !fault.columns || !beginsLikeTraceLine(line)) {
        result.error = "line " + std::to_string(lineNumber) + ": " + fault.what;
        result.records.clear();
        return result;
      }
      result.stopped = cutOff(lineNumber, line[0] == ' ' ? reader.drop() : 0, "in the middle of this line");
      break;
    }
    // A full row without its line end: the record may have had more rows.
    if (!lineEnd && reader.mayGoOn())
      result.stopped = cutOff(lineNumber, reader.drop(), "after this line's 16 bytes, without its line end");
  }
  reader.finish();
  bool sends = false;
  for (const TraceRecord& record : result.records) sends = sends || record.sent;
  if (!sends) {
    result.error = result.records.empty() ? "no record of a traffic trace in it"
                                          : "no TX record in it: the tool sent nothing, there is nothing to answer";
    if (!result.stopped.empty()) result.error += " (" + result.stopped + ")";
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
