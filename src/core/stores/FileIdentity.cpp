#include "core/stores/FileIdentity.h"

#include <sys/stat.h>

namespace {

// Coarser than any file system's timestamp clock.
constexpr long long kClockGranularityNs = 50'000'000;

bool SameTime(const timespec& a, const timespec& b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

long long Nanoseconds(const timespec& t)
{
    return static_cast<long long>(t.tv_sec) * 1'000'000'000LL + t.tv_nsec;
}

} // namespace

FileIdentity FileIdentity::Of(const std::string& path)
{
    FileIdentity identity;
    struct stat st = {};
    if (::stat(path.c_str(), &st) == 0) {
        identity.exists = true;
        identity.device = st.st_dev;
        identity.inode = st.st_ino;
        identity.size = st.st_size;
        identity.mtime = st.st_mtim;
        identity.ctime = st.st_ctim;
    }
    return identity;
}

timespec FileIdentity::Now()
{
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return now;
}

bool FileIdentity::RacyAgainst(const timespec& readStart) const
{
    const long long limit = Nanoseconds(readStart) - kClockGranularityNs;
    return exists && (Nanoseconds(mtime) >= limit || Nanoseconds(ctime) >= limit);
}

bool FileIdentity::operator==(const FileIdentity& other) const
{
    return exists == other.exists && device == other.device && inode == other.inode && size == other.size &&
           SameTime(mtime, other.mtime) && SameTime(ctime, other.ctime);
}
