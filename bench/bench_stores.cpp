// Times the stores on full tables: the DHCP server reloads "dhcp.ini" and "adsvr.ini" for every
// request it answers, and every device command reloads "pwd.ini" and "mach.ini". Prints the median
// and the slowest of a number of runs for building a store, loading it and saving it, and what the
// store's lock adds to a save and to a load (a change takes the lock, loads and saves).
//
// Usage: bench_stores [directory] [runs]   (default: a fresh directory under $TMPDIR, 31 runs)
#include "core/stores/AdvancedServerDB.h"
#include "core/stores/BootPFDB.h"
#include "core/stores/MacHistoryFDB.h"
#include "core/stores/PwdFDB.h"
#include "core/stores/StoreLock.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Timing
{
    double median;
    double slowest;
};

Timing Measure(int runs, const std::function<void()>& work)
{
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        work();
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.back()};
}

// `plain` and `locked` run in turn, so that a disk or a neighbour that slows down meanwhile weighs
// on both alike.
std::pair<Timing, Timing> MeasureSideBySide(int runs, const std::function<void()>& plain,
                                            const std::function<void()>& locked)
{
    std::vector<double> a;
    std::vector<double> b;
    for (int i = 0; i < runs; ++i) {
        for (int k = 0; k < 2; ++k) {
            const bool first = (i + k) % 2 == 0;
            const auto start = Clock::now();
            (first ? plain : locked)();
            (first ? a : b).push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        }
    }
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    return {{a[a.size() / 2], a.back()}, {b[b.size() / 2], b.back()}};
}

void Report(const char* what, const Timing& timing)
{
    std::printf("%-34s median %8.3f ms   slowest %8.3f ms\n", what, timing.median, timing.slowest);
}

template <class Store>
void Require(bool ok, const Store& db, int count, const char* what)
{
    if (!ok || db.GetCount() != count) {
        std::fprintf(stderr, "%s failed (count %d)\n", what, db.GetCount());
        std::exit(1);
    }
}

std::string Key(int i)
{
    char key[16];
    std::snprintf(key, sizeof key, "00E04C%06X", i);
    return key;
}

} // namespace

int main(int argc, char** argv)
{
    std::string dir;
    if (argc > 1) {
        dir = argv[1];
    } else {
        const char* tmp = std::getenv("TMPDIR");
        dir = std::string(tmp && *tmp ? tmp : "/tmp") + "/corvane-bench-XXXXXX";
        if (!mkdtemp(dir.data())) {
            std::perror("mkdtemp");
            return 1;
        }
    }
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 31;
    CFileDB::SetDirectoryProvider([&dir] { return dir; });
    CFileDB::SetMessageSink([](const std::string& text, const std::string& caption) {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    });
    const int n = CRecordFDB::kMaxRecords;

    {
        CBootPFDB db;
        for (int i = 0; i < n; ++i) {
            db.Append();
            db.SetRecord(1, 6, "10." + std::to_string(i / 256) + "." + std::to_string(i % 256) + ".1", Key(i),
                         "10.0.0.254", "255.0.0.0", -1);
        }
        Require(db.Save(), db, n, "dhcp.ini save");
    }
    {
        CPwdFDB db;
        for (int i = 0; i < n; ++i) {
            db.Append();
            db.SetRecord(Key(i), "admin", "pass word " + std::to_string(i), -1);
        }
        Require(db.Save(), db, n, "pwd.ini save");
    }
    {
        CMacHistoryFDB db;
        for (int i = 0; i < n; ++i) {
            db.Append();
            db.SetRecord({0, 0xE0, 0x4C, (i >> 16) & 0xFF, (i >> 8) & 0xFF, i & 0xFF}, -1);
        }
        Require(db.Save(), db, n, "mach.ini save");
    }
    {
        CAdvancedServerDB db;
        for (int i = 0; i < 3; ++i) {
            db.AddRouter("10.0.0." + std::to_string(i + 1));
        }
        db.SetServerIP("10.0.0.254");
        db.SetDomainName("removed");
        db.SetLeaseTime(-1);
        if (!db.Save()) {
            return 1;
        }
    }

    std::printf("%d records per table, %d runs, in %s\n", n, runs, dir.c_str());
    Report("build an empty CBootPFDB", Measure(runs, [] { CBootPFDB db; }));
    Report("build an empty CPwdFDB", Measure(runs, [] { CPwdFDB db; }));
    Report("load dhcp.ini (5000)", Measure(runs, [&] {
               CBootPFDB db;
               Require(db.Load(), db, n, "dhcp.ini load");
           }));
    Report("load pwd.ini (5000)", Measure(runs, [&] {
               CPwdFDB db;
               Require(db.Load(), db, n, "pwd.ini load");
           }));
    Report("load mach.ini (5000)", Measure(runs, [&] {
               CMacHistoryFDB db;
               Require(db.Load(), db, n, "mach.ini load");
           }));
    Report("load adsvr.ini", Measure(runs, [&] {
               CAdvancedServerDB db;
               if (!db.Load()) {
                   std::exit(1);
               }
           }));
    Report("DHCP request: dhcp.ini + adsvr.ini", Measure(runs, [&] {
               CBootPFDB clients;
               clients.Load();
               CAdvancedServerDB settings;
               settings.Load();
               if (clients.FindMAC(Key(n - 1)) != n - 1) {
                   std::exit(1);
               }
           }));

    CBootPFDB dhcp;
    dhcp.Load();
    CPwdFDB pwd;
    pwd.Load();
    Report("save dhcp.ini (5000, with fsync)", Measure(runs, [&] { Require(dhcp.Save(), dhcp, n, "dhcp.ini save"); }));
    Report("save pwd.ini (5000, with fsync)", Measure(runs, [&] { Require(pwd.Save(), pwd, n, "pwd.ini save"); }));

    // The same save and load with and without the lock, side by side; the lock alone on its own.
    const auto lockPath = dhcp.LockPath();
    const auto [save, lockedSave] = MeasureSideBySide(
        runs, [&] { Require(dhcp.Save(), dhcp, n, "dhcp.ini save"); },
        [&] {
            const CStoreLock lock(lockPath);
            Require(dhcp.Save(), dhcp, n, "dhcp.ini save");
        });
    const auto [load, lockedLoad] = MeasureSideBySide(
        runs, [&] { Require(dhcp.Load(), dhcp, n, "dhcp.ini load"); },
        [&] {
            const CStoreLock lock(lockPath);
            Require(dhcp.Load(), dhcp, n, "dhcp.ini load");
        });
    const Timing lockOnly = Measure(runs * 10, [&] { const CStoreLock lock(lockPath); });
    Report("save dhcp.ini (5000), no lock", save);
    Report("save dhcp.ini (5000), under lock", lockedSave);
    Report("load dhcp.ini (5000), no lock", load);
    Report("load dhcp.ini (5000), under lock", lockedLoad);
    Report("take and release the lock", lockOnly);
    std::printf("the lock adds %+.2f %% to a save and %+.1f us to a load (medians)\n",
                100.0 * (lockedSave.median - save.median) / save.median, 1000.0 * (lockedLoad.median - load.median));

    if (argc <= 1) {
        std::filesystem::remove_all(dir);
    }
    return 0;
}
