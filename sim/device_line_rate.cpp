#include "device.h"

#include <algorithm>
#include <cmath>

#include "wire_time.h"

namespace zevsim {
namespace {

Millis ceilMs(double ms) { return static_cast<Millis>(std::ceil(ms - 1e-9)); }

}  // namespace

// With --line-rate a pty behaves like a cable. A byte written by the tool is the
// device's only when its ten bits would have crossed the line: its wire time after it
// was written, or after the byte before it, whichever is later. So nothing the device
// says about a frame can come before the frame's last byte would have arrived.
void Device::takeArrived(Millis now) {
  while (!inbox_.empty()) {
    const double at = std::max(static_cast<double>(inbox_.front().arrived), rxFreeAt_) + wireMs(1, baud_);
    const Millis when = ceilMs(at);
    if (when > now) return;
    rxFreeAt_ = at;
    const std::uint8_t byte = inbox_.front().byte;
    inbox_.pop_front();
    monitorTick(when);  // frames due before this byte still go out
    takeAt(byte, when);
  }
}

Millis Device::nextArrival() const {
  if (inbox_.empty()) return -1;
  return ceilMs(std::max(static_cast<double>(inbox_.front().arrived), rxFreeAt_) + wireMs(1, baud_));
}

// The sending side of --line-rate: each byte goes to the port when it would have
// reached the tool's end, ten bits at the port's rate after the byte before it.
// Bytes that arrive within the same millisecond go out together.
void Device::paceOut(const std::string& bytes, Millis due) {
  double at = std::max(static_cast<double>(due), txFreeAt_);
  const double each = wireMs(1, txBaud_);
  std::string chunk;
  Millis chunkDue = 0;
  for (char byte : bytes) {
    at += each;
    const Millis arrives = ceilMs(at);
    if (!chunk.empty() && arrives != chunkDue) {
      enqueue(Action::send(chunk), chunkDue);
      chunk.clear();
    }
    chunk.push_back(byte);
    chunkDue = arrives;
  }
  if (!chunk.empty()) enqueue(Action::send(chunk), chunkDue);
  txFreeAt_ = at;
}

void Device::followRate(int baud) {
  baud_ = baud;
  txBaud_ = baud;
}

}  // namespace zevsim
