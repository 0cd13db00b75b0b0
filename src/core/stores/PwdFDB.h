#pragma once

#include "core/stores/RecordFDB.h"

#include <optional>
#include <string>
#include <vector>

// The ID and password remembered for each device, "pwd.ini", keyed by the MAC address as twelve
// upper-case hexadecimal digits. Blanks in IDs and passwords are written as "-/space/-". The file
// holds plain-text passwords and is readable and writable by its owner only.
class CPwdFDB final : public CRecordFDB
{
public:
    static constexpr const char* kFileName = "pwd.ini";
    static constexpr const char* kBlankCode = "-/space/-";
    // The reader's buffer holds 76 characters: a value in the file is at most 75 long.
    static constexpr int kMaxValue = 75;

    CPwdFDB();

    // The first record whose MAC equals `key` character for character, or -1.
    int FindMAC(const std::string& key) const;
    // Stores the three strings unchanged at `index` (-1: the current record; any other index first
    // becomes current).
    void SetRecord(const std::string& mac, const std::string& id, const std::string& password, int index = -1);
    void GetRecord(int index, std::string& mac, std::string& id, std::string& password);
    std::string GetMAC() const;
    std::string GetID() const;
    std::string GetPassword() const;
    void SetMAC(const std::string& mac);
    void SetID(const std::string& id);
    void SetPassword(const std::string& password);

    // Records the ID and password a device has confirmed under its key: the record of that key is
    // replaced, or a new one added, under the store's lock on the file as it is now. False when the
    // store is full, in use by another program or could not be written (the operator has been told).
    static bool Remember(const std::string& mac, const std::string& id, const std::string& password);

    struct Confirmed
    {
        std::string mac;
        std::string id;
        std::string password;
    };
    // As Remember for each in turn, with one change of the file: whether each is recorded.
    static std::vector<bool> RememberAll(const std::vector<Confirmed>& confirmed);

    struct Credentials
    {
        std::string id;
        std::string password;
    };
    // The ID and password recorded under the key, read afresh from the file; none when the key has
    // no record.
    static std::optional<Credentials> Lookup(const std::string& mac);

private:
    struct Record
    {
        std::string strMAC;
        std::string strID;
        std::string strPassword;
    };

    bool ReadRecord(std::FILE* file, int slot) override;
    bool CheckRecord(int slot) const override;
    void WriteRecord(std::FILE* file, int slot, int number) const override;
    void ClearRecord(int slot) override;
    const Record* Current() const;
    Record* Current();

    std::vector<Record> m_records; // kMaxRecords slots and the reader's spare one
};
