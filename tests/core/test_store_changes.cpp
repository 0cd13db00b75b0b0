// Stores shared by several processes: changes made at the same time by forked processes through
// the stores' own operations all end up in the file, once each, numbered and written as the store
// writes them; a process that hangs holding a store's lock costs the others one refused change after
// two seconds, with the store's own message; a file system without locks is used without them; and
// temporaries left by saves whose process died are removed by the next load and save, nothing else.
#include "core/StoreEnv.h"

#include "core/stores/AdvancedServerDB.h"
#include "core/stores/BootPFDB.h"
#include "core/stores/MacHistoryFDB.h"
#include "core/stores/PwdFDB.h"
#include "core/stores/StoreLock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int kWriters = 4;

std::string Format(const char* format, int value)
{
    char text[128];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string Key(int i)
{
    return Format("00E04C%06X", i);
}

MacBytes Mac(int i)
{
    return {0, 0xE0, 0x4C, (i >> 16) & 0xFF, (i >> 8) & 0xFF, i & 0xFF};
}

CBootPFDB::Record Client(int i, int gatewayByte = 254)
{
    return {1,
            6,
            Format(" 10.  1.%3d.", i / 200) + Format("%3d", i % 200 + 1),
            Key(i),
            Format(" 10.  0.  0.%3d", gatewayByte),
            "255.  0.  0.  0"};
}

// The processes forked by a test, started together and waited for.
class Writers
{
public:
    // Forks `count` processes that each wait for Start and then run `work(index)`; a process exits
    // with 0 when `work` returned true and the stores showed no message.
    Writers(const StoreEnv& env, int count, const std::function<bool(int)>& work)
    {
        int gate[2];
        EXPECT_EQ(::pipe(gate), 0);
        for (int i = 0; i < count; ++i) {
            const pid_t pid = ::fork();
            if (pid == 0) {
                ::close(gate[1]);
                char byte = 0;
                static_cast<void>(::read(gate[0], &byte, 1)); // returns at the end of the file: Start
                const bool ok = work(i) && env.Messages().empty();
                if (!env.Messages().empty()) {
                    std::fprintf(stderr, "writer %d: %s\n", i, env.Messages().front().text.c_str());
                }
                ::_exit(ok ? 0 : 1);
            }
            m_pids.push_back(pid);
        }
        ::close(gate[0]);
        m_gate = gate[1];
    }

    // Lets them all go at once and waits for them; the number that succeeded.
    int StartAndWait()
    {
        ::close(m_gate);
        int succeeded = 0;
        for (const pid_t pid : m_pids) {
            int status = 0;
            ::waitpid(pid, &status, 0);
            succeeded += WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 1 : 0;
        }
        return succeeded;
    }

private:
    std::vector<pid_t> m_pids;
    int m_gate = -1;
};

std::string PwdText(int number, const std::string& mac, const std::string& id, const std::string& password)
{
    return Format("\n[%d]\nMAC : ", number) + mac + " \nID : " + id + " \nPassword : " + password + " \n";
}

std::string ClientText(int number, const CBootPFDB::Record& r)
{
    return Format("\n[%d]\nHType : ", number) + std::to_string(r.nHType) + " \nhlen : " + std::to_string(r.nHlen) +
           " \nIP : " + r.strIP + " \nMAC : " + r.strMAC + " \nGateway : " + r.strGateway +
           " \nSubnet : " + r.strSubnet + "\n";
}

class StoreChangesTest : public ::testing::Test
{
protected:
    StoreEnv env;
};

// Four processes each confirm 50 devices of their own, and each replaces the password of one
// device the file already held: 204 records, the four old ones in their places with the new
// passwords, every new one once, numbered 1 to 204.
TEST_F(StoreChangesTest, ConcurrentPasswordConfirmationsAreAllKept)
{
    constexpr int kEach = 50;
    std::string before;
    for (int i = 0; i < kWriters; ++i) {
        before += PwdText(i + 1, Key(i), "old", "old");
    }
    WriteFileBytes(env.File("pwd.ini"), before);

    Writers writers(env, kWriters, [](int w) {
        bool ok = CPwdFDB::Remember(Key(w), "admin", "new " + std::to_string(w));
        for (int k = 0; k < kEach && ok; ++k) {
            const int i = 1000 + w * kEach + k;
            ok = CPwdFDB::Remember(Key(i), "id" + std::to_string(i), "pw " + std::to_string(i));
        }
        return ok;
    });
    ASSERT_EQ(writers.StartAndWait(), kWriters);

    CPwdFDB db;
    ASSERT_TRUE(db.Load());
    ASSERT_EQ(db.GetCount(), kWriters + kWriters * kEach);
    std::string expected;
    std::set<std::string> keys;
    for (int r = 0; r < db.GetCount(); ++r) {
        std::string mac, id, password;
        db.GetRecord(r, mac, id, password);
        keys.insert(mac);
        const int i = std::stoi(mac.substr(6), nullptr, 16);
        if (r < kWriters) {
            EXPECT_EQ(i, r);
            expected += PwdText(r + 1, Key(i), "admin", "new-/space/-" + std::to_string(i));
        } else {
            expected += PwdText(r + 1, Key(i), "id" + std::to_string(i), "pw-/space/-" + std::to_string(i));
        }
    }
    EXPECT_EQ(keys.size(), static_cast<size_t>(db.GetCount()));
    for (int i = 1000; i < 1000 + kWriters * kEach; ++i) {
        EXPECT_EQ(keys.count(Key(i)), 1U) << Key(i);
    }
    EXPECT_EQ(ReadFileBytes(env.File("pwd.ini")), expected);
    EXPECT_EQ(env.Listing(), (std::vector<std::string>{"pwd.ini", "pwd.ini.lock"}));
    struct stat st = {};
    ASSERT_EQ(::stat(env.File("pwd.ini.lock").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600U);
}

// Four processes each add 50 addresses of their own to the history and the one they all use: 201
// lines, each address once.
TEST_F(StoreChangesTest, ConcurrentHistoryAdditionsAreAllKept)
{
    constexpr int kEach = 50;
    Writers writers(env, kWriters, [](int w) {
        bool ok = CMacHistoryFDB::Remember(Mac(0xFFFF));
        for (int k = 0; k < kEach && ok; ++k) {
            ok = CMacHistoryFDB::Remember(Mac(w * kEach + k));
        }
        return ok;
    });
    ASSERT_EQ(writers.StartAndWait(), kWriters);

    CMacHistoryFDB db;
    ASSERT_TRUE(db.Load());
    ASSERT_EQ(db.GetCount(), kWriters * kEach + 1);
    std::string expected;
    std::set<MacBytes> seen;
    for (int r = 0; r < db.GetCount(); ++r) {
        const MacBytes mac = db.GetRecord(r);
        seen.insert(mac);
        expected += Format("[%d]\t 0:224:76:", r + 1) + std::to_string(mac[3]) + ":" + std::to_string(mac[4]) + ":" +
                    std::to_string(mac[5]) + "\n";
    }
    EXPECT_EQ(seen.size(), static_cast<size_t>(db.GetCount()));
    EXPECT_EQ(seen.count(Mac(0xFFFF)), 1U);
    for (int i = 0; i < kWriters * kEach; ++i) {
        EXPECT_EQ(seen.count(Mac(i)), 1U) << i;
    }
    EXPECT_EQ(ReadFileBytes(env.File("mach.ini")), expected);
}

// Four processes each add 25 clients of their own, edit one entry and delete another of the eight
// the table held: the four edited entries stay in their places, the four deleted ones are gone and
// the 100 added follow them, each once.
TEST_F(StoreChangesTest, ConcurrentClientTableChangesAreAllKept)
{
    constexpr int kEach = 25;
    std::string before;
    for (int i = 0; i < 2 * kWriters; ++i) {
        before += ClientText(i + 1, Client(i));
    }
    WriteFileBytes(env.File("dhcp.ini"), before);

    Writers writers(env, kWriters, [](int w) {
        using Result = CBootPFDB::ChangeResult;
        bool ok = true;
        for (int k = 0; k < kEach && ok; ++k) {
            ok = CBootPFDB().AddEntry(Client(100 + w * kEach + k)) == Result::Done;
            if (k == 5) {
                const CBootPFDB::Record old = Client(w);
                ok = ok && CBootPFDB().ReplaceEntry(old.strIP, old.strMAC, Client(w, w + 1)) == Result::Done;
            }
            if (k == 15) {
                const CBootPFDB::Record doomed = Client(kWriters + w);
                ok = ok && CBootPFDB().RemoveEntry(doomed.strIP, doomed.strMAC) == Result::Done;
            }
        }
        return ok;
    });
    ASSERT_EQ(writers.StartAndWait(), kWriters);

    CBootPFDB db;
    ASSERT_TRUE(db.Load());
    ASSERT_EQ(db.GetCount(), kWriters + kWriters * kEach);
    std::string expected;
    std::set<std::string> macs;
    for (int r = 0; r < db.GetCount(); ++r) {
        db.SetCurrent(r);
        const std::string mac = db.GetMAC();
        macs.insert(mac);
        const int i = std::stoi(mac.substr(6), nullptr, 16);
        if (r < kWriters) {
            EXPECT_EQ(i, r);
            expected += ClientText(r + 1, Client(i, i + 1));
        } else {
            EXPECT_GE(i, 100);
            expected += ClientText(r + 1, Client(i));
        }
    }
    EXPECT_EQ(macs.size(), static_cast<size_t>(db.GetCount()));
    EXPECT_EQ(ReadFileBytes(env.File("dhcp.ini")), expected);
}

// The one-shot operations of the client table, one process: what each says and leaves.
TEST_F(StoreChangesTest, ClientTableChangesFindTheirEntryByIpOrMac)
{
    using Result = CBootPFDB::ChangeResult;
    WriteFileBytes(env.File("dhcp.ini"), ClientText(1, Client(0)) + ClientText(2, Client(1)));
    const CBootPFDB::Record a = Client(0);
    const CBootPFDB::Record b = Client(1);
    CBootPFDB::Record sameIp = Client(7);
    sameIp.strIP = a.strIP;

    EXPECT_EQ(CBootPFDB().AddEntry(sameIp), Result::Exists);
    EXPECT_EQ(CBootPFDB().AddEntry(Client(7, 1)), Result::Done);
    EXPECT_EQ(CBootPFDB().ReplaceEntry("x", Client(9).strMAC, Client(9)), Result::Missing);
    // Found by its MAC although its IP is not the one given.
    EXPECT_EQ(CBootPFDB().ReplaceEntry("x", b.strMAC, Client(8)), Result::Done);
    EXPECT_EQ(CBootPFDB().RemoveEntry(a.strIP, "x"), Result::Done);
    EXPECT_EQ(CBootPFDB().RemoveEntry(a.strIP, "x"), Result::Missing);
    EXPECT_TRUE(env.Messages().empty());
    EXPECT_EQ(ReadFileBytes(env.File("dhcp.ini")), ClientText(1, Client(8)) + ClientText(2, Client(7, 1)));
}

// A change of each store while a stopped process holds its lock.
struct BlockedChange
{
    const char* name;
    const char* file;
    std::function<std::string()> lockPath;
    std::function<bool()> change;
    // The file once the change is made.
    std::string after;
    // A read of the store, which never waits for the lock.
    std::function<void()> load;
};

const std::string kSettingsWithRouter =
    "[Router]\nnumber = 1\n10.0.0.1\n\n[DNS]\nnumber = 0\n\n[NetBios]\nnumber = 0\n\n"
    "[Server IP]\n0 \n\n[Domain Name]\n0 \n\n[Lease Time]\n0\n";

std::vector<BlockedChange> BlockedChanges()
{
    return {
        {"password", "pwd.ini", [] { return CPwdFDB().LockPath(); },
         [] { return CPwdFDB::Remember("0001A2B3C4D5", "admin", "secret"); },
         PwdText(1, "0001A2B3C4D5", "admin", "secret"), [] { CPwdFDB().Load(); }},
        {"history cleared", "mach.ini", [] { return CMacHistoryFDB().LockPath(); },
         [] { return CMacHistoryFDB().Clear(); }, "", [] { CMacHistoryFDB().Load(); }},
        {"client added", "dhcp.ini", [] { return CBootPFDB().LockPath(); },
         [] { return CBootPFDB().AddEntry(Client(3)) == CBootPFDB::ChangeResult::Done; }, ClientText(1, Client(3)),
         [] { CBootPFDB().Load(); }},
        {"settings", "adsvr.ini", [] { return CAdvancedServerDB().LockPath(); },
         [] {
             return CAdvancedServerDB().Update(
                 [](CAdvancedServerDB& settings) { return settings.AddRouter("10.0.0.1"); });
         },
         kSettingsWithRouter, [] { CAdvancedServerDB().Load(); }},
    };
}

// The other process gives up after two seconds with "Can't write <path> !!" and "Another program is
// using it; try again.", leaves the file as it was, and makes the change once the lock is free.
TEST_F(StoreChangesTest, LockHeldByAStoppedProcessRefusesTheChangeAfterTwoSeconds)
{
    for (const BlockedChange& c : BlockedChanges()) {
        SCOPED_TRACE(c.name);
        const std::string path = env.File(c.file);
        const std::string before = "[1]\t 1:2:3:4:5:6\n"; // any bytes: the change must not touch them
        WriteFileBytes(path, before);
        env.ClearMessages();

        int held[2];
        int release[2];
        ASSERT_EQ(::pipe(held), 0);
        ASSERT_EQ(::pipe(release), 0);
        const std::string lockPath = c.lockPath();
        const pid_t holder = ::fork();
        if (holder == 0) {
            const CStoreLock lock(lockPath);
            const char state = lock.GetState() == CStoreLock::State::Held ? 'H' : '?';
            static_cast<void>(::write(held[1], &state, 1));
            char byte = 0;
            static_cast<void>(::read(release[0], &byte, 1));
            ::_exit(0);
        }
        char state = 0;
        ASSERT_EQ(::read(held[0], &state, 1), 1);
        ASSERT_EQ(state, 'H');
        ASSERT_EQ(::kill(holder, SIGSTOP), 0);

        const auto loadStart = std::chrono::steady_clock::now();
        c.load();
        EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - loadStart).count(), 0.5);
        env.ClearMessages();

        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(c.change());
        const double waited = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        EXPECT_GE(waited, 2.0);
        EXPECT_LT(waited, 3.0);
        EXPECT_EQ(env.Messages(),
                  (std::vector<StoreMessage>{
                      {"Can't write " + path + " !!\nAnother program is using it; try again.", "Error"}}));
        EXPECT_EQ(ReadFileBytes(path), before);

        ASSERT_EQ(::kill(holder, SIGCONT), 0);
        static_cast<void>(::write(release[1], "x", 1));
        int status = 0;
        ::waitpid(holder, &status, 0);
        for (const int fd : {held[0], held[1], release[0], release[1]}) {
            ::close(fd);
        }

        env.ClearMessages();
        if (std::string(c.file) != "mach.ini") {
            WriteFileBytes(path, "");
        }
        EXPECT_TRUE(c.change());
        EXPECT_TRUE(env.Messages().empty());
        EXPECT_EQ(ReadFileBytes(path), c.after);
    }
}

// Where flock has no locks to give, changes go on without them, and the log says so once.
TEST_F(StoreChangesTest, FileSystemWithoutLocksIsUsedWithoutThem)
{
    for (const int error : {ENOLCK, EOPNOTSUPP, ENOSYS}) {
        SCOPED_TRACE(error);
        std::vector<std::string> log;
        int tries = 0;
        CStoreLock::SetLogSink([&log](const std::string& line) { log.push_back(line); });
        CStoreLock::SetLockFault([&tries, error] {
            ++tries;
            return error;
        });
        EXPECT_TRUE(CPwdFDB::Remember("0001A2B3C4D5", "admin", "secret"));
        EXPECT_TRUE(CMacHistoryFDB::Remember(Mac(1)));
        CStoreLock::SetLockFault({});
        CStoreLock::SetLogSink({});
        EXPECT_EQ(tries, 2);
        EXPECT_TRUE(env.Messages().empty());
        EXPECT_EQ(ReadFileBytes(env.File("pwd.ini")), PwdText(1, "0001A2B3C4D5", "admin", "secret"));
        EXPECT_EQ(ReadFileBytes(env.File("mach.ini")), "[1]\t 0:224:76:0:0:1\n");
        // Once per process, whichever error it was.
        if (error == ENOLCK) {
            ASSERT_EQ(log.size(), 1U);
            EXPECT_NE(log[0].find(env.File("pwd.ini.lock")), std::string::npos) << log[0];
            EXPECT_NE(log[0].find("this file system has no locks"), std::string::npos) << log[0];
        } else {
            EXPECT_TRUE(log.empty());
        }
    }
}

// A pid no process has: a child that has ended and been waited for.
pid_t DeadPid()
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return pid;
}

// Temporaries whose process has ended go with the next load or save of their store; those of a
// running process (this one, a live child) and every other file stay.
TEST_F(StoreChangesTest, LoadAndSaveRemoveTheTemporariesOfEndedProcessesOnly)
{
    const std::string dead = std::to_string(DeadPid());
    int gate[2];
    ASSERT_EQ(::pipe(gate), 0);
    const pid_t live = ::fork();
    if (live == 0) {
        ::close(gate[1]);
        char byte = 0;
        static_cast<void>(::read(gate[0], &byte, 1));
        ::_exit(0);
    }
    ::close(gate[0]);
    const std::string self = std::to_string(::getpid());
    const std::string child = std::to_string(live);

    const std::vector<std::string> stale = {"dhcp.ini.new-" + dead + "-0", "dhcp.ini.new-" + dead + "-17"};
    const std::vector<std::string> kept = {
        "dhcp.ini.new-" + self + "-3",   "dhcp.ini.new-" + child + "-0", "dhcp.ini.new-" + dead + "-0.bak",
        "dhcp.ini.new-" + dead,          "dhcp.ini.new-" + dead + "-",   "dhcp.ini.new--1",
        "dhcp.ini.new-x" + dead + "-1",  "dhcp.ini.new-" + dead + "-1x", "xdhcp.ini.new-" + dead + "-1",
        "dhcp.ini.old-" + dead + "-1",   "pwd.ini.new-" + dead + "-1",   "dhcp.ini.new-0-1",
        "dhcp.ini.new-99999999999999-1",
    };
    // A save in progress in another PID namespace or on another host: its PID means nothing here,
    // the lock its writer holds on it does.
    const std::string foreign = "dhcp.ini.new-" + dead + "-9";
    WriteFileBytes(env.File(foreign), "other");
    const int foreignFd = ::open(env.File(foreign).c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(foreignFd, 0);
    ASSERT_EQ(::flock(foreignFd, LOCK_EX), 0);

    const std::vector<std::function<void()>> operations = {
        [] { CBootPFDB().Load(); },
        [] {
            CBootPFDB db;
            db.Save();
        },
        [] { CBootPFDB().AddEntry(Client(1)); },
    };
    for (size_t o = 0; o < operations.size(); ++o) {
        SCOPED_TRACE(o);
        WriteFileBytes(env.File("dhcp.ini"), "");
        for (const std::string& name : stale) {
            WriteFileBytes(env.File(name), "half a save");
        }
        for (const std::string& name : kept) {
            WriteFileBytes(env.File(name), "other");
        }
        std::filesystem::create_directory(env.File("dhcp.ini.new-" + dead + "-5"));
        std::filesystem::create_symlink("dhcp.ini", env.File("dhcp.ini.new-" + dead + "-6"));

        operations[o]();
        std::vector<std::string> expected = kept;
        expected.push_back("dhcp.ini");
        expected.push_back("dhcp.ini.new-" + dead + "-5");
        expected.push_back("dhcp.ini.new-" + dead + "-6");
        expected.push_back(foreign);
        if (o == 2) {
            expected.push_back("dhcp.ini.lock");
        }
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(env.Listing(), expected);
        for (const std::string& name : kept) {
            EXPECT_EQ(ReadFileBytes(env.File(name)), "other") << name;
        }
        std::filesystem::remove(env.File("dhcp.ini.new-" + dead + "-5"));
        std::filesystem::remove(env.File("dhcp.ini.new-" + dead + "-6"));
    }
    EXPECT_EQ(ReadFileBytes(env.File(foreign)), "other");
    EXPECT_TRUE(env.Messages().empty());
    ::close(foreignFd);
    CBootPFDB().Load();
    EXPECT_FALSE(std::filesystem::exists(env.File(foreign)));
    ::close(gate[1]);
    int status = 0;
    ::waitpid(live, &status, 0);
}

} // namespace
