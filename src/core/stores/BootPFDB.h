#pragma once

#include "core/stores/RecordFDB.h"

#include <string>
#include <vector>

// The DHCP/BOOTP client table, "dhcp.ini": for each client its hardware type and length, the IP
// address to give it, its MAC address (twelve upper-case hexadecimal digits), gateway and subnet
// mask. A load gives the three addresses in the padded form "%3d.%3d.%3d.%3d".
class CBootPFDB final : public CRecordFDB
{
public:
    static constexpr const char* kFileName = "dhcp.ini";
    // The reader's MAC buffer holds 20 characters: a MAC in the file is at most 19 long.
    static constexpr int kMaxMAC = 19;

    // One client entry.
    struct Record
    {
        int nHType = 0;
        int nHlen = 0;
        std::string strIP;
        std::string strMAC;
        std::string strGateway;
        std::string strSubnet;
    };

    // What a one-shot change of the table did.
    enum class ChangeResult
    {
        Done,    // the table is saved with the change
        Exists,  // AddEntry: an entry has the IP or the MAC already; nothing is written
        Missing, // ReplaceEntry, RemoveEntry: no entry has the IP or the MAC; nothing is written
        Failed,  // the table is full, in use by another program or could not be written (told)
    };

    CBootPFDB();

    // One-shot changes of "dhcp.ini" as it is now, each under the store's lock: the table is read
    // afresh, changed and saved, so that a change made meanwhile by another process stays. The
    // entry to change is the one Find finds: the first whose IP is `ip` or whose MAC is `mac`.
    // Afterwards this object holds the table as it was read and, when Done, as it was saved.
    //
    // Adds `record` after the last entry unless an entry has its IP or its MAC.
    ChangeResult AddEntry(const Record& record);
    // Puts `record` in the place of the entry found.
    ChangeResult ReplaceEntry(const std::string& ip, const std::string& mac, const Record& record);
    // Removes the entry found; the entries after it move up one place.
    ChangeResult RemoveEntry(const std::string& ip, const std::string& mac);
    // Reads the table and writes it back in its normal form (an empty file where there was none).
    // False when it could not be written (the operator has been told).
    bool Rewrite();

    // The first record whose IP equals `ip` or whose MAC equals `mac` (whole strings, case
    // sensitive), or -1.
    int Find(const std::string& ip, const std::string& mac) const;
    // The first record whose MAC equals `mac`, or -1.
    int FindMAC(const std::string& mac) const;
    // Writes the record at `index` (-1: the current one; any other index first becomes current).
    void SetRecord(int nHType, int nHlen, const std::string& ip, const std::string& mac, const std::string& gateway,
                   const std::string& subnet, int index = -1);
    void GetRecord(int index, int& nHType, int& nHlen, std::string& ip, std::string& mac, std::string& gateway,
                   std::string& subnet);
    // Removes the record at `index` (-1: the current one); the records after it move up one place.
    void Delete(int index = -1);

    int GetHType() const;
    int GetHlen() const;
    std::string GetIP() const;
    std::string GetMAC() const;
    std::string GetGateway() const;
    std::string GetSubnet() const;
    void SetHType(int nHType);
    void SetHlen(int nHlen);
    void SetIP(const std::string& ip);
    void SetMAC(const std::string& mac);
    void SetGateway(const std::string& gateway);
    void SetSubnet(const std::string& subnet);

    // The four numbers in the padded form the table holds after a load ("192.168.  1. 10").
    static std::string PaddedAddress(int a, int b, int c, int d);

private:
    bool ReadRecord(std::FILE* file, int slot) override;
    bool CheckRecord(int slot) const override;
    void WriteRecord(std::FILE* file, int slot, int number) const override;
    void ClearRecord(int slot) override;
    const Record* Current() const;
    Record* Current();

    std::vector<Record> m_records; // kMaxRecords slots and the reader's spare one
};
