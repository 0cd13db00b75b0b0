#pragma once

#include "DeviceSettings.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace devicesim {

struct Options
{
    std::vector<DeviceSettings> devices; // one default device when none is given
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
