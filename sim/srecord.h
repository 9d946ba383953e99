#pragma once
// Checking one Motorola S-record line as the device receives it during a download.
#include <string>

namespace zevsim {

enum class SRecordStatus { Good, BadChecksum, Malformed };

struct SRecordCheck {
  SRecordStatus status = SRecordStatus::Malformed;
  int type = -1;        // the digit after 'S', -1 when there is none
  std::string reason;   // why a record was refused, for the log
  bool isEnd() const { return status == SRecordStatus::Good && type >= 7 && type <= 9; }
};

// Checks record type, hex digits, byte count and checksum (ones' complement of the
// low byte of the sum of count, address and data). Trailing blanks are ignored.
SRecordCheck checkSRecord(const std::string& line);

}  // namespace zevsim
