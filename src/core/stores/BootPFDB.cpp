#include "core/stores/BootPFDB.h"

#include "core/stores/StoreText.h"

#include <cstdio>

namespace {

// Whether the reader takes `address` back: four numbers of at most three digits separated by dots,
// with white space only before a number or at the end.
bool IsReadableAddress(const std::string& address)
{
    int parts[4] = {};
    int used = -1;
    if (std::sscanf(address.c_str(), "%3d.%3d.%3d.%3d%n", &parts[0], &parts[1], &parts[2], &parts[3], &used) != 4 ||
        used < 0) {
        return false;
    }
    return address.find_first_not_of(" \t\n\v\f\r", static_cast<size_t>(used)) == std::string::npos;
}

} // namespace

CBootPFDB::CBootPFDB() : CRecordFDB(kFileName, false), m_records(kMaxRecords + 1) {}

std::string CBootPFDB::PaddedAddress(int a, int b, int c, int d)
{
    const int parts[4] = {a, b, c, d};
    for (const int value : parts) {
        if (value < 0 || value > 999) {
            char text[64];
            std::snprintf(text, sizeof text, "%3d.%3d.%3d.%3d", a, b, c, d);
            return text;
        }
    }
    // "%3d.%3d.%3d.%3d" by hand for the numbers a load gives: a table of 5000 clients builds 15000
    // of these for every DHCP request.
    std::string text = "   .   .   .   ";
    for (size_t i = 0; i < 4; ++i) {
        const int value = parts[i];
        char* field = &text[i * 4];
        field[2] = static_cast<char>('0' + value % 10);
        if (value >= 10) {
            field[1] = static_cast<char>('0' + value / 10 % 10);
        }
        if (value >= 100) {
            field[0] = static_cast<char>('0' + value / 100);
        }
    }
    return text;
}

bool CBootPFDB::ReadRecord(std::FILE* file, int slot)
{
    int number = 0;
    int hType = -1;
    int hlen = -1;
    int ip[4] = {};
    int gateway[4] = {};
    int subnet[4] = {};
    char mac[kMaxMAC + 1] = {};
    int from = 0;
    int to = 0;
    if (std::fscanf(file, "\n[%d]\nHType : %d \nhlen : %d \nIP : %3d.%3d.%3d.%3d \nMAC : %n%19s%n", &number, &hType,
                    &hlen, &ip[0], &ip[1], &ip[2], &ip[3], &from, mac, &to) != 8) {
        return false;
    }
    if (hType < 0 || hlen < 0 || !IsWholeValue(mac, from, to)) {
        return false;
    }
    SkipRestOfValue(file);
    if (std::fscanf(file, " \nGateway : %3d.%3d.%3d.%3d \nSubnet : %3d.%3d.%3d.%3d\n", &gateway[0], &gateway[1],
                    &gateway[2], &gateway[3], &subnet[0], &subnet[1], &subnet[2], &subnet[3]) != 8) {
        return false;
    }
    Record& record = m_records[slot];
    record.nHType = hType;
    record.nHlen = hlen;
    record.strIP = PaddedAddress(ip[0], ip[1], ip[2], ip[3]);
    record.strMAC = mac;
    record.strGateway = PaddedAddress(gateway[0], gateway[1], gateway[2], gateway[3]);
    record.strSubnet = PaddedAddress(subnet[0], subnet[1], subnet[2], subnet[3]);
    return true;
}

bool CBootPFDB::CheckRecord(int slot) const
{
    // Refuse what the reader could not give back, so that a save never cuts the table short at
    // the next load.
    const Record& record = m_records[slot];
    return record.nHType >= 0 && record.nHlen >= 0 && !record.strMAC.empty() && !HasWhiteSpace(record.strMAC) &&
           record.strMAC.size() <= static_cast<size_t>(kMaxMAC) && IsReadableAddress(record.strIP) &&
           IsReadableAddress(record.strGateway) && IsReadableAddress(record.strSubnet);
}

void CBootPFDB::WriteRecord(std::FILE* file, int slot, int number) const
{
    const Record& record = m_records[slot];
    std::fprintf(file, "\n[%d]\nHType : %d \nhlen : %d \nIP : %s \nMAC : %s \nGateway : %s \nSubnet : %s\n", number,
                 record.nHType, record.nHlen, UpperCase(record.strIP).c_str(), UpperCase(record.strMAC).c_str(),
                 UpperCase(record.strGateway).c_str(), UpperCase(record.strSubnet).c_str());
}

void CBootPFDB::ClearRecord(int slot)
{
    m_records[slot] = Record{};
}

int CBootPFDB::Find(const std::string& ip, const std::string& mac) const
{
    for (int i = 0; i < m_nCount; ++i) {
        if (m_records[i].strIP == ip || m_records[i].strMAC == mac) {
            return i;
        }
    }
    return -1;
}

int CBootPFDB::FindMAC(const std::string& mac) const
{
    for (int i = 0; i < m_nCount; ++i) {
        if (m_records[i].strMAC == mac) {
            return i;
        }
    }
    return -1;
}

void CBootPFDB::SetRecord(int nHType, int nHlen, const std::string& ip, const std::string& mac,
                          const std::string& gateway, const std::string& subnet, int index)
{
    const int slot = Resolve(index);
    if (slot >= 0) {
        m_records[slot] = Record{nHType, nHlen, ip, mac, gateway, subnet};
    }
}

void CBootPFDB::GetRecord(int index, int& nHType, int& nHlen, std::string& ip, std::string& mac, std::string& gateway,
                          std::string& subnet)
{
    const int slot = Resolve(index);
    const Record record = slot >= 0 ? m_records[slot] : Record{};
    nHType = record.nHType;
    nHlen = record.nHlen;
    ip = record.strIP;
    mac = record.strMAC;
    gateway = record.strGateway;
    subnet = record.strSubnet;
}

void CBootPFDB::Delete(int index)
{
    const int from = index == -1 ? m_nCurrent : index;
    if (from < 0 || from >= m_nCount) {
        return;
    }
    for (int i = from; i < m_nCount - 1; ++i) {
        m_records[i] = std::move(m_records[i + 1]);
    }
    --m_nCount;
    ClearRecord(m_nCount);
    if (m_nCurrent > m_nCount) {
        m_nCurrent = m_nCount;
    }
}

CBootPFDB::ChangeResult CBootPFDB::AddEntry(const Record& record)
{
    ChangeResult result = ChangeResult::Failed;
    Change([&] {
        Load();
        if (Find(record.strIP, record.strMAC) != -1) {
            result = ChangeResult::Exists;
            return false;
        }
        if (Append() == -1) {
            return false;
        }
        m_records[static_cast<size_t>(m_nCurrent)] = record;
        if (Save()) {
            result = ChangeResult::Done;
        }
        return result == ChangeResult::Done;
    });
    return result;
}

CBootPFDB::ChangeResult CBootPFDB::ReplaceEntry(const std::string& ip, const std::string& mac, const Record& record)
{
    ChangeResult result = ChangeResult::Failed;
    Change([&] {
        Load();
        const int index = Find(ip, mac);
        if (index == -1) {
            result = ChangeResult::Missing;
            return false;
        }
        m_records[static_cast<size_t>(index)] = record;
        if (Save()) {
            result = ChangeResult::Done;
        }
        return result == ChangeResult::Done;
    });
    return result;
}

CBootPFDB::ChangeResult CBootPFDB::RemoveEntry(const std::string& ip, const std::string& mac)
{
    ChangeResult result = ChangeResult::Failed;
    Change([&] {
        Load();
        const int index = Find(ip, mac);
        if (index == -1) {
            result = ChangeResult::Missing;
            return false;
        }
        Delete(index);
        if (Save()) {
            result = ChangeResult::Done;
        }
        return result == ChangeResult::Done;
    });
    return result;
}

bool CBootPFDB::Rewrite()
{
    return Change([this] {
        Load();
        return Save();
    });
}

const CBootPFDB::Record* CBootPFDB::Current() const
{
    const int slot = CurrentSlot();
    return slot >= 0 ? &m_records[slot] : nullptr;
}

CBootPFDB::Record* CBootPFDB::Current()
{
    const int slot = CurrentSlot();
    return slot >= 0 ? &m_records[slot] : nullptr;
}

int CBootPFDB::GetHType() const
{
    const Record* record = Current();
    return record ? record->nHType : 0;
}

int CBootPFDB::GetHlen() const
{
    const Record* record = Current();
    return record ? record->nHlen : 0;
}

std::string CBootPFDB::GetIP() const
{
    const Record* record = Current();
    return record ? record->strIP : std::string();
}

std::string CBootPFDB::GetMAC() const
{
    const Record* record = Current();
    return record ? record->strMAC : std::string();
}

std::string CBootPFDB::GetGateway() const
{
    const Record* record = Current();
    return record ? record->strGateway : std::string();
}

std::string CBootPFDB::GetSubnet() const
{
    const Record* record = Current();
    return record ? record->strSubnet : std::string();
}

void CBootPFDB::SetHType(int nHType)
{
    if (Record* record = Current()) {
        record->nHType = nHType;
    }
}

void CBootPFDB::SetHlen(int nHlen)
{
    if (Record* record = Current()) {
        record->nHlen = nHlen;
    }
}

void CBootPFDB::SetIP(const std::string& ip)
{
    if (Record* record = Current()) {
        record->strIP = ip;
    }
}

void CBootPFDB::SetMAC(const std::string& mac)
{
    if (Record* record = Current()) {
        record->strMAC = mac;
    }
}

void CBootPFDB::SetGateway(const std::string& gateway)
{
    if (Record* record = Current()) {
        record->strGateway = gateway;
    }
}

void CBootPFDB::SetSubnet(const std::string& subnet)
{
    if (Record* record = Current()) {
        record->strSubnet = subnet;
    }
}
