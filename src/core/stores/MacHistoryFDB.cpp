#include "core/stores/MacHistoryFDB.h"

#include <algorithm>

namespace {

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

} // namespace

int HexPairToInt(const std::string& pair)
{
    std::string text = pair;
    if (text.size() >= 2 && text[0] == ' ' && text[1] != ' ') {
        text = text.substr(1, 1);
    }
    if (text.empty()) {
        return -1;
    }
    const int high = HexDigit(text[0]);
    if (high < 0) {
        return -1;
    }
    if (text.size() == 1) {
        return high;
    }
    const int low = HexDigit(text[1]);
    return low < 0 ? -1 : high * 16 + low;
}

CMacHistoryFDB::CMacHistoryFDB() : CRecordFDB(kFileName, false), m_records(kMaxRecords + 1, MacBytes{}) {}

bool CMacHistoryFDB::ReadRecord(std::FILE* file, int slot)
{
    MacBytes mac{-1, 0, 0, 0, 0, 0};
    int number = 0;
    const int read =
        std::fscanf(file, "[%d]\t %d:%d:%d:%d:%d:%d\n", &number, &mac[0], &mac[1], &mac[2], &mac[3], &mac[4], &mac[5]);
    if (read != 7 || mac[0] < 0) {
        return false;
    }
    m_records[slot] = mac;
    return true;
}

bool CMacHistoryFDB::CheckRecord(int slot) const
{
    return m_records[slot][0] >= 0;
}

void CMacHistoryFDB::WriteRecord(std::FILE* file, int slot, int number) const
{
    const MacBytes& mac = m_records[slot];
    std::fprintf(file, "[%d]\t %d:%d:%d:%d:%d:%d\n", number, mac[0], mac[1], mac[2], mac[3], mac[4], mac[5]);
}

void CMacHistoryFDB::ClearRecord(int slot)
{
    m_records[slot] = MacBytes{};
}

int CMacHistoryFDB::Find(const MacBytes& mac) const
{
    for (int i = 0; i < m_nCount; ++i) {
        if (m_records[i] == mac) {
            return i;
        }
    }
    return -1;
}

void CMacHistoryFDB::SetRecord(const MacBytes& mac, int index)
{
    const int slot = Resolve(index);
    if (slot >= 0) {
        m_records[slot] = mac;
    }
}

MacBytes CMacHistoryFDB::GetRecord(int index)
{
    const int slot = Resolve(index);
    return slot >= 0 ? m_records[slot] : MacBytes{};
}

int CMacHistoryFDB::GetByte(int k) const
{
    const int slot = CurrentSlot();
    return slot >= 0 && k >= 0 && k < 6 ? m_records[slot][k] : 0;
}

bool CMacHistoryFDB::Clear()
{
    return Change([this] {
        std::fill(m_records.begin(), m_records.end(), MacBytes{});
        m_nCount = 0;
        m_nCurrent = 0;
        ForgetTail();
        // Whatever the file held is dropped on purpose, even when an earlier load could not read it.
        m_nUnreadable = 0;
        return WriteWhole([](std::FILE*) { return true; });
    });
}

bool CMacHistoryFDB::Remember(const MacBytes& mac)
{
    return RememberAll({mac});
}

bool CMacHistoryFDB::RememberAll(const std::vector<MacBytes>& macs)
{
    CMacHistoryFDB db;
    return db.Change([&] {
        db.Load();
        bool added = false;
        bool all = true;
        for (const MacBytes& mac : macs) {
            if (db.Find(mac) != -1) {
                continue;
            }
            if (db.Append() == -1) {
                all = false;
                continue;
            }
            db.SetRecord(mac, -1);
            added = true;
        }
        return (!added || db.Save()) && all;
    });
}
