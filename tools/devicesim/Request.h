#pragma once

#include "Wire.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace devicesim {

// Command codes a device server answers on UDP port 1024.
enum Command : std::uint8_t
{
    kFindIp = 0x35,
    kClearIp = 0x36,
    kSerial = 0x71,
    kNetworkMode = 0x72,
    kConfirmPassword = 0x98,
    kChangePassword = 0x99,
};

// Every request starts with the target MAC (0-5), ID (6-13), password (14-21) and command (22).
inline constexpr std::size_t kHeaderSize = 23;
inline constexpr std::size_t kTextSize = 8;

// The length a request of this command has; 0 for a code no device knows.
std::size_t RequestLength(std::uint8_t command);
// "IP find", "serial", ... or "unknown command 0x12".
std::string CommandName(std::uint8_t command);

// Settings carried by a network-mode request (0x72).
struct NetworkModeFields
{
    std::uint8_t notifier = 0; // units of 91 seconds
    std::uint8_t mode = 0;     // bit 2 static address; bits 0-1: 0 client, 1 server, 2 both
    std::uint16_t devicePort = 0;
    Ip4 serverIp{};
    std::uint16_t serverPort = 0;
    Ip4 dataServerIp{};
};

// Settings carried by a serial-line request (0x71).
struct SerialFields
{
    std::uint16_t divisor = 0;   // 115200 / baud rate
    std::uint8_t lineFormat = 0; // 16550 line control register: data bits, stop bits, parity
    std::uint8_t flow = 0;       // 1 none, 2 hardware, 3 XON/XOFF
    std::uint16_t time = 0;      // 5 to 250, or 255 for unlimited
};

// One request as the device reads it.
struct Request
{
    Mac target{};
    std::string id;
    std::string password;
    std::uint8_t command = 0;
    NetworkModeFields network;
    SerialFields serial;
    std::string newId;       // change request only
    std::string newPassword; // change request only
};

struct ParsedRequest
{
    std::optional<Request> request;
    // Why the bytes are not a request a device would act on; empty when `request` is set.
    std::string problem;
};

// Reads a request, strictly: the length must be the command's, the IP find and clear requests
// must repeat the target MAC, text fields must be zero after their text and reserved bytes zero.
ParsedRequest ParseRequest(std::span<const std::uint8_t> datagram);

// Empty when the settings a network-mode or serial request carries are values a device can
// take, else what is wrong with them.
std::string CheckSettings(const Request& request);

// One line for the operator: command, target, credentials and the settings carried.
std::string DescribeRequest(const Request& request);
std::string DescribeNetworkMode(const NetworkModeFields& fields);
std::string DescribeSerial(const SerialFields& fields);

} // namespace devicesim
