#include "stores/RecordFDB.h"

#include <cerrno>
#include <cstdio>

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Where the kept tail of a file begins when the reader stopped at `stop`: the first line after the
// last record read, so that the tail follows the rewritten records with the spacing it had.
std::string::size_type TailStart(const std::string& text, std::string::size_type stop)
{
    std::string::size_type end = stop;
    while (end > 0 && IsBlank(text[end - 1])) {
        --end;
    }
    if (end == 0) {
        return 0;
    }
    const std::string::size_type newline = text.find('\n', end);
    return newline != std::string::npos && newline < stop ? newline + 1 : stop;
}

} // namespace

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
    m_strTail.clear();

    std::string text;
    if (ReadWhole(text) != ReadResult::Read) {
        return false;
    }
    if (text.empty()) {
        return true;
    }
    std::FILE* file = ::fmemopen(text.data(), text.size(), "r");
    if (!file) {
        m_nUnreadable = errno;
        MessageBox(CannotReadText(GetPath(), m_nUnreadable), kErrorCaption);
        return false;
    }

    long stop = -1;
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
        if (read) {
            MessageBox(OverCapacityText(GetPath()), kWarningCaption);
        }
        stop = start;
        break;
    }
    std::fclose(file);

    if (stop >= 0) {
        const std::string::size_type from = TailStart(text, static_cast<std::string::size_type>(stop));
        for (std::string::size_type i = from; i < text.size(); ++i) {
            if (!IsBlank(text[i])) {
                m_strTail = text.substr(from);
                break;
            }
        }
    }
    return true;
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
