// The file handling every store shares: where the files are, and that a save replaces a file
// whole or not at all, tells the operator when it cannot, and keeps the password file private.
#include "core/StoreEnv.h"

#include "core/stores/AdvancedServerDB.h"
#include "core/stores/BootPFDB.h"
#include "core/stores/MacHistoryFDB.h"
#include "core/stores/PwdFDB.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include <sys/stat.h>

namespace {

using SaveStep = CFileDB::SaveStep;

// One change to one store that ends in writing its file.
struct Change
{
    const char* name;
    const char* file;
    std::function<bool()> run;
    // Made under the store's lock, which leaves the lock file beside the store.
    bool locked = false;
};

const Change kChanges[] = {
    {"remember", "mach.ini",
     [] {
         CMacHistoryFDB db;
         db.Load();
         db.Append();
         db.SetRecord({1, 2, 3, 4, 5, 6}, -1);
         return db.Save();
     }},
    {"deleteHistory", "mach.ini", [] { return CMacHistoryFDB().Clear(); }, true},
    {"password", "pwd.ini",
     [] {
         CPwdFDB db;
         db.Load();
         db.Append();
         db.SetRecord("0001A2B3C4D6", "admin", "new", -1);
         return db.Save();
     }},
    {"deleteClient", "dhcp.ini",
     [] {
         CBootPFDB db;
         db.Load();
         db.Delete(0);
         return db.Save();
     }},
    {"addRouter", "adsvr.ini",
     [] {
         CAdvancedServerDB db;
         db.Load();
         db.AddRouter("10.0.0.254");
         return db.Save();
     }},
};

const SaveStep kSteps[] = {SaveStep::Create, SaveStep::Write, SaveStep::Flush, SaveStep::Rename};

std::string StepName(SaveStep step)
{
    switch (step) {
    case SaveStep::Create:
        return "Create";
    case SaveStep::Write:
        return "Write";
    case SaveStep::Flush:
        return "Flush";
    case SaveStep::Rename:
        return "Rename";
    }
    return "?";
}

class SaveFailureTest : public ::testing::TestWithParam<std::tuple<Change, SaveStep>>
{
protected:
    const Change& change() const { return std::get<0>(GetParam()); }
    SaveStep step() const { return std::get<1>(GetParam()); }
    std::string Path() const { return env.File(change().file); }

    StoreEnv env;
};

// A write error at any step (a full disk, an I/O error) leaves the previous file byte for byte, no
// temporary file behind, and the operator told which file and why.
TEST_P(SaveFailureTest, FailedWriteKeepsThePreviousFileAndTellsTheOperator)
{
    const std::string before = StoreGolden(change().file);
    WriteFileBytes(Path(), before);
    std::vector<SaveStep> steps;
    CFileDB::SetSaveFault([&](SaveStep at, const std::string& path) {
        steps.push_back(at);
        EXPECT_EQ(path, Path());
        return at == step() ? ENOSPC : 0;
    });

    EXPECT_FALSE(change().run());
    EXPECT_EQ(steps.back(), step());
    EXPECT_EQ(ReadFileBytes(Path()), before);
    std::vector<std::string> files{change().file};
    if (change().locked) {
        files.push_back(std::string(change().file) + ".lock");
    }
    EXPECT_EQ(env.Listing(), files);
    EXPECT_EQ(env.Messages(),
              (std::vector<StoreMessage>{{"Can't write " + Path() + " !!\nNo space left on device", "Error"}}));

    CFileDB::SetSaveFault({});
    EXPECT_TRUE(change().run());
    EXPECT_NE(ReadFileBytes(Path()), before);
}

// A save killed at any step leaves the previous file whole; only a stray temporary file remains.
TEST_P(SaveFailureTest, KilledSaveKeepsThePreviousFile)
{
    const std::string before = StoreGolden(change().file);
    WriteFileBytes(Path(), before);
    const SaveStep killAt = step();
    const Change& doomed = change();
    EXPECT_EXIT(
        {
            CFileDB::SetSaveFault([killAt](SaveStep at, const std::string&) {
                if (at == killAt) {
                    std::fflush(nullptr); // whatever was written so far is in the temporary file
                    std::raise(SIGKILL);
                }
                return 0;
            });
            doomed.run();
            std::exit(0);
        },
        ::testing::KilledBySignal(SIGKILL), "");

    EXPECT_EQ(ReadFileBytes(Path()), before);
    for (const std::string& name : env.Listing()) {
        EXPECT_TRUE(name == change().file || name == std::string(change().file) + ".lock" ||
                    name.rfind(std::string(change().file) + ".new-", 0) == 0)
            << name;
    }
}

INSTANTIATE_TEST_SUITE_P(AllStores, SaveFailureTest,
                         ::testing::Combine(::testing::ValuesIn(kChanges), ::testing::ValuesIn(kSteps)),
                         [](const auto& param) {
                             return std::string(std::get<0>(param.param).name) + StepName(std::get<1>(param.param));
                         });

class FileDBTest : public ::testing::Test
{
protected:
    StoreEnv env;
};

TEST_F(FileDBTest, PathIsTheProfileDirectoryAndTheFileName)
{
    EXPECT_EQ(CPwdFDB().GetPath(), env.File("pwd.ini"));
    CFileDB::SetDirectoryProvider([this] { return env.Dir() + "/"; });
    EXPECT_EQ(CBootPFDB().GetPath(), env.File("dhcp.ini"));
    CFileDB::SetDirectoryProvider([] { return std::string(); }); // no "path" in the profile
    EXPECT_EQ(CAdvancedServerDB().GetPath(), "/adsvr.ini");
    CFileDB::SetDirectoryProvider({});
    EXPECT_EQ(CMacHistoryFDB().GetPath(), "/mach.ini");
}

TEST_F(FileDBTest, OpenAndClose)
{
    CPwdFDB db;
    db.Close(); // nothing open: nothing happens
    EXPECT_FALSE(db.Open(0));
    EXPECT_TRUE(db.Open(1));
    db.Close();
    db.Close();
    EXPECT_TRUE(FileExists(env.File("pwd.ini")));
    WriteFileBytes(env.File("pwd.ini"), "x");
    EXPECT_TRUE(db.Open(0));
    EXPECT_TRUE(db.Open(1)); // truncates
    db.Close();
    EXPECT_EQ(ReadFileBytes(env.File("pwd.ini")), "");
    db.SetPath(env.File("other.ini"));
    EXPECT_EQ(db.GetPath(), env.File("other.ini"));
}

// A directory that cannot exist (below a regular file): loads find nothing, saves are refused aloud.
TEST_F(FileDBTest, DirectoryBelowARegularFile)
{
    WriteFileBytes(env.File("plain"), "not a directory");
    CFileDB::SetDirectoryProvider([this] { return env.File("plain"); });
    const std::string path = env.File("plain") + "/mach.ini";

    CMacHistoryFDB::Remember({0, 1, 2, 3, 4, 5});
    CPwdFDB pwd;
    EXPECT_FALSE(pwd.Load());
    pwd.Append();
    pwd.SetRecord("0001A2B3C4D5", "id", "pw", -1);
    EXPECT_FALSE(pwd.Save());
    EXPECT_FALSE(CMacHistoryFDB().Clear());
    const StoreMessage mach{"Can't write " + path + " !!\nNot a directory", "Error"};
    const StoreMessage pwdMessage{"Can't write " + env.File("plain") + "/pwd.ini !!\nNot a directory", "Error"};
    EXPECT_EQ(env.Messages(), (std::vector<StoreMessage>{mach, pwdMessage, mach}));
    EXPECT_EQ(ReadFileBytes(env.File("plain")), "not a directory");
}

// A file that is there but cannot be read is never replaced by a store that did not see its records.
TEST_F(FileDBTest, UnreadableFileIsNotReplaced)
{
    const std::string path = env.File("dhcp.ini");
    std::filesystem::create_directory(path);
    WriteFileBytes(path + "/keep", "x");

    CBootPFDB db;
    EXPECT_FALSE(db.Load());
    EXPECT_EQ(db.GetCount(), 0);
    db.Append();
    db.SetRecord(1, 6, "10.0.0.1", "0001A2B3C4D5", "10.0.0.1", "255.0.0.0", -1);
    EXPECT_FALSE(db.Save());
    EXPECT_EQ(env.Messages(), (std::vector<StoreMessage>{{"Can't read " + path + " !!\nIs a directory", "Error"},
                                                         {"Can't write " + path + " !!\nIs a directory", "Error"}}));
    EXPECT_TRUE(FileExists(path + "/keep"));

    // "Delete History" means to drop the file's contents: it tries, and the rename fails for real.
    env.ClearMessages();
    std::filesystem::create_directory(env.File("mach.ini"));
    EXPECT_FALSE(CMacHistoryFDB().Clear());
    EXPECT_EQ(env.Messages(),
              (std::vector<StoreMessage>{{"Can't write " + env.File("mach.ini") + " !!\nIs a directory", "Error"}}));
    EXPECT_EQ(env.Listing(), (std::vector<std::string>{"dhcp.ini", "mach.ini", "mach.ini.lock"}));
}

TEST_F(FileDBTest, FilePermissions)
{
    const mode_t previous = ::umask(022);
    const auto mode = [this](const char* name) {
        struct stat st
        {};
        ::stat(env.File(name).c_str(), &st);
        return st.st_mode & 0777;
    };

    CPwdFDB pwd; // plain-text passwords: owner only, even over a file that was readable to others
    pwd.Append();
    pwd.SetRecord("0001A2B3C4D5", "id", "pw", -1);
    ASSERT_TRUE(pwd.Save());
    EXPECT_EQ(mode("pwd.ini"), 0600U);
    ::chmod(env.File("pwd.ini").c_str(), 0644);
    ASSERT_TRUE(pwd.Save());
    EXPECT_EQ(mode("pwd.ini"), 0600U);

    ASSERT_TRUE(CMacHistoryFDB().Clear()); // the others follow the umask, or keep what they had
    EXPECT_EQ(mode("mach.ini"), 0644U);
    ::chmod(env.File("mach.ini").c_str(), 0640);
    CMacHistoryFDB::Remember({1, 2, 3, 4, 5, 6});
    EXPECT_EQ(mode("mach.ini"), 0640U);
    ::umask(previous);
}

TEST_F(FileDBTest, SaveThroughASymbolicLinkReplacesItsTarget)
{
    std::filesystem::create_directory(env.File("real"));
    WriteFileBytes(env.File("real/mach.ini"), StoreGolden("mach.ini"));
    std::filesystem::create_symlink(env.File("real/mach.ini"), env.File("mach.ini"));

    CMacHistoryFDB::Remember({1, 2, 3, 4, 5, 6});
    EXPECT_TRUE(std::filesystem::is_symlink(env.File("mach.ini")));
    EXPECT_EQ(ReadFileBytes(env.File("real/mach.ini")), StoreGolden("mach.ini") + "[4]\t 1:2:3:4:5:6\n");
    EXPECT_TRUE(env.Messages().empty());
}

} // namespace
