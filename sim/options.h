#pragma once
// The command line of ZEVSIM.EXE.
#include <string>
#include <vector>

#include "device_config.h"

namespace zevsim {

struct Options {
  bool help = false;
  std::string port;          // "COM21"
  int tcpPort = 0;           // --tcp PORT: a raw TCP device on 127.0.0.1 instead of a COM port
  int rfc2217Port = 0;       // --rfc2217 PORT: an RFC 2217 server on 127.0.0.1 instead
  std::string settingsPath;  // INI file with reply texts and start values
  std::string logPath;       // hex log of the line
  std::string firmwarePath;  // where a finished download is written
  std::string replayPath;    // a traffic trace of the tool to play the device's side of
  bool replayFast = false;   // the trace's answers at once, without its gaps
  int seconds = 0;           // end after this long; 0: no limit
  bool watchStdin = true;    // end when standard input closes
  DeviceConfig device;
};

struct ParsedOptions {
  bool ok = false;
  std::string error;  // what is wrong with the command line
  Options options;
};

// `args` without the program name.
ParsedOptions parseOptions(const std::vector<std::string>& args);

const char* usageText();

}  // namespace zevsim
