// Saves cut short: a child process rewrites a full "dhcp.ini" (5000 clients) again and again, one
// generation after the other, and is killed with SIGKILL at a random moment. After every kill the
// file holds one whole generation, the last one the child finished or the one it was writing, byte
// for byte; the next load removes the child's temporary file, and the next save leaves none.
//
// 50 rounds by default; CORVANE_SAVE_KILL_ROUNDS sets another number (scripts/stress-saves.sh runs
// 1000). The table lives in /dev/shm where there is one, so that the rounds are not spent waiting
// for fsync (a kill stops a process, not the machine); CORVANE_SAVE_KILL_DIR names another place.
#include "core/StoreEnv.h"

#include "core/stores/BootPFDB.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int kClients = CRecordFDB::kMaxRecords;

std::string Address(int a, int b, int c, int d)
{
    return CBootPFDB::PaddedAddress(a, b, c, d);
}

std::string Mac(int i)
{
    char text[16];
    std::snprintf(text, sizeof text, "025A7E%06X", i);
    return text;
}

// Generation `g` of the table: every client's hardware type is `g`.
std::string Generation(int g)
{
    std::string text;
    text.reserve(static_cast<size_t>(kClients) * 120);
    char record[256];
    for (int i = 0; i < kClients; ++i) {
        std::snprintf(record, sizeof record,
                      "\n[%d]\nHType : %d \nhlen : 6 \nIP : %s \nMAC : %s \nGateway : %s \nSubnet : %s\n", i + 1, g,
                      Address(10, (i >> 8) & 0xFF, i & 0xFF, 1).c_str(), Mac(i).c_str(), Address(10, 0, 0, 254).c_str(),
                      Address(255, 0, 0, 0).c_str());
        text += record;
    }
    return text;
}

int Rounds()
{
    const char* rounds = std::getenv("CORVANE_SAVE_KILL_ROUNDS");
    return rounds && *rounds ? std::max(1, std::atoi(rounds)) : 50;
}

std::vector<std::string> Temporaries(const StoreEnv& env)
{
    std::vector<std::string> names;
    for (const std::string& name : env.Listing()) {
        if (name.rfind("dhcp.ini.new-", 0) == 0) {
            names.push_back(name);
        }
    }
    return names;
}

// Rewrites the table with the generations after `from`, under the store's lock as every change
// is made, and reports each one finished on `out`.
[[noreturn]] void SaveGenerations(int from, int out)
{
    for (int g = from + 1;; ++g) {
        CBootPFDB db;
        const bool saved = db.Change([&db, g] {
            db.Load();
            for (db.MoveFirst(); !db.IsEnd(); db.MoveNext()) {
                db.SetHType(g);
            }
            return db.Save();
        });
        if (!saved || ::write(out, &g, sizeof g) != static_cast<ssize_t>(sizeof g)) {
            ::_exit(1);
        }
    }
}

// Where the table goes: StoreEnv makes its directory under $TMPDIR.
void ChooseDirectory()
{
    const char* chosen = std::getenv("CORVANE_SAVE_KILL_DIR");
    if (chosen && *chosen) {
        ::setenv("TMPDIR", chosen, 1);
    } else if (::access("/dev/shm", W_OK) == 0) {
        ::setenv("TMPDIR", "/dev/shm", 1);
    }
}

// How long one generation takes the child: the load, the change and the save.
std::chrono::microseconds CycleTime(int g)
{
    const auto start = std::chrono::steady_clock::now();
    CBootPFDB db;
    db.Load();
    for (db.MoveFirst(); !db.IsEnd(); db.MoveNext()) {
        db.SetHType(g);
    }
    db.Save();
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
}

TEST(KilledSaves, EveryKillLeavesOneWholeGenerationAndTheNextLoadAndSaveNoTemporary)
{
    ChooseDirectory();
    StoreEnv env;
    const std::string path = env.File("dhcp.ini");
    int finished = 0;
    WriteFileBytes(path, Generation(finished));
    const auto cycle = std::max(CycleTime(finished), CycleTime(finished));

    const int rounds = Rounds();
    std::mt19937 random(static_cast<unsigned>(std::random_device{}()));
    // Time for about three generations: the kill lands before the first save, between two, or in
    // the middle of one.
    std::uniform_int_distribution<long> delayUs(0, 3 * static_cast<long>(cycle.count()));
    int cutShort = 0;
    for (int round = 0; round < rounds; ++round) {
        int pipeFds[2];
        ASSERT_EQ(::pipe2(pipeFds, O_CLOEXEC), 0);
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(pipeFds[0]);
            SaveGenerations(finished, pipeFds[1]);
        }
        ::close(pipeFds[1]);
        std::this_thread::sleep_for(std::chrono::microseconds(delayUs(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "round " << round << ": the child ended by itself";

        int g = 0;
        while (::read(pipeFds[0], &g, sizeof g) == static_cast<ssize_t>(sizeof g)) {
            finished = g;
        }
        ::close(pipeFds[0]);

        const std::string text = ReadFileBytes(path);
        if (text == Generation(finished + 1)) {
            ++finished; // renamed in place, killed before it could say so
        } else {
            ASSERT_EQ(text, Generation(finished)) << "round " << round << ": not one whole generation";
        }
        if (!Temporaries(env).empty()) {
            ++cutShort;
        }

        CBootPFDB db;
        ASSERT_TRUE(db.Load());
        ASSERT_EQ(db.GetCount(), kClients);
        ASSERT_EQ(Temporaries(env), std::vector<std::string>{}) << "round " << round << ": after the load";
        ASSERT_TRUE(db.Save());
        for (const std::string& name : env.Listing()) {
            ASSERT_TRUE(name == "dhcp.ini" || name == "dhcp.ini.lock") << "round " << round << ": " << name;
        }
        ASSERT_EQ(ReadFileBytes(path), Generation(finished));
    }
    EXPECT_TRUE(env.Messages().empty());
    // Most kills land in the middle of a save; without any, the removal of temporaries was not tried.
    EXPECT_GT(cutShort, 0);
    std::printf("%d rounds in %s, %lld us a generation, %d killed in the middle of a save, last generation %d\n",
                rounds, env.Dir().c_str(), static_cast<long long>(cycle.count()), cutShort, finished);
}

} // namespace
