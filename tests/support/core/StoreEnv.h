#pragma once

#include "core/TempDir.h"

#include <ostream>
#include <string>
#include <vector>

// What a store showed the operator.
struct StoreMessage
{
    std::string text;
    std::string caption;
    bool operator==(const StoreMessage&) const = default;
};
void PrintTo(const StoreMessage& message, std::ostream* out);

// A private database directory for one test: the stores find their files in it, their message
// boxes are recorded instead of shown, and no save fault is injected. Everything is put back when
// the object goes.
class StoreEnv
{
public:
    StoreEnv();
    ~StoreEnv();
    StoreEnv(const StoreEnv&) = delete;
    StoreEnv& operator=(const StoreEnv&) = delete;

    const std::string& Dir() const { return m_dir.Path(); }
    std::string File(const std::string& name) const { return m_dir.File(name); }
    const std::vector<StoreMessage>& Messages() const { return m_messages; }
    void ClearMessages() { m_messages.clear(); }
    // The names in the directory, sorted (to find left-over temporary files).
    std::vector<std::string> Listing() const;

private:
    TempDir m_dir;
    std::vector<StoreMessage> m_messages;
};

// The bytes of tests/data/stores/`name`.
std::string StoreGolden(const std::string& name);
