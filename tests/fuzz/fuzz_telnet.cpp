// The Telnet decoder on any stream in any pieces: it writes no more data than it read,
// hands over no subnegotiation longer than it keeps, and gives back exactly the data that
// was escaped, whatever the pieces, with commands between the data left out.
#include "FuzzCheck.h"
#include "telnet.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace {
void CheckCommand(void* pContext, const telnet_command* pCommand)
{
    FUZZ_CHECK(pCommand->command == TELNET_SB || (pCommand->command >= TELNET_WILL && pCommand->command <= TELNET_DONT));
    FUZZ_CHECK(pCommand->length <= TELNET_SUBNEGOTIATION_MAX);
    FUZZ_CHECK(pCommand->length == 0 || pCommand->payload != nullptr);
    rfc2217_reading reading;
    if (rfc2217_read(pCommand, &reading))
        FUZZ_CHECK(reading.value_length + 1 == pCommand->length);
    ++*static_cast<size_t*>(pContext);
}

// Decodes stream in pieces the provider chooses.
std::vector<unsigned char> Decode(const std::vector<unsigned char>& stream, FuzzedDataProvider& pieces, size_t& nCommands)
{
    telnet_decoder decoder;
    telnet_decoder_init(&decoder, CheckCommand, &nCommands);
    std::vector<unsigned char> data;
    size_t nAt = 0;
    while (nAt < stream.size()) {
        size_t nLength = pieces.remaining_bytes() ? pieces.ConsumeIntegralInRange<size_t>(0, stream.size() - nAt)
                                                  : stream.size() - nAt;
        std::vector<unsigned char> out(nLength + 1, 0xA5);
        const size_t nData = telnet_decode(&decoder, stream.data() + nAt, nLength, out.data());
        FUZZ_CHECK(nData <= nLength);
        FUZZ_CHECK(out[nLength] == 0xA5);
        data.insert(data.end(), out.begin(), out.begin() + nData);
        nAt += nLength;
    }
    return data;
}
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    FuzzedDataProvider input(pData, nSize);
    const bool bRaw = input.ConsumeBool();
    std::vector<unsigned char> bytes = input.ConsumeBytes<unsigned char>(input.ConsumeIntegralInRange<size_t>(0, 4096));
    size_t nCommands = 0;
    if (bRaw) {
        // Anything at all from the peer.
        Decode(bytes, input, nCommands);
        return 0;
    }
    // Data escaped, with whole commands between the pieces: the data comes back alone.
    std::vector<unsigned char> stream;
    size_t nSent = 0, nAt = 0;
    while (nAt < bytes.size()) {
        const size_t nPiece = input.remaining_bytes() ? input.ConsumeIntegralInRange<size_t>(1, bytes.size() - nAt)
                                                      : bytes.size() - nAt;
        std::vector<unsigned char> escaped(2 * nPiece + 1);
        size_t nTaken = 0;
        const size_t nRoom = input.ConsumeIntegralInRange<size_t>(0, 2 * nPiece);
        size_t nLength = telnet_escape_some(bytes.data() + nAt, nPiece, &nTaken, escaped.data(), nRoom);
        FUZZ_CHECK(nLength <= nRoom && nTaken <= nPiece);
        if (nTaken < nPiece) // the rest, with room enough
            nLength += telnet_escape(bytes.data() + nAt + nTaken, nPiece - nTaken, escaped.data() + nLength);
        stream.insert(stream.end(), escaped.begin(), escaped.begin() + nLength);
        nAt += nPiece;
        switch (input.ConsumeIntegralInRange<int>(0, 2)) {
        case 0: {
            unsigned char option[3];
            stream.insert(stream.end(), option, option + telnet_option(input.ConsumeIntegralInRange<unsigned char>(TELNET_WILL, TELNET_DONT),
                                                                       input.ConsumeIntegral<unsigned char>(), option));
            ++nSent;
            break;
        }
        case 1: {
            unsigned char message[RFC2217_MESSAGE_MAX];
            const size_t nMessage = rfc2217_baudrate(input.ConsumeIntegral<unsigned char>(), input.ConsumeIntegral<std::uint32_t>(), message);
            FUZZ_CHECK(nMessage <= RFC2217_MESSAGE_MAX);
            stream.insert(stream.end(), message, message + nMessage);
            ++nSent;
            break;
        }
        default:
            break;
        }
    }
    const std::vector<unsigned char> data = Decode(stream, input, nCommands);
    FUZZ_CHECK(data == bytes);
    FUZZ_CHECK(nCommands == nSent);
    return 0;
}
