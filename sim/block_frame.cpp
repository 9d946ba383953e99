#include "block_frame.h"

namespace zevsim {

std::uint16_t blockSum(const std::string& data) {
  unsigned sum = 0;
  for (unsigned char byte : data) sum += byte;
  return static_cast<std::uint16_t>(sum & 0xFFFF);
}

void BlockFrameReader::reset() {
  frame_.clear();
  refused_.clear();
  complete_ = false;
  discarding_ = false;
}

std::uint16_t BlockFrameReader::sentSum() const {
  return static_cast<std::uint16_t>((static_cast<std::uint8_t>(frame_[2]) << 8) |
                                    static_cast<std::uint8_t>(frame_[3]));
}

BlockFrameReader::Event BlockFrameReader::feed(std::uint8_t byte) {
  if (complete_) reset();
  if (discarding_) return Event::None;
  frame_.push_back(static_cast<char>(byte));
  const size_t size = frame_.size();
  if (size == 2) {
    const auto count = static_cast<std::uint8_t>(frame_[1]);
    if (count == 0x80) return Event::None;
    if (count == 0x00 && frame_[0] == 0) return Event::None;  // may be the end frame
    refused_ = frame_;
    frame_.clear();
    discarding_ = true;
    return Event::BadHeader;
  }
  if (size > 2 && size <= 4 && frame_[1] == 0) {
    if (byte != 0) {
      refused_ = frame_;
      frame_.clear();
      discarding_ = true;
      return Event::BadHeader;
    }
    if (size < static_cast<size_t>(kEndFrameBytes)) return Event::None;
    complete_ = true;
    return Event::End;
  }
  if (size < static_cast<size_t>(kBlockFrameBytes)) return Event::None;
  complete_ = true;
  return sentSum() == dataSum() ? Event::Block : Event::BadSum;
}

}  // namespace zevsim
