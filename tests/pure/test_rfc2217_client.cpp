// What KORA says to an RFC 2217 server: its offers and settings, its answers to the
// server's negotiation, and which settings count as confirmed.
#include "rfc2217_client.h"

#include <doctest.h>

#include <string>
#include <vector>

namespace {
using Bytes = std::vector<unsigned char>;

Bytes Output(rfc2217_client& client)
{
    Bytes out(RFC2217_CLIENT_OUT_SIZE);
    out.resize(rfc2217_client_take_output(&client, out.data(), out.size()));
    return out;
}

Bytes Receive(rfc2217_client& client, const Bytes& wire)
{
    Bytes data(wire.size());
    data.resize(rfc2217_client_receive(&client, wire.data(), wire.size(), data.data()));
    return data;
}

Bytes Option(unsigned char verb, unsigned char option)
{
    return { 0xFF, verb, option };
}

Bytes Answer(unsigned char code, std::vector<unsigned char> value)
{
    Bytes wire = { 0xFF, TELNET_SB, TELNET_OPTION_COM_PORT, static_cast<unsigned char>(code + RFC2217_ANSWER) };
    for (unsigned char b : value) {
        wire.push_back(b);
        if (b == 0xFF)
            wire.push_back(b);
    }
    wire.insert(wire.end(), { 0xFF, TELNET_SE });
    return wire;
}

Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::string Unconfirmed(rfc2217_client& client)
{
    char szText[200];
    int bAny = rfc2217_client_take_unconfirmed(&client, szText, sizeof szText);
    CHECK((bAny != 0) == (szText[0] != 0));
    return szText;
}
}

TEST_CASE("the start: the offers, then every setting, in these bytes")
{
    rfc2217_client client;
    rfc2217_client_start(&client, 9600);
    const Bytes expected = Option(TELNET_WILL, 44) + Option(TELNET_WILL, 0) + Option(TELNET_DO, 0)
                         + Option(TELNET_WILL, 3) + Option(TELNET_DO, 3)
                         + Bytes({ 0xFF, 0xFA, 44, 1, 0x00, 0x00, 0x25, 0x80, 0xFF, 0xF0 }) // 9600 baud
                         + Bytes({ 0xFF, 0xFA, 44, 2, 8, 0xFF, 0xF0 })                       // 8 data bits
                         + Bytes({ 0xFF, 0xFA, 44, 3, 1, 0xFF, 0xF0 })                       // no parity
                         + Bytes({ 0xFF, 0xFA, 44, 4, 1, 0xFF, 0xF0 })                       // 1 stop bit
                         + Bytes({ 0xFF, 0xFA, 44, 5, 1, 0xFF, 0xF0 })                       // no outbound flow control
                         + Bytes({ 0xFF, 0xFA, 44, 5, 15, 0xFF, 0xF0 })                      // inbound XON/XOFF
                         + Bytes({ 0xFF, 0xFA, 44, 5, 8, 0xFF, 0xF0 })                       // DTR on
                         + Bytes({ 0xFF, 0xFA, 44, 5, 11, 0xFF, 0xF0 });                     // RTS on
    CHECK(Output(client) == expected);
    CHECK(Output(client).empty());
    CHECK_FALSE(rfc2217_client_rate_confirmed(&client));

    SUBCASE("a new rate is one SET-BAUDRATE, 0xFF in it doubled")
    {
        rfc2217_client_set_rate(&client, 38400);
        CHECK(Output(client) == Bytes({ 0xFF, 0xFA, 44, 1, 0x00, 0x00, 0x96, 0x00, 0xFF, 0xF0 }));
        rfc2217_client_set_rate(&client, 0x0001FF00);
        CHECK(Output(client) == Bytes({ 0xFF, 0xFA, 44, 1, 0x00, 0x01, 0xFF, 0xFF, 0x00, 0xFF, 0xF0 }));
    }
}

TEST_CASE("the server's negotiation: what is offered is answered once, the rest refused, nothing loops")
{
    rfc2217_client client;
    rfc2217_client_start(&client, 9600);
    Output(client);

    // A server's greeting: it would echo, offers no go-ahead and COM-PORT-OPTION, asks
    // for binary, and answers our offers.
    Bytes data = Receive(client, Option(TELNET_WILL, 1) + Option(TELNET_WILL, 3) + Option(TELNET_DO, 0)
                                     + Option(TELNET_WILL, 44) + Option(TELNET_DO, 44) + Option(TELNET_WILL, 0)
                                     + Option(TELNET_DO, 3));
    CHECK(data.empty());
    // Echo refused, its COM-PORT-OPTION taken; the answers to our own requests need no reply.
    CHECK(Output(client) == Option(TELNET_DONT, 1) + Option(TELNET_DO, 44));

    // Said again, nothing changes and nothing is said.
    Receive(client, Option(TELNET_WILL, 44) + Option(TELNET_DO, 0) + Option(TELNET_WILL, 3));
    CHECK(Output(client).empty());

    // Options nobody here knows are refused, each time asked.
    Receive(client, Option(TELNET_DO, 24) + Option(TELNET_WILL, 34) + Option(TELNET_DO, 24));
    CHECK(Output(client) == Option(TELNET_WONT, 24) + Option(TELNET_DONT, 34) + Option(TELNET_WONT, 24));
    // Turning off what is off needs no answer; turning off what is on is acknowledged once.
    Receive(client, Option(TELNET_DONT, 24) + Option(TELNET_WONT, 34) + Option(TELNET_DONT, 0) + Option(TELNET_DONT, 0));
    CHECK(Output(client) == Option(TELNET_WONT, 0));

    SUBCASE("our offers refused: no reply, and the settings stay unconfirmed")
    {
        rfc2217_client other;
        rfc2217_client_start(&other, 9600);
        Output(other);
        Receive(other, Option(TELNET_DONT, 44) + Option(TELNET_DONT, 0) + Option(TELNET_WONT, 0) + Option(TELNET_WONT, 3));
        CHECK(Output(other).empty());
        CHECK(Unconfirmed(other) == "9600 baud, 8 data bits, no parity, 1 stop bit, no outbound flow control, "
                                    "inbound XON/XOFF, DTR on, RTS on");
    }
    SUBCASE("two clients facing each other fall quiet")
    {
        rfc2217_client a, b;
        rfc2217_client_start(&a, 9600);
        rfc2217_client_start(&b, 19200);
        int nRounds = 0;
        for (Bytes ab = Output(a), ba = Output(b); !ab.empty() || !ba.empty(); ab = Output(a), ba = Output(b)) {
            REQUIRE(++nRounds < 10);
            CHECK(Receive(b, ab).empty());
            CHECK(Receive(a, ba).empty());
        }
        CHECK(nRounds <= 2);
    }
}

TEST_CASE("confirmations: the rate, then the settings not confirmed, each named once")
{
    rfc2217_client client;
    rfc2217_client_start(&client, 9600);
    Output(client);

    // A server that set another rate has not confirmed this one.
    Receive(client, Answer(1, { 0x00, 0x00, 0x4B, 0x00 }));
    CHECK_FALSE(rfc2217_client_rate_confirmed(&client));
    // Data around the answers is data, 0xFF and all.
    Bytes data = Receive(client, Bytes({ 'a', 0xFF, 0xFF }) + Answer(1, { 0x00, 0x00, 0x25, 0x80 }) + Bytes({ 'b' })
                                     + Answer(2, { 8 }) + Answer(3, { 1 }) + Answer(4, { 1 }) + Answer(5, { 1 })
                                     + Answer(5, { 11 }) + Answer(7, { 0x30 }));
    CHECK(data == Bytes({ 'a', 0xFF, 'b' }));
    CHECK(rfc2217_client_rate_confirmed(&client));
    CHECK(Output(client).empty()); // notifications and answers need no reply

    // As ser2net in front of a pty: DTR not confirmed; nor the inbound flow control here.
    CHECK(Unconfirmed(client) == "inbound XON/XOFF, DTR on");
    CHECK(Unconfirmed(client).empty());
    // A late confirmation is taken, and nothing is named twice.
    Receive(client, Answer(5, { 8 }));
    CHECK(Unconfirmed(client).empty());

    SUBCASE("a new rate is unconfirmed until its answer, and named again when it does not come")
    {
        rfc2217_client_set_rate(&client, 38400);
        Output(client);
        CHECK_FALSE(rfc2217_client_rate_confirmed(&client));
        CHECK(Unconfirmed(client) == "38400 baud");
        rfc2217_client_set_rate(&client, 19200);
        Receive(client, Answer(1, { 0x00, 0x00, 0x4B, 0x00 }));
        CHECK(rfc2217_client_rate_confirmed(&client));
        CHECK(Unconfirmed(client).empty());
    }
    SUBCASE("the list is cut to the text's room, never past it")
    {
        rfc2217_client fresh;
        rfc2217_client_start(&fresh, 9600);
        char szShort[12];
        CHECK(rfc2217_client_take_unconfirmed(&fresh, szShort, sizeof szShort) == 1);
        CHECK(std::string(szShort) == "9600 baud, ");
    }
}

TEST_CASE("a server that floods its negotiation fills no more than the output's room")
{
    rfc2217_client client;
    rfc2217_client_start(&client, 9600);
    Output(client);
    Bytes flood;
    for (int i = 0; i < 2000; ++i)
        flood = flood + Option(TELNET_DO, 99);
    Receive(client, flood);
    Bytes out = Output(client);
    CHECK(out.size() == RFC2217_CLIENT_OUT_SIZE - RFC2217_CLIENT_OUT_SIZE % 3);
    CHECK(client.dropped > 0);
}
