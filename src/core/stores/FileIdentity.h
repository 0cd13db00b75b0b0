#pragma once

#include <ctime>
#include <string>

#include <sys/types.h>

// What tells whether a file may have changed since it was read: device, inode (an atomic save
// makes a new one), size, and the modification and change times to the nanosecond. A file
// written within the file system's clock granularity of its read may change again without any of
// these moving; such a read is "racy" and is not to be trusted.
struct FileIdentity
{
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec mtime{};
    timespec ctime{};

    static FileIdentity Of(const std::string& path);
    // The wall clock, to be taken just before a file is read.
    static timespec Now();
    // Whether a read that started at `readStart` may have missed a change of this file.
    bool RacyAgainst(const timespec& readStart) const;

    bool operator==(const FileIdentity& other) const;
};

// What a cache knows of the file it last read: Read runs `read` only when the file at `path` may
// differ from what the previous Read saw (another path, another identity, or a racy read).
class CFileStamp
{
public:
    // True when `read` ran.
    template <class Reader>
    bool Read(const std::string& path, Reader&& read)
    {
        // The identity is taken before the read: a change made while reading shows as a new one.
        const FileIdentity now = FileIdentity::Of(path);
        if (m_bValid && m_strPath == path && m_identity == now) {
            return false;
        }
        const timespec start = FileIdentity::Now();
        read();
        m_strPath = path;
        m_identity = now;
        m_bValid = !now.RacyAgainst(start);
        return true;
    }
    // The next Read reads in any case.
    void Invalidate() { m_bValid = false; }

private:
    std::string m_strPath;
    FileIdentity m_identity;
    bool m_bValid = false;
};
