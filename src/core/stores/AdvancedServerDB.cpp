#include "core/stores/AdvancedServerDB.h"

#include "core/stores/RecordFDB.h"
#include "core/stores/StoreText.h"

namespace {

// Matches a literal part of the layout; when it does not match, the reader goes back to where it
// was, so that a missing section leaves the next one readable.
bool Expect(std::FILE* file, const char* literal)
{
    const long start = std::ftell(file);
    int matched = 0;
    const std::string format = std::string(literal) + "%n";
    static_cast<void>(std::fscanf(file, format.c_str(), &matched));
    if (matched == 0) {
        std::clearerr(file);
        std::fseek(file, start, SEEK_SET);
        return false;
    }
    return true;
}

int ReadNumber(std::FILE* file, const char* format)
{
    int value = 0;
    return std::fscanf(file, format, &value) == 1 ? value : 0;
}

// A value the reader gives back as it was written.
bool IsWritableValue(const std::string& value)
{
    return !value.empty() && value.size() <= static_cast<size_t>(CAdvancedServerDB::kMaxValue) &&
           !HasWhiteSpace(value) && value.front() != '[';
}

bool AreWritable(const std::vector<std::string>& values)
{
    for (const std::string& value : values) {
        if (!IsWritableValue(value)) {
            return false;
        }
    }
    return true;
}

void WriteList(std::FILE* file, const std::vector<std::string>& list, const std::vector<std::string>& beyond)
{
    std::fprintf(file, "number = %d\n", static_cast<int>(list.size() + beyond.size()));
    for (const std::string& value : list) {
        std::fprintf(file, "%s\n", value.c_str());
    }
    for (const std::string& value : beyond) {
        std::fprintf(file, "%s\n", value.c_str());
    }
}

std::string At(const std::vector<std::string>& list, int index)
{
    return index >= 0 && index < static_cast<int>(list.size()) ? list[static_cast<size_t>(index)] : std::string();
}

} // namespace

CAdvancedServerDB::CAdvancedServerDB() : CFileDB(kFileName) {}

void CAdvancedServerDB::Reset()
{
    m_routers.clear();
    m_dns.clear();
    m_netBios.clear();
    m_routersBeyond.clear();
    m_dnsBeyond.clear();
    m_netBiosBeyond.clear();
    m_strServerIP.clear();
    m_strDomainName.clear();
    m_nLeaseTime = 0;
    m_strTail.clear();
}

std::string CAdvancedServerDB::ReadValue(std::FILE* file)
{
    static_cast<void>(std::fscanf(file, " "));
    const int next = std::getc(file);
    if (next == EOF) {
        return {};
    }
    std::ungetc(next, file);
    if (next == '[') {
        return {};
    }
    char value[kMaxValue + 1] = {};
    int from = 0;
    int to = 0;
    if (std::fscanf(file, "%n%19s%n", &from, value, &to) != 1 || !IsWholeValue(value, from, to)) {
        return {};
    }
    SkipRestOfValue(file);
    static_cast<void>(std::fscanf(file, "\n"));
    return value;
}

bool CAdvancedServerDB::ReadList(std::FILE* file, std::vector<std::string>& list, std::vector<std::string>& beyond)
{
    // The count line is part of the layout, but the list holds the values the section holds: a
    // hand-edited count that disagrees with them must not cut the list or the sections after it.
    if (Expect(file, "number = ")) {
        static_cast<void>(ReadNumber(file, "%d\n"));
    }
    for (;;) {
        std::string value = ReadValue(file);
        if (value.empty()) {
            break;
        }
        (list.size() < static_cast<size_t>(kMaxEntries) ? list : beyond).push_back(std::move(value));
    }
    return beyond.empty();
}

bool CAdvancedServerDB::Load()
{
    Reset();
    bool withinLimits = true;
    const ReadResult result = ParseWhole(
        [this, &withinLimits](std::FILE* file) -> long {
            // The first section has no empty line before it; white space before it is skipped all
            // the same.
            if (Expect(file, "\n[Router]\n")) {
                withinLimits = ReadList(file, m_routers, m_routersBeyond) && withinLimits;
            }
            if (Expect(file, "\n[DNS]\n")) {
                withinLimits = ReadList(file, m_dns, m_dnsBeyond) && withinLimits;
            }
            if (Expect(file, "\n[NetBios]\n")) {
                withinLimits = ReadList(file, m_netBios, m_netBiosBeyond) && withinLimits;
            }
            if (Expect(file, "\n[Server IP]\n") && ReadNumber(file, "%d") != 0) {
                m_strServerIP = ReadValue(file);
            }
            if (Expect(file, "\n[Domain Name]\n") && ReadNumber(file, "%d") != 0) {
                m_strDomainName = ReadValue(file);
            }
            if (Expect(file, "\n[Lease Time]\n")) {
                m_nLeaseTime = ReadNumber(file, "%d\n");
            }
            static_cast<void>(std::fscanf(file, " "));
            return std::feof(file) ? -1 : std::ftell(file);
        },
        m_strTail);
    if (!withinLimits) {
        MessageBox(CRecordFDB::OverCapacityText(GetPath()), kWarningCaption);
    }
    return result == ReadResult::Read;
}

bool CAdvancedServerDB::Save()
{
    return WriteWhole([this](std::FILE* file) {
        if (!AreWritable(m_routers) || !AreWritable(m_dns) || !AreWritable(m_netBios) ||
            (!m_strServerIP.empty() && !IsWritableValue(m_strServerIP)) ||
            (!m_strDomainName.empty() && !IsWritableValue(m_strDomainName))) {
            MessageBox(kWrongDataType, kWrongDataTypeCaption);
            return false;
        }
        std::fprintf(file, "[Router]\n");
        WriteList(file, m_routers, m_routersBeyond);
        std::fprintf(file, "\n[DNS]\n");
        WriteList(file, m_dns, m_dnsBeyond);
        std::fprintf(file, "\n[NetBios]\n");
        WriteList(file, m_netBios, m_netBiosBeyond);
        std::fprintf(file, "\n[Server IP]\n");
        std::fprintf(file, "%d %s\n", m_strServerIP.empty() ? 0 : 1, m_strServerIP.c_str());
        std::fprintf(file, "\n[Domain Name]\n");
        std::fprintf(file, "%d %s\n", m_strDomainName.empty() ? 0 : 1, m_strDomainName.c_str());
        std::fprintf(file, "\n[Lease Time]\n");
        std::fprintf(file, "%d\n", m_nLeaseTime);
        std::fwrite(m_strTail.data(), 1, m_strTail.size(), file);
        return true;
    });
}

bool CAdvancedServerDB::Update(const std::function<bool(CAdvancedServerDB& settings)>& change)
{
    return Change([&] {
        Load();
        return change(*this) && Save();
    });
}

std::string CAdvancedServerDB::GetRouter(int index) const
{
    return At(m_routers, index);
}

bool CAdvancedServerDB::AddRouter(const std::string& router)
{
    if (m_routers.size() >= static_cast<size_t>(kMaxEntries)) {
        MessageBox(CRecordFDB::FullText(GetPath()), kErrorCaption);
        return false;
    }
    m_routers.push_back(router);
    return true;
}

int CAdvancedServerDB::FindRouter(const std::string& router) const
{
    for (size_t i = 0; i < m_routers.size(); ++i) {
        if (m_routers[i] == router) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void CAdvancedServerDB::RemoveRouter(int index)
{
    if (index < 0 || index >= GetRouterCount()) {
        MessageBox(kOverRouters);
        return;
    }
    m_routers.erase(m_routers.begin() + index);
}

std::string CAdvancedServerDB::GetDNS(int index) const
{
    return At(m_dns, index);
}

std::string CAdvancedServerDB::GetNetBios(int index) const
{
    return At(m_netBios, index);
}
