#pragma once
// Reads the tool's traffic trace (ZevTrace.TXT) back into its records, for --replay:
//   14:03:07.123 TX  6 query        4C                                              |L|
// time to the millisecond, TX (sent by the tool) or RX (received by it), the operation
// in progress, then the bytes sixteen a row in hex, with continuation rows indented
// under the first. The header lines, blank lines and the line that ends a trace at its
// size limit are taken as they come; any other line makes the file no trace.
//
// A trace is what support gets after a field problem, often one that ended the tool:
// the file may end in the middle of its last line. Every whole record before such a line
// is read, and the parse says where it stopped and why. Only the last line may be cut
// so: a line with its line end that is not in the trace's columns still makes the file
// no trace. A UTF-8 byte-order mark, which an editor may put in front, is passed over.
#include <string>
#include <vector>

#include "device_action.h"

namespace zevsim {

struct TraceRecord {
  bool sent = false;  // TX: the tool sent the bytes; RX: the tool received them
  Millis time = 0;    // milliseconds since the midnight the trace started after
  std::string bytes;  // never empty
  int line = 0;       // the record's first line in the file, from 1
};

struct TraceParse {
  bool ok = false;
  std::string error;  // "line 7: ..." when the text is no trace
  std::vector<TraceRecord> records;
  bool limitReached = false;  // the trace ended at its size limit
  // "line 26: ..." when the text ends in the middle of a line, which was not read (nor
  // the record it belongs to); empty when the text was read to its end.
  std::string stopped;
};

// A text without a TX record is refused too: there is nothing to replay.
// A trace that runs past midnight goes on counting: a time more than half a day earlier
// than the record before it is taken as the next day's.
TraceParse parseTrace(const std::string& text);

// The same for a file; an error names the file.
TraceParse readTrace(const std::string& path);

}  // namespace zevsim
