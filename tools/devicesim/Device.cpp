#include "Device.h"

#include <algorithm>

namespace devicesim {

namespace {

// Offsets of the system information in a find reply.
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
constexpr std::size_t kOffPowerOn = 152;
constexpr std::size_t kOffMode = 178;
constexpr std::size_t kOffServerIp = 181;
constexpr std::size_t kOffServerPort = 185;
constexpr std::size_t kOffCurMode = 192;
constexpr std::size_t kOffRouter = 204;
constexpr std::size_t kFindReplyLength = 208;

// The change reply repeats the new ID and password after the status.
constexpr std::size_t kOffNewId = 25;
constexpr std::size_t kOffNewPassword = 33;

constexpr std::size_t kOversizeLength = 300;
constexpr std::size_t kMaxGarbageLength = 22;
// One power-on tick is 5675 ns; the counter is 40 bits wide.
constexpr std::uint64_t kTickNanoseconds = 5675;
constexpr std::uint64_t kPowerOnMask = (std::uint64_t{1} << 40) - 1;

void PutText(Bytes& out, std::size_t offset, const std::string& text)
{
    for (std::size_t i = 0; i < kTextSize; ++i) {
        out[offset + i] = i < text.size() ? static_cast<std::uint8_t>(text[i]) : 0;
    }
}

template <std::size_t N>
void PutArray(Bytes& out, std::size_t offset, const std::array<std::uint8_t, N>& bytes)
{
    std::copy(bytes.begin(), bytes.end(), out.begin() + static_cast<std::ptrdiff_t>(offset));
}

const char* BehaviourName(Behaviour behaviour)
{
    switch (behaviour) {
    case Behaviour::Normal:
        return "normal";
    case Behaviour::Refuse:
        return "refuse";
    case Behaviour::WrongCode:
        return "wrong-code";
    case Behaviour::OtherMac:
        return "other-mac";
    case Behaviour::Silent:
        return "silent";
    case Behaviour::Oversize:
        return "oversize";
    case Behaviour::Garbage:
        return "garbage";
    case Behaviour::Empty:
        return "empty";
    }
    return "?";
}

} // namespace

Device::Device(DeviceSettings settings, Clock::time_point poweredOn)
    : m_settings(std::move(settings)), m_poweredOn(poweredOn),
      m_noise(0x9E3779B9u ^ (static_cast<std::uint32_t>(m_settings.mac[4]) << 8 | m_settings.mac[5]))
{}

bool Device::Takes(const Mac& target) const
{
    return m_settings.answerAny || target == m_settings.mac;
}

std::size_t Device::ReplyLength(std::uint8_t command)
{
    return command == kFindIp ? kFindReplyLength : RequestLength(command);
}

Device::Answer Device::Handle(const Request& request, Clock::time_point now)
{
    Answer answer;
    bool accepted = false;
    if (m_settings.behaviour == Behaviour::Refuse) {
        answer.notes.push_back("refused, as behave=refuse says");
    } else if (request.id != m_settings.id || request.password != m_settings.password) {
        answer.notes.push_back("refused: wrong ID or password");
    } else if (const std::string problem = CheckSettings(request); !problem.empty()) {
        answer.notes.push_back("refused: " + problem);
    } else {
        accepted = true;
        answer.notes.push_back(Carry(request));
    }
    answer.datagram = BuildReply(request, accepted, now);
    if (m_settings.mute.test(request.command)) {
        answer.notes.push_back("not answering, as mute says");
        answer.datagram.reset();
        return answer;
    }
    Spoil(answer.datagram);
    answer.delay = std::chrono::milliseconds(m_settings.delayMs);
    if (m_settings.behaviour != Behaviour::Normal && m_settings.behaviour != Behaviour::Refuse) {
        answer.notes.push_back(std::string("reply spoiled: ") + BehaviourName(m_settings.behaviour));
    }
    return answer;
}

std::string Device::Carry(const Request& request)
{
    switch (request.command) {
    case kFindIp:
        return "found, IP " + IpToText(m_settings.ip);
    case kClearIp: {
        const std::string was = IpToText(m_settings.ip);
        m_settings.ip = {};
        return "IP cleared (was " + was + ")";
    }
    case kNetworkMode: {
        const NetworkModeFields& n = request.network;
        m_settings.notifier = n.notifier;
        m_settings.mode = n.mode;
        m_settings.basePort = n.devicePort;
        m_settings.serverIp = n.serverIp;
        m_settings.serverPort = n.serverPort;
        m_settings.dataServerIp = n.dataServerIp;
        return "network mode now " + DescribeNetworkMode(n);
    }
    case kSerial: {
        const SerialFields& s = request.serial;
        m_settings.divisor = s.divisor;
        m_settings.lineFormat = s.lineFormat;
        m_settings.flow = s.flow;
        m_settings.serialTime = s.time;
        return "serial now " + DescribeSerial(s);
    }
    case kConfirmPassword:
        return "ID and password confirmed";
    case kChangePassword:
        m_settings.id = request.newId;
        m_settings.password = request.newPassword;
        return "ID now " + Quoted(m_settings.id) + ", password now " + Quoted(m_settings.password);
    default:
        return {};
    }
}

Bytes Device::BuildReply(const Request& request, bool accepted, Clock::time_point now) const
{
    Bytes reply(ReplyLength(request.command), 0);
    PutArray(reply, 0, m_settings.mac);
    reply[22] = request.command;
    if (!accepted) {
        // A refusal tells nothing about the device's credentials.
        reply[kOffStatus] = 'N';
        reply[kOffStatus + 1] = 'O';
        return reply;
    }
    PutText(reply, 6, m_settings.id);
    PutText(reply, 14, m_settings.password);
    reply[kOffStatus] = 'O';
    reply[kOffStatus + 1] = 'K';
    if (request.command == kFindIp) {
        PutSystemInfo(reply, now);
    } else if (request.command == kChangePassword) {
        PutText(reply, kOffNewId, m_settings.id);
        PutText(reply, kOffNewPassword, m_settings.password);
    }
    return reply;
}

void Device::PutSystemInfo(Bytes& reply, Clock::time_point now) const
{
    const DeviceSettings& s = m_settings;
    PutArray(reply, kOffMac, s.mac);
    PutBigEndian16(reply, kOffBasePort, s.basePort);
    PutArray(reply, kOffIp, s.ip);
    reply[kOffTcpState] = s.tcpState;
    PutBigEndian16(reply, kOffCurPort, s.curPort);
    PutBigEndian16(reply, kOffClientPort, s.clientPort);
    PutArray(reply, kOffClientMac, s.clientMac);
    PutArray(reply, kOffClientIp, s.clientIp);
    PutArray(reply, kOffServerMac, s.serverMac);
    PutLittleEndian(reply, kOffStateTimer, s.stateTimer, 4);
    std::uint64_t powerOn = 0;
    if (s.powerOn) {
        powerOn = *s.powerOn;
    } else {
        const auto elapsed = std::chrono::duration_cast<std::chrono::nanoseconds>(now - m_poweredOn).count();
        powerOn = static_cast<std::uint64_t>(std::max<std::int64_t>(elapsed, 0)) / kTickNanoseconds;
    }
    PutLittleEndian(reply, kOffPowerOn, powerOn & kPowerOnMask, 5);
    reply[kOffMode] = s.mode;
    PutArray(reply, kOffServerIp, s.serverIp);
    PutBigEndian16(reply, kOffServerPort, s.serverPort);
    reply[kOffCurMode] = s.curMode;
    PutArray(reply, kOffRouter, s.router);
}

void Device::Spoil(std::optional<Bytes>& reply)
{
    Bytes& bytes = *reply;
    switch (m_settings.behaviour) {
    case Behaviour::Normal:
    case Behaviour::Refuse:
        break;
    case Behaviour::WrongCode:
        bytes[22] = static_cast<std::uint8_t>(~bytes[22]);
        break;
    case Behaviour::OtherMac: {
        Mac other = m_settings.mac;
        other[5] ^= 0x01;
        PutArray(bytes, 0, m_settings.otherMac.value_or(other));
        break;
    }
    case Behaviour::Silent:
        reply.reset();
        return;
    case Behaviour::Oversize:
        bytes.resize(m_settings.size.value_or(kOversizeLength), 0);
        return;
    case Behaviour::Garbage: {
        // A small xorshift generator: noise that differs from reply to reply but repeats from run to run.
        auto next = [this] {
            m_noise ^= m_noise << 13;
            m_noise ^= m_noise >> 17;
            m_noise ^= m_noise << 5;
            return m_noise;
        };
        bytes.resize(1 + next() % kMaxGarbageLength);
        for (auto& byte : bytes) {
            byte = static_cast<std::uint8_t>(next() >> 24);
        }
        break;
    }
    case Behaviour::Empty:
        bytes.clear();
        return;
    }
    if (m_settings.size) {
        bytes.resize(*m_settings.size, 0);
    }
}

std::string Device::Summary() const
{
    const DeviceSettings& s = m_settings;
    std::string line =
        MacToText(s.mac) + " IP " + IpToText(s.ip) + ", ID " + Quoted(s.id) + ", password " + Quoted(s.password);
    if (s.behaviour != Behaviour::Normal) {
        line += std::string(", behave=") + BehaviourName(s.behaviour);
    }
    if (s.delayMs > 0) {
        line += ", delay=" + std::to_string(s.delayMs);
    }
    if (s.answerAny) {
        line += ", answer=any";
    }
    if (s.size) {
        line += ", size=" + std::to_string(*s.size);
    }
    return line;
}

} // namespace devicesim
