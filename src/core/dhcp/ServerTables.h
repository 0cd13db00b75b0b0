#pragma once

#include "core/dhcp/DhcpEngine.h"
#include "core/stores/FileIdentity.h"

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

// The client table ("dhcp.ini") and the server settings ("adsvr.ini") as the server answers from
// them. Refresh() brings both up to what the files hold at that moment, so that every edit (by the
// page, a dialog, a hand edit or an atomic save) counts from the very next request; a file is read
// again only when its identity or contents may have changed (device, inode, size, change and
// modification times to the nanosecond), and a file written within the file system's clock
// granularity of its load is read again next time as well. Look-ups by MAC use an index.
class CServerTables final
{
public:
    CServerTables() = default;

    // Re-reads what changed on disk. Store messages (an unreadable file, more than 5000 records)
    // are shown after both tables are in place, so that a request handled meanwhile finds them
    // complete and does not read the files again.
    void Refresh();
    // Forgets what was read: the next Refresh reads both files.
    void Invalidate();

    const corvane::dhcp::ServerSettings& Settings() const { return m_settings; }
    // The first entry whose MAC text equals `macText` exactly.
    std::optional<corvane::dhcp::ClientEntry> FindMAC(const std::string& macText) const;
    int EntryCount() const { return static_cast<int>(m_entries.size()); }
    // How many times a file was actually read (for tests and benchmarks).
    int Reads() const { return m_nReads; }

private:
    void LoadSettings(const std::string& path);
    void LoadClients(const std::string& path);

    corvane::dhcp::ServerSettings m_settings;
    std::vector<corvane::dhcp::ClientEntry> m_entries;
    std::unordered_map<std::string, int> m_byMac;
    CFileStamp m_settingsFile;
    CFileStamp m_clientsFile;
    int m_nReads = 0;
};
