#pragma once
// DLE escaping of what the device sends inside a line (reply texts, monitor frames).
#include <string>

namespace zevsim {

// True for the bytes that the tool's receiver would take as control bytes. The device
// sends 0x11 and 0x13 raw, like any other byte (the tool's port honours XON/XOFF only
// towards the device); `escapeXonXoff` escapes them too, for a port that would not.
bool needsEscape(unsigned char byte, bool escapeXonXoff);

// `raw` with every byte that needs it sent as DLE followed by the byte plus 0x20.
std::string escapeLine(const std::string& raw, bool escapeXonXoff);

// The reverse, as the tool's receiver does it (for checking what was sent).
std::string unescapeLine(const std::string& escaped);

}  // namespace zevsim
