#pragma once

#include "core/stores/FileDB.h"

#include <cstdio>
#include <string>

// What the record tables ("dhcp.ini", "mach.ini", "pwd.ini") share: record arrays of 5000 slots,
// the record count, the current index with its walk, and the whole-file load and save.
//
// A load takes records in file order until the first one that does not parse or until 5000 are
// in. Whatever the reader could not take (a hand-edited record it does not understand, records
// past the 5000th) is kept as it stands and written back after the records by the next save, so
// no save ever drops a line the operator wrote.
class CRecordFDB : public CFileDB
{
public:
    static constexpr int kMaxRecords = 5000;

    // Reads the whole file; false when it is missing or cannot be read (the store is then empty).
    bool Load();
    // Rewrites the whole file; false when nothing was written (the operator has been told why).
    bool Save();

    // Index 0 or 1 to count: becomes the current index. Anything else: "Out of range of the
    // database !" and nothing changes.
    bool SetCurrent(int index);
    bool MoveFirst();
    bool MoveNext();
    bool IsEnd() const;
    // Makes the slot just past the last record current and counts it; the new count, or -1 when
    // the store is full (the operator is told and the current index is left past the last record,
    // so that a following SetRecord writes nothing).
    int Append();
    int GetCount() const { return m_nCount; }

    // "Can't add more than 5000 records to <path> !!"
    static std::string FullText(const std::string& path);
    // "Only the first 5000 records of <path> are used !!"
    static std::string OverCapacityText(const std::string& path);

protected:
    CRecordFDB(const char* fileName, bool ownerOnly);

    // Reads one record into `slot`; false when it does not parse. `slot` may be kMaxRecords, the
    // spare slot past the arrays' end used to look at what follows a full store.
    virtual bool ReadRecord(std::FILE* file, int slot) = 0;
    // Whether `slot` may be written; a refused record stops the save with "Wrong data type!!".
    virtual bool CheckRecord(int slot) const = 0;
    // Writes `slot` with the record number `number`.
    virtual void WriteRecord(std::FILE* file, int slot, int number) const = 0;
    // Empties `slot`.
    virtual void ClearRecord(int slot) = 0;

    // The slot SetRecord and GetRecord use: -1 is the current record, any other index first becomes
    // current. -1 when that lies outside the arrays.
    int Resolve(int index);
    // The current slot for the field getters and setters; -1 past the arrays' end.
    int CurrentSlot() const;
    void ForgetTail() { m_strTail.clear(); }
    bool OwnerOnly() const override { return m_bOwnerOnly; }

    int m_nCount = 0;
    int m_nCurrent = 0;

private:
    bool m_bOwnerOnly;
    std::string m_strTail;
};
