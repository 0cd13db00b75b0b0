#include "core/dhcp/DhcpEngine.h"

#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <vector>

using namespace corvane::dhcp;

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr MacBytes kDevice{0x02, 0x5A, 0x7E, 0x0A, 0x0B, 0x0C};
constexpr Ipv4 kHost{192, 168, 1, 2};

// A request as the devices send it: 300 bytes, every byte numbered (so a test sees which ones the
// reply kept), op 1, the device's MAC, the cookie, the message type first (53 1 TYPE) and, for a
// request, the server's address at 260-263 (option 54 at 258).
Bytes DeviceRequest(int type, const Ipv4& server = kHost, std::size_t length = 300)
{
    Bytes request(length);
    std::iota(request.begin(), request.end(), std::uint8_t{0});
    request[0] = 1;
    std::copy(kDevice.begin(), kDevice.end(), request.begin() + 28);
    const std::uint8_t cookie[] = {99, 130, 83, 99, 53, 1, static_cast<std::uint8_t>(type)};
    std::copy(std::begin(cookie), std::end(cookie), request.begin() + 236);
    // Pads up to the server identifier, an end after it.
    std::fill(request.begin() + 243, request.begin() + 258, std::uint8_t{0});
    request[258] = 54;
    request[259] = 4;
    std::copy(server.begin(), server.end(), request.begin() + 260);
    request[264] = 255;
    return request;
}

// A standard client's request: zeroed header, the cookie, then `options` from offset 240.
Bytes ClientRequest(const Bytes& options, const MacBytes& mac = kDevice)
{
    Bytes request(240 + options.size(), 0);
    std::copy(options.begin(), options.end(), request.begin() + 240);
    request[0] = 1;
    request[1] = 1;
    request[2] = 6;
    std::copy(mac.begin(), mac.end(), request.begin() + 28);
    const std::uint8_t cookie[] = {99, 130, 83, 99};
    std::copy(std::begin(cookie), std::end(cookie), request.begin() + 236);
    return request;
}

ClientEntry Entry()
{
    return ClientEntry{1, 6, "192.168.  1. 10", "025A7E0A0B0C", "192.168.  1.  1", "255.255.255.  0"};
}

// What the settings dialog stores: one router, "removed", the host as server, unlimited lease.
ServerSettings DialogSettings()
{
    ServerSettings settings;
    settings.routers = {"192.168.1.1"};
    settings.domainName = "removed";
    settings.serverIP = "192.168.1.2";
    settings.leaseTime = -1;
    return settings;
}

Answer AnswerTo(const Bytes& request, const ServerSettings& settings = DialogSettings(),
                const std::optional<Ipv4>& host = kHost)
{
    return BuildAnswer(request.data(), request.size(), Entry(), settings, host);
}

Bytes Tail(const Bytes& bytes, std::size_t from)
{
    return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(from), bytes.end());
}

// The header fields every reply sets: op 2, htype, hlen, yiaddr, siaddr, giaddr.
void ExpectReplyHeader(const Bytes& reply, const Bytes& request)
{
    ASSERT_GE(reply.size(), 243U);
    EXPECT_EQ(reply[0], 2);
    EXPECT_EQ(reply[1], 1);
    EXPECT_EQ(reply[2], 6);
    EXPECT_EQ(Bytes(reply.begin() + 3, reply.begin() + 16), Bytes(request.begin() + 3, request.begin() + 16));
    EXPECT_EQ(Bytes(reply.begin() + 16, reply.begin() + 28), (Bytes{192, 168, 1, 10, 192, 168, 1, 2, 192, 168, 1, 1}));
    EXPECT_EQ(Bytes(reply.begin() + 28, reply.begin() + 240), Bytes(request.begin() + 28, request.begin() + 240));
}

// Mask, router, "removed", unlimited lease, server 192.168.1.2, end: the options of the worked
// example, from offset 243.
const Bytes kWorkedOptions{1,   4,   255, 255, 255, 0, 3,   4,   192, 168, 1,  1, 15,  7,   'r', 'e', 'm',
                           'o', 'v', 'e', 'd', 51,  4, 255, 255, 255, 255, 54, 4, 192, 168, 1,   2,   255};

} // namespace

TEST(DhcpConversions, MacTextAndAddressBytes)
{
    EXPECT_EQ(MacToHex({0x02, 0x5A, 0x7E, 0x0A, 0x0B, 0xFF}), "025A7E0A0BFF");
    EXPECT_EQ(MacParts({0x02, 0x5A, 0x7E, 0x0A, 0x0B, 0x0C}),
              (std::array<std::string, 6>{"02", "5A", "7E", "0A", "0B", "0C"}));
    const struct
    {
        const char* text;
        Ipv4 bytes;
    } cases[] = {
        {"192.168.  1. 10", {0xC0, 0xA8, 0x01, 0x0A}},
        {"10.0.0.1", {10, 0, 0, 1}},
        {"", {0, 0, 0, 0}},
        {"300.1.x.4", {44, 1, 0, 4}}, // atoi, low eight bits
        {"1.2", {1, 2, 0, 0}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IpTextToBytes(c.text), c.bytes) << c.text;
    }
    EXPECT_EQ(NotFoundText("025a7e0a0b0c"), "H/W ADDRESS , 025A7E0A0B0C , NOT FOUND ..");
}

TEST(DhcpScreening, PrefixAndOp)
{
    Bytes request = DeviceRequest(1);
    Screening accepted = ScreenRequest(request.data(), request.size());
    EXPECT_EQ(accepted.verdict, Verdict::Accepted);
    EXPECT_EQ(accepted.macText, "025A7E0A0B0C");

    request[0] = 2;
    EXPECT_EQ(ScreenRequest(request.data(), request.size()).verdict, Verdict::NotRequest);

    for (const MacBytes other : {MacBytes{0x00, 0x02, 0x5A, 0x7E, 0, 1}, MacBytes{0x02, 0x5A, 0x7F, 0, 0, 1}}) {
        Bytes foreign = ClientRequest({53, 1, 1, 255}, other);
        EXPECT_EQ(ScreenRequest(foreign.data(), foreign.size()).verdict, Verdict::Ignore);
    }
    // Too short to hold a hardware address: not one of ours.
    EXPECT_EQ(ScreenRequest(request.data(), 30).verdict, Verdict::Ignore);
    EXPECT_EQ(ScreenRequest(nullptr, 0).verdict, Verdict::Ignore);
}

TEST(DhcpAnswer, WorkedExampleAcknowledgement)
{
    const Bytes request = DeviceRequest(3);
    const Answer answer = AnswerTo(request);
    ASSERT_TRUE(answer.reply);
    const Bytes& ack = answer.reply->bytes;
    EXPECT_EQ(answer.reply->kind, ReplyKind::Ack);
    ASSERT_EQ(ack.size(), 277U);
    ExpectReplyHeader(ack, request);
    EXPECT_EQ(Bytes(ack.begin() + 240, ack.begin() + 243), (Bytes{53, 1, 5}));
    EXPECT_EQ(Tail(ack, 243), kWorkedOptions);
    EXPECT_EQ(answer.reply->sentText, "DHCP ACK sent... [ 192.168.  1. 10 ]");
    EXPECT_EQ(answer.reply->sendErrorText, "Socket Error during sending DHCP reply to [ 192.168.  1. 10 ]");
}

TEST(DhcpAnswer, OfferCarriesTheServersOptions)
{
    // Clients take the server identifier and the lease time from the offer.
    const Bytes request = DeviceRequest(1);
    const Answer answer = AnswerTo(request);
    ASSERT_TRUE(answer.reply);
    EXPECT_EQ(answer.reply->kind, ReplyKind::Offer);
    ExpectReplyHeader(answer.reply->bytes, request);
    EXPECT_EQ(Bytes(answer.reply->bytes.begin() + 240, answer.reply->bytes.begin() + 243), (Bytes{53, 1, 2}));
    EXPECT_EQ(Tail(answer.reply->bytes, 243), kWorkedOptions);
    EXPECT_EQ(answer.reply->sentText, "DHCP Offer sent... [ 192.168.  1. 10 ]");
}

TEST(DhcpAnswer, OptionsFollowTheSettings)
{
    const struct
    {
        const char* name;
        ServerSettings settings;
        Bytes options; // from offset 243
    } cases[] = {
        {"one router only: 262 bytes",
         {{"192.168.1.1"}, {}, {}, "", "", -1},
         {1, 4, 255, 255, 255, 0, 3, 4, 192, 168, 1, 1, 51, 4, 255, 255, 255, 255, 255}},
        {"a day's lease",
         {{"10.0.0.1"}, {}, {}, "", "", 86400},
         {1, 4, 255, 255, 255, 0, 3, 4, 10, 0, 0, 1, 51, 4, 0x00, 0x01, 0x51, 0x80, 255}},
        {"no router: mask and lease", {{}, {}, {}, "", "", 0}, {1, 4, 255, 255, 255, 0, 51, 4, 0, 0, 0, 0, 255}},
        {"lists in their order; the server identifier is the receiving interface's, not the stored address",
         {{"10.0.0.1", "10.0.0.2"}, {"8.8.8.8", "8.8.4.4"}, {"10.0.0.9"}, "ab", "10.0.0.5", -1},
         {1, 4,  255, 255, 255, 0,  3, 8,  10, 0, 0, 1,  10, 0,   0,   2,   6,   8,  8, 8,   8,   8, 8, 8,  4,
          4, 15, 2,   'a', 'b', 44, 4, 10, 0,  0, 9, 51, 4,  255, 255, 255, 255, 54, 4, 192, 168, 1, 2, 255}},
    };
    for (const auto& c : cases) {
        // The device's request names the host as its server in bytes 260-263.
        const Answer answer = AnswerTo(DeviceRequest(3), c.settings);
        ASSERT_TRUE(answer.reply) << c.name;
        EXPECT_EQ(Tail(answer.reply->bytes, 243), c.options) << c.name;
        EXPECT_EQ(answer.reply->bytes.size(), 243 + c.options.size()) << c.name;
    }
}

TEST(DhcpAnswer, OverlongListsAreCutToWhatOneOptionHolds)
{
    ServerSettings settings = DialogSettings();
    settings.routers.clear();
    for (int i = 1; i <= 70; ++i) {
        settings.routers.push_back("10.0.0." + std::to_string(i));
    }
    settings.domainName = std::string(300, 'x');
    const Answer answer = AnswerTo(DeviceRequest(3), settings);
    ASSERT_TRUE(answer.reply);
    const Bytes& ack = answer.reply->bytes;
    ASSERT_EQ(ack[249], 3);
    ASSERT_EQ(ack[250], 252); // 63 routers
    EXPECT_EQ(ack[251 + 62 * 4 + 3], 63);
    const std::size_t domain = 251 + 252;
    ASSERT_EQ(ack[domain], 15);
    EXPECT_EQ(ack[domain + 1], 255);
    EXPECT_EQ(ack[domain + 2 + 255], 51);
    EXPECT_EQ(ack.back(), 255);
}

TEST(DhcpAnswer, BootpReplyKeepsTheRequestAroundTheMask)
{
    Bytes request = DeviceRequest(1);
    request[236] = 0; // no cookie
    const Answer answer = AnswerTo(request);
    ASSERT_TRUE(answer.reply);
    const Bytes& reply = answer.reply->bytes;
    EXPECT_EQ(answer.reply->kind, ReplyKind::Bootp);
    ASSERT_EQ(reply.size(), 300U);
    ExpectReplyHeader(reply, request);
    EXPECT_EQ(Bytes(reply.begin() + 236, reply.begin() + 242), Bytes(request.begin() + 236, request.begin() + 242));
    EXPECT_EQ(Bytes(reply.begin() + 242, reply.begin() + 246), (Bytes{255, 255, 255, 0}));
    EXPECT_EQ(Tail(reply, 246), Tail(request, 246));
    EXPECT_EQ(answer.reply->sentText, "BootP reply sent... [ 192.168.  1. 10 ]");
    EXPECT_EQ(answer.reply->sendErrorText, "Socket Error during sending BootP reply to [ 192.168.  1. 10 ]");

    // A short BOOTP request is answered with 300 bytes, zeros past its end.
    const Answer shortAnswer = AnswerTo(Bytes(request.begin(), request.begin() + 236));
    ASSERT_TRUE(shortAnswer.reply);
    EXPECT_EQ(shortAnswer.reply->bytes.size(), 300U);
    EXPECT_EQ(Tail(shortAnswer.reply->bytes, 246), Bytes(54, 0));
}

TEST(DhcpAnswer, MessageTypeIsOption53WhereverItStands)
{
    const struct
    {
        const char* name;
        Bytes options;
        int type;
        bool answered;
    } cases[] = {
        {"discover, type first", {53, 1, 1, 255}, 1, true},
        {"request after a requested address", {50, 4, 192, 168, 1, 10, 53, 1, 3, 255}, 3, true},
        {"pads before the type", {0, 0, 0, 53, 1, 1, 255}, 1, true},
        {"release", {53, 1, 7, 255}, 7, false},
        {"inform", {53, 1, 8, 255}, 8, false},
        // No option 53 found: the byte at 242 decides, as the devices have it.
        {"type option cut off by the end of the datagram", {50, 4, 1, 2}, 1, true},
        {"length running past the datagram", {50, 40, 1, 0, 0}, 1, true},
        {"end before the type", {255, 0, 3, 53, 1, 1}, 3, true},
    };
    for (const auto& c : cases) {
        const Bytes request = ClientRequest(c.options);
        EXPECT_EQ(MessageType(request.data(), request.size()), c.type) << c.name;
        const Answer answer = AnswerTo(request);
        EXPECT_EQ(answer.reply.has_value(), c.answered) << c.name;
        if (!c.answered) {
            EXPECT_EQ(answer.status, "Wrong DHCP Packet !!") << c.name;
        }
    }
}

TEST(DhcpAnswer, RequestForAnotherServer)
{
    const Ipv4 other{192, 168, 1, 99};
    const struct
    {
        const char* name;
        Bytes request;
        bool answered;
    } cases[] = {
        {"device naming the host at 260-263", DeviceRequest(3, kHost), true},
        {"device naming another server", DeviceRequest(3, other), false},
        {"client naming the host", ClientRequest({53, 1, 3, 54, 4, 192, 168, 1, 2, 255}), true},
        {"client naming another server", ClientRequest({53, 1, 3, 54, 4, 192, 168, 1, 99, 255}), false},
        {"client renewing: no server identifier", ClientRequest({53, 1, 3, 50, 4, 192, 168, 1, 10, 255}), true},
        {"server identifier of the wrong length", ClientRequest({53, 1, 3, 54, 3, 10, 0, 0, 255}), true},
    };
    for (const auto& c : cases) {
        const Answer answer = AnswerTo(c.request);
        EXPECT_EQ(answer.reply.has_value(), c.answered) << c.name;
        if (!c.answered) {
            EXPECT_EQ(answer.status, "It was Request to other DHCP server! Packet Discarded...") << c.name;
        }
    }

    // Bytes 257-260 naming the host count as well, whatever option 54 says.
    Bytes shifted = DeviceRequest(3, other);
    std::copy(kHost.begin(), kHost.end(), shifted.begin() + 257);
    EXPECT_TRUE(AnswerTo(shifted).reply);
    // A discover is never for another server.
    EXPECT_TRUE(AnswerTo(DeviceRequest(1, other)).reply);
}

TEST(DhcpAnswer, NoHostAddressNoReply)
{
    const Answer answer = AnswerTo(DeviceRequest(1), DialogSettings(), std::nullopt);
    EXPECT_FALSE(answer.reply);
    EXPECT_EQ(answer.status, "Can not get the host ip!");
}

TEST(DhcpAnswer, LongRequestsUpTo576Bytes)
{
    // A discover longer than 300 bytes (a long vendor class), and a request of 576 bytes.
    Bytes options{53, 1, 1, 60, 70};
    options.resize(options.size() + 70, 'v');
    options.push_back(255);
    const Bytes discover = ClientRequest(options);
    ASSERT_EQ(discover.size(), 316U);
    const Answer offer = AnswerTo(discover);
    ASSERT_TRUE(offer.reply);
    EXPECT_EQ(Tail(offer.reply->bytes, 243), kWorkedOptions);

    Bytes full = ClientRequest({53, 1, 3, 255});
    full.resize(kRequestCapacity, 0);
    const Answer ack = AnswerTo(full);
    ASSERT_TRUE(ack.reply);
    EXPECT_EQ(ack.reply->bytes.size(), 277U);
}
