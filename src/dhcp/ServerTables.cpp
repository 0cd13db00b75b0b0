#include "dhcp/ServerTables.h"

#include "stores/AdvancedServerDB.h"
#include "stores/BootPFDB.h"

bool CServerTables::Current(Cached& cached, const std::string& path, FileIdentity& now)
{
    now = FileIdentity::Of(path);
    const bool current = cached.valid && cached.path == path && cached.identity == now;
    cached.path = path;
    return current;
}

void CServerTables::Invalidate()
{
    m_settingsFile.valid = false;
    m_clientsFile.valid = false;
}

void CServerTables::Refresh()
{
    // The stores' boxes wait until both tables are complete (see the header).
    const CFileDB::DeferredMessages deferred;
    std::string directory = CFileDB::DatabaseDirectory();
    if (directory.empty() || directory.back() != '/') {
        directory += '/';
    }
    LoadSettings(directory + CAdvancedServerDB::kFileName);
    LoadClients(directory + CBootPFDB::kFileName);
}

void CServerTables::LoadSettings(const std::string& path)
{
    FileIdentity identity;
    if (Current(m_settingsFile, path, identity)) {
        return;
    }
    const timespec start = FileIdentity::Now();
    CAdvancedServerDB db;
    db.SetPath(path);
    db.Load();
    ++m_nReads;
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
    // The identity taken before the read: a change made while reading shows as a new identity.
    m_settingsFile.identity = identity;
    m_settingsFile.valid = !identity.RacyAgainst(start);
}

void CServerTables::LoadClients(const std::string& path)
{
    FileIdentity identity;
    if (Current(m_clientsFile, path, identity)) {
        return;
    }
    const timespec start = FileIdentity::Now();
    CBootPFDB db;
    db.SetPath(path);
    db.Load();
    ++m_nReads;
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
    m_clientsFile.identity = identity;
    m_clientsFile.valid = !identity.RacyAgainst(start);
}

std::optional<corvane::dhcp::ClientEntry> CServerTables::FindMAC(const std::string& macText) const
{
    const auto found = m_byMac.find(macText);
    if (found == m_byMac.end()) {
        return std::nullopt;
    }
    return m_entries[static_cast<std::size_t>(found->second)];
}
