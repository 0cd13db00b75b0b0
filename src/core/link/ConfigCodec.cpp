#include "core/link/ConfigCodec.h"

#include "core/link/CommandCodec.h"

#include <algorithm>

namespace corvane {

namespace {

struct BaudChoice
{
    const char* label;
    std::uint16_t divisor;
};

constexpr BaudChoice kBaudChoices[kBaudChoiceCount] = {
    {"150", 768}, {"300", 384}, {"600", 192}, {"1200", 96}, {"2400", 48}, {"3600", 32},  {"4800", 24},
    {"7200", 16}, {"9600", 12}, {"19200", 6}, {"38400", 3}, {"57600", 2}, {"115200", 1},
};

void PutBigEndian16(Datagram& out, std::size_t offset, unsigned value)
{
    out[offset] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
    out[offset + 1] = static_cast<std::uint8_t>(value & 0xFF);
}

void PutIp(Datagram& out, std::size_t offset, const Ipv4Address& ip)
{
    std::copy(ip.begin(), ip.end(), out.begin() + static_cast<std::ptrdiff_t>(offset));
}

} // namespace

std::uint8_t NotifierIntervalByte(int hours, int minutes)
{
    const int seconds = hours * 3600 + minutes * 60;
    int units = seconds / 91;
    if (seconds % 91 >= 46) {
        ++units;
    }
    const auto byte = static_cast<std::uint8_t>(units & 0xFF);
    return byte == 0 ? 1 : byte;
}

std::uint8_t NetworkModeByte(IpMode ipMode, TcpMode tcpMode)
{
    std::uint8_t mode = ipMode == IpMode::Static ? 4 : 0;
    if (tcpMode == TcpMode::Server) {
        mode += 1;
    } else if (tcpMode == TcpMode::ServerAndClient) {
        mode += 2;
    }
    return mode;
}

const char* BaudLabel(int index)
{
    return index >= 0 && index < kBaudChoiceCount ? kBaudChoices[index].label : "";
}

std::uint16_t BaudDivisor(int index)
{
    return index >= 0 && index < kBaudChoiceCount ? kBaudChoices[index].divisor : 0;
}

std::uint8_t LineFormatByte(Parity parity, int dataBits, StopBits stopBits)
{
    std::uint8_t byte = static_cast<std::uint8_t>(std::clamp(dataBits, 5, 8) - 5);
    if (stopBits != StopBits::One) {
        byte |= 0x04;
    }
    if (parity == Parity::Odd) {
        byte |= 0x08;
    } else if (parity == Parity::Even) {
        byte |= 0x18;
    }
    return byte;
}

std::uint16_t SerialTimeValue(int serialTime, bool unlimited)
{
    return static_cast<std::uint16_t>(unlimited ? 255 : serialTime * 5 / 2);
}

Datagram BuildNetworkModeRequest(const MacAddress& mac, std::string_view id, std::string_view password,
                                 const NetworkModeSettings& settings)
{
    Datagram request(45, 0);
    BuildCommandHeader(request, mac, id, password, kCmdNetworkMode);
    request[23] = NotifierIntervalByte(settings.notifierHours, settings.notifierMinutes);
    request[24] = NetworkModeByte(settings.ipMode, settings.tcpMode);
    PutBigEndian16(request, 25, static_cast<unsigned>(settings.devicePort));
    PutIp(request, 27, settings.serverIp);
    PutBigEndian16(request, 31, static_cast<unsigned>(settings.serverPort));
    PutIp(request, 33, settings.dataServerIp);
    return request;
}

Datagram BuildSerialRequest(const MacAddress& mac, std::string_view id, std::string_view password,
                            const SerialSettings& settings)
{
    Datagram request(30, 0);
    BuildCommandHeader(request, mac, id, password, kCmdSerial);
    PutBigEndian16(request, 23, BaudDivisor(settings.baudIndex));
    request[25] = LineFormatByte(settings.parity, settings.dataBits, settings.stopBits);
    request[26] = static_cast<std::uint8_t>(settings.flow);
    PutBigEndian16(request, 27, SerialTimeValue(settings.serialTime, settings.unlimitedTime));
    return request;
}

Datagram BuildConfirmRequest(const MacAddress& mac, std::string_view id, std::string_view password)
{
    Datagram request(30, 0);
    BuildCommandHeader(request, mac, id, password, kCmdConfirmPassword);
    return request;
}

Datagram BuildChangeRequest(const MacAddress& mac, std::string_view id, std::string_view password,
                            std::string_view newId, std::string_view newPassword)
{
    Datagram request(45, 0);
    BuildCommandHeader(request, mac, id, password, kCmdChangePassword);
    PutTextField(request, 23, newId);
    PutTextField(request, 31, newPassword);
    return request;
}

std::string ReplyText(std::span<const std::uint8_t> received, std::size_t offset)
{
    received = received.first(std::min(received.size(), kReplyBufferSize));
    std::string text;
    for (std::size_t i = offset; i < received.size() && received[i] != 0 && text.size() < kTextFieldSize; ++i) {
        text.push_back(static_cast<char>(received[i]));
    }
    return text;
}

ConfigReply ParseConfigReply(std::span<const std::uint8_t> received)
{
    received = received.first(std::min(received.size(), kReplyBufferSize));
    ConfigReply reply;
    reply.command = received.size() > 22 ? received[22] : 0;
    reply.ok = IsStatusOk(received);
    std::copy_n(received.begin(), std::min(received.size(), reply.mac.size()), reply.mac.begin());
    reply.id = ReplyText(received, 6);
    reply.password = ReplyText(received, 14);
    reply.newId = ReplyText(received, 25);
    reply.newPassword = ReplyText(received, 33);
    return reply;
}

} // namespace corvane
