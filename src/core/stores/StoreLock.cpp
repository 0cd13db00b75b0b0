#include "core/stores/StoreLock.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>
#include <utility>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

CStoreLock::LogSink& Sink()
{
    static CStoreLock::LogSink sink;
    return sink;
}

CStoreLock::LockFault& Fault()
{
    static CStoreLock::LockFault fault;
    return fault;
}

// Said once per process: a window that saves often must not fill the log with it.
void LogOnce(const std::string& line)
{
    static std::atomic<bool> said{false};
    if (said.exchange(true)) {
        return;
    }
    if (const CStoreLock::LogSink& sink = Sink()) {
        sink(line);
    } else {
        // Plain stdio: this may run with no descriptor to spare, where the sanitizers' checks of a
        // stream's virtual calls cannot probe memory and report a false fault.
        std::fprintf(stderr, "%s\n", line.c_str());
    }
}

bool LocksUnsupported(int error)
{
    return error == ENOLCK || error == EOPNOTSUPP || error == ENOSYS;
}

int TryLock(int fd)
{
    if (const CStoreLock::LockFault& fault = Fault()) {
        if (const int error = fault(); error != 0) {
            return error;
        }
    }
    return ::flock(fd, LOCK_EX | LOCK_NB) == 0 ? 0 : errno;
}

} // namespace

void CStoreLock::SetLogSink(LogSink sink)
{
    Sink() = std::move(sink);
}

void CStoreLock::SetLockFault(LockFault fault)
{
    Fault() = std::move(fault);
}

CStoreLock::CStoreLock(const std::string& lockPath, bool ownerOnly, int waitMs)
{
    m_fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, ownerOnly ? 0600 : 0666);
    if (m_fd < 0 && (errno == EACCES || errno == EROFS)) {
        // A lock file this process may not write is still one it may lock.
        m_fd = ::open(lockPath.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    }
    if (m_fd < 0) {
        // The save that follows reports what is wrong with the directory, if anything; a missing
        // directory needs no other word.
        if (errno == ENOENT || errno == ENOTDIR) {
            return;
        }
        LogOnce("corvane: cannot open " + lockPath + " (" + std::strerror(errno) +
                "); the stores are changed without a lock");
        return;
    }
    if (ownerOnly) {
        struct stat st = {};
        if (::fstat(m_fd, &st) == 0 && st.st_uid == ::geteuid() && (st.st_mode & 07777) != 0600) {
            ::fchmod(m_fd, 0600);
        }
    }

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    for (;;) {
        const int error = TryLock(m_fd);
        if (error == 0) {
            m_state = State::Held;
            return;
        }
        if (error == EINTR) {
            continue;
        }
        if (error != EWOULDBLOCK) {
            LogOnce("corvane: " + lockPath + ": " + std::strerror(error) +
                    (LocksUnsupported(error) ? "; this file system has no locks" : "; the lock cannot be taken") +
                    ", the stores are changed without them");
            Release();
            m_state = State::Unavailable;
            return;
        }
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) {
            Release();
            m_state = State::Busy;
            return;
        }
        std::this_thread::sleep_for(
            std::min<std::chrono::steady_clock::duration>(std::chrono::milliseconds(kPollMs), deadline - now));
    }
}

CStoreLock::~CStoreLock()
{
    Release();
}

void CStoreLock::Release()
{
    if (m_fd >= 0) {
        // Closing the only descriptor of the open file lets the lock go.
        ::close(m_fd);
        m_fd = -1;
    }
}
