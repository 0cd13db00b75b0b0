#include "core/dhcp/DhcpEngine.h"

#include "core/link/CommandCodec.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace corvane::dhcp {

namespace {

constexpr std::size_t kOp = 0;
constexpr std::size_t kHtype = 1;
constexpr std::size_t kHlen = 2;
constexpr std::size_t kYiaddr = 16;
constexpr std::size_t kSiaddr = 20;
constexpr std::size_t kGiaddr = 24;
constexpr std::size_t kChaddr = 28;
constexpr std::size_t kCookie = 236;
constexpr std::size_t kOptions = 240;
constexpr std::size_t kTypeByte = 242;
constexpr std::array<std::uint8_t, 4> kMagicCookie{99, 130, 83, 99};

constexpr std::uint8_t kOptPad = 0;
constexpr std::uint8_t kOptSubnetMask = 1;
constexpr std::uint8_t kOptRouter = 3;
constexpr std::uint8_t kOptDns = 6;
constexpr std::uint8_t kOptDomainName = 15;
constexpr std::uint8_t kOptNetBios = 44;
constexpr std::uint8_t kOptLeaseTime = 51;
constexpr std::uint8_t kOptMessageType = 53;
constexpr std::uint8_t kOptServerId = 54;
constexpr std::uint8_t kOptEnd = 255;

constexpr int kDiscover = 1;
constexpr int kOffer = 2;
constexpr int kRequest = 3;
constexpr int kAck = 5;

std::uint8_t At(const std::uint8_t* data, std::size_t length, std::size_t offset)
{
    return offset < length ? data[offset] : 0;
}

bool HasCookie(const std::uint8_t* data, std::size_t length)
{
    for (std::size_t i = 0; i < kMagicCookie.size(); ++i) {
        if (At(data, length, kCookie + i) != kMagicCookie[i]) {
            return false;
        }
    }
    return true;
}

// The value of the first option `code` (its bytes lie inside the datagram), walking from offset
// 240: pads are skipped, the end option or an option running past the datagram stops the walk.
bool FindOption(const std::uint8_t* data, std::size_t length, std::uint8_t code, std::size_t& valueOffset,
                std::size_t& valueLength)
{
    std::size_t i = kOptions;
    while (i < length) {
        const std::uint8_t option = data[i];
        if (option == kOptPad) {
            ++i;
            continue;
        }
        if (option == kOptEnd || i + 1 >= length) {
            return false;
        }
        const std::size_t size = data[i + 1];
        if (i + 2 + size > length) {
            return false;
        }
        if (option == code) {
            valueOffset = i + 2;
            valueLength = size;
            return true;
        }
        i += 2 + size;
    }
    return false;
}

void PutAddress(std::vector<std::uint8_t>& out, const std::string& text)
{
    const Ipv4 bytes = IpTextToBytes(text);
    out.insert(out.end(), bytes.begin(), bytes.end());
}

void PutAddressOption(std::vector<std::uint8_t>& out, std::uint8_t code, const std::vector<std::string>& list)
{
    if (list.empty()) {
        return;
    }
    const std::size_t count = std::min<std::size_t>(list.size(), kMaxOptionAddresses);
    out.push_back(code);
    out.push_back(static_cast<std::uint8_t>(4 * count));
    for (std::size_t i = 0; i < count; ++i) {
        PutAddress(out, list[i]);
    }
}

// The server's options, from offset 243: mask, routers, DNS, domain name, NetBIOS, lease time,
// server identifier, end. A list or text longer than one option holds is cut to what fits.
void PutOptions(std::vector<std::uint8_t>& out, const ClientEntry& entry, const ServerSettings& settings,
                const Ipv4& serverIdentifier)
{
    out.push_back(kOptSubnetMask);
    out.push_back(4);
    PutAddress(out, entry.subnet);
    PutAddressOption(out, kOptRouter, settings.routers);
    PutAddressOption(out, kOptDns, settings.dns);
    if (!settings.domainName.empty()) {
        const std::size_t size = std::min(settings.domainName.size(), kMaxOptionText);
        out.push_back(kOptDomainName);
        out.push_back(static_cast<std::uint8_t>(size));
        out.insert(out.end(), settings.domainName.begin(),
                   settings.domainName.begin() + static_cast<std::ptrdiff_t>(size));
    }
    PutAddressOption(out, kOptNetBios, settings.netBios);
    const auto lease = static_cast<std::uint32_t>(settings.leaseTime);
    out.push_back(kOptLeaseTime);
    out.push_back(4);
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<std::uint8_t>(lease >> shift));
    }
    // With a server address stored, the server identifier is sent, as the address the client
    // reached the server at (siaddr): the stored address belongs to one interface only, and a
    // client on another one would name it in its DHCPREQUEST and be refused as asking another
    // server.
    if (!settings.serverIP.empty()) {
        out.push_back(kOptServerId);
        out.push_back(4);
        out.insert(out.end(), serverIdentifier.begin(), serverIdentifier.end());
    }
    out.push_back(kOptEnd);
}

bool Equals(const std::uint8_t* data, std::size_t length, std::size_t offset, const Ipv4& address)
{
    for (std::size_t i = 0; i < address.size(); ++i) {
        if (At(data, length, offset + i) != address[i]) {
            return false;
        }
    }
    return true;
}

// Whether a DHCPREQUEST is meant for the server at `host`: its server identifier names it, or it
// carries none (a client rebooting, renewing or rebinding), or the bytes where the devices put the
// server's address hold it.
bool ForThisServer(const std::uint8_t* data, std::size_t length, const Ipv4& host)
{
    if (Equals(data, length, 260, host) || Equals(data, length, 257, host)) {
        return true;
    }
    const std::optional<Ipv4> named = ServerIdentifier(data, length);
    return !named || *named == host;
}

std::string Bracketed(const char* prefix, const std::string& ip)
{
    return std::string(prefix) + "[ " + ip + " ]";
}

} // namespace

std::string NotFoundText(const std::string& macText)
{
    std::string text = "H/W address , " + macText + " , not found ..";
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

std::string BootpSentText(const std::string& ip)
{
    return Bracketed("BootP reply sent... ", ip);
}

std::string BootpSendErrorText(const std::string& ip)
{
    return Bracketed("Socket Error during sending BootP reply to ", ip);
}

std::string OfferSentText(const std::string& ip)
{
    return Bracketed("DHCP Offer sent... ", ip);
}

std::string AckSentText(const std::string& ip)
{
    return Bracketed("DHCP ACK sent... ", ip);
}

std::string DhcpSendErrorText(const std::string& ip)
{
    return Bracketed("Socket Error during sending DHCP reply to ", ip);
}

std::string MacToHex(const MacBytes& mac)
{
    return MacKey(mac);
}

std::array<std::string, 6> MacParts(const MacBytes& mac)
{
    const std::string text = MacToHex(mac);
    std::array<std::string, 6> parts;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        parts[i] = text.substr(2 * i, 2);
    }
    return parts;
}

Ipv4 IpTextToBytes(const std::string& text)
{
    Ipv4 bytes{};
    std::size_t start = 0;
    for (std::size_t part = 0; part < bytes.size(); ++part) {
        const std::size_t dot = part < 3 ? text.find('.', start) : std::string::npos;
        const std::string piece = text.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
        bytes[part] = static_cast<std::uint8_t>(std::atoi(piece.c_str()) & 0xFF);
        if (dot == std::string::npos) {
            break;
        }
        start = dot + 1;
    }
    return bytes;
}

Screening ScreenRequest(const std::uint8_t* data, std::size_t length)
{
    Screening screening;
    for (std::size_t i = 0; i < screening.mac.size(); ++i) {
        screening.mac[i] = At(data, length, kChaddr + i);
    }
    if (!std::equal(kServedPrefix.begin(), kServedPrefix.end(), screening.mac.begin())) {
        return screening;
    }
    screening.macText = MacToHex(screening.mac);
    screening.verdict = At(data, length, kOp) == 1 ? Verdict::Accepted : Verdict::NotRequest;
    return screening;
}

int MessageType(const std::uint8_t* data, std::size_t length)
{
    if (!HasCookie(data, length)) {
        return 0;
    }
    std::size_t offset = 0;
    std::size_t size = 0;
    if (FindOption(data, length, kOptMessageType, offset, size) && size >= 1) {
        return data[offset];
    }
    return At(data, length, kTypeByte);
}

std::optional<Ipv4> ServerIdentifier(const std::uint8_t* data, std::size_t length)
{
    std::size_t offset = 0;
    std::size_t size = 0;
    if (!HasCookie(data, length) || !FindOption(data, length, kOptServerId, offset, size) || size != 4) {
        return std::nullopt;
    }
    return Ipv4{data[offset], data[offset + 1], data[offset + 2], data[offset + 3]};
}

Answer BuildAnswer(const std::uint8_t* data, std::size_t length, const ClientEntry& entry,
                   const ServerSettings& settings, const std::optional<Ipv4>& hostAddress)
{
    Answer answer;
    // The reply starts as a copy of the request, at least 300 bytes (zeros past a short one).
    std::vector<std::uint8_t> reply(std::max(length, kBootpLength), 0);
    std::copy(data, data + length, reply.begin());
    reply[kOp] = 2;
    reply[kHtype] = static_cast<std::uint8_t>(entry.nHType);
    reply[kHlen] = static_cast<std::uint8_t>(entry.nHlen);
    const Ipv4 yiaddr = IpTextToBytes(entry.ip);
    std::copy(yiaddr.begin(), yiaddr.end(), reply.begin() + kYiaddr);

    if (!hostAddress) {
        answer.status = kStatusNoHostIp;
        return answer;
    }
    std::copy(hostAddress->begin(), hostAddress->end(), reply.begin() + kSiaddr);
    const Ipv4 giaddr = IpTextToBytes(entry.gateway);
    std::copy(giaddr.begin(), giaddr.end(), reply.begin() + kGiaddr);

    if (!HasCookie(data, length)) {
        const Ipv4 mask = IpTextToBytes(entry.subnet);
        std::copy(mask.begin(), mask.end(), reply.begin() + kTypeByte);
        reply.resize(kBootpLength);
        answer.reply = Reply{ReplyKind::Bootp, std::move(reply), BootpSentText(entry.ip), BootpSendErrorText(entry.ip)};
        return answer;
    }

    const int type = MessageType(data, length);
    if (type != kDiscover && type != kRequest) {
        answer.status = kStatusWrongPacket;
        return answer;
    }
    if (type == kRequest && !ForThisServer(data, length, *hostAddress)) {
        answer.status = kStatusOtherServer;
        return answer;
    }
    // The message type first, then the server's options; nothing of the client's options stays.
    reply.resize(kOptions);
    reply.push_back(kOptMessageType);
    reply.push_back(1);
    reply.push_back(static_cast<std::uint8_t>(type == kDiscover ? kOffer : kAck));
    PutOptions(reply, entry, settings, *hostAddress);
    const ReplyKind kind = type == kDiscover ? ReplyKind::Offer : ReplyKind::Ack;
    answer.reply =
        Reply{kind, std::move(reply), kind == ReplyKind::Offer ? OfferSentText(entry.ip) : AckSentText(entry.ip),
              DhcpSendErrorText(entry.ip)};
    return answer;
}

} // namespace corvane::dhcp
