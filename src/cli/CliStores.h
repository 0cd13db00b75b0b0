#pragma once

#include "core/dhcp/DhcpEngine.h"
#include "core/link/ProtocolTypes.h"

#include <functional>
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
    // Many devices at once: the MACs to remember and the credentials devices confirmed are gathered while
    // the replies of one pass of the event loop are read, and written with one save of each file
    // (a save syncs the file to the disk, which costs more than the exchange). `written` runs once
    // the credentials are in "pwd.ini", with whether they could be written.
    static void QueueMac(const corvane::MacAddress& mac);
    static void QueueCredentials(const std::string& key, const std::string& id, const std::string& password,
                                 std::function<void(bool written)> written);
    // Writes what is queued now.
    static void Flush();

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
