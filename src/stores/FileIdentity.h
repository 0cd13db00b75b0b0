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
