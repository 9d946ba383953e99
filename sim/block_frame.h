#pragma once
// Taking apart the binary download of a type-1 device: block frames of 132 bytes
// (block number, 0x80, 16-bit sum high byte first, 128 data bytes) and the end
// frame of four zero bytes.
#include <cstdint>
#include <string>

namespace zevsim {

constexpr int kBlockDataBytes = 128;
constexpr int kBlockFrameBytes = 4 + kBlockDataBytes;
constexpr int kEndFrameBytes = 4;

// Sum of the data bytes as unsigned values, modulo 65536.
std::uint16_t blockSum(const std::string& data);

class BlockFrameReader {
 public:
  enum class Event {
    None,       // frame not complete yet
    Block,      // a block with a matching sum: number() and data() hold it
    BadSum,     // a whole block whose sum does not match
    BadHeader,  // the second byte is neither 0x80 nor the end frame's 0: the rest is discarded
    End,        // the end frame
  };

  Event feed(std::uint8_t byte);
  void reset();

  // Bytes of an unfinished frame have arrived, or a bad frame is being discarded.
  bool midFrame() const { return discarding_ || (!frame_.empty() && !complete_); }
  bool discarding() const { return discarding_; }
  // The bytes of an unfinished frame.
  std::string partial() const { return complete_ ? std::string() : frame_; }

  std::uint8_t number() const { return static_cast<std::uint8_t>(frame_[0]); }
  std::string data() const { return frame_.substr(4); }
  std::uint16_t sentSum() const;
  std::uint16_t dataSum() const { return blockSum(data()); }
  // The bytes of the last frame start refused as BadHeader.
  const std::string& refusedStart() const { return refused_; }

 private:
  std::string frame_;  // the complete frame stays here until the next byte arrives
  std::string refused_;
  bool complete_ = false;
  bool discarding_ = false;
};

}  // namespace zevsim
