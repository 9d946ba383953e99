#include "srecord.h"

#include <cstdio>
#include <vector>

namespace zevsim {
namespace {

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Address length in bytes per record type; 0 for the reserved type 4.
int addressBytes(int type) {
  static const int kLengths[10] = {2, 2, 3, 4, 0, 2, 3, 4, 3, 2};
  return kLengths[type];
}

SRecordCheck refuse(int type, const std::string& reason) {
  SRecordCheck check;
  check.type = type;
  check.reason = reason;
  return check;
}

}  // namespace

SRecordCheck checkSRecord(const std::string& line) {
  std::string text = line;
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\n'))
    text.pop_back();

  if (text.size() < 2 || text[0] != 'S') return refuse(-1, "does not start with S and a type digit");
  if (text[1] < '0' || text[1] > '9') return refuse(-1, "does not start with S and a type digit");
  const int type = text[1] - '0';
  if (addressBytes(type) == 0) return refuse(type, "record type S4 is reserved");

  const std::string hex = text.substr(2);
  if (hex.size() % 2 != 0) return refuse(type, "odd number of hex digits");
  std::vector<int> bytes;
  for (size_t i = 0; i < hex.size(); i += 2) {
    const int high = hexValue(hex[i]), low = hexValue(hex[i + 1]);
    if (high < 0 || low < 0) return refuse(type, "character that is not a hex digit");
    bytes.push_back(high * 16 + low);
  }
  if (bytes.empty()) return refuse(type, "no byte count");
  const int count = bytes[0];
  if (count != static_cast<int>(bytes.size()) - 1) {
    char reason[80];
    std::snprintf(reason, sizeof reason, "byte count %d but %d bytes follow", count,
                  static_cast<int>(bytes.size()) - 1);
    return refuse(type, reason);
  }
  if (count < addressBytes(type) + 1) return refuse(type, "too short for its address and checksum");

  int sum = 0;
  for (size_t i = 0; i + 1 < bytes.size(); ++i) sum += bytes[i];
  const int expected = ~sum & 0xFF;
  SRecordCheck check;
  check.type = type;
  if (bytes.back() != expected) {
    char reason[80];
    std::snprintf(reason, sizeof reason, "checksum %02X, the record sums to %02X", bytes.back(), expected);
    check.status = SRecordStatus::BadChecksum;
    check.reason = reason;
    return check;
  }
  check.status = SRecordStatus::Good;
  return check;
}

}  // namespace zevsim
