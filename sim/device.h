#pragma once
// The simulated flow-metering register: everything it holds and its side of the
// serial protocol, as pure code. Bytes from the tool go in through receive(); the
// passing of time through tick(); what the device sends, and what it asks of its
// port, comes out of takeDue() as actions with the time they are due.
//
// The member functions live in several files, one job each:
//   device.cpp           state, wake-up, the command letters, value texts, clock
//   device_output.cpp    scheduling of answers and the reply faults
//   device_download.cpp  firmware download (S-records and block frames)
//   device_monitor.cpp   the monitor frame stream
//   device_line_rate.cpp bytes paced at the wire time of a real cable (--line-rate)
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "block_frame.h"
#include "device_action.h"
#include "device_clock.h"
#include "device_config.h"
#include "device_values.h"
#include "flow_profile.h"
#include "wake_up.h"

namespace zevsim {

class Device {
 public:
  Device(const DeviceConfig& config, const DeviceValues& values, Millis now);

  void receive(std::uint8_t byte, Millis now);  // one byte from the tool
  void tick(Millis now);                        // time passed: monitor frames, time-outs
  std::vector<Action> takeDue(Millis now);      // the actions due by `now`, in order
  Millis nextEvent() const;                     // when tick() has work next; -1 for never
  // The far end set the line's rate (an RFC 2217 client): the device works at it from now
  // on, as after its own switch.
  void followRate(int baud);

  bool awake() const { return mode_ != Mode::Asleep; }
  bool monitorRunning() const { return mode_ == Mode::Monitor; }
  int baud() const { return baud_; }
  const DeviceValues& values() const { return values_; }
  std::string clock(Millis now) const { return clock_.read(now); }

 private:
  enum class Mode { Asleep, Command, ValueText, ClockText, ClockEnd, S19Download, ImageDownload, Monitor };

  // device.cpp
  void takeAt(std::uint8_t byte, Millis now);  // one byte, by the mode the device is in
  void take(std::uint8_t byte, Millis now);    // the same, as part of another byte's handling
  void asleepByte(std::uint8_t byte, Millis now);
  void commandByte(std::uint8_t byte, Millis now);
  bool wakeUpByte(std::uint8_t byte, Millis now);
  void wakeUp(int typeNumber, Millis now);
  void command(char letter, Millis now);
  void answerL(Millis now);
  void readOut(const std::vector<std::string>& lines, Millis now);
  std::string expand(const std::string& line, Millis now) const;
  void valueTextByte(std::uint8_t byte, Millis now);
  void clockTextByte(std::uint8_t byte, Millis now);
  void clockEndByte(std::uint8_t byte, Millis now);
  void checkTimeouts(Millis now);
  bool waitingForInput() const;

  // device_output.cpp
  void schedule(Action action, Millis due);
  void enqueue(Action action, Millis due);
  void sendRaw(const std::string& bytes, Millis due);
  void reply(const std::string& bytes, Millis now, int delayMs);
  void replyByte(std::uint8_t byte, Millis now);  // ESC, ACK or NAK after the reply delay
  void replyLine(const std::string& text, Millis now, int delayMs, const std::string& noiseBefore = std::string());
  void note(const std::string& text, Millis now);
  bool frameCountReached(Millis now);
  std::uint32_t random();
  std::string noise(double ms);  // --noise: the random bytes that `ms` of sending carries

  // device_download.cpp
  void startDownload(Millis now);
  void s19Byte(std::uint8_t byte, Millis now);
  void takeRecord(const std::string& line, Millis now);
  void imageByte(std::uint8_t byte, Millis now);
  void takeBlock(Millis now);
  void takeEndFrame(Millis now);
  bool frameFaults(Millis now);
  void ackFrame(Millis now);
  void finishDownload(const std::string& how, Millis now);
  void abandonDownload(const std::string& why, std::string bytes, Millis now);  // a copy: the reader is reset
  void downloadTimeout(Millis now);

  // device_line_rate.cpp
  void takeArrived(Millis now);
  Millis nextArrival() const;
  void paceOut(const std::string& bytes, Millis due);

  // device_monitor.cpp
  void startMonitor(Millis now);
  void stopMonitor(std::uint8_t byte, Millis now);
  void monitorTick(Millis now);

  struct Incoming {
    std::uint8_t byte;
    Millis arrived;
  };

  struct Scheduled {
    Millis due;
    Action action;
  };

  DeviceConfig config_;
  DeviceValues values_;
  DeviceClock clock_;
  FlowProfile flow_;
  Mode mode_ = Mode::Asleep;
  int baud_ = kWakeUpBaud;
  WakeUpMatcher wakeUp_;
  char lastCommand_ = 0;
  bool silent_ = false;
  Millis lastInputAt_ = 0;  // last byte received or last answer due, whichever is later

  std::string text_;     // value text, clock text or S-record line being collected
  char writeLetter_ = 0; // the letter whose value text is being collected

  // download
  std::string firmware_;
  int framesTaken_ = 0;  // records or blocks stored
  int framesAcked_ = 0;  // frames acknowledged as new, empty lines included: the tool's frame count
  int framesSeen_ = 0;   // frames received, resends included, for the fault options
  int nakFrameNaks_ = 0; // NAKs given so far to the frame that --nak-frame names
  bool endRecordTaken_ = false;  // an S-record download has just ended with its end record
  BlockFrameReader blocks_;

  // monitor
  double nextFrameAt_ = 0;
  Millis flowAt_ = 0;
  std::uint32_t framesSent_ = 0;   // since start: numbers the frames
  std::uint32_t monitorFrames_ = 0; // since the last 'M'


  // line rate
  std::deque<Incoming> inbox_;  // bytes from the tool still crossing the line
  double rxFreeAt_ = 0;         // when the byte last taken had fully arrived
  double txFreeAt_ = 0;         // when the last byte sent will have reached the tool
  int txBaud_ = kWakeUpBaud;    // the port's rate after the actions scheduled so far

  // output
  std::deque<Scheduled> queue_;
  Millis lastDue_ = 0;
  int replies_ = 0;
  int lines_ = 0;
  int framesForDrop_ = 0;
  std::uint32_t random_;
  double noiseOwed_ = 0;        // the fraction of a noise byte not yet sent
  long long noiseSent_ = 0;     // noise bytes sent since the read-out or monitor began
};

}  // namespace zevsim
