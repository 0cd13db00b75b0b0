#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace corvane {

// A MAC address as six bytes in transmission order.
using MacAddress = std::array<std::uint8_t, 6>;
// An IPv4 address as four octets, first octet first.
using Ipv4Address = std::array<std::uint8_t, 4>;
// One UDP datagram.
using Datagram = std::vector<std::uint8_t>;

// Every device request goes to this UDP port, broadcast or directed.
inline constexpr std::uint16_t kDevicePort = 1024;
// Replies are read into a zeroed buffer of this size; a longer datagram is a failed read.
inline constexpr std::size_t kReplyBufferSize = 210;
// The ID and password fields of a request and a reply: the text's bytes, zero-padded.
inline constexpr std::size_t kTextFieldSize = 8;
// Length of the command header that starts every request.
inline constexpr std::size_t kCommandHeaderSize = 23;

enum CommandCode : std::uint8_t
{
    kCmdFindIp = 0x35,
    kCmdClearIp = 0x36,
    kCmdNetworkMode = 0x72,
    kCmdSerial = 0x71,
    kCmdConfirmPassword = 0x98,
    kCmdChangePassword = 0x99,
};

} // namespace corvane
