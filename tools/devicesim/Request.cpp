#include "Request.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace devicesim {

namespace {

// Baud-rate divisors of a UART clocked for 115200 baud at divisor 1, as the utility offers them.
constexpr std::array<std::uint16_t, 13> kDivisors = {768, 384, 192, 96, 48, 32, 24, 16, 12, 6, 3, 2, 1};

constexpr std::uint16_t kUnlimitedSerialTime = 255;

// A text field: its bytes up to the first zero (at most 8). `clean` is false when a non-zero byte
// follows that zero, which no sender that pads its texts with zeros produces.
std::string TextAt(std::span<const std::uint8_t> in, std::size_t offset, bool& clean)
{
    std::string text;
    std::size_t i = 0;
    for (; i < kTextSize && in[offset + i] != 0; ++i) {
        text += static_cast<char>(in[offset + i]);
    }
    for (; i < kTextSize; ++i) {
        if (in[offset + i] != 0) {
            clean = false;
        }
    }
    return text;
}

Ip4 IpAt(std::span<const std::uint8_t> in, std::size_t offset)
{
    Ip4 ip{};
    std::copy_n(in.begin() + static_cast<std::ptrdiff_t>(offset), ip.size(), ip.begin());
    return ip;
}

// The offset of the first non-zero byte in [from, to), or `to`.
std::size_t FirstNonZero(std::span<const std::uint8_t> in, std::size_t from, std::size_t to)
{
    for (std::size_t i = from; i < to; ++i) {
        if (in[i] != 0) {
            return i;
        }
    }
    return to;
}

std::string Number(unsigned value)
{
    return std::to_string(value);
}

std::string Hex2(unsigned value)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%02x", value);
    return text;
}

const char* TcpRoleName(unsigned role)
{
    switch (role) {
    case 0:
        return "TCP client";
    case 1:
        return "TCP server";
    case 2:
        return "TCP server and client";
    default:
        return "TCP role 3 (invalid)";
    }
}

const char* ParityName(unsigned parityBits)
{
    switch (parityBits) {
    case 0x00:
        return "NONE";
    case 0x08:
        return "ODD";
    case 0x18:
        return "EVEN";
    default:
        return "invalid";
    }
}

const char* FlowName(unsigned flow)
{
    switch (flow) {
    case 1:
        return "NONE";
    case 2:
        return "Hardware";
    case 3:
        return "XON/XOFF";
    default:
        return "invalid";
    }
}

} // namespace

std::size_t RequestLength(std::uint8_t command)
{
    switch (command) {
    case kFindIp:
    case kClearIp:
        return 32;
    case kNetworkMode:
    case kChangePassword:
        return 45;
    case kSerial:
    case kConfirmPassword:
        return 30;
    default:
        return 0;
    }
}

std::string CommandName(std::uint8_t command)
{
    switch (command) {
    case kFindIp:
        return "IP find";
    case kClearIp:
        return "IP clear";
    case kNetworkMode:
        return "network mode";
    case kSerial:
        return "serial";
    case kConfirmPassword:
        return "ID/password confirm";
    case kChangePassword:
        return "ID/password change";
    default:
        return "unknown command " + Hex2(command);
    }
}

ParsedRequest ParseRequest(std::span<const std::uint8_t> in)
{
    ParsedRequest parsed;
    if (in.size() < kHeaderSize) {
        parsed.problem = "shorter than a command header (23 bytes)";
        return parsed;
    }
    Request request;
    std::copy_n(in.begin(), request.target.size(), request.target.begin());
    request.command = in[22];
    const std::size_t length = RequestLength(request.command);
    if (length == 0) {
        parsed.problem = CommandName(request.command);
        return parsed;
    }
    if (in.size() != length) {
        parsed.problem =
            "the " + CommandName(request.command) + " request has " + Number(static_cast<unsigned>(length)) + " bytes";
        return parsed;
    }
    bool clean = true;
    request.id = TextAt(in, 6, clean);
    request.password = TextAt(in, 14, clean);

    std::size_t reservedFrom = length;
    switch (request.command) {
    case kFindIp:
    case kClearIp:
        if (!std::equal(request.target.begin(), request.target.end(), in.begin() + 23)) {
            parsed.problem = "bytes 23-28 do not repeat the target MAC";
            return parsed;
        }
        reservedFrom = 29;
        break;
    case kNetworkMode:
        request.network.notifier = in[23];
        request.network.mode = in[24];
        request.network.devicePort = GetBigEndian16(in, 25);
        request.network.serverIp = IpAt(in, 27);
        request.network.serverPort = GetBigEndian16(in, 31);
        request.network.dataServerIp = IpAt(in, 33);
        reservedFrom = 37;
        break;
    case kSerial:
        request.serial.divisor = GetBigEndian16(in, 23);
        request.serial.lineFormat = in[25];
        request.serial.flow = in[26];
        request.serial.time = GetBigEndian16(in, 27);
        reservedFrom = 29;
        break;
    case kConfirmPassword:
        reservedFrom = 23;
        break;
    case kChangePassword:
        request.newId = TextAt(in, 23, clean);
        request.newPassword = TextAt(in, 31, clean);
        reservedFrom = 39;
        break;
    default:
        break;
    }
    if (!clean) {
        parsed.problem = "a text field has non-zero bytes after its terminating zero";
        return parsed;
    }
    if (const std::size_t at = FirstNonZero(in, reservedFrom, length); at != length) {
        parsed.problem = "reserved byte " + Number(static_cast<unsigned>(at)) + " is " + Hex2(in[at]) + ", not zero";
        return parsed;
    }
    parsed.request = std::move(request);
    return parsed;
}

std::string CheckSettings(const Request& request)
{
    if (request.command == kNetworkMode) {
        const NetworkModeFields& n = request.network;
        if (n.notifier == 0 || n.notifier > 237) {
            return "notifier interval " + Number(n.notifier) + " is outside 1 to 237";
        }
        if ((n.mode & ~0x07u) != 0 || (n.mode & 0x03u) == 3) {
            return "mode byte " + Number(n.mode) + " is not one of 0, 1, 2, 4, 5, 6";
        }
    } else if (request.command == kSerial) {
        const SerialFields& s = request.serial;
        if (std::find(kDivisors.begin(), kDivisors.end(), s.divisor) == kDivisors.end()) {
            return "baud-rate divisor " + Number(s.divisor) + " is not one of the 13 rates";
        }
        if ((s.lineFormat & 0xE0u) != 0 || (s.lineFormat & 0x18u) == 0x10) {
            return "line-format byte " + Hex2(s.lineFormat) + " has reserved bits or an unknown parity";
        }
        if (s.flow < 1 || s.flow > 3) {
            return "flow control " + Number(s.flow) + " is not 1, 2 or 3";
        }
        if ((s.time < 5 || s.time > 250) && s.time != kUnlimitedSerialTime) {
            return "serial time " + Number(s.time) + " is outside 5 to 250 and not 255";
        }
    }
    return {};
}

std::string DescribeNetworkMode(const NetworkModeFields& n)
{
    return "notifier " + Number(n.notifier) + " (" + Number(n.notifier * 91u) + " s), mode " + Number(n.mode) + " (" +
           ((n.mode & 0x04u) ? "static IP, " : "dynamic IP, ") + TcpRoleName(n.mode & 0x03u) + "), port " +
           Number(n.devicePort) + ", server " + IpToText(n.serverIp) + ":" + Number(n.serverPort) + ", data server " +
           IpToText(n.dataServerIp);
}

std::string DescribeSerial(const SerialFields& s)
{
    const std::string baud = s.divisor == 0 ? std::string("no") : Number(115200u / s.divisor);
    return baud + " baud (divisor " + Number(s.divisor) + "), " + Number((s.lineFormat & 0x03u) + 5) +
           " data bits, parity " + ParityName(s.lineFormat & 0x18u) + ", stop bits " +
           ((s.lineFormat & 0x04u) ? "1 1/2 or 2" : "1") + ", flow " + FlowName(s.flow) + ", serial time " +
           (s.time == kUnlimitedSerialTime ? std::string("unlimited") : Number(s.time));
}

std::string DescribeRequest(const Request& r)
{
    std::string line = CommandName(r.command) + " for " + MacToText(r.target) + ", ID " + Quoted(r.id) + ", password " +
                       Quoted(r.password);
    switch (r.command) {
    case kNetworkMode:
        line += ": " + DescribeNetworkMode(r.network);
        break;
    case kSerial:
        line += ": " + DescribeSerial(r.serial);
        break;
    case kChangePassword:
        line += ": new ID " + Quoted(r.newId) + ", new password " + Quoted(r.newPassword);
        break;
    default:
        break;
    }
    return line;
}

} // namespace devicesim
