#pragma once

#include <functional>
#include <string>

// The exclusive advisory lock that one change of a store is made under: flock(2) on a lock file
// beside the store ("pwd.ini.lock" for "pwd.ini"), which stays when the lock is released. The lock
// is tried without blocking every few milliseconds until it is had or kWaitMs have passed, so a
// process that hangs while holding it costs the others one refused change, never a frozen window.
//
// Where the file system has no locks (ENOLCK, EOPNOTSUPP, ENOSYS), or the lock file cannot be
// opened, the change goes on without the lock and the log says so once per process.
class CStoreLock
{
public:
    static constexpr int kWaitMs = 2000;
    static constexpr int kPollMs = 2;

    enum class State
    {
        Held,        // this object holds the lock
        Busy,        // another process held it for kWaitMs: the change must not be made
        Unavailable, // no lock could be taken on this file system; the change goes on without it
    };

    // Where log lines go (standard error when none is set).
    using LogSink = std::function<void(const std::string& line)>;
    // Test seam: asked before every try; a non-zero result is taken as the errno of a failed flock.
    using LockFault = std::function<int()>;

    // Takes the lock of `lockPath`, creating the file when needed (readable and writable by its
    // owner only when `ownerOnly`), waiting up to `waitMs`.
    explicit CStoreLock(const std::string& lockPath, bool ownerOnly = false, int waitMs = kWaitMs);
    ~CStoreLock();
    CStoreLock(const CStoreLock&) = delete;
    CStoreLock& operator=(const CStoreLock&) = delete;
    CStoreLock(CStoreLock&&) = delete;
    CStoreLock& operator=(CStoreLock&&) = delete;

    State GetState() const { return m_state; }
    // Whether the change may be made (the lock is held, or locks are unavailable).
    bool MayChange() const { return m_state != State::Busy; }
    // Lets the lock go before the object ends.
    void Release();

    // The lock file of the store at `storePath`.
    static std::string PathFor(const std::string& storePath) { return storePath + ".lock"; }

    static void SetLogSink(LogSink sink);
    static void SetLockFault(LockFault fault);

private:
    int m_fd = -1;
    State m_state = State::Unavailable;
};
