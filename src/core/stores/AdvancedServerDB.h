#pragma once

#include "core/stores/FileDB.h"

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

// The DHCP server's own settings, "adsvr.ini": the routers, DNS servers and NetBIOS name servers it
// announces, its server address, the domain name and the lease time (-1: infinite). Not a record
// table: one settings object with three lists.
class CAdvancedServerDB final : public CFileDB
{
public:
    static constexpr const char* kFileName = "adsvr.ini";
    // Entries per list.
    static constexpr int kMaxEntries = 5000;
    // The reader's buffer holds 20 characters: a value in the file is at most 19 long.
    static constexpr int kMaxValue = 19;
    static constexpr const char* kOverRouters = "Over the number of routers!!";

    CAdvancedServerDB();

    // Reads the whole file; false when it is missing or cannot be read (the settings are then
    // empty, lease time 0).
    bool Load();
    // Rewrites the whole file; false when nothing was written (the operator has been told why).
    bool Save();
    // One change of "adsvr.ini" as it is now, under the store's lock: the settings are read afresh
    // into this object, `change` applies the change to them (false: nothing is written) and they are
    // saved. False when nothing was written (in use by another program, refused or failed; the
    // operator has been told).
    bool Update(const std::function<bool(CAdvancedServerDB& settings)>& change);

    int GetRouterCount() const { return static_cast<int>(m_routers.size()); }
    // The router at `index`; empty outside the list.
    std::string GetRouter(int index) const;
    // Appends `router`; false when the list is full (the operator is told).
    bool AddRouter(const std::string& router);
    // The first router equal to `router`, or -1.
    int FindRouter(const std::string& router) const;
    // Removes the router at `index`; outside the list "Over the number of routers!!" and nothing
    // changes.
    void RemoveRouter(int index);

    int GetDNSCount() const { return static_cast<int>(m_dns.size()); }
    std::string GetDNS(int index) const;
    int GetNetBiosCount() const { return static_cast<int>(m_netBios.size()); }
    std::string GetNetBios(int index) const;

    const std::string& GetServerIP() const { return m_strServerIP; }
    void SetServerIP(const std::string& serverIP) { m_strServerIP = serverIP; }
    const std::string& GetDomainName() const { return m_strDomainName; }
    void SetDomainName(const std::string& domainName) { m_strDomainName = domainName; }
    int GetLeaseTime() const { return m_nLeaseTime; }
    void SetLeaseTime(int nLeaseTime) { m_nLeaseTime = nLeaseTime; }

private:
    // Reads the values of one list up to the next section or the end of the file. Values past
    // kMaxEntries go to `beyond`, which the next save writes back after the list.
    static bool ReadList(std::FILE* file, std::vector<std::string>& list, std::vector<std::string>& beyond);
    // Reads a value unless the file goes on with a section or ends; empty then.
    static std::string ReadValue(std::FILE* file);
    void Reset();

    std::vector<std::string> m_routers;
    std::vector<std::string> m_dns;
    std::vector<std::string> m_netBios;
    std::vector<std::string> m_routersBeyond;
    std::vector<std::string> m_dnsBeyond;
    std::vector<std::string> m_netBiosBeyond;
    std::string m_strServerIP;
    std::string m_strDomainName;
    int m_nLeaseTime = 0;
    // What the reader did not understand, from the line where it stopped; written back at the end.
    std::string m_strTail;
};
