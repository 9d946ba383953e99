// The frames of a firmware download, as byte rules that need no window.
//   S-record files: each line of the file as it stands, then CR.
//   Image files: blocks of 128 bytes, each in a frame of 132 bytes, then an end frame.
#pragma once

#include <cstddef>
#include <string>

const std::size_t kImageBlockSize = 128;
const std::size_t kImageFrameSize = 132;

// The frame of one S-record line (read without its line end).
std::string BuildS19Frame(const std::string& strLine);

// The frame of one image block: the block number (nFrameCount modulo 256), 0x80, the
// 16-bit sum of the 128 data bytes (high byte first), the data bytes. A short last block
// is filled up with 0xFF, as erased flash reads; the sum covers the bytes sent.
std::string BuildImageBlock(const unsigned char* pData, std::size_t nCount, unsigned nFrameCount);

// After the last block: four zero bytes.
std::string ImageEndFrame();
