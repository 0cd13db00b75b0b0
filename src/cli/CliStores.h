#pragma once

#include "dhcp/DhcpEngine.h"
#include "link/ProtocolTypes.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

// Every store call of the command line, in one place: the four text files in the current
// directory, with the same calls the dialogs and pages make.
class CCliStores final
{
public:
    // The stores live in the current directory; their messages go to stderr.
    static void Install();

    // The MAC history grows as the dialogs and pages make it grow.
    static void RememberMac(const corvane::MacAddress& mac);
    // The MAC history, newest first.
    static std::vector<corvane::MacAddress> History();
    static bool ClearHistory();

    // The ID and password remembered for the MAC key, if any.
    static std::optional<std::pair<std::string, std::string>> Credentials(const std::string& key);
    // Records what a device confirmed.
    static bool RememberCredentials(const std::string& key, const std::string& id, const std::string& password);

    // The DHCP/BOOTP client table.
    static std::vector<corvane::dhcp::ClientEntry> DhcpEntries();
    enum class AddResult
    {
        Added,
        Duplicate, // the IP or the MAC is in the table already
        Failed,    // full, or not written (the store has said why)
    };
    static AddResult AddDhcpEntry(const corvane::dhcp::ClientEntry& entry);
    // Removes the entries whose MAC key or IP equals `key`; how many went (-1: not written).
    static int RemoveDhcpEntries(const std::string& macKey, const std::string& paddedIp);
    // The first router of the server settings, empty when none is set.
    static std::string DefaultRouter();
};
