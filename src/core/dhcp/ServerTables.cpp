#include "core/dhcp/ServerTables.h"

#include "core/stores/AdvancedServerDB.h"
#include "core/stores/BootPFDB.h"

void CServerTables::Invalidate()
{
    m_settingsFile.Invalidate();
    m_clientsFile.Invalidate();
}

void CServerTables::Refresh()
{
    // The stores' boxes wait until both tables are complete (see the header).
    const CFileDB::DeferredMessages deferred;
    std::string directory = CFileDB::DatabaseDirectory();
    if (directory.empty() || directory.back() != '/') {
        directory += '/';
    }
    const std::string settings = directory + CAdvancedServerDB::kFileName;
    const std::string clients = directory + CBootPFDB::kFileName;
    m_nReads += m_settingsFile.Read(settings, [this, &settings] { LoadSettings(settings); }) ? 1 : 0;
    m_nReads += m_clientsFile.Read(clients, [this, &clients] { LoadClients(clients); }) ? 1 : 0;
}

void CServerTables::LoadSettings(const std::string& path)
{
    CAdvancedServerDB db;
    db.SetPath(path);
    db.Load();
    corvane::dhcp::ServerSettings settings;
    for (int i = 0; i < db.GetRouterCount(); ++i) {
        settings.routers.push_back(db.GetRouter(i));
    }
    for (int i = 0; i < db.GetDNSCount(); ++i) {
        settings.dns.push_back(db.GetDNS(i));
    }
    for (int i = 0; i < db.GetNetBiosCount(); ++i) {
        settings.netBios.push_back(db.GetNetBios(i));
    }
    settings.domainName = db.GetDomainName();
    settings.serverIP = db.GetServerIP();
    settings.leaseTime = db.GetLeaseTime();
    m_settings = std::move(settings);
}

void CServerTables::LoadClients(const std::string& path)
{
    CBootPFDB db;
    db.SetPath(path);
    db.Load();
    std::vector<corvane::dhcp::ClientEntry> entries;
    std::unordered_map<std::string, int> byMac;
    const int count = db.GetCount();
    entries.reserve(static_cast<std::size_t>(count));
    byMac.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        corvane::dhcp::ClientEntry entry;
        db.GetRecord(i, entry.nHType, entry.nHlen, entry.ip, entry.mac, entry.gateway, entry.subnet);
        byMac.emplace(entry.mac, i); // the first entry of a MAC wins, as a scan from the top finds it
        entries.push_back(std::move(entry));
    }
    m_entries = std::move(entries);
    m_byMac = std::move(byMac);
}

std::optional<corvane::dhcp::ClientEntry> CServerTables::FindMAC(const std::string& macText) const
{
    const auto found = m_byMac.find(macText);
    if (found == m_byMac.end()) {
        return std::nullopt;
    }
    return m_entries[static_cast<std::size_t>(found->second)];
}
