#include "core/StoreEnv.h"
#include "core/dhcp/ServerTables.h"
#include "core/stores/AdvancedServerDB.h"
#include "core/stores/BootPFDB.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>

namespace {

std::string Mac(int n)
{
    char text[13];
    std::snprintf(text, sizeof text, "025A7E%06X", n);
    return text;
}

// Writes `count` clients (MAC 025A7E000000 + n, IP 10.0.x.y) through the store itself.
void WriteClients(int count, int firstHost = 1)
{
    CBootPFDB db;
    for (int n = 0; n < count; ++n) {
        db.Append();
        const int host = firstHost + n;
        db.SetRecord(1, 6, "10.0." + std::to_string(host / 256) + "." + std::to_string(host % 256), Mac(n), "10.0.0.1",
                     "255.255.0.0");
    }
    ASSERT_TRUE(db.Save());
}

void WriteRouter(const std::string& router)
{
    CAdvancedServerDB db;
    db.AddRouter(router);
    db.SetServerIP("10.0.0.2");
    db.SetLeaseTime(-1);
    ASSERT_TRUE(db.Save());
}

// Past the window in which a just-written file is read again on every refresh.
void LetTheClockMoveOn()
{
    std::this_thread::sleep_for(std::chrono::milliseconds(120));
}

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class ServerTablesTest : public ::testing::Test
{
protected:
    StoreEnv env;
    CServerTables tables;
};

} // namespace

TEST_F(ServerTablesTest, ReadsBothTablesAndFindsByMac)
{
    WriteClients(3);
    WriteRouter("10.0.0.1");
    tables.Refresh();
    EXPECT_EQ(tables.EntryCount(), 3);
    EXPECT_EQ(tables.Settings().routers, std::vector<std::string>{"10.0.0.1"});
    EXPECT_EQ(tables.Settings().serverIP, "10.0.0.2");
    EXPECT_EQ(tables.Settings().leaseTime, -1);
    const auto entry = tables.FindMAC(Mac(2));
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->ip, " 10.  0.  0.  3"); // the padded form a load gives
    EXPECT_EQ(entry->subnet, "255.255.  0.  0");
    EXPECT_FALSE(tables.FindMAC("025A7E999999"));
    EXPECT_FALSE(tables.FindMAC(Mac(2).substr(0, 11))); // whole texts only
}

TEST_F(ServerTablesTest, FirstEntryOfAMacWins)
{
    CBootPFDB db;
    for (const char* ip : {"10.0.0.5", "10.0.0.6"}) {
        db.Append();
        db.SetRecord(1, 6, ip, Mac(7), "10.0.0.1", "255.0.0.0");
    }
    ASSERT_TRUE(db.Save());
    tables.Refresh();
    ASSERT_TRUE(tables.FindMAC(Mac(7)));
    EXPECT_EQ(tables.FindMAC(Mac(7))->ip, " 10.  0.  0.  5");
}

TEST_F(ServerTablesTest, UnchangedFilesAreNotReadAgain)
{
    WriteClients(10);
    WriteRouter("10.0.0.1");
    LetTheClockMoveOn();
    tables.Refresh();
    const int reads = tables.Reads();
    EXPECT_EQ(reads, 2);
    for (int i = 0; i < 100; ++i) {
        tables.Refresh();
    }
    EXPECT_EQ(tables.Reads(), reads);
    tables.Invalidate();
    tables.Refresh();
    EXPECT_EQ(tables.Reads(), reads + 2);
}

TEST_F(ServerTablesTest, AFileWrittenJustBeforeItsLoadIsReadAgain)
{
    // A second write in the same tick of the file system's clock could leave the size and times
    // as they were: such a file is not trusted until the clock has moved on.
    WriteClients(1);
    WriteRouter("10.0.0.1");
    tables.Refresh();
    tables.Refresh();
    EXPECT_EQ(tables.Reads(), 4);
    LetTheClockMoveOn();
    tables.Refresh();
    tables.Refresh();
    EXPECT_EQ(tables.Reads(), 6);
}

TEST_F(ServerTablesTest, EveryKindOfEditCountsFromTheNextRefresh)
{
    WriteClients(2);
    WriteRouter("10.0.0.1");
    LetTheClockMoveOn();
    tables.Refresh();
    ASSERT_EQ(tables.FindMAC(Mac(1))->ip, " 10.  0.  0.  2");

    // An atomic save by the store (a new inode).
    WriteClients(2, 101);
    tables.Refresh();
    EXPECT_EQ(tables.FindMAC(Mac(1))->ip, " 10.  0.  0.102");

    // A hand edit in place of the same size whose modification time is then put back: the
    // change time still moves.
    LetTheClockMoveOn();
    tables.Refresh();
    const std::string path = env.File("dhcp.ini");
    struct stat before = {};
    ASSERT_EQ(::stat(path.c_str(), &before), 0);
    std::string text = ReadAll(path);
    const auto at = text.find("10.0.0.102");
    ASSERT_NE(at, std::string::npos);
    text.replace(at, 10, "10.0.0.109");
    {
        std::fstream out(path, std::ios::in | std::ios::out | std::ios::binary);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
    }
    const timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    tables.Refresh();
    EXPECT_EQ(tables.FindMAC(Mac(1))->ip, " 10.  0.  0.109");

    // A removed file empties the table; the settings follow their own file.
    ASSERT_EQ(std::remove(path.c_str()), 0);
    WriteRouter("10.0.0.254");
    tables.Refresh();
    EXPECT_EQ(tables.EntryCount(), 0);
    EXPECT_EQ(tables.Settings().routers, std::vector<std::string>{"10.0.0.254"});
}

TEST_F(ServerTablesTest, AnotherStoreDirectoryIsReadAfresh)
{
    WriteClients(1);
    WriteRouter("10.0.0.1");
    LetTheClockMoveOn();
    tables.Refresh();
    ASSERT_EQ(tables.EntryCount(), 1);

    TempDir other;
    CFileDB::SetDirectoryProvider([&other] { return other.Path(); });
    tables.Refresh();
    EXPECT_EQ(tables.EntryCount(), 0);
    EXPECT_TRUE(tables.Settings().routers.empty());
}

TEST_F(ServerTablesTest, StoreBoxesWaitUntilBothTablesAreComplete)
{
    WriteClients(CRecordFDB::kMaxRecords);
    {
        // One more record past the 5000th, by hand.
        std::ofstream out(env.File("dhcp.ini"), std::ios::app);
        out << "\n[5001]\nHType : 1 \nhlen : 6 \nIP : 10.1.0.1 \nMAC : 025A7EFFFFFF \nGateway : 10.0.0.1 \n"
               "Subnet : 255.255.0.0\n";
    }
    WriteRouter("10.0.0.1");
    LetTheClockMoveOn();

    // While the box is open, the next request's refresh must find everything in place.
    int nestedEntries = -1;
    std::vector<std::string> nestedRouters;
    int readsInBox = -1;
    std::vector<StoreMessage> shown;
    CFileDB::SetMessageSink([&](const std::string& text, const std::string& caption) {
        shown.push_back({text, caption});
        readsInBox = tables.Reads();
        tables.Refresh();
        nestedEntries = tables.EntryCount();
        nestedRouters = tables.Settings().routers;
        readsInBox = tables.Reads() - readsInBox;
    });
    tables.Refresh();
    ASSERT_EQ(shown.size(), 1U);
    EXPECT_EQ(shown[0], (StoreMessage{CRecordFDB::OverCapacityText(env.File("dhcp.ini")), "Warning"}));
    EXPECT_EQ(nestedEntries, CRecordFDB::kMaxRecords);
    EXPECT_EQ(nestedRouters, std::vector<std::string>{"10.0.0.1"});
    EXPECT_EQ(readsInBox, 0);
}

TEST(StoreLoads, ALoadInsideAnotherLoadsBoxLeavesItsRecordsAlone)
{
    // The "more than 5000" box runs the event loop: another load (the DHCP server's next request)
    // may read a different file meanwhile. The outer store must still save its own kept lines.
    StoreEnv env;
    WriteClients(CRecordFDB::kMaxRecords);
    const std::string extra =
        "\n[5001]\nHType : 1 \nhlen : 6 \nIP : 10.1.0.1 \nMAC : 025A7EFFFFFF \nGateway : 10.0.0.1 \n"
        "Subnet : 255.255.0.0\n";
    {
        std::ofstream out(env.File("dhcp.ini"), std::ios::app);
        out << extra;
    }
    WriteRouter("10.9.9.9");

    CFileDB::SetMessageSink([](const std::string&, const std::string&) {
        CAdvancedServerDB nested;
        nested.Load();
    });
    CBootPFDB db;
    ASSERT_TRUE(db.Load());
    EXPECT_EQ(db.GetCount(), CRecordFDB::kMaxRecords);
    CFileDB::SetMessageSink({});
    ASSERT_TRUE(db.Save());
    const std::string saved = ReadAll(env.File("dhcp.ini"));
    EXPECT_NE(saved.find("MAC : 025A7EFFFFFF"), std::string::npos);
    EXPECT_EQ(saved.find("10.9.9.9"), std::string::npos);
    CBootPFDB reread;
    reread.Load();
    EXPECT_EQ(reread.GetCount(), CRecordFDB::kMaxRecords);
}
