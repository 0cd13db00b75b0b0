#pragma once

#include "core/stores/FileDB.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

// One store file in a private directory (in memory where /dev/shm exists), with the stores wired
// to it. Any message other than the over-capacity warning is a finding: a store must always be
// able to save what it loaded.
class FuzzStoreFile
{
public:
    explicit FuzzStoreFile(const char* fileName)
    {
        const char* base = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : std::getenv("TMPDIR");
        m_dir = std::string(base && *base ? base : "/tmp") + "/corvane-fuzz-XXXXXX";
        if (!mkdtemp(m_dir.data())) {
            std::abort();
        }
        m_path = m_dir + "/" + fileName;
        CFileDB::SetDirectoryProvider([this] { return m_dir; });
        CFileDB::SetMessageSink([](const std::string& text, const std::string& caption) {
            if (text.rfind("Only the first", 0) != 0) {
                std::fprintf(stderr, "unexpected message: %s / %s\n", text.c_str(), caption.c_str());
                std::abort();
            }
        });
    }

    ~FuzzStoreFile()
    {
        std::error_code ec;
        std::filesystem::remove_all(m_dir, ec);
    }
    FuzzStoreFile(const FuzzStoreFile&) = delete;
    FuzzStoreFile& operator=(const FuzzStoreFile&) = delete;

    void Write(const std::uint8_t* data, std::size_t size) const
    {
        std::ofstream out(m_path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }

    std::string Read() const
    {
        std::ifstream in(m_path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

private:
    std::string m_dir;
    std::string m_path;
};

// Loads `data` as the store's file, saves it, and checks that loading and saving what was saved
// gives the same bytes again. The two stores live across runs (a load starts afresh), so that the
// runs go to reading and writing rather than to building 5000 empty slots each time.
template <class Store>
int FuzzLoadAndSave(const char* fileName, const std::uint8_t* data, std::size_t size)
{
    static FuzzStoreFile file(fileName);
    static Store first;
    static Store second;
    file.Write(data, size);
    if (!first.Load() || !first.Save()) {
        std::abort();
    }
    const std::string once = file.Read();
    if (!second.Load() || !second.Save()) {
        std::abort();
    }
    if (file.Read() != once) {
        std::fprintf(stderr, "a second load and save changed the file\n");
        std::abort();
    }
    return 0;
}
