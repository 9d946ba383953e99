#pragma once
// How the simulated device behaves beyond the values it holds: its type, timing,
// monitor frame length and the faults it is asked to show.
#include <string>

namespace zevsim {

// How the device answers the one-line query 'L'.
enum class LAnswer {
  ByType,   // the type's own rule: ESC and then the line on type 1, the line alone on 0 and 2
  Line,     // the line and CR (a type-0 device then takes the tool's lone CR)
  Esc,      // ESC alone, no line
  EscLine,  // ESC, then the line and CR
  TextEsc,  // the line's text ended by ESC instead of CR
};

struct FaultOptions {
  int nakEvery = 0;         // NAK every nth download frame, good or not (0: never)
  int nakFrame = 0;         // NAK the nth frame of a download (the tool's count, from 1) ...
  int nakRepeat = 1;        // ... on its first this many arrivals, then take it
  int silentAfterFrame = 0; // from the nth frame of a download on, nothing is sent until the next wake-up
  int endFrameDelayMs = 0;  // an image's end frame is answered this much later (the image is checked)
  bool refuseImage = false; // every end frame of an image is answered NAK
  char silentAfter = 0;     // after this command letter nothing more is sent until the next wake-up
  int garbageEvery = 0;     // a few random bytes before every nth reply
  int noCrEvery = 0;        // every nth reply line goes out without its CR
  int dropAfterFrames = 0;  // drop the port after n frames (download frames taken, monitor frames sent)
  int noisePerSecond = 0;   // random bytes a second of read-out lines and monitor frames carry with them
  std::string writeNotKept; // write letters whose value text is taken but not kept: reads answer the old value
  std::string extraCr;      // read letters whose reply line ends in a second CR, an empty line after it
};

struct DeviceConfig {
  int type = 0;
  int frameLength = 146;     // monitor frame: 140, 144 or 146 bytes
  int replyDelayMs = 0;      // between a command and its answer
  int lineGapMs = 0;         // before each line that follows an ESC ('L' on type 1, read-outs)
  int wakeUpDelayMs = 80;    // between the switch to the working rate and the identification line
  int inputTimeoutMs = 500;  // an unfinished value text or download frame is given up after this quiet time
  bool escapeXonXoff = false; // send 0x11/0x13 inside lines DLE-escaped (--escape-xonxoff)
  bool lineRate = false;     // every byte sent or received takes its wire time, as on a cable
  unsigned seed = 1;         // for the garbage bytes
  LAnswer lAnswer = LAnswer::ByType;
  FaultOptions faults;
};

}  // namespace zevsim
