#include "core/StoreEnv.h"

#include "core/stores/FileDB.h"

#include <algorithm>
#include <filesystem>

void PrintTo(const StoreMessage& message, std::ostream* out)
{
    *out << "{\"" << message.text << "\", \"" << message.caption << "\"}";
}

StoreEnv::StoreEnv()
{
    CFileDB::SetDirectoryProvider([this] { return m_dir.Path(); });
    CFileDB::SetMessageSink([this](const std::string& text, const std::string& caption) {
        m_messages.push_back({text, caption});
    });
    CFileDB::SetSaveFault({});
}

StoreEnv::~StoreEnv()
{
    CFileDB::SetDirectoryProvider({});
    CFileDB::SetMessageSink({});
    CFileDB::SetSaveFault({});
}

std::vector<std::string> StoreEnv::Listing() const
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(m_dir.Path())) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string StoreGolden(const std::string& name)
{
    return ReadFileBytes(std::string(CORVANE_TEST_DATA_DIR) + "/stores/" + name);
}
