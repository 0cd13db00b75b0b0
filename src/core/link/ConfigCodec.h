#pragma once

#include "core/link/ProtocolTypes.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace corvane {

enum class IpMode
{
    Dynamic,
    Static,
};

enum class TcpMode
{
    Client,
    Server,
    ServerAndClient,
};

struct NetworkModeSettings
{
    int notifierHours = 0;   // 0 to 6
    int notifierMinutes = 0; // 0 to 59
    IpMode ipMode = IpMode::Dynamic;
    TcpMode tcpMode = TcpMode::Client;
    int devicePort = 0;
    Ipv4Address serverIp{};
    int serverPort = 0;
    Ipv4Address dataServerIp{};
};

enum class Parity
{
    None,
    Odd,
    Even,
};

enum class StopBits
{
    One,
    OneAndHalf,
    Two,
};

enum class FlowControl : std::uint8_t
{
    None = 1,
    Hardware = 2,
    XonXoff = 3,
};

inline constexpr int kBaudChoiceCount = 13;

// What the Network Mode and Serial pages show first: ports 6001, a notifier of five minutes, a
// serial time of 4.
inline constexpr int kDefaultTcpPort = 6001;
inline constexpr int kDefaultNotifierMinutes = 5;
inline constexpr int kDefaultSerialTime = 4;

struct SerialSettings
{
    int baudIndex = 8; // "9600"
    Parity parity = Parity::None;
    int dataBits = 8; // 5 to 8
    StopBits stopBits = StopBits::One;
    FlowControl flow = FlowControl::None;
    int serialTime = 2; // 2 to 100 unless unlimited
    bool unlimitedTime = false;
};

// Notifier interval in units of 91 seconds, rounded to the nearest unit; never 0.
std::uint8_t NotifierIntervalByte(int hours, int minutes);
// Bit 2 marks a static address; bits 0 and 1 hold the TCP role.
std::uint8_t NetworkModeByte(IpMode ipMode, TcpMode tcpMode);

// The baud choices "150" to "115200" and their UART divisors (115200 / rate).
const char* BaudLabel(int index);
std::uint16_t BaudDivisor(int index);
// Line control register layout: data bits in bits 0-1, stop bits in bit 2, parity in bits 3-4.
std::uint8_t LineFormatByte(Parity parity, int dataBits, StopBits stopBits);
// The entered time times 2.5, truncated; 255 when unlimited.
std::uint16_t SerialTimeValue(int serialTime, bool unlimited);

Datagram BuildNetworkModeRequest(const MacAddress& mac, std::string_view id, std::string_view password,
                                 const NetworkModeSettings& settings);
Datagram BuildSerialRequest(const MacAddress& mac, std::string_view id, std::string_view password,
                            const SerialSettings& settings);
Datagram BuildConfirmRequest(const MacAddress& mac, std::string_view id, std::string_view password);
Datagram BuildChangeRequest(const MacAddress& mac, std::string_view id, std::string_view password,
                            std::string_view newId, std::string_view newPassword);

struct ConfigReply
{
    std::uint8_t command = 0;
    bool ok = false;
    MacAddress mac{};
    std::string id;
    std::string password;
    std::string newId;
    std::string newPassword;
};

// Decodes a configuration reply; bytes past the received length read as zero.
ConfigReply ParseConfigReply(std::span<const std::uint8_t> received);

// A text field of a reply: the characters from `offset` to the first zero byte or the end of
// the received bytes, at most 8.
std::string ReplyText(std::span<const std::uint8_t> received, std::size_t offset);

} // namespace corvane
