#include "core/link/CommandCodec.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace corvane {

namespace {

// Offsets of the IP-find reply fields.
constexpr std::size_t kOffStatus = 23;
constexpr std::size_t kOffMac = 25;
constexpr std::size_t kOffBasePort = 31;
constexpr std::size_t kOffIp = 33;
constexpr std::size_t kOffTcpState = 49;
constexpr std::size_t kOffCurPort = 65;
constexpr std::size_t kOffClientPort = 67;
constexpr std::size_t kOffClientMac = 129;
constexpr std::size_t kOffClientIp = 135;
constexpr std::size_t kOffServerMac = 139;
constexpr std::size_t kOffStateTimer = 148;
constexpr std::size_t kOffPowerOnTimer = 152;
constexpr std::size_t kOffModeByte = 178;
constexpr std::size_t kOffServerIp = 181;
constexpr std::size_t kOffServerPort = 185;
constexpr std::size_t kOffCurTcpMode = 192;
constexpr std::size_t kOffRouter = 204;

// The received bytes copied into a zeroed reply buffer, as the socket read leaves them.
std::array<std::uint8_t, kReplyBufferSize> ReplyBuffer(std::span<const std::uint8_t> received)
{
    std::array<std::uint8_t, kReplyBufferSize> buf{};
    std::copy_n(received.begin(), std::min(received.size(), buf.size()), buf.begin());
    return buf;
}

template <std::size_t N>
MacAddress MacAt(const std::array<std::uint8_t, N>& buf, std::size_t offset)
{
    MacAddress mac{};
    std::copy_n(buf.begin() + static_cast<std::ptrdiff_t>(offset), mac.size(), mac.begin());
    return mac;
}

template <std::size_t N>
Ipv4Address IpAt(const std::array<std::uint8_t, N>& buf, std::size_t offset)
{
    Ipv4Address ip{};
    std::copy_n(buf.begin() + static_cast<std::ptrdiff_t>(offset), ip.size(), ip.begin());
    return ip;
}

Datagram BuildMacRepeatRequest(const MacAddress& mac, std::string_view id, std::string_view password,
                               std::uint8_t command)
{
    Datagram request(32, 0);
    BuildCommandHeader(request, mac, id, password, command);
    std::copy(mac.begin(), mac.end(), request.begin() + kCommandHeaderSize);
    return request;
}

} // namespace

void PutTextField(Datagram& request, std::size_t offset, std::string_view text)
{
    for (std::size_t i = 0; i < kTextFieldSize; ++i) {
        request[offset + i] = i < text.size() ? static_cast<std::uint8_t>(text[i]) : 0;
    }
}

void BuildCommandHeader(Datagram& request, const MacAddress& mac, std::string_view id, std::string_view password,
                        std::uint8_t command)
{
    std::copy(mac.begin(), mac.end(), request.begin());
    PutTextField(request, 6, id);
    PutTextField(request, 14, password);
    request[22] = command;
}

Datagram BuildFindRequest(const MacAddress& mac, std::string_view id, std::string_view password)
{
    return BuildMacRepeatRequest(mac, id, password, kCmdFindIp);
}

Datagram BuildClearRequest(const MacAddress& mac, std::string_view id, std::string_view password)
{
    return BuildMacRepeatRequest(mac, id, password, kCmdClearIp);
}

bool IsStatusOk(std::span<const std::uint8_t> received)
{
    return received.size() > kOffStatus + 1 && received[kOffStatus] == 'O' && received[kOffStatus + 1] == 'K';
}

FindReply ParseFindReply(std::span<const std::uint8_t> received, const MacAddress& target)
{
    FindReply reply;
    const auto buf = ReplyBuffer(received);
    if (!IsStatusOk(buf)) {
        reply.outcome = FindOutcome::Refused;
        return reply;
    }
    if (MacAt(buf, 0) != target) {
        reply.outcome = FindOutcome::OtherDevice;
        return reply;
    }
    reply.outcome = FindOutcome::Found;
    reply.ip = IpAt(buf, kOffIp);

    auto port = [&](std::size_t off) { return PortText(buf[off], buf[off + 1]); };
    SysInfoRecord& r = reply.record;
    r.m_strMac = MacText(MacAt(buf, kOffMac));
    r.m_strBasePort = port(kOffBasePort);
    r.m_strIP = IpText(reply.ip);
    r.m_nTcpState = buf[kOffTcpState];
    r.m_strCurPort = port(kOffCurPort);
    r.m_strClientPort = port(kOffClientPort);
    r.m_strClientMac = MacText(MacAt(buf, kOffClientMac));
    r.m_strClientIP = IpText(IpAt(buf, kOffClientIp));
    r.m_strServerMac = MacText(MacAt(buf, kOffServerMac));

    std::uint32_t stateTicks = 0;
    for (int i = 3; i >= 0; --i) {
        stateTicks = (stateTicks << 8) | buf[kOffStateTimer + static_cast<std::size_t>(i)];
    }
    r.m_strStateTimer = StateTimerText(stateTicks);

    std::uint64_t powerTicks = 0;
    for (int i = 4; i >= 0; --i) {
        powerTicks = (powerTicks << 8) | buf[kOffPowerOnTimer + static_cast<std::size_t>(i)];
    }
    r.m_strPowerOnTimer = PowerOnTimerText(powerTicks);

    r.m_nIpMode = buf[kOffModeByte];
    r.m_nTcpMode = buf[kOffModeByte];
    r.m_strServerIP = IpText(IpAt(buf, kOffServerIp));
    r.m_strServerPort = port(kOffServerPort);
    r.m_nCurTcpMode = buf[kOffCurTcpMode];
    r.m_strRouter = IpText(IpAt(buf, kOffRouter));
    return reply;
}

ClearOutcome ParseClearReply(std::span<const std::uint8_t> received)
{
    const auto buf = ReplyBuffer(received);
    if (buf[22] != kCmdClearIp) {
        return ClearOutcome::NotClearReply;
    }
    return IsStatusOk(buf) ? ClearOutcome::Cleared : ClearOutcome::Refused;
}

std::string MacText(const MacAddress& mac)
{
    char text[18];
    std::snprintf(text, sizeof text, "%02X:%02X:%02X:%02X:%02X:%02X", mac[0], mac[1], mac[2], mac[3], mac[4], mac[5]);
    return text;
}

std::string MacKey(const MacAddress& mac)
{
    char key[13] = {};
    std::snprintf(key, sizeof key, "%02X%02X%02X%02X%02X%02X", mac[0], mac[1], mac[2], mac[3], mac[4], mac[5]);
    return key;
}

std::string IpText(const Ipv4Address& ip)
{
    return std::to_string(ip[0]) + '.' + std::to_string(ip[1]) + '.' + std::to_string(ip[2]) + '.' +
           std::to_string(ip[3]);
}

std::string PortText(std::uint8_t high, std::uint8_t low)
{
    return std::to_string(high * 256 + low);
}

std::uint64_t StateTimerMilliseconds(std::uint32_t ticks)
{
    return std::uint64_t{ticks} * 227 * 25 / 1000000;
}

std::string StateTimerText(std::uint32_t ticks)
{
    return std::to_string(StateTimerMilliseconds(ticks));
}

std::uint64_t PowerOnSeconds(std::uint64_t ticks)
{
    return ticks * 227 * 25 / 1000000000;
}

std::string PowerOnTimerText(std::uint64_t ticks)
{
    const std::uint64_t seconds = PowerOnSeconds(ticks);
    return std::to_string(seconds / 60) + " (m) " + std::to_string(seconds % 60) + " (s)";
}

std::string IpSetupModeText(int ipMode)
{
    return static_cast<unsigned>(ipMode) < 4 ? "Dynamic DHCP" : "Static DHCP";
}

std::string TcpModeSetupText(int ipMode, int tcpMode)
{
    const int t = static_cast<unsigned>(ipMode) >= 4 ? tcpMode - 4 : tcpMode;
    if (t == 2) {
        return "Client and Server";
    }
    return t == 1 ? "Server" : "Client";
}

std::string CurrentTcpStateText(int tcpState)
{
    return tcpState == 1 ? "listen" : "connect";
}

std::string CurrentTcpModeText(int curTcpMode)
{
    if (curTcpMode == 1) {
        return "Server";
    }
    return curTcpMode == 2 ? "Client" : "Invalid State";
}

} // namespace corvane
