#pragma once

#include "cli/DeviceJob.h"
#include "core/rules/ConfigChecks.h"

#include <optional>
#include <string>
#include <string_view>

// Reads the values the operator gives on the command line or in a plan into a device job, and
// checks the job as the pages check what they send, with the pages' messages.
class CJobSettings final
{
public:
    // "00:11:22:33:44:55", "00-11-22-33-44-55" or "001122334455", either case.
    static std::optional<corvane::MacAddress> ParseMac(std::string_view text);
    static std::optional<corvane::Ipv4Address> ParseAddress(std::string_view text);
    static std::optional<long> ParseInt(std::string_view text);

    // Whether `name` is a Network Mode or Serial setting ("ip-mode", "baud", ...).
    static bool IsNetModeSetting(std::string_view name);
    static bool IsSerialSetting(std::string_view name);

    // Sets the setting `name` of `job` to `value`; false (and `error` says why) when the value is
    // not one the page offers.
    static bool Apply(std::string_view name, std::string_view value, DeviceJob& job, std::string& error);

    // The pages' checks of what the job's steps send, in the pages' order: the first that fails.
    static std::optional<corvane::PageMessage> Check(const DeviceJob& job);
};
