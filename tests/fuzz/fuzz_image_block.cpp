// Image blocks as the tool builds them and the device takes them apart: the length byte
// 0x80, the number, the sum over the 128 bytes sent (a short block filled with 0xFF),
// and a frame the device accepts with the data intact.
#include "FirmwareFrames.h"
#include "FuzzCheck.h"
#include "block_frame.h"

#include <cstdint>
#include <memory>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    if (nSize < 2)
        return 0;
    const unsigned nFrameCount = pData[0] | (pData[1] << 8);
    const std::size_t nCount = nSize - 2 < kImageBlockSize ? nSize - 2 : kImageBlockSize;
    std::unique_ptr<unsigned char[]> data(new unsigned char[nCount ? nCount : 1]);
    for (std::size_t i = 0; i < nCount; ++i)
        data[i] = pData[2 + i];

    std::string strFrame = BuildImageBlock(data.get(), nCount, nFrameCount);
    FUZZ_CHECK(strFrame.size() == kImageFrameSize);
    FUZZ_CHECK(static_cast<unsigned char>(strFrame[0]) == (nFrameCount & 0xFF));
    FUZZ_CHECK(static_cast<unsigned char>(strFrame[1]) == 0x80);
    unsigned nSum = 0;
    for (std::size_t i = 0; i < kImageBlockSize; ++i) {
        unsigned char nByte = static_cast<unsigned char>(strFrame[4 + i]);
        FUZZ_CHECK(nByte == (i < nCount ? data[i] : 0xFF));
        nSum += nByte;
    }
    FUZZ_CHECK(static_cast<unsigned char>(strFrame[2]) == ((nSum >> 8) & 0xFF));
    FUZZ_CHECK(static_cast<unsigned char>(strFrame[3]) == (nSum & 0xFF));

    // The device: the block on its last byte, nothing before; then the end frame.
    zevsim::BlockFrameReader reader;
    for (std::size_t i = 0; i < strFrame.size(); ++i) {
        auto event = reader.feed(static_cast<std::uint8_t>(strFrame[i]));
        FUZZ_CHECK(event == (i + 1 < strFrame.size() ? zevsim::BlockFrameReader::Event::None
                                                     : zevsim::BlockFrameReader::Event::Block));
    }
    FUZZ_CHECK(reader.number() == (nFrameCount & 0xFF));
    FUZZ_CHECK(reader.data() == strFrame.substr(4));
    std::string strEnd = ImageEndFrame();
    FUZZ_CHECK(strEnd == std::string(4, '\0'));
    zevsim::BlockFrameReader::Event event = zevsim::BlockFrameReader::Event::None;
    for (char ch : strEnd)
        event = reader.feed(static_cast<std::uint8_t>(ch));
    FUZZ_CHECK(event == zevsim::BlockFrameReader::Event::End);
    return 0;
}
