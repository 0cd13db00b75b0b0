#include "dhcp/ServerTables.h"

#include "stores/AdvancedServerDB.h"
#include "stores/BootPFDB.h"

#include <sys/stat.h>

namespace {

// Coarser than any file system's timestamp clock: a file changed this close to the start of its
// load may change again without its modification time moving.
constexpr long kClockGranularityNs = 50'000'000;

bool SameTime(const timespec& a, const timespec& b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

long long Nanoseconds(const timespec& t)
{
    return static_cast<long long>(t.tv_sec) * 1'000'000'000LL + t.tv_nsec;
}

timespec Now()
{
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return now;
}

} // namespace

bool CServerTables::Identity::operator==(const Identity& other) const
{
    return exists == other.exists && device == other.device && inode == other.inode && size == other.size &&
           SameTime(mtime, other.mtime) && SameTime(ctime, other.ctime);
}

CServerTables::Identity CServerTables::Stat(const std::string& path)
{
    Identity identity;
    struct stat st = {};
    if (::stat(path.c_str(), &st) == 0) {
        identity.exists = true;
        identity.device = st.st_dev;
        identity.inode = st.st_ino;
        identity.size = st.st_size;
        identity.mtime = st.st_mtim;
        identity.ctime = st.st_ctim;
    }
    return identity;
}

bool CServerTables::Current(Cached& cached, const std::string& path, Identity& now)
{
    now = Stat(path);
    const bool current = cached.valid && cached.path == path && cached.identity == now;
    cached.path = path;
    return current;
}

bool CServerTables::Racy(const Identity& identity, const timespec& loadStart)
{
    return identity.exists && (Nanoseconds(identity.mtime) >= Nanoseconds(loadStart) - kClockGranularityNs ||
                               Nanoseconds(identity.ctime) >= Nanoseconds(loadStart) - kClockGranularityNs);
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
    Identity identity;
    if (Current(m_settingsFile, path, identity)) {
        return;
    }
    const timespec start = Now();
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
    m_settingsFile.valid = !Racy(identity, start);
}

void CServerTables::LoadClients(const std::string& path)
{
    Identity identity;
    if (Current(m_clientsFile, path, identity)) {
        return;
    }
    const timespec start = Now();
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
    m_clientsFile.valid = !Racy(identity, start);
}

std::optional<corvane::dhcp::ClientEntry> CServerTables::FindMAC(const std::string& macText) const
{
    const auto found = m_byMac.find(macText);
    if (found == m_byMac.end()) {
        return std::nullopt;
    }
    return m_entries[static_cast<std::size_t>(found->second)];
}
