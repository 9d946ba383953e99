// Lines of a text file read as bytes: the line ends CR LF and LF, and the end-of-text
// mark 0x1A of old editors, handled here rather than by the C library's text mode, whose
// read position is wrong in a file whose lines end in LF alone.
#pragma once

#include <cstdio>
#include <string>

// Reads the next line of pFile into rLine, without its line end. A CR not followed by LF
// stays in the line. At 0x1A the text ends, for this and every later read. false when
// there is no line left.
bool ReadTextLine(std::FILE* pFile, std::string& rLine);
