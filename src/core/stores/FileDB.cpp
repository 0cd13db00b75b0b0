#include "core/stores/FileDB.h"

#include "core/stores/StoreLock.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

CFileDB::DirectoryProvider& Provider()
{
    static CFileDB::DirectoryProvider provider;
    return provider;
}

CFileDB::MessageSink& Sink()
{
    static CFileDB::MessageSink sink;
    return sink;
}

CFileDB::SaveFault& Fault()
{
    static CFileDB::SaveFault fault;
    return fault;
}

int InjectedFault(CFileDB::SaveStep step, const std::string& path)
{
    const CFileDB::SaveFault& fault = Fault();
    return fault ? fault(step, path) : 0;
}

std::string DirectoryOf(const std::string& path)
{
    const std::string::size_type slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The file a save replaces: the target of a symbolic link rather than the link itself.
std::string ResolvedTarget(const std::string& path)
{
    struct stat st = {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* real = ::realpath(path.c_str(), nullptr)) {
            std::string resolved = real;
            std::free(real);
            return resolved;
        }
    }
    return path;
}

// Creates a new, empty file next to `target` and returns its descriptor (or -1 with errno set).
int CreateTemporary(const std::string& target, mode_t mode, std::string& tempPath)
{
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = target + ".new-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0) {
            // Held until the descriptor closes: the mark of a save in progress that a process of
            // another PID namespace or host, where this PID means nothing, can still see.
            ::flock(fd, LOCK_EX | LOCK_NB);
            return fd;
        }
        if (errno != EEXIST) {
            return fd;
        }
    }
    return -1;
}

// The process id of a temporary file name "<base>.new-PID-N" (PID and N decimal digits), or 0 for
// any other name.
pid_t TemporaryOwner(const char* name, const std::string& base)
{
    if (std::strncmp(name, base.c_str(), base.size()) != 0 || std::strncmp(name + base.size(), ".new-", 5) != 0) {
        return 0;
    }
    const char* p = name + base.size() + 5;
    long long pid = 0;
    const char* digits = p;
    for (; *p >= '0' && *p <= '9'; ++p) {
        pid = pid * 10 + (*p - '0');
        if (pid > INT_MAX) {
            return 0;
        }
    }
    if (p == digits || *p != '-') {
        return 0;
    }
    const char* counter = ++p;
    while (*p >= '0' && *p <= '9') {
        ++p;
    }
    return p != counter && *p == '\0' ? static_cast<pid_t>(pid) : 0;
}

// Removes the temporary files a save of `target` left behind when its process ended during the
// save: "<name>.new-PID-N" next to it whose process no longer runs and whose lock nobody holds. A
// temporary of a running process is a save in progress and stays (a locked one too: its PID may
// belong to another PID namespace or host sharing the directory), and so does every other file.
void RemoveStaleTemporaries(const std::string& target)
{
    const std::string directory = DirectoryOf(target);
    const std::string::size_type slash = target.rfind('/');
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    DIR* dir = ::opendir(directory.c_str());
    if (!dir) {
        return;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const pid_t pid = TemporaryOwner(entry->d_name, base);
        if (pid <= 0 || entry->d_type == DT_DIR || entry->d_type == DT_LNK) {
            continue;
        }
        if (::kill(pid, 0) == 0 || errno != ESRCH) {
            continue;
        }
        const std::string path = directory + "/" + entry->d_name;
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        if (fd < 0) {
            continue;
        }
        struct stat st = {};
        const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
        const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
        if (regular && !held) {
            ::unlink(path.c_str());
        }
        ::close(fd);
    }
    ::closedir(dir);
}

void SyncDirectory(const std::string& directory)
{
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// What a load keeps of `text` when the reader stopped at `stop`: from the line after the last
// thing it read, so that the kept lines follow the rewritten data with the spacing they had.
std::string KeptTail(const std::string& text, std::string::size_type stop)
{
    std::string::size_type end = stop;
    while (end > 0 && IsBlank(text[end - 1])) {
        --end;
    }
    std::string::size_type from = stop;
    if (end == 0) {
        from = 0;
    } else if (const std::string::size_type newline = text.find('\n', end); newline < stop) {
        from = newline + 1;
    }
    for (std::string::size_type i = from; i < text.size(); ++i) {
        if (!IsBlank(text[i])) {
            return text.substr(from);
        }
    }
    return {};
}

} // namespace

void CFileDB::SetDirectoryProvider(DirectoryProvider provider)
{
    Provider() = std::move(provider);
}

void CFileDB::SetMessageSink(MessageSink sink)
{
    Sink() = std::move(sink);
}

void CFileDB::SetSaveFault(SaveFault fault)
{
    Fault() = std::move(fault);
}

namespace {

// The messages held back by the innermost open DeferredMessages, if any.
std::vector<std::pair<std::string, std::string>>*& Deferred()
{
    static std::vector<std::pair<std::string, std::string>>* deferred = nullptr;
    return deferred;
}

} // namespace

CFileDB::DeferredMessages::DeferredMessages() : m_pOuter(Deferred())
{
    Deferred() = &m_messages;
}

CFileDB::DeferredMessages::~DeferredMessages()
{
    Deferred() = m_pOuter;
    // Taken out first: showing a box runs the event loop, which may start other loads.
    const auto messages = std::move(m_messages);
    for (const auto& [text, caption] : messages) {
        MessageBox(text, caption);
    }
}

void CFileDB::MessageBox(const std::string& text, const std::string& caption)
{
    if (auto* deferred = Deferred()) {
        deferred->emplace_back(text, caption);
        return;
    }
    // Copy first: a sink may replace itself while its box is open.
    const MessageSink sink = Sink();
    if (sink) {
        sink(text, caption);
    } else {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    }
}

std::string CFileDB::DatabaseDirectory()
{
    const DirectoryProvider& provider = Provider();
    return provider ? provider() : std::string();
}

std::string CFileDB::CannotWriteText(const std::string& path, int error)
{
    return "Can't write " + path + " !!\n" + std::strerror(error);
}

std::string CFileDB::CannotReadText(const std::string& path, int error)
{
    return "Can't read " + path + " !!\n" + std::strerror(error);
}

std::string CFileDB::BusyText(const std::string& path)
{
    return "Can't write " + path + " !!\n" + kBusyReason;
}

std::string CFileDB::LockPath() const
{
    return CStoreLock::PathFor(ResolvedTarget(m_strPath));
}

bool CFileDB::Change(const std::function<bool()>& change)
{
    // Declared first, so that it ends last: no box runs the event loop while the lock is held.
    const DeferredMessages deferred;
    const CStoreLock lock(LockPath(), OwnerOnly());
    m_bBusy = !lock.MayChange();
    if (m_bBusy) {
        MessageBox(BusyText(m_strPath), kErrorCaption);
        return false;
    }
    return change();
}

CFileDB::CFileDB(const char* fileName)
{
    std::string directory = DatabaseDirectory();
    if (directory.empty() || directory.back() != '/') {
        directory += '/';
    }
    m_strPath = directory + fileName;
}

CFileDB::~CFileDB()
{
    Close();
}

void CFileDB::SetPath(const std::string& path)
{
    m_strPath = path;
}

bool CFileDB::Open(int mode)
{
    Close();
    m_pFile = std::fopen(m_strPath.c_str(), mode == 1 ? "w+" : "r+");
    return m_pFile != nullptr;
}

void CFileDB::Close()
{
    if (m_pFile) {
        std::fclose(m_pFile);
        m_pFile = nullptr;
    }
}

CFileDB::ReadResult CFileDB::ReadWhole(std::string& text)
{
    text.clear();
    m_nUnreadable = 0;
    Close();
    RemoveStaleTemporaries(ResolvedTarget(m_strPath));
    m_pFile = std::fopen(m_strPath.c_str(), "r");
    if (!m_pFile) {
        if (errno == ENOENT || errno == ENOTDIR) {
            return ReadResult::Missing;
        }
        m_nUnreadable = errno;
    } else {
        // One buffer of the file's size and one byte more, read straight into (a short read is
        // the end): the DHCP server loads whole tables for every request. A file that grows
        // meanwhile is read on to its end.
        struct stat st = {};
        const size_t size =
            ::fstat(::fileno(m_pFile), &st) == 0 && st.st_size > 0 ? static_cast<size_t>(st.st_size) : 0;
        size_t capacity = std::max<size_t>(size + 1, 4096);
        size_t used = 0;
        for (;;) {
            text.resize(capacity);
            used += std::fread(text.data() + used, 1, capacity - used, m_pFile);
            if (used < capacity) {
                break;
            }
            capacity = used * 2;
        }
        text.resize(used);
        if (std::ferror(m_pFile)) {
            m_nUnreadable = errno != 0 ? errno : EIO;
        }
        Close();
    }
    if (m_nUnreadable != 0) {
        text.clear();
        MessageBox(CannotReadText(m_strPath, m_nUnreadable), kErrorCaption);
        return ReadResult::Unreadable;
    }
    return ReadResult::Read;
}

CFileDB::ReadResult CFileDB::ParseWhole(const std::function<long(std::FILE*)>& parse, std::string& tail)
{
    tail.clear();
    // Each load reads into its own buffer: a load may run while another one's message box is open
    // (the DHCP server's next request), and must not disturb what the outer load is parsing.
    std::string text;
    const ReadResult result = ReadWhole(text);
    if (result != ReadResult::Read || text.empty()) {
        return result;
    }
    std::FILE* stream = ::fmemopen(text.data(), text.size(), "r");
    if (!stream) {
        m_nUnreadable = errno;
        MessageBox(CannotReadText(m_strPath, m_nUnreadable), kErrorCaption);
        return ReadResult::Unreadable;
    }
    const long stop = parse(stream);
    std::fclose(stream);
    if (stop >= 0 && static_cast<std::string::size_type>(stop) < text.size()) {
        tail = KeptTail(text, static_cast<std::string::size_type>(stop));
    }
    return ReadResult::Read;
}

bool CFileDB::WriteWhole(const std::function<bool(std::FILE*)>& write, bool ownerOnly)
{
    Close();
    if (m_nUnreadable != 0) {
        // The file is there but its records never reached this store: replacing it would lose them.
        MessageBox(CannotWriteText(m_strPath, m_nUnreadable), kErrorCaption);
        return false;
    }

    const std::string target = ResolvedTarget(m_strPath);
    RemoveStaleTemporaries(target);
    std::string tempPath;
    int error = InjectedFault(SaveStep::Create, m_strPath);
    int fd = -1;
    if (error == 0) {
        fd = CreateTemporary(target, ownerOnly ? 0600 : 0666, tempPath);
        if (fd < 0) {
            error = errno;
        }
    }
    if (fd >= 0) {
        struct stat st = {};
        if (ownerOnly) {
            ::fchmod(fd, 0600);
        } else if (::stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
            ::fchmod(fd, st.st_mode & 07777); // keep the permissions the operator gave the file
        }
        m_pFile = ::fdopen(fd, "w");
        if (!m_pFile) {
            error = errno;
            ::close(fd);
        }
    }

    bool accepted = true;
    if (m_pFile) {
        errno = 0;
        accepted = write(m_pFile);
        if (accepted) {
            if (std::ferror(m_pFile)) {
                error = errno != 0 ? errno : EIO;
            }
            if (error == 0) {
                error = InjectedFault(SaveStep::Write, m_strPath);
            }
            if (error == 0 && std::fflush(m_pFile) != 0) {
                error = errno;
            }
            if (error == 0) {
                error = InjectedFault(SaveStep::Flush, m_strPath);
            }
            if (error == 0 && ::fsync(::fileno(m_pFile)) != 0) {
                error = errno;
            }
        }
        if (std::fclose(m_pFile) != 0 && error == 0 && accepted) {
            error = errno;
        }
        m_pFile = nullptr;
        if (accepted && error == 0) {
            error = InjectedFault(SaveStep::Rename, m_strPath);
            if (error == 0 && std::rename(tempPath.c_str(), target.c_str()) != 0) {
                error = errno;
            }
        }
    }

    if (!accepted || error != 0) {
        if (!tempPath.empty()) {
            ::unlink(tempPath.c_str());
        }
        if (accepted) {
            MessageBox(CannotWriteText(m_strPath, error), kErrorCaption);
        }
        return false;
    }
    SyncDirectory(DirectoryOf(target));
    m_saved = FileIdentity::Of(target);
    return true;
}
