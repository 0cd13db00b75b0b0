#include "cli/CliStores.h"

#include "core/stores/AdvancedServerDB.h"
#include "core/stores/BootPFDB.h"
#include "core/stores/FileDB.h"
#include "core/stores/MacHistoryFDB.h"
#include "core/stores/PwdFDB.h"

#include <QDir>
#include <QTimer>

#include <cstdio>

namespace {

struct PendingCredentials
{
    std::string key;
    std::string id;
    std::string password;
    std::function<void(bool)> written;
};

std::vector<corvane::MacAddress> s_pendingMacs;
std::vector<PendingCredentials> s_pendingCredentials;
bool s_bFlushScheduled = false;

void ScheduleFlush()
{
    if (!s_bFlushScheduled) {
        s_bFlushScheduled = true;
        QTimer::singleShot(0, [] { CCliStores::Flush(); });
    }
}

MacBytes Bytes(const corvane::MacAddress& mac)
{
    MacBytes bytes{};
    for (std::size_t k = 0; k < 6; ++k) {
        bytes[k] = mac[k];
    }
    return bytes;
}

} // namespace

void CCliStores::Install()
{
    const std::string directory = QDir::currentPath().toStdString();
    CFileDB::SetDirectoryProvider([directory] { return directory; });
    CFileDB::SetMessageSink([](const std::string& text, const std::string& caption) {
        std::fprintf(stderr, "corvane-cli: %s%s%s\n", caption.c_str(), caption.empty() ? "" : ": ", text.c_str());
    });
}

void CCliStores::RememberMac(const corvane::MacAddress& mac)
{
    CMacHistoryFDB::Remember(Bytes(mac));
}

void CCliStores::QueueMac(const corvane::MacAddress& mac)
{
    s_pendingMacs.push_back(mac);
    ScheduleFlush();
}

void CCliStores::QueueCredentials(const std::string& key, const std::string& id, const std::string& password,
                                  std::function<void(bool written)> written)
{
    s_pendingCredentials.push_back({key, id, password, std::move(written)});
    ScheduleFlush();
}

void CCliStores::Flush()
{
    s_bFlushScheduled = false;
    const std::vector<corvane::MacAddress> macs = std::exchange(s_pendingMacs, {});
    const std::vector<PendingCredentials> credentials = std::exchange(s_pendingCredentials, {});
    if (!macs.empty()) {
        std::vector<MacBytes> bytes;
        bytes.reserve(macs.size());
        for (const corvane::MacAddress& mac : macs) {
            bytes.push_back(Bytes(mac));
        }
        CMacHistoryFDB::RememberAll(bytes);
    }
    if (credentials.empty()) {
        return;
    }
    std::vector<CPwdFDB::Confirmed> confirmed;
    confirmed.reserve(credentials.size());
    for (const PendingCredentials& entry : credentials) {
        confirmed.push_back({entry.key, entry.id, entry.password});
    }
    const std::vector<bool> stored = CPwdFDB::RememberAll(confirmed);
    for (std::size_t i = 0; i < credentials.size(); ++i) {
        if (credentials[i].written) {
            credentials[i].written(stored[i]);
        }
    }
}

std::vector<corvane::MacAddress> CCliStores::History()
{
    CMacHistoryFDB history;
    history.Load();
    std::vector<corvane::MacAddress> macs;
    for (int i = history.GetCount() - 1; i >= 0; --i) {
        const MacBytes bytes = history.GetRecord(i);
        corvane::MacAddress mac{};
        for (std::size_t k = 0; k < 6; ++k) {
            mac[k] = static_cast<std::uint8_t>(bytes[k]);
        }
        macs.push_back(mac);
    }
    return macs;
}

bool CCliStores::ClearHistory()
{
    CMacHistoryFDB history;
    return history.Clear();
}

std::optional<std::pair<std::string, std::string>> CCliStores::Credentials(const std::string& key)
{
    const std::optional<CPwdFDB::Credentials> credentials = CPwdFDB::Lookup(key);
    if (!credentials) {
        return std::nullopt;
    }
    return std::make_pair(credentials->id, credentials->password);
}

std::vector<corvane::dhcp::ClientEntry> CCliStores::DhcpEntries()
{
    CBootPFDB table;
    table.Load();
    std::vector<corvane::dhcp::ClientEntry> entries;
    for (int i = 0; i < table.GetCount(); ++i) {
        corvane::dhcp::ClientEntry entry;
        table.GetRecord(i, entry.nHType, entry.nHlen, entry.ip, entry.mac, entry.gateway, entry.subnet);
        entries.push_back(std::move(entry));
    }
    return entries;
}

CCliStores::AddResult CCliStores::AddDhcpEntry(const corvane::dhcp::ClientEntry& entry)
{
    // As the IP Address page adds what the Add dialog gave.
    CBootPFDB table;
    switch (table.AddEntry({entry.nHType, entry.nHlen, entry.ip, entry.mac, entry.gateway, entry.subnet})) {
    case CBootPFDB::ChangeResult::Done:
        return AddResult::Added;
    case CBootPFDB::ChangeResult::Exists:
        return AddResult::Duplicate;
    case CBootPFDB::ChangeResult::Missing:
    case CBootPFDB::ChangeResult::Failed:
        break;
    }
    return AddResult::Failed;
}

int CCliStores::RemoveDhcpEntries(const std::string& macKey, const std::string& paddedIp)
{
    // Every entry with the MAC or the IP, in one change of the file.
    CBootPFDB table;
    int removed = 0;
    const bool written = table.Change([&] {
        removed = 0;
        table.Load();
        for (int i = table.GetCount() - 1; i >= 0; --i) {
            int type = 0;
            int length = 0;
            std::string ip;
            std::string mac;
            std::string gateway;
            std::string subnet;
            table.GetRecord(i, type, length, ip, mac, gateway, subnet);
            if (mac == macKey || ip == paddedIp) {
                table.Delete(i);
                ++removed;
            }
        }
        return removed == 0 || table.Save();
    });
    if (!written) {
        return -1;
    }
    return removed;
}

std::string CCliStores::DefaultRouter()
{
    CAdvancedServerDB settings;
    settings.Load();
    return settings.GetRouter(0);
}
