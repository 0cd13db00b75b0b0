#include "DhcpClient.h"

#include <arpa/inet.h>
#include <net/if.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace devicesim {

namespace {

constexpr std::uint16_t kServerPort = 67;
constexpr std::uint16_t kClientPort = 68;
constexpr std::size_t kRequestLength = 300;
constexpr std::size_t kFixedLength = 236;
constexpr std::size_t kCookieAt = 236;
constexpr std::size_t kOptionsAt = 240;
constexpr std::size_t kBootpMaskAt = 242;
constexpr std::uint8_t kCookie[] = {99, 130, 83, 99};

constexpr std::uint8_t kPad = 0;
constexpr std::uint8_t kEnd = 255;
constexpr std::uint8_t kOptMask = 1;
constexpr std::uint8_t kOptRouter = 3;
constexpr std::uint8_t kOptRequestedIp = 50;
constexpr std::uint8_t kOptLease = 51;
constexpr std::uint8_t kOptType = 53;
constexpr std::uint8_t kOptServerId = 54;
constexpr std::uint8_t kOptClientId = 61;

std::string XidText(std::uint32_t xid)
{
    char text[11];
    std::snprintf(text, sizeof text, "0x%08x", xid);
    return text;
}

Ip4 IpAt(std::span<const std::uint8_t> in, std::size_t offset)
{
    return {in[offset], in[offset + 1], in[offset + 2], in[offset + 3]};
}

// op, htype, hlen, xid, the broadcast flag (the device has no address to be answered at) and
// chaddr; everything else zero.
Bytes Header(const Mac& mac, std::uint32_t xid, std::size_t length)
{
    Bytes out(length, 0);
    out[0] = 1;
    out[1] = 1;
    out[2] = 6;
    out[4] = static_cast<std::uint8_t>(xid >> 24);
    out[5] = static_cast<std::uint8_t>(xid >> 16);
    out[6] = static_cast<std::uint8_t>(xid >> 8);
    out[7] = static_cast<std::uint8_t>(xid);
    out[10] = 0x80;
    std::copy(mac.begin(), mac.end(), out.begin() + 28);
    return out;
}

// From offset 240: the message type and the options given (the type first, or after them), then
// the end option.
void PutDhcpOptions(Bytes& out, std::uint8_t type, std::vector<Bytes> options, bool typeLast)
{
    std::copy(std::begin(kCookie), std::end(kCookie), out.begin() + kCookieAt);
    Bytes typeOption{kOptType, 1, type};
    options.insert(typeLast ? options.end() : options.begin(), std::move(typeOption));
    std::size_t at = kOptionsAt;
    for (const Bytes& option : options) {
        std::copy(option.begin(), option.end(), out.begin() + static_cast<std::ptrdiff_t>(at));
        at += option.size();
    }
    out[at] = kEnd;
}

Bytes ClientIdOption(const Mac& mac)
{
    // Hardware type 1 and the MAC.
    Bytes option(3 + mac.size());
    option[0] = kOptClientId;
    option[1] = static_cast<std::uint8_t>(1 + mac.size());
    option[2] = 1;
    std::copy(mac.begin(), mac.end(), option.begin() + 3);
    return option;
}

Bytes AddressOption(std::uint8_t code, const Ip4& ip)
{
    return {code, 4, ip[0], ip[1], ip[2], ip[3]};
}

std::string Optional(const std::optional<Ip4>& ip)
{
    return ip ? IpToText(*ip) : "-";
}

} // namespace

DhcpClient::DhcpClient(ClientOptions options, std::string logPath, bool verbose)
    : m_options(std::move(options)), m_logPath(std::move(logPath)), m_verbose(verbose)
{
    m_xid = m_options.xid.value_or(0x5A7E0000u | static_cast<std::uint32_t>(m_options.mac[4] << 8 | m_options.mac[5]));
}

DhcpClient::~DhcpClient()
{
    if (m_socket >= 0) {
        ::close(m_socket);
    }
    if (m_log) {
        std::fclose(m_log);
    }
}

Bytes DhcpClient::BuildDiscover(const Mac& mac, std::uint32_t xid, const Layout& layout)
{
    Bytes out = Header(mac, xid, layout.length);
    PutDhcpOptions(out, kDiscover, {ClientIdOption(mac)}, layout.typeLast);
    return out;
}

Bytes DhcpClient::BuildRequest(const Mac& mac, std::uint32_t xid, const Ip4& offered, const std::optional<Ip4>& server,
                               const Layout& layout)
{
    // Type first: 53 at 240-242, 50 at 243-248, 61 at 249-257, 54 at 258-263, end at 264.
    // Type last: 50 at 240-245, 61 at 246-254, 54 at 255-260, 53 at 261-263, end at 264.
    Bytes out = Header(mac, xid, layout.length);
    std::vector<Bytes> options{AddressOption(kOptRequestedIp, offered), ClientIdOption(mac)};
    if (server) {
        options.push_back(AddressOption(kOptServerId, *server));
    }
    PutDhcpOptions(out, kRequest, std::move(options), layout.typeLast);
    return out;
}

Bytes DhcpClient::BuildBootp(const Mac& mac, std::uint32_t xid, const Layout& layout)
{
    return Header(mac, xid, layout.length);
}

DhcpClient::Reading DhcpClient::ReadAnswer(std::span<const std::uint8_t> datagram, const Mac& mac, std::uint32_t xid)
{
    Reading reading;
    if (datagram.size() < kFixedLength) {
        reading.problem = "only " + std::to_string(datagram.size()) + " bytes";
        return reading;
    }
    if (datagram[0] != 2) {
        reading.problem = "op " + std::to_string(datagram[0]) + ", not a reply";
        return reading;
    }
    const std::uint32_t got = static_cast<std::uint32_t>(datagram[4]) << 24 |
                              static_cast<std::uint32_t>(datagram[5]) << 16 |
                              static_cast<std::uint32_t>(datagram[6]) << 8 | datagram[7];
    if (got != xid) {
        reading.problem = "xid " + XidText(got) + ", not " + XidText(xid);
        return reading;
    }
    if (!std::equal(mac.begin(), mac.end(), datagram.begin() + 28)) {
        reading.problem = "for another hardware address";
        return reading;
    }
    Answer answer;
    answer.length = datagram.size();
    answer.yiaddr = IpAt(datagram, 16);
    answer.siaddr = IpAt(datagram, 20);
    answer.giaddr = IpAt(datagram, 24);
    const bool cookie = datagram.size() >= kOptionsAt &&
                        std::equal(std::begin(kCookie), std::end(kCookie), datagram.begin() + kCookieAt);
    if (!cookie) {
        // A BOOTREPLY: the subnet mask stands in the vendor area's first four bytes.
        if (datagram.size() < kBootpMaskAt + 4) {
            reading.problem = "a BOOTREPLY of " + std::to_string(datagram.size()) + " bytes has no subnet mask";
            return reading;
        }
        answer.mask = IpAt(datagram, kBootpMaskAt);
        reading.answer = answer;
        return reading;
    }
    // Every option must lie inside the datagram, and the list must end with the end option.
    std::optional<std::uint8_t> type;
    bool ended = false;
    for (std::size_t at = kOptionsAt; at < datagram.size();) {
        const std::uint8_t code = datagram[at];
        if (code == kPad) {
            ++at;
            continue;
        }
        if (code == kEnd) {
            ended = true;
            break;
        }
        if (at + 1 >= datagram.size() || at + 2 + datagram[at + 1] > datagram.size()) {
            reading.problem = "option " + std::to_string(code) + " at " + std::to_string(at) + " runs past the end";
            return reading;
        }
        const std::size_t size = datagram[at + 1];
        const auto value = datagram.subspan(at + 2, size);
        const auto wrongSize = [&] {
            reading.problem = "option " + std::to_string(code) + " of length " + std::to_string(size);
            return reading;
        };
        switch (code) {
        case kOptType:
            if (size != 1) {
                return wrongSize();
            }
            type = value[0];
            break;
        case kOptMask:
        case kOptServerId:
            if (size != 4) {
                return wrongSize();
            }
            (code == kOptMask ? answer.mask : answer.serverId) = IpAt(value, 0);
            break;
        case kOptRouter:
            if (size == 0 || size % 4 != 0) {
                return wrongSize();
            }
            for (std::size_t i = 0; i < size; i += 4) {
                answer.routers.push_back(IpAt(value, i));
            }
            break;
        case kOptLease:
            if (size != 4) {
                return wrongSize();
            }
            answer.lease = static_cast<std::uint32_t>(value[0]) << 24 | static_cast<std::uint32_t>(value[1]) << 16 |
                           static_cast<std::uint32_t>(value[2]) << 8 | value[3];
            break;
        default:
            break;
        }
        at += 2 + size;
    }
    if (!ended) {
        reading.problem = "no end option";
        return reading;
    }
    if (!type) {
        reading.problem = "no message type";
        return reading;
    }
    answer.type = *type;
    reading.answer = answer;
    return reading;
}

std::string DhcpClient::Describe(const Answer& answer)
{
    std::string routers;
    for (const Ip4& router : answer.routers) {
        routers += (routers.empty() ? "" : ",") + IpToText(router);
    }
    return "length=" + std::to_string(answer.length) + " yiaddr=" + IpToText(answer.yiaddr) +
           " siaddr=" + IpToText(answer.siaddr) + " giaddr=" + IpToText(answer.giaddr) +
           " mask=" + Optional(answer.mask) + " router=" + (routers.empty() ? "-" : routers) +
           " lease=" + (answer.lease ? std::to_string(*answer.lease) : "-") + " server=" + Optional(answer.serverId);
}

const char* DhcpClient::TypeName(std::uint8_t type)
{
    switch (type) {
    case kBootp:
        return "BOOTREPLY";
    case kDiscover:
        return "DISCOVER";
    case kOffer:
        return "OFFER";
    case kRequest:
        return "REQUEST";
    case kDecline:
        return "DECLINE";
    case kAck:
        return "ACK";
    case kNak:
        return "NAK";
    default:
        return "message of an unknown type";
    }
}

bool DhcpClient::Open()
{
    if (!m_logPath.empty()) {
        m_log = std::fopen(m_logPath.c_str(), "w");
        if (!m_log) {
            SayErr("cannot write the log " + m_logPath + ": " + std::strerror(errno));
            return false;
        }
    }
    m_socket = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (m_socket < 0) {
        SayErr(std::string("cannot create a UDP socket: ") + std::strerror(errno));
        return false;
    }
    const int on = 1;
    ::setsockopt(m_socket, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (::setsockopt(m_socket, SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0) {
        SayErr(std::string("cannot enable broadcast: ") + std::strerror(errno));
        return false;
    }
    // A device without an address: the requests leave by this interface from 0.0.0.0, and the
    // broadcast answers are taken from it alone.
    if (!m_options.interface.empty() && ::setsockopt(m_socket, SOL_SOCKET, SO_BINDTODEVICE, m_options.interface.c_str(),
                                                     static_cast<socklen_t>(m_options.interface.size())) != 0) {
        SayErr("cannot use the interface " + m_options.interface + ": " + std::strerror(errno));
        return false;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(kClientPort);
    if (::bind(m_socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        SayErr("cannot listen on 0.0.0.0:" + std::to_string(kClientPort) + ": " + std::strerror(errno));
        return false;
    }
    SayOut(std::string(m_options.mode == ClientOptions::Mode::Dhcp ? "DHCP" : "BOOTP") + " client " +
           MacToText(m_options.mac) + (m_options.interface.empty() ? "" : " on " + m_options.interface) + ", xid " +
           XidText(m_xid));
    SayOut("listening on 0.0.0.0:" + std::to_string(kClientPort));
    return true;
}

int DhcpClient::Run()
{
    if (!Open()) {
        return 1;
    }
    const Mac& mac = m_options.mac;
    const Layout layout{m_options.typeLast, m_options.length};
    if (m_options.mode == ClientOptions::Mode::Bootp) {
        return Exchange(BuildBootp(mac, m_xid, layout), kBootp, kBootp) ? 0 : 1;
    }
    const std::optional<Answer> offer = Exchange(BuildDiscover(mac, m_xid, layout), kDiscover, kOffer);
    if (!offer) {
        return 1;
    }
    std::optional<Ip4> server;
    if (!m_options.noServerId) {
        server = m_options.serverId.value_or(offer->siaddr);
    }
    return Exchange(BuildRequest(mac, m_xid, offer->yiaddr, server, layout), kRequest, kAck) ? 0 : 1;
}

std::optional<DhcpClient::Answer> DhcpClient::Exchange(const Bytes& request, std::uint8_t sent, std::uint8_t expected)
{
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(kServerPort);
    std::memcpy(&to.sin_addr, m_options.server.data(), 4);
    const std::string name = sent == kBootp ? "BOOTREQUEST" : TypeName(sent);
    for (unsigned attempt = 1; attempt <= m_options.tries; ++attempt) {
        const ssize_t count =
            ::sendto(m_socket, request.data(), request.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
        if (count != static_cast<ssize_t>(request.size())) {
            SayErr("cannot send the " + name + ": " + std::strerror(errno));
            return std::nullopt;
        }
        SayOut("sent " + name + " xid=" + XidText(m_xid) + " length=" + std::to_string(request.size()) + " to " +
               IpToText(m_options.server) + ":" + std::to_string(kServerPort));
        Note("sent " + HexLine(request));
        if (std::optional<Answer> answer = Await(static_cast<int>(m_options.waitMs), expected)) {
            return answer;
        }
    }
    SayOut(std::string("no ") + TypeName(expected) + " after " + std::to_string(m_options.tries) +
           (m_options.tries == 1 ? " try" : " tries"));
    return std::nullopt;
}

std::optional<DhcpClient::Answer> DhcpClient::Await(int waitMs, std::uint8_t expected)
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(waitMs);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            return std::nullopt;
        }
        pollfd fd{m_socket, POLLIN, 0};
        const int ready = ::poll(&fd, 1, static_cast<int>(left));
        if (ready < 0 && errno != EINTR) {
            SayErr(std::string("poll failed: ") + std::strerror(errno));
            return std::nullopt;
        }
        if (ready <= 0) {
            continue;
        }
        sockaddr_in from{};
        socklen_t fromLength = sizeof from;
        const ssize_t got = ::recvfrom(m_socket, m_buffer.data(), m_buffer.size(), MSG_DONTWAIT,
                                       reinterpret_cast<sockaddr*>(&from), &fromLength);
        if (got < 0) {
            continue;
        }
        const std::span<const std::uint8_t> datagram(m_buffer.data(), static_cast<std::size_t>(got));
        if (m_log) {
            std::fprintf(m_log, "%s\n", HexLine(datagram).c_str());
            std::fflush(m_log);
        }
        char source[INET_ADDRSTRLEN] = {};
        inet_ntop(AF_INET, &from.sin_addr, source, sizeof source);
        const Reading reading = ReadAnswer(datagram, m_options.mac, m_xid);
        if (!reading.answer) {
            SayErr("ignored " + std::to_string(got) + " bytes from " + source + ": " + reading.problem);
            continue;
        }
        const Answer& answer = *reading.answer;
        SayOut(std::string("got ") + TypeName(answer.type) + " from " + source + " " + Describe(answer));
        if (answer.type == expected) {
            return answer;
        }
        if (answer.type == kNak) {
            return std::nullopt;
        }
    }
}

void DhcpClient::Note(const std::string& line) const
{
    if (m_verbose) {
        SayErr(line);
    }
}

} // namespace devicesim
