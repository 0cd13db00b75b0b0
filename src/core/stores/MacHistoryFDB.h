#pragma once

#include "core/stores/RecordFDB.h"

#include <array>
#include <string>
#include <vector>

// The six bytes of a MAC address in transmission order.
using MacBytes = std::array<int, 6>;

// The value of a one- or two-character upper-case hexadecimal text ("A2" gives 162, " 7" and "7"
// give 7); -1 when it is empty or holds anything else.
int HexPairToInt(const std::string& pair);

// The history of the MAC addresses the operator has used, "mach.ini": one line per address,
// "[n]", a tab, a blank and the six bytes in decimal separated by ":".
class CMacHistoryFDB final : public CRecordFDB
{
public:
    static constexpr const char* kFileName = "mach.ini";

    CMacHistoryFDB();

    // The first record whose six bytes equal `mac`, or -1.
    int Find(const MacBytes& mac) const;
    // Writes the record at `index` (-1: the current one; any other index first becomes current).
    void SetRecord(const MacBytes& mac, int index = -1);
    MacBytes GetRecord(int index = -1);
    // Byte `k` (0 to 5) of the current record.
    int GetByte(int k) const;
    // Empties the history and leaves an empty "mach.ini", under the store's lock; false when the file
    // is in use by another program or could not be written (the operator has been told).
    bool Clear();

    // Adds `mac` to the history as the file is now, under the store's lock, unless it is already
    // there (it then keeps its place). False when it is not in the history afterwards (the operator
    // has been told why).
    static bool Remember(const MacBytes& mac);
    // As Remember for each in turn, with one change of the file: false when one of them is not in
    // the history afterwards.
    static bool RememberAll(const std::vector<MacBytes>& macs);

private:
    bool ReadRecord(std::FILE* file, int slot) override;
    bool CheckRecord(int slot) const override;
    void WriteRecord(std::FILE* file, int slot, int number) const override;
    void ClearRecord(int slot) override;

    std::vector<MacBytes> m_records; // kMaxRecords slots and the reader's spare one
};
