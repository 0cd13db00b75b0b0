#pragma once

#include "DeviceSettings.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace devicesim {

// How the stand-in plays a device's own DHCP/BOOTP client, which asks a server on UDP port 67 for
// its address instead of answering on port 1024.
struct ClientOptions
{
    enum class Mode
    {
        Dhcp,  // DISCOVER, OFFER, REQUEST, ACK
        Bootp, // one BOOTREQUEST without the magic cookie, one BOOTREPLY
    };
    Mode mode = Mode::Dhcp;
    Mac mac{};
    std::string interface;            // send and listen on this interface only; empty: as routed
    Ip4 server{255, 255, 255, 255};   // where the requests go
    std::optional<Ip4> serverId;      // option 54 of the REQUEST; unset: the OFFER's siaddr
    bool noServerId = false;          // the REQUEST names no server
    bool typeLast = false;            // the message type after the other options
    std::size_t length = 300;         // of every request, zeros after the options
    std::optional<std::uint32_t> xid; // unset: 0x5A7E0000 plus the MAC's last two bytes
    unsigned tries = 3;               // sends of each request before giving up
    unsigned waitMs = 1000;           // how long each send waits for its answer
};

struct Options
{
    std::vector<DeviceSettings> devices; // one default device when none is given
    std::optional<ClientOptions> client; // set: a device's DHCP/BOOTP client, no device servers
    std::string bindAddress = "0.0.0.0";
    std::uint16_t port = 1024;
    std::string logPath;
    bool verbose = false;
    std::optional<unsigned> maxSeconds;
    bool help = false;
};

// Reads the command line (without the program name). On failure returns false and says why.
bool ParseOptions(std::span<const std::string> args, Options& options, std::string& error);

// Reads one device description, "key=value,key=value,...", over the defaults of the device
// with this index (its default MAC is 00:11:22:33:44:55 plus the index).
bool ParseDeviceSpec(std::string_view spec, std::size_t index, DeviceSettings& device, std::string& error);

// The --help text.
const char* UsageText();

} // namespace devicesim
