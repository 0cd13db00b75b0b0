#include "core/link/ConfigCodec.h"

#include "core/Bytes.h"

#include <gtest/gtest.h>

#include <string>

using namespace corvane;

namespace {

const MacAddress kMac = kExampleMac;

Datagram Header(int command)
{
    return Hex({0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x61, 0x62, 0x63, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, command});
}

Datagram Cat(Datagram a, const Datagram& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

} // namespace

TEST(ConfigCodec, NetworkModeRequestIsByteExact)
{
    NetworkModeSettings s;
    s.notifierHours = 0;
    s.notifierMinutes = 5;
    s.ipMode = IpMode::Static;
    s.tcpMode = TcpMode::Server;
    s.devicePort = 6001;
    s.serverIp = {10, 0, 0, 2};
    s.serverPort = 6001;
    s.dataServerIp = {10, 0, 0, 3};
    const Datagram expected = Cat(Header(0x72), Hex({0x03, 0x05, 0x17, 0x71, 0x0A, 0x00, 0x00, 0x02, 0x17, 0x71, 0x0A,
                                                     0x00, 0x00, 0x03, 0,    0,    0,    0,    0,    0,    0,    0}));
    EXPECT_EQ(BuildNetworkModeRequest(kMac, "abc", "", s), expected);
}

TEST(ConfigCodec, PortsSendTheLow16BitsBigEndian)
{
    NetworkModeSettings s;
    s.devicePort = 0x12345; // only 0x2345 fits
    s.serverPort = 65535;
    const Datagram r = BuildNetworkModeRequest(kMac, "", "", s);
    EXPECT_EQ(r[25], 0x23);
    EXPECT_EQ(r[26], 0x45);
    EXPECT_EQ(r[31], 0xFF);
    EXPECT_EQ(r[32], 0xFF);
}

TEST(ConfigCodec, ModeBytes)
{
    struct Case
    {
        IpMode ip;
        TcpMode tcp;
        int byte;
    };
    const Case cases[] = {
        {IpMode::Dynamic, TcpMode::Client, 0},          {IpMode::Dynamic, TcpMode::Server, 1},
        {IpMode::Dynamic, TcpMode::ServerAndClient, 2}, {IpMode::Static, TcpMode::Client, 4},
        {IpMode::Static, TcpMode::Server, 5},           {IpMode::Static, TcpMode::ServerAndClient, 6},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(NetworkModeByte(c.ip, c.tcp), c.byte);
    }
}

TEST(ConfigCodec, NotifierInterval)
{
    struct Case
    {
        int hours;
        int minutes;
        int byte;
    };
    const Case cases[] = {{0, 0, 1}, {0, 1, 1}, {0, 5, 3}, {1, 0, 40}, {6, 0, 237}, {0, 2, 1}, {2, 30, 99}};
    for (const Case& c : cases) {
        EXPECT_EQ(NotifierIntervalByte(c.hours, c.minutes), c.byte) << c.hours << " h " << c.minutes << " min";
    }
}

TEST(ConfigCodec, SerialRequests)
{
    SerialSettings plain; // 9600, NONE, 8 bits, 1, NONE
    plain.baudIndex = 8;
    plain.serialTime = 4;
    EXPECT_EQ(BuildSerialRequest(kMac, "abc", "", plain),
              Cat(Header(0x71), Hex({0x00, 0x0C, 0x03, 0x01, 0x00, 0x0A, 0})));

    SerialSettings other;
    other.baudIndex = 8;
    other.parity = Parity::Even;
    other.dataBits = 7;
    other.stopBits = StopBits::Two;
    other.flow = FlowControl::XonXoff;
    other.unlimitedTime = true;
    EXPECT_EQ(BuildSerialRequest(kMac, "abc", "", other),
              Cat(Header(0x71), Hex({0x00, 0x0C, 0x1E, 0x03, 0x00, 0xFF, 0})));
}

TEST(ConfigCodec, SerialTables)
{
    const int divisors[kBaudChoiceCount] = {768, 384, 192, 96, 48, 32, 24, 16, 12, 6, 3, 2, 1};
    const char* labels[kBaudChoiceCount] = {"150",  "300",  "600",   "1200",  "2400",  "3600",  "4800",
                                            "7200", "9600", "19200", "38400", "57600", "115200"};
    for (int i = 0; i < kBaudChoiceCount; ++i) {
        EXPECT_EQ(BaudDivisor(i), divisors[i]);
        EXPECT_STREQ(BaudLabel(i), labels[i]);
        EXPECT_EQ(115200 / std::stoi(labels[i]), divisors[i]);
    }
    EXPECT_EQ(LineFormatByte(Parity::None, 5, StopBits::One), 0x00);
    EXPECT_EQ(LineFormatByte(Parity::Odd, 6, StopBits::One), 0x09);
    EXPECT_EQ(LineFormatByte(Parity::None, 8, StopBits::OneAndHalf), LineFormatByte(Parity::None, 8, StopBits::Two));
    EXPECT_EQ(LineFormatByte(Parity::None, 8, StopBits::Two), 0x07);
    EXPECT_EQ(SerialTimeValue(2, false), 5);
    EXPECT_EQ(SerialTimeValue(3, false), 7);
    EXPECT_EQ(SerialTimeValue(4, false), 10);
    EXPECT_EQ(SerialTimeValue(100, false), 250);
    EXPECT_EQ(SerialTimeValue(4, true), 255);
}

TEST(ConfigCodec, ConfirmAndChangeRequests)
{
    EXPECT_EQ(BuildConfirmRequest(kMac, "abc", ""), Cat(Header(0x98), Datagram(7, 0)));

    const Datagram change = BuildChangeRequest(kMac, "abc", "", "newid", "123456789");
    ASSERT_EQ(change.size(), 45u);
    EXPECT_EQ(Datagram(change.begin(), change.begin() + 23), Header(0x99));
    EXPECT_EQ(std::string(change.begin() + 23, change.begin() + 31), std::string("newid\0\0\0", 8));
    EXPECT_EQ(std::string(change.begin() + 31, change.begin() + 39), "12345678");
    EXPECT_EQ(Datagram(change.begin() + 39, change.end()), Datagram(6, 0));
}

TEST(ConfigCodec, ReplyDecoding)
{
    // An 8-character ID runs straight into the password: only its 8 characters are the ID.
    Datagram reply(45, 0);
    std::copy(kMac.begin(), kMac.end(), reply.begin());
    const std::string fields = "ABCDEFGHpass";
    std::copy(fields.begin(), fields.end(), reply.begin() + 6);
    reply[22] = 0x98;
    reply[23] = 'O';
    reply[24] = 'K';
    reply[25] = 'x';
    ConfigReply r = ParseConfigReply(reply);
    EXPECT_EQ(r.command, 0x98);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.mac, kMac);
    EXPECT_EQ(r.id, "ABCDEFGH");
    EXPECT_EQ(r.password, "pass");
    EXPECT_EQ(r.newId, "x");

    struct StatusCase
    {
        const char* status;
        bool ok;
    };
    for (const StatusCase c : {StatusCase{"OK", true}, StatusCase{"OKAY", true}, StatusCase{"ok", false},
                               StatusCase{"Ok", false}, StatusCase{"oK", false}, StatusCase{"", false}}) {
        Datagram d(41, 0);
        const std::string s = c.status;
        std::copy(s.begin(), s.end(), d.begin() + 23);
        EXPECT_EQ(ParseConfigReply(d).ok, c.ok) << c.status;
    }
}

TEST(ConfigCodec, ShortRepliesNeverReadPastTheirEnd)
{
    Datagram full(41, 0);
    full[22] = 0x99;
    full[23] = 'O';
    full[24] = 'K';
    const std::string newFields = "NEWID123NEWPW123";
    std::copy(newFields.begin(), newFields.end(), full.begin() + 25);
    for (std::size_t length : {0u, 1u, 22u, 23u, 24u, 25u, 30u, 33u, 41u}) {
        const Datagram cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(length));
        const ConfigReply r = ParseConfigReply(cut);
        EXPECT_EQ(r.ok, length >= 25) << length;
        EXPECT_EQ(r.command, length >= 23 ? 0x99 : 0) << length;
        EXPECT_EQ(r.newId, newFields.substr(0, std::min<std::size_t>(8, length > 25 ? length - 25 : 0))) << length;
    }
}
