// The receive framer against the device's escaping: any line the device escapes comes
// back whole, and any byte stream gives exactly one event per control byte.
#include "FuzzCheck.h"
#include "ReceiveFraming.h"
#include "line_escape.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {
bool IsControl(unsigned char nByte)
{
    return nByte == 0x06 || nByte == 0x0D || nByte == 0x10 || nByte == 0x15 || nByte == 0x1B;
}
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    if (nSize == 0)
        return 0;
    const bool bEscapeXonXoff = pData[0] & 1;
    const std::string strLine(reinterpret_cast<const char*>(pData + 1), nSize - 1);

    // Framing then escaping gives back the line: one CR, no other event.
    std::string strWire = zevsim::escapeLine(strLine, bEscapeXonXoff) + '\r';
    int bDlePending = 0;
    std::string strFramed;
    int nLineEnds = 0;
    for (char ch : strWire) {
        FramedByte framed = FrameReceivedByte(static_cast<unsigned char>(ch), bDlePending);
        if (framed.kind == RxByte::Append)
            strFramed += framed.chValue;
        else if (framed.kind == RxByte::LineEnd)
            ++nLineEnds;
        else
            FUZZ_CHECK(framed.kind == RxByte::DlePending);
    }
    FUZZ_CHECK(nLineEnds == 1);
    FUZZ_CHECK(strFramed == strLine);
    FUZZ_CHECK(!bDlePending);

    // The same bytes raw, as noise: each control byte is its event, every other byte is
    // appended, shifted when a DLE came before it and nothing else ordinary in between.
    bDlePending = 0;
    bool bShift = false;
    for (std::size_t i = 1; i < nSize; ++i) {
        const unsigned char nByte = pData[i];
        FramedByte framed = FrameReceivedByte(nByte, bDlePending);
        if (IsControl(nByte)) {
            FUZZ_CHECK(framed.kind != RxByte::Append);
            if (nByte == 0x10)
                bShift = true;
        } else {
            FUZZ_CHECK(framed.kind == RxByte::Append);
            FUZZ_CHECK(static_cast<unsigned char>(framed.chValue) ==
                       static_cast<unsigned char>(bShift ? nByte - 0x20 : nByte));
            bShift = false;
        }
        FUZZ_CHECK((bDlePending != 0) == bShift);
    }
    return 0;
}
