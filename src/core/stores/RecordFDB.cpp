#include "core/stores/RecordFDB.h"

#include <cstdio>

CRecordFDB::CRecordFDB(const char* fileName, bool ownerOnly) : CFileDB(fileName), m_bOwnerOnly(ownerOnly) {}

std::string CRecordFDB::FullText(const std::string& path)
{
    return "Can't add more than " + std::to_string(kMaxRecords) + " records to " + path + " !!";
}

std::string CRecordFDB::OverCapacityText(const std::string& path)
{
    return "Only the first " + std::to_string(kMaxRecords) + " records of " + path + " are used !!";
}

bool CRecordFDB::Load()
{
    m_nCount = 0;
    m_nCurrent = 0;
    bool overCapacity = false;
    const ReadResult result = ParseWhole(
        [this, &overCapacity](std::FILE* file) -> long {
            while (!std::feof(file)) {
                const long start = std::ftell(file);
                const int slot = m_nCount < kMaxRecords ? m_nCount : kMaxRecords;
                const bool read = ReadRecord(file, slot);
                if (read && slot < kMaxRecords) {
                    ++m_nCount;
                    m_nCurrent = m_nCount;
                    continue;
                }
                ClearRecord(slot);
                overCapacity = read;
                return start;
            }
            return -1;
        },
        m_strTail);
    // Told only once the load is complete (the kept tail included): the box runs the event loop.
    if (overCapacity) {
        MessageBox(OverCapacityText(GetPath()), kWarningCaption);
    }
    return result == ReadResult::Read;
}

bool CRecordFDB::Save()
{
    m_nCurrent = 0;
    const bool written = WriteWhole(
        [this](std::FILE* file) {
            for (int slot = 0; slot < m_nCount; ++slot) {
                if (!CheckRecord(slot)) {
                    MessageBox(kWrongDataType, kWrongDataTypeCaption);
                    return false;
                }
                WriteRecord(file, slot, slot + 1);
            }
            if (!m_strTail.empty()) {
                std::fwrite(m_strTail.data(), 1, m_strTail.size(), file);
            }
            return true;
        },
        m_bOwnerOnly);
    m_nCurrent = m_nCount;
    return written;
}

bool CRecordFDB::SetCurrent(int index)
{
    if (index < 0 || index > m_nCount) {
        MessageBox(kOutOfRange, kOutOfRangeCaption);
        return false;
    }
    m_nCurrent = index;
    return true;
}

bool CRecordFDB::MoveFirst()
{
    return SetCurrent(0);
}

bool CRecordFDB::MoveNext()
{
    return SetCurrent(m_nCurrent + 1);
}

bool CRecordFDB::IsEnd() const
{
    return m_nCount == 0 || m_nCurrent > m_nCount - 1;
}

int CRecordFDB::Append()
{
    if (m_nCount >= kMaxRecords) {
        m_nCurrent = m_nCount;
        MessageBox(FullText(GetPath()), kErrorCaption);
        return -1;
    }
    SetCurrent(m_nCount);
    return ++m_nCount;
}

int CRecordFDB::Resolve(int index)
{
    if (index < -1 || index >= kMaxRecords) {
        return -1;
    }
    if (index != -1) {
        m_nCurrent = index;
    }
    return CurrentSlot();
}

int CRecordFDB::CurrentSlot() const
{
    return m_nCurrent >= 0 && m_nCurrent < kMaxRecords ? m_nCurrent : -1;
}
