#include "device.h"

#include <cstdio>

#include "control_bytes.h"
#include "srecord.h"
#include "value_writes.h"

namespace zevsim {
namespace {

constexpr size_t kMaxRecordLine = 600;  // longer than any S-record

// A byte the tool may send as a command (or the start of a wake-up).
bool isCommandByte(std::uint8_t byte) {
  const char letter = static_cast<char>(byte);
  return readLetters().find(letter) != std::string::npos || isWriteLetter(letter) ||
         std::string("TVOYXxDME*").find(letter) != std::string::npos;
}

}  // namespace

// 'D': types 0 and 2 take S-record lines right away, type 1 answers ESC and takes
// block frames.
void Device::startDownload(Millis now) {
  firmware_.clear();
  framesTaken_ = 0;
  framesAcked_ = 0;
  framesSeen_ = 0;
  nakFrameNaks_ = 0;
  text_.clear();
  blocks_.reset();
  if (config_.type == 1) {
    note("command D: ESC, waiting for block frames", now);
    mode_ = Mode::ImageDownload;
    replyByte(kEsc, now);
  } else {
    note("command D: waiting for S-record lines", now);
    mode_ = Mode::S19Download;
  }
}

void Device::s19Byte(std::uint8_t byte, Millis now) {
  if (byte == kCr) {
    const std::string line = text_;
    text_.clear();
    takeRecord(line, now);
    return;
  }
  if (byte == kLf) return;
  if (text_.empty() && byte != 'S' && isCommandByte(byte)) {
    // The tool has gone on to the next command: the file had no end record.
    finishDownload("without an end record", now);
    commandByte(byte, now);
    return;
  }
  if (text_.size() <= kMaxRecordLine) text_.push_back(static_cast<char>(byte));
}

void Device::takeRecord(const std::string& line, Millis now) {
  if (frameFaults(now)) return;
  if (line.empty()) {
    note("empty line in the download: ACK", now);
    ackFrame(now);
    return;
  }
  const SRecordCheck check = checkSRecord(line.size() > kMaxRecordLine ? std::string("overlong") : line);
  if (check.status != SRecordStatus::Good) {
    note("record " + std::to_string(framesSeen_) + " refused (" + check.reason + "): NAK", now);
    replyByte(kNak, now);
    return;
  }
  firmware_ += line + "\n";
  ++framesTaken_;
  ackFrame(now);
  if (check.isEnd()) {
    finishDownload("with its end record S" + std::to_string(check.type), now);
    endRecordTaken_ = true;
  }
}

void Device::imageByte(std::uint8_t byte, Millis now) {
  char text[120];
  switch (blocks_.feed(byte)) {
    case BlockFrameReader::Event::None:
      return;
    case BlockFrameReader::Event::BadHeader:
      // No frame starts with "**" (a wake-up) or with 'E' and then anything but 0x80
      // (the session's end): the tool has left the download.
      if (blocks_.refusedStart() == "**" || blocks_.refusedStart()[0] == 'E') {
        abandonDownload("the tool sent commands", blocks_.refusedStart(), now);
        return;
      }
      std::snprintf(text, sizeof text,
                    "frame with second byte 0x%02X, neither a block nor the end frame: "
                    "discarding until the line is quiet", byte);
      note(text, now);
      return;
    case BlockFrameReader::Event::BadSum:
      if (frameFaults(now)) return;
      std::snprintf(text, sizeof text, "block %u: sum %04X sent, data sums to %04X: NAK",
                    blocks_.number(), blocks_.sentSum(), blocks_.dataSum());
      note(text, now);
      replyByte(kNak, now);
      return;
    case BlockFrameReader::Event::Block:
      if (frameFaults(now)) return;
      takeBlock(now);
      return;
    case BlockFrameReader::Event::End:
      takeEndFrame(now);
      return;
  }
}

// The end frame is a frame: the fault options reach it, and the device answers it only
// once it has checked the image.
void Device::takeEndFrame(Millis now) {
  if (frameFaults(now)) return;
  const int delayMs = config_.replyDelayMs + config_.faults.endFrameDelayMs;
  if (config_.faults.refuseImage) {
    note("end frame: the image is refused, NAK (fault option)", now);
    reply(std::string(1, static_cast<char>(kNak)), now, delayMs);
    return;
  }
  ++framesAcked_;
  reply(std::string(1, static_cast<char>(kAck)), now, delayMs);
  finishDownload("with the end frame", now);
}

void Device::takeBlock(Millis now) {
  const unsigned expected = static_cast<unsigned>(framesTaken_) & 0xFF;
  const unsigned number = blocks_.number();
  char text[100];
  if (number == expected) {
    firmware_ += blocks_.data();  // all 128 bytes: the device cannot tell filler from code
    ++framesTaken_;
    ackFrame(now);
  } else if (framesTaken_ > 0 && number == ((expected + 255) & 0xFF)) {
    // the block just taken once more: its ACK was lost on the way
    std::snprintf(text, sizeof text, "block %u repeated: ACK, kept once", number);
    note(text, now);
    replyByte(kAck, now);
  } else {
    std::snprintf(text, sizeof text, "block %u where block %u was due: NAK", number, expected);
    note(text, now);
    replyByte(kNak, now);
  }
}

// The fault options that act on a download frame, in this order: drop the port, go
// silent, NAK. True when the frame has been answered (NAK) or the port dropped.
bool Device::frameFaults(Millis now) {
  ++framesSeen_;
  if (frameCountReached(now)) return true;
  const FaultOptions& faults = config_.faults;
  const int position = framesAcked_ + 1;
  const std::string frame = "frame " + std::to_string(position);
  if (position == faults.silentAfterFrame && !silent_) {
    note(frame + ": silent from here on until the next wake-up (fault option)", now);
    silent_ = true;
  }
  if (faults.nakEvery > 0 && framesSeen_ % faults.nakEvery == 0) {
    note(frame + ": NAK (fault option)", now);
    replyByte(kNak, now);
    return true;
  }
  if (position == faults.nakFrame && nakFrameNaks_ < faults.nakRepeat) {
    ++nakFrameNaks_;
    // the first and the last of a long run are enough for the log
    if (nakFrameNaks_ == 1 || nakFrameNaks_ == faults.nakRepeat)
      note(frame + ": NAK " + std::to_string(nakFrameNaks_) + " of " + std::to_string(faults.nakRepeat) +
               " (fault option)", now);
    replyByte(kNak, now);
    return true;
  }
  return false;
}

void Device::ackFrame(Millis now) {
  ++framesAcked_;
  replyByte(kAck, now);
}

void Device::finishDownload(const std::string& how, Millis now) {
  const char* unit = config_.type == 1 ? " blocks, " : " records, ";
  note("download ended " + how + ": " + std::to_string(framesTaken_) + unit +
           std::to_string(firmware_.size()) + " bytes", now);
  schedule(Action::saveFirmware(firmware_), now);
  firmware_.clear();
  mode_ = Mode::Command;
}

// The tool has left the download half-way; what came so far is no firmware. `bytes`
// were commands, not a frame: they are taken as such.
void Device::abandonDownload(const std::string& why, std::string bytes, Millis now) {
  note("download abandoned after " + std::to_string(framesTaken_) + " blocks, " + why + ": nothing saved", now);
  firmware_.clear();
  blocks_.reset();
  mode_ = Mode::Command;
  for (unsigned char byte : bytes) take(byte, now);
}

// Bytes stopped coming in the middle of a line or frame.
void Device::downloadTimeout(Millis now) {
  const std::string quiet = std::to_string(config_.inputTimeoutMs) + " ms";
  if (mode_ == Mode::S19Download) {
    note("record without its CR after " + quiet + ": NAK", now);
    text_.clear();
  } else if (blocks_.partial() == "E") {
    abandonDownload("a lone E ended the session", "E", now);
    return;
  } else {
    note(blocks_.discarding() ? "line quiet after a bad frame: NAK"
                              : "frame incomplete after " + quiet + " of quiet: NAK", now);
    blocks_.reset();
  }
  replyByte(kNak, now);
}

}  // namespace zevsim
