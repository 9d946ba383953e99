#pragma once
// Byte values with a meaning of their own on the line between the tool and the device.
#include <cstdint>

namespace zevsim {

constexpr std::uint8_t kAck = 0x06;  // download frame taken
constexpr std::uint8_t kLf = 0x0A;
constexpr std::uint8_t kCr = 0x0D;   // ends a line
constexpr std::uint8_t kDle = 0x10;  // escape: the next byte goes out plus 0x20
constexpr std::uint8_t kXon = 0x11;
constexpr std::uint8_t kXoff = 0x13;
constexpr std::uint8_t kNak = 0x15;  // download frame refused, send it again
constexpr std::uint8_t kCan = 0x18;  // only inside the wake-up string
constexpr std::uint8_t kEsc = 0x1B;  // command taken / value may follow

}  // namespace zevsim
