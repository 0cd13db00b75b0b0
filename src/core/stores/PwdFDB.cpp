#include "core/stores/PwdFDB.h"

#include "core/stores/StoreText.h"

namespace {

std::string Encode(const std::string& value)
{
    return ReplaceAll(value, " ", CPwdFDB::kBlankCode);
}

std::string Decode(const std::string& value)
{
    return ReplaceAll(value, CPwdFDB::kBlankCode, " ");
}

} // namespace

CPwdFDB::CPwdFDB() : CRecordFDB(kFileName, true), m_records(kMaxRecords + 1) {}

bool CPwdFDB::ReadRecord(std::FILE* file, int slot)
{
    char mac[kMaxValue + 1] = {};
    char id[kMaxValue + 1] = {};
    char password[kMaxValue + 1] = {};
    int number = 0;
    int from = 0;
    int to = 0;
    if (std::fscanf(file, "\n[%d]\nMAC : %n%75s%n", &number, &from, mac, &to) != 2 || !IsWholeValue(mac, from, to)) {
        return false;
    }
    SkipRestOfValue(file);
    if (std::fscanf(file, " \nID : %n%75s%n", &from, id, &to) != 1 || !IsWholeValue(id, from, to)) {
        return false;
    }
    SkipRestOfValue(file);
    if (std::fscanf(file, "\nPassword : %n%75s%n", &from, password, &to) != 1 || !IsWholeValue(password, from, to)) {
        return false;
    }
    SkipRestOfValue(file);
    static_cast<void>(std::fscanf(file, " \n"));
    m_records[slot] = Record{mac, Decode(id), Decode(password)};
    return true;
}

bool CPwdFDB::CheckRecord(int slot) const
{
    const Record& record = m_records[slot];
    for (const std::string& value : {record.strMAC, Encode(record.strID), Encode(record.strPassword)}) {
        // Refuse what the reader could not give back: an empty value, white space inside a value
        // (only blanks are encoded) or a value longer than the reader's buffer.
        if (value.empty() || HasWhiteSpace(value) || value.size() > static_cast<size_t>(kMaxValue)) {
            return false;
        }
    }
    return true;
}

void CPwdFDB::WriteRecord(std::FILE* file, int slot, int number) const
{
    const Record& record = m_records[slot];
    std::fprintf(file, "\n[%d]\nMAC : %s \nID : %s \nPassword : %s \n", number, UpperCase(record.strMAC).c_str(),
                 Encode(record.strID).c_str(), Encode(record.strPassword).c_str());
}

void CPwdFDB::ClearRecord(int slot)
{
    m_records[slot] = Record{};
}

int CPwdFDB::FindMAC(const std::string& key) const
{
    for (int i = 0; i < m_nCount; ++i) {
        if (m_records[i].strMAC == key) {
            return i;
        }
    }
    return -1;
}

void CPwdFDB::SetRecord(const std::string& mac, const std::string& id, const std::string& password, int index)
{
    const int slot = Resolve(index);
    if (slot >= 0) {
        m_records[slot] = Record{mac, id, password};
    }
}

void CPwdFDB::GetRecord(int index, std::string& mac, std::string& id, std::string& password)
{
    const int slot = Resolve(index);
    const Record record = slot >= 0 ? m_records[slot] : Record{};
    mac = record.strMAC;
    id = record.strID;
    password = record.strPassword;
}

const CPwdFDB::Record* CPwdFDB::Current() const
{
    const int slot = CurrentSlot();
    return slot >= 0 ? &m_records[slot] : nullptr;
}

CPwdFDB::Record* CPwdFDB::Current()
{
    const int slot = CurrentSlot();
    return slot >= 0 ? &m_records[slot] : nullptr;
}

std::string CPwdFDB::GetMAC() const
{
    const Record* record = Current();
    return record ? record->strMAC : std::string();
}

std::string CPwdFDB::GetID() const
{
    const Record* record = Current();
    return record ? record->strID : std::string();
}

std::string CPwdFDB::GetPassword() const
{
    const Record* record = Current();
    return record ? record->strPassword : std::string();
}

void CPwdFDB::SetMAC(const std::string& mac)
{
    if (Record* record = Current()) {
        record->strMAC = mac;
    }
}

void CPwdFDB::SetID(const std::string& id)
{
    if (Record* record = Current()) {
        record->strID = id;
    }
}

void CPwdFDB::SetPassword(const std::string& password)
{
    if (Record* record = Current()) {
        record->strPassword = password;
    }
}

std::optional<CPwdFDB::Credentials> CPwdFDB::Lookup(const std::string& mac)
{
    CPwdFDB db;
    db.Load();
    const int index = db.FindMAC(mac);
    if (index == -1) {
        return std::nullopt;
    }
    db.SetCurrent(index);
    return Credentials{db.GetID(), db.GetPassword()};
}

bool CPwdFDB::Remember(const std::string& mac, const std::string& id, const std::string& password)
{
    return RememberAll({{mac, id, password}}).front();
}

std::vector<bool> CPwdFDB::RememberAll(const std::vector<Confirmed>& confirmed)
{
    CPwdFDB db;
    std::vector<bool> stored;
    const bool saved = db.Change([&] {
        stored.assign(confirmed.size(), false);
        db.Load();
        bool any = false;
        for (std::size_t i = 0; i < confirmed.size(); ++i) {
            const Confirmed& entry = confirmed[i];
            const int index = db.FindMAC(entry.mac);
            if (index == -1) {
                if (db.Append() == -1) {
                    continue;
                }
            } else {
                db.SetCurrent(index);
            }
            db.SetRecord(entry.mac, entry.id, entry.password, -1);
            stored[i] = any = true;
        }
        return any && db.Save();
    });
    if (!saved) {
        stored.assign(confirmed.size(), false);
    }
    return stored;
}
