// Telnet on a byte stream and the COM-PORT-OPTION messages: what a remote serial port's
// client and server send each other.
#include "telnet.h"

#include <doctest.h>

#include <string>
#include <vector>

namespace {
using Bytes = std::vector<unsigned char>;

// What the decoder made of a stream: the data, and each command as text
// ("DO 44", "SB 44 65 00 00 25 80").
struct Decoded {
    Bytes data;
    std::vector<std::string> commands;
};

void Collect(void* pContext, const telnet_command* pCommand)
{
    static const char* const verbs[] = { "WILL", "WONT", "DO", "DONT" };
    std::string strText = pCommand->command == TELNET_SB ? "SB" : verbs[pCommand->command - TELNET_WILL];
    strText += " " + std::to_string(pCommand->option);
    char szHex[4];
    for (size_t i = 0; i < pCommand->length; ++i) {
        snprintf(szHex, sizeof szHex, " %02X", pCommand->payload[i]);
        strText += szHex;
    }
    static_cast<Decoded*>(pContext)->commands.push_back(strText);
}

// Decodes the stream in the pieces given by their lengths (the rest as the last piece).
Decoded Decode(const Bytes& stream, const std::vector<size_t>& pieces = {})
{
    Decoded result;
    telnet_decoder decoder;
    telnet_decoder_init(&decoder, Collect, &result);
    size_t nAt = 0;
    std::vector<size_t> lengths = pieces;
    lengths.push_back(stream.size());
    for (size_t nLength : lengths) {
        nLength = std::min(nLength, stream.size() - nAt);
        Bytes out(nLength + 1, 0xAA);
        size_t nData = telnet_decode(&decoder, stream.data() + nAt, nLength, out.data());
        REQUIRE(nData <= nLength);
        CHECK(out[nLength] == 0xAA);
        result.data.insert(result.data.end(), out.begin(), out.begin() + nData);
        nAt += nLength;
    }
    return result;
}

Bytes Message(size_t (*build)(unsigned char, unsigned long, unsigned char*), unsigned char code, unsigned long value)
{
    unsigned char out[RFC2217_MESSAGE_MAX + 1];
    out[RFC2217_MESSAGE_MAX] = 0xAA;
    size_t nLength = build(code, value, out);
    CHECK(out[RFC2217_MESSAGE_MAX] == 0xAA);
    REQUIRE(nLength <= RFC2217_MESSAGE_MAX);
    return Bytes(out, out + nLength);
}

size_t Byte(unsigned char code, unsigned long value, unsigned char* out)
{
    return rfc2217_byte(code, static_cast<unsigned char>(value), out);
}
}

TEST_CASE("the decoder parts data from commands, whatever the pieces")
{
    const Bytes stream = { 'a', 0xFF, 0xFF, 'b', 0xFF, TELNET_DO, 44, 'c', 0xFF, TELNET_WILL, 0,
                           0xFF, TELNET_NOP, 0xFF, TELNET_SB, 44, 101, 0, 0, 0x25, 0x80, 0xFF, TELNET_SE, 'd',
                           0xFF, TELNET_DONT, 3, 0xFF, TELNET_WONT, 1, 0xFF, TELNET_SE, 0xFF, 0xF9, 'e' };
    const Bytes data = { 'a', 0xFF, 'b', 'c', 'd', 'e' };
    const std::vector<std::string> commands = { "DO 44", "WILL 0", "SB 44 65 00 00 25 80", "DONT 3", "WONT 1" };

    Decoded whole = Decode(stream);
    CHECK(whole.data == data);
    CHECK(whole.commands == commands);

    SUBCASE("split after every byte, and cut in two at every place")
    {
        Decoded single = Decode(stream, std::vector<size_t>(stream.size(), 1));
        CHECK(single.data == data);
        CHECK(single.commands == commands);
        for (size_t nCut = 0; nCut <= stream.size(); ++nCut) {
            CAPTURE(nCut);
            Decoded two = Decode(stream, { nCut });
            CHECK(two.data == data);
            CHECK(two.commands == commands);
        }
    }
    SUBCASE("IAC IAC is one 0xFF of data, also when the pair is split")
    {
        Decoded split = Decode({ 0xFF, 0xFF, 0xFF, 0xFF, 0x11, 0x13 }, { 1, 2 });
        CHECK(split.data == Bytes({ 0xFF, 0xFF, 0x11, 0x13 }));
        CHECK(split.commands.empty());
    }
    SUBCASE("decoding in place")
    {
        Bytes buffer = { 'x', 0xFF, 0xFF, 0xFF, TELNET_DO, 0, 'y' };
        Decoded sink;
        telnet_decoder decoder;
        telnet_decoder_init(&decoder, Collect, &sink);
        size_t nData = telnet_decode(&decoder, buffer.data(), buffer.size(), buffer.data());
        CHECK(Bytes(buffer.begin(), buffer.begin() + nData) == Bytes({ 'x', 0xFF, 'y' }));
        CHECK(sink.commands == std::vector<std::string>({ "DO 0" }));
    }
}

TEST_CASE("subnegotiations: doubled 0xFF, overlong ones dropped, broken ones given up")
{
    SUBCASE("0xFF in the payload is doubled on the wire and single in the command")
    {
        Decoded d = Decode({ 0xFF, TELNET_SB, 44, 101, 0xFF, 0xFF, 0, 0xFF, 0xFF, 0x01, 0xFF, TELNET_SE });
        CHECK(d.commands == std::vector<std::string>({ "SB 44 65 FF 00 FF 01" }));
        CHECK(d.data.empty());
    }
    SUBCASE("the longest that is kept, and one byte more")
    {
        Bytes stream = { 'a', 0xFF, TELNET_SB, 44 };
        stream.insert(stream.end(), TELNET_SUBNEGOTIATION_MAX, 0x55);
        Bytes longer = stream;
        longer.insert(longer.end(), 1000, 0x66);
        for (Bytes* pStream : { &stream, &longer })
            pStream->insert(pStream->end(), { 0xFF, TELNET_SE, 'b', 0xFF, TELNET_DO, 44 });
        Decoded kept = Decode(stream, std::vector<size_t>(stream.size(), 1));
        REQUIRE(kept.commands.size() == 2);
        CHECK(kept.commands[0].size() == std::string("SB 44").size() + 3 * TELNET_SUBNEGOTIATION_MAX);
        Decoded dropped = Decode(longer, { 7, 300, 13 });
        CHECK(dropped.commands == std::vector<std::string>({ "DO 44" }));
        CHECK(dropped.data == Bytes({ 'a', 'b' }));
    }
    SUBCASE("a command inside a subnegotiation ends it unread and counts as a command")
    {
        Decoded d = Decode({ 0xFF, TELNET_SB, 44, 1, 2, 0xFF, TELNET_WILL, 3, 'z' });
        CHECK(d.commands == std::vector<std::string>({ "WILL 3" }));
        CHECK(d.data == Bytes({ 'z' }));
    }
    SUBCASE("an empty subnegotiation")
    {
        CHECK(Decode({ 0xFF, TELNET_SB, 44, 0xFF, TELNET_SE }).commands == std::vector<std::string>({ "SB 44" }));
    }
}

TEST_CASE("escaping for sending doubles 0xFF, and a short buffer takes whole bytes only")
{
    const Bytes data = { 1, 0xFF, 2, 0xFF, 0xFF };
    Bytes out(2 * data.size());
    size_t nLength = telnet_escape(data.data(), data.size(), out.data());
    CHECK(Bytes(out.begin(), out.begin() + nLength) == Bytes({ 1, 0xFF, 0xFF, 2, 0xFF, 0xFF, 0xFF, 0xFF }));
    size_t nTaken = 0;
    nLength = telnet_escape_some(data.data(), data.size(), &nTaken, out.data(), 3);
    CHECK(nTaken == 2); // 1, then 0xFF as two bytes
    CHECK(nLength == 3);
    nLength = telnet_escape_some(data.data() + 1, data.size() - 1, &nTaken, out.data(), 1);
    CHECK(nTaken == 0); // no room for a doubled 0xFF: nothing half sent
    CHECK(nLength == 0);
}

TEST_CASE("the COM-PORT-OPTION messages' exact bytes")
{
    unsigned char out[3];
    CHECK(telnet_option(TELNET_WILL, TELNET_OPTION_COM_PORT, out) == 3);
    CHECK(Bytes(out, out + 3) == Bytes({ 0xFF, 0xFB, 0x2C }));
    CHECK(Message(rfc2217_baudrate, RFC2217_SET_BAUDRATE, 9600)
          == Bytes({ 0xFF, 0xFA, 0x2C, 0x01, 0x00, 0x00, 0x25, 0x80, 0xFF, 0xF0 }));
    CHECK(Message(rfc2217_baudrate, RFC2217_SET_BAUDRATE, 38400)
          == Bytes({ 0xFF, 0xFA, 0x2C, 0x01, 0x00, 0x00, 0x96, 0x00, 0xFF, 0xF0 }));
    CHECK(Message(Byte, RFC2217_SET_DATASIZE, 8) == Bytes({ 0xFF, 0xFA, 0x2C, 0x02, 0x08, 0xFF, 0xF0 }));
    CHECK(Message(Byte, RFC2217_SET_PARITY, RFC2217_PARITY_NONE) == Bytes({ 0xFF, 0xFA, 0x2C, 0x03, 0x01, 0xFF, 0xF0 }));
    CHECK(Message(Byte, RFC2217_SET_STOPSIZE, RFC2217_STOPSIZE_1) == Bytes({ 0xFF, 0xFA, 0x2C, 0x04, 0x01, 0xFF, 0xF0 }));
    CHECK(Message(Byte, RFC2217_SET_CONTROL, RFC2217_CONTROL_INBOUND_XONXOFF)
          == Bytes({ 0xFF, 0xFA, 0x2C, 0x05, 0x0F, 0xFF, 0xF0 }));
    CHECK(Message(Byte, RFC2217_SET_CONTROL + RFC2217_ANSWER, RFC2217_CONTROL_DTR_ON)
          == Bytes({ 0xFF, 0xFA, 0x2C, 0x69, 0x08, 0xFF, 0xF0 }));

    SUBCASE("0xFF inside a rate is doubled, and the longest message fits")
    {
        const Bytes wire = Message(rfc2217_baudrate, RFC2217_SET_BAUDRATE, 0xFFFFFFFFul);
        CHECK(wire.size() == 14);
        CHECK(Message(rfc2217_baudrate, 0xFF, 0xFFFFFFFFul).size() == RFC2217_MESSAGE_MAX);
        CHECK(Message(rfc2217_baudrate, RFC2217_SET_BAUDRATE + RFC2217_ANSWER, 0x0001FF00ul)
              == Bytes({ 0xFF, 0xFA, 0x2C, 0x65, 0x00, 0x01, 0xFF, 0xFF, 0x00, 0xFF, 0xF0 }));
        Decoded d = Decode(wire, { 6, 1 });
        REQUIRE(d.commands.size() == 1);
        CHECK(d.commands[0] == "SB 44 01 FF FF FF FF");
        CHECK(d.data.empty());
    }
}

TEST_CASE("reading a server's answers")
{
    struct Reading {
        bool bRead;
        rfc2217_reading reading;
    };
    auto Read = [](const Bytes& wire) {
        Reading result = { false, {} };
        struct Sink {
            Reading* pResult;
        } sink = { &result };
        telnet_decoder decoder;
        telnet_decoder_init(
            &decoder,
            [](void* pContext, const telnet_command* pCommand) {
                Reading* pResult = static_cast<Sink*>(pContext)->pResult;
                pResult->bRead = rfc2217_read(pCommand, &pResult->reading) != 0;
            },
            &sink);
        Bytes out(wire.size());
        telnet_decode(&decoder, wire.data(), wire.size(), out.data());
        return result;
    };
    Reading rate = Read(Message(rfc2217_baudrate, RFC2217_SET_BAUDRATE + RFC2217_ANSWER, 38400));
    REQUIRE(rate.bRead);
    CHECK(rate.reading.code == 101);
    CHECK(RFC2217_REQUEST_OF(rate.reading.code) == RFC2217_SET_BAUDRATE);
    CHECK(rate.reading.value == 38400);
    Reading odd = Read(Message(rfc2217_baudrate, RFC2217_SET_BAUDRATE + RFC2217_ANSWER, 0xFF0000FFul));
    REQUIRE(odd.bRead);
    CHECK(odd.reading.value == 0xFF0000FFul);
    Reading dtr = Read(Message(Byte, RFC2217_SET_CONTROL + RFC2217_ANSWER, RFC2217_CONTROL_DTR_ON));
    REQUIRE(dtr.bRead);
    CHECK(RFC2217_REQUEST_OF(dtr.reading.code) == RFC2217_SET_CONTROL);
    CHECK(dtr.reading.value == RFC2217_CONTROL_DTR_ON);
    CHECK(dtr.reading.value_length == 1);

    CHECK_FALSE(Read({ 0xFF, TELNET_SB, 44, 101, 0, 0x25, 0xFF, TELNET_SE }).bRead); // a rate of three bytes
    CHECK_FALSE(Read({ 0xFF, TELNET_SB, 44, 0xFF, TELNET_SE }).bRead);              // no code
    CHECK_FALSE(Read({ 0xFF, TELNET_SB, 24, 1, 0xFF, TELNET_SE }).bRead);           // another option
    CHECK_FALSE(Read({ 0xFF, TELNET_DO, 44 }).bRead);
}
