// The simulator's reading of block frames from any bytes: a block is reported only whole
// and with a matching sum, a bad header only at the start of a frame, and a good frame
// after a reset is always read as sent.
#include "FirmwareFrames.h"
#include "FuzzCheck.h"
#include "block_frame.h"

#include <cstdint>
#include <string>

using Event = zevsim::BlockFrameReader::Event;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    zevsim::BlockFrameReader reader;
    std::size_t nInFrame = 0; // bytes of the current frame, the one just fed included
    std::uint8_t nFirst = 0;
    for (std::size_t i = 0; i < nSize; ++i) {
        const bool bDiscarding = reader.discarding();
        if (!bDiscarding && !reader.midFrame()) {
            nInFrame = 0;
            nFirst = pData[i];
        }
        Event event = reader.feed(pData[i]);
        ++nInFrame;
        if (bDiscarding) {
            FUZZ_CHECK(event == Event::None);
            continue;
        }
        FUZZ_CHECK(reader.partial().size() < zevsim::kBlockFrameBytes);
        switch (event) {
        case Event::Block:
            FUZZ_CHECK(nInFrame == zevsim::kBlockFrameBytes);
            FUZZ_CHECK(reader.number() == nFirst);
            FUZZ_CHECK(reader.data().size() == zevsim::kBlockDataBytes);
            FUZZ_CHECK(reader.sentSum() == reader.dataSum());
            break;
        case Event::BadSum:
            FUZZ_CHECK(nInFrame == zevsim::kBlockFrameBytes);
            FUZZ_CHECK(reader.sentSum() != reader.dataSum());
            break;
        case Event::BadHeader:
            FUZZ_CHECK(nInFrame >= 2 && nInFrame <= zevsim::kEndFrameBytes);
            FUZZ_CHECK(reader.discarding());
            break;
        case Event::End:
            FUZZ_CHECK(nInFrame == zevsim::kEndFrameBytes);
            break;
        case Event::None:
            FUZZ_CHECK(nInFrame < zevsim::kBlockFrameBytes);
            break;
        }
    }
    // Whatever came before, a reset and a frame the tool builds give that block.
    reader.reset();
    const unsigned char* pBlock = nSize ? pData : nullptr;
    std::string strFrame = BuildImageBlock(pBlock, nSize < kImageBlockSize ? nSize : kImageBlockSize,
                                           static_cast<unsigned>(nSize));
    Event event = Event::None;
    for (char ch : strFrame)
        event = reader.feed(static_cast<std::uint8_t>(ch));
    FUZZ_CHECK(event == Event::Block);
    FUZZ_CHECK(reader.data() == strFrame.substr(4));
    return 0;
}
