#include "core/link/CommandCodec.h"

#include "core/Bytes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace corvane;

namespace {

const MacAddress kMac = kExampleMac;

// A complete find reply from kMac: "OK", every field at its offset.
Datagram FullFindReply(std::size_t length = 208)
{
    Datagram r(length, 0);
    std::copy(kMac.begin(), kMac.end(), r.begin());
    r[22] = 0x35;
    r[23] = 'O';
    r[24] = 'K';
    const Datagram mac{0x00, 0x01, 0xA2, 0xB3, 0xC4, 0xD5};
    std::copy(mac.begin(), mac.end(), r.begin() + 25);
    r[31] = 0x17; // base port 6001
    r[32] = 0x71;
    r[33] = 192;
    r[34] = 168;
    r[35] = 1;
    r[36] = 10;
    r[49] = 1;
    r[65] = 0x13; // 5001
    r[66] = 0x89;
    r[67] = 0x00; // 80
    r[68] = 0x50;
    for (int i = 0; i < 6; ++i) {
        r[129 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(0xA0 + i);
        r[139 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(0xB0 + i);
    }
    r[135] = 10;
    r[136] = 0;
    r[137] = 0;
    r[138] = 7;
    r[148] = 0x40; // 1000000 ticks
    r[149] = 0x42;
    r[150] = 0x0F;
    r[151] = 0x00;
    r[152] = 0x00; // 1000000000 ticks = 0x3B9ACA00
    r[153] = 0xCA;
    r[154] = 0x9A;
    r[155] = 0x3B;
    r[156] = 0x00;
    r[178] = 5;
    r[181] = 10;
    r[182] = 0;
    r[183] = 0;
    r[184] = 2;
    r[185] = 0xFF;
    r[186] = 0xFF;
    r[192] = 2;
    r[204] = 192;
    r[205] = 168;
    r[206] = 1;
    r[207] = 254;
    return r;
}

} // namespace

TEST(CommandCodec, FindRequestIsByteExact)
{
    const Datagram expected =
        Hex({0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x61, 0x62, 0x63, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
             0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x35, 0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x00, 0x00, 0x00});
    EXPECT_EQ(BuildFindRequest(kMac, "abc", ""), expected);

    Datagram clear = expected;
    clear[22] = 0x36;
    EXPECT_EQ(BuildClearRequest(kMac, "abc", ""), clear);
}

struct TextFieldCase
{
    const char* id;
    const char* password;
    std::string idBytes; // the 8 bytes at offset 6
    std::string passwordBytes;
};

class HeaderTextFields : public testing::TestWithParam<TextFieldCase>
{};

TEST_P(HeaderTextFields, IdAndPasswordArePaddedOrCutToEightBytes)
{
    const TextFieldCase& c = GetParam();
    const Datagram request = BuildFindRequest(kMac, c.id, c.password);
    ASSERT_EQ(request.size(), 32u);
    EXPECT_EQ(std::string(request.begin() + 6, request.begin() + 14), c.idBytes);
    EXPECT_EQ(std::string(request.begin() + 14, request.begin() + 22), c.passwordBytes);
    EXPECT_EQ(request[22], 0x35);
}

INSTANTIATE_TEST_SUITE_P(Cases, HeaderTextFields,
                         testing::Values(TextFieldCase{"", "", std::string(8, '\0'), std::string(8, '\0')},
                                         TextFieldCase{"abcdefgh", "pw", "abcdefgh", std::string("pw\0\0\0\0\0\0", 8)},
                                         TextFieldCase{"abcdefghi", "123456789", "abcdefgh", "12345678"},
                                         TextFieldCase{"a b", "x", std::string("a b\0\0\0\0\0", 8),
                                                       std::string("x\0\0\0\0\0\0\0", 8)}));

TEST(CommandCodec, CompleteFindReplyDecodesEveryField)
{
    const FindReply reply = ParseFindReply(FullFindReply(), kMac);
    ASSERT_EQ(reply.outcome, FindOutcome::Found);
    EXPECT_EQ(reply.ip, (Ipv4Address{192, 168, 1, 10}));
    const SysInfoRecord& r = reply.record;
    EXPECT_EQ(r.m_strMac, "00:01:A2:B3:C4:D5");
    EXPECT_EQ(r.m_strBasePort, "6001");
    EXPECT_EQ(r.m_strIP, "192.168.1.10");
    EXPECT_EQ(r.m_nTcpState, 1);
    EXPECT_EQ(r.m_strCurPort, "5001");
    EXPECT_EQ(r.m_strClientPort, "80");
    EXPECT_EQ(r.m_strClientMac, "A0:A1:A2:A3:A4:A5");
    EXPECT_EQ(r.m_strClientIP, "10.0.0.7");
    EXPECT_EQ(r.m_strServerMac, "B0:B1:B2:B3:B4:B5");
    EXPECT_EQ(r.m_strStateTimer, "5675");
    EXPECT_EQ(r.m_strPowerOnTimer, "94 (m) 35 (s)");
    EXPECT_EQ(r.m_nIpMode, 5);
    EXPECT_EQ(r.m_nTcpMode, 5);
    EXPECT_EQ(r.m_strServerIP, "10.0.0.2");
    EXPECT_EQ(r.m_strServerPort, "65535");
    EXPECT_EQ(r.m_nCurTcpMode, 2);
    EXPECT_EQ(r.m_strRouter, "192.168.1.254");
}

TEST(CommandCodec, FindReplyOutcomes)
{
    Datagram otherMac = FullFindReply();
    otherMac[5] = 0x56; // bytes 25..30 still hold nothing of ours, but 0..5 decide
    std::copy(kMac.begin(), kMac.end(), otherMac.begin() + 25);
    EXPECT_EQ(ParseFindReply(otherMac, kMac).outcome, FindOutcome::OtherDevice);

    Datagram lower = FullFindReply();
    lower[23] = 'o';
    lower[24] = 'k';
    EXPECT_EQ(ParseFindReply(lower, kMac).outcome, FindOutcome::Refused);

    Datagram mixed = FullFindReply();
    mixed[24] = 'k';
    EXPECT_EQ(ParseFindReply(mixed, kMac).outcome, FindOutcome::Refused);

    Datagram okMore = FullFindReply();
    okMore[25] = 'X'; // "OKX...": only the first two characters count
    EXPECT_EQ(ParseFindReply(okMore, kMac).outcome, FindOutcome::Found);

    Datagram refusedOtherMac = FullFindReply();
    refusedOtherMac[0] = 0xFF;
    refusedOtherMac[23] = 0;
    EXPECT_EQ(ParseFindReply(refusedOtherMac, kMac).outcome, FindOutcome::Refused);
}

struct LengthCase
{
    std::size_t length;
    FindOutcome outcome;
    const char* router;   // "" when not decoded
    const char* basePort; // ""
};

class FindReplyLength : public testing::TestWithParam<LengthCase>
{};

// Replies are cut to the received length; nothing past it (or past offset 207) is read.
TEST_P(FindReplyLength, ShortAndLongRepliesDecodeOnlyWhatArrived)
{
    const LengthCase& c = GetParam();
    Datagram full = FullFindReply(211);
    full[208] = 0xEE;
    full[209] = 0xEE;
    full[210] = 0xEE;
    const Datagram received(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(c.length));
    const FindReply reply = ParseFindReply(received, kMac);
    EXPECT_EQ(reply.outcome, c.outcome);
    EXPECT_EQ(reply.record.m_strRouter, c.router);
    EXPECT_EQ(reply.record.m_strBasePort, c.basePort);
}

INSTANTIATE_TEST_SUITE_P(Lengths, FindReplyLength,
                         testing::Values(LengthCase{0, FindOutcome::Refused, "", ""},
                                         LengthCase{1, FindOutcome::Refused, "", ""},
                                         LengthCase{24, FindOutcome::Refused, "", ""},
                                         LengthCase{25, FindOutcome::Found, "0.0.0.0", "0"},
                                         LengthCase{207, FindOutcome::Found, "192.168.1.0", "6001"},
                                         LengthCase{208, FindOutcome::Found, "192.168.1.254", "6001"},
                                         LengthCase{210, FindOutcome::Found, "192.168.1.254", "6001"},
                                         LengthCase{211, FindOutcome::Found, "192.168.1.254", "6001"}));

TEST(CommandCodec, ClearReplyOutcomes)
{
    struct Case
    {
        Datagram reply;
        ClearOutcome outcome;
    };
    Datagram ok(25, 0);
    ok[0] = 0x99; // any device's answer counts
    ok[22] = 0x36;
    ok[23] = 'O';
    ok[24] = 'K';
    Datagram refused = ok;
    refused[23] = 'N';
    Datagram findOk = ok;
    findOk[22] = 0x35;
    Datagram lower = ok;
    lower[23] = 'o';
    const Case cases[] = {
        {ok, ClearOutcome::Cleared},
        {refused, ClearOutcome::Refused},
        {lower, ClearOutcome::Refused},
        {findOk, ClearOutcome::NotClearReply},
        {Datagram(23, 0), ClearOutcome::NotClearReply},
        {Datagram(ok.begin(), ok.begin() + 23), ClearOutcome::Refused},
        {{}, ClearOutcome::NotClearReply},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseClearReply(c.reply), c.outcome) << "reply of " << c.reply.size() << " bytes";
    }
}

TEST(CommandCodec, TimerConversions)
{
    EXPECT_EQ(StateTimerText(1000000), "5675");
    EXPECT_EQ(StateTimerText(0), "0");
    // 0xFFFFFFFF ticks: no 32-bit overflow and no minus sign.
    EXPECT_EQ(StateTimerText(0xFFFFFFFFu), "24373939");
    EXPECT_EQ(PowerOnTimerText(1000000000), "94 (m) 35 (s)");
    EXPECT_EQ(PowerOnTimerText(0), "0 (m) 0 (s)");
    // The full 40-bit range: 2^40-1 ticks are 6239728 s.
    EXPECT_EQ(PowerOnTimerText(0xFFFFFFFFFFull), "103995 (m) 28 (s)");
    EXPECT_EQ(PortText(0x17, 0x71), "6001");
    EXPECT_EQ(PortText(0xFF, 0xFF), "65535");
    EXPECT_EQ(MacText({0x00, 0x01, 0xA2, 0xB3, 0xC4, 0xD5}), "00:01:A2:B3:C4:D5");
}

TEST(CommandCodec, FfStateTimerBytesDecodeWithoutSign)
{
    Datagram reply = FullFindReply();
    reply[148] = reply[149] = reply[150] = reply[151] = 0xFF;
    const std::string text = ParseFindReply(reply, kMac).record.m_strStateTimer;
    EXPECT_EQ(text, "24373939");
    EXPECT_EQ(text.find('-'), std::string::npos);
}

TEST(CommandCodec, ModeByteTexts)
{
    struct Case
    {
        int mode;
        const char* ipSetup;
        const char* tcpSetup;
    };
    const Case cases[] = {
        {0, "Dynamic DHCP", "Client"},
        {1, "Dynamic DHCP", "Server"},
        {2, "Dynamic DHCP", "Client and Server"},
        {3, "Dynamic DHCP", "Client"},
        {4, "Static DHCP", "Client"},
        {5, "Static DHCP", "Server"},
        {6, "Static DHCP", "Client and Server"},
        {7, "Static DHCP", "Client"},
    };
    for (const Case& c : cases) {
        Datagram reply = FullFindReply();
        reply[178] = static_cast<std::uint8_t>(c.mode);
        const SysInfoRecord r = ParseFindReply(reply, kMac).record;
        EXPECT_EQ(IpSetupModeText(r.m_nIpMode), c.ipSetup) << "mode " << c.mode;
        EXPECT_EQ(TcpModeSetupText(r.m_nIpMode, r.m_nTcpMode), c.tcpSetup) << "mode " << c.mode;
    }
    EXPECT_EQ(CurrentTcpStateText(0), "connect");
    EXPECT_EQ(CurrentTcpStateText(1), "listen");
    EXPECT_EQ(CurrentTcpStateText(2), "connect");
    EXPECT_EQ(CurrentTcpModeText(1), "Server");
    EXPECT_EQ(CurrentTcpModeText(2), "Client");
    EXPECT_EQ(CurrentTcpModeText(0), "Invalid State");
    EXPECT_EQ(CurrentTcpModeText(3), "Invalid State");
}

TEST(MacKey, TwelveUpperCaseDigits)
{
    EXPECT_EQ(MacKey({0x00, 0x01, 0xa2, 0xb3, 0xc4, 0xd5}), "0001A2B3C4D5");
    EXPECT_EQ(MacKey({0xff, 0xff, 0xff, 0xff, 0xff, 0xff}), "FFFFFFFFFFFF");
}
