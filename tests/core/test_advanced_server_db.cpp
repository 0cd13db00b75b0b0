#include "core/StoreEnv.h"

#include "core/stores/AdvancedServerDB.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class AdvancedServerTest : public ::testing::Test
{
protected:
    std::string Path() const { return env.File("adsvr.ini"); }
    StoreEnv env;
};

TEST_F(AdvancedServerTest, FreshStoreSavesTheEmptyLayout)
{
    CAdvancedServerDB db;
    EXPECT_EQ(db.GetPath(), Path());
    EXPECT_FALSE(db.Load());
    EXPECT_EQ(db.GetRouterCount(), 0);
    EXPECT_EQ(db.GetLeaseTime(), 0);
    ASSERT_TRUE(db.Save());
    EXPECT_EQ(ReadFileBytes(Path()), StoreGolden("adsvr-empty.ini"));

    CAdvancedServerDB again; // "0 " reads back as an empty value
    ASSERT_TRUE(again.Load());
    EXPECT_EQ(again.GetServerIP(), "");
    EXPECT_EQ(again.GetDomainName(), "");
    EXPECT_TRUE(env.Messages().empty());
}

// What the settings dialog's OK leaves: its routers, the server address, "removed" and -1.
TEST_F(AdvancedServerTest, SettingsDialogSequenceWritesTheGoldenFile)
{
    {
        CAdvancedServerDB db;
        db.Load();
        for (const char* router : {"192.168.1.1", "10.0.0.1"}) {
            if (db.FindRouter(router) == -1) {
                db.AddRouter(router);
            }
        }
        db.SetDomainName("removed");
        db.SetServerIP("192.168.1.5");
        db.SetLeaseTime(-1);
        ASSERT_TRUE(db.Save());
    }
    EXPECT_EQ(ReadFileBytes(Path()), StoreGolden("adsvr.ini"));

    CAdvancedServerDB db;
    ASSERT_TRUE(db.Load());
    ASSERT_EQ(db.GetRouterCount(), 2);
    EXPECT_EQ(db.GetRouter(0), "192.168.1.1");
    EXPECT_EQ(db.GetRouter(1), "10.0.0.1");
    EXPECT_EQ(db.GetServerIP(), "192.168.1.5");
    EXPECT_EQ(db.GetDomainName(), "removed");
    EXPECT_EQ(db.GetLeaseTime(), -1);
}

TEST_F(AdvancedServerTest, HandEditedDnsAndNetBiosEntriesSurvive)
{
    WriteFileBytes(Path(), StoreGolden("adsvr-hand.ini"));
    CAdvancedServerDB db;
    ASSERT_TRUE(db.Load());
    ASSERT_EQ(db.GetDNSCount(), 2);
    EXPECT_EQ(db.GetDNS(0), "8.8.8.8");
    EXPECT_EQ(db.GetDNS(1), "8.8.4.4");
    ASSERT_EQ(db.GetNetBiosCount(), 1);
    EXPECT_EQ(db.GetNetBios(0), "192.168.1.20");
    EXPECT_EQ(db.GetServerIP(), "");
    EXPECT_EQ(db.GetDomainName(), "example.com");
    EXPECT_EQ(db.GetLeaseTime(), 86400);
    EXPECT_EQ(db.GetDNS(2), "");
    ASSERT_TRUE(db.Save());
    EXPECT_EQ(ReadFileBytes(Path()), StoreGolden("adsvr-hand.ini"));
}

TEST_F(AdvancedServerTest, RemoveRouter)
{
    WriteFileBytes(Path(), StoreGolden("adsvr-hand.ini"));
    CAdvancedServerDB db;
    ASSERT_TRUE(db.Load());
    db.RemoveRouter(0);
    ASSERT_EQ(db.GetRouterCount(), 2);
    EXPECT_EQ(db.GetRouter(0), "192.168.1.2");
    EXPECT_EQ(db.GetRouter(1), "192.168.1.3");
    EXPECT_TRUE(env.Messages().empty());

    db.RemoveRouter(2);
    db.RemoveRouter(-1);
    const StoreMessage over{"Over the number of routers!!", ""}; // captioned with the application name
    EXPECT_EQ(env.Messages(), (std::vector<StoreMessage>{over, over}));
    EXPECT_EQ(db.GetRouterCount(), 2);

    db.RemoveRouter(1);
    db.RemoveRouter(0);
    EXPECT_EQ(db.GetRouterCount(), 0);
    ASSERT_TRUE(db.Save());
    const std::string text = ReadFileBytes(Path());
    EXPECT_EQ(text.substr(0, 38), "[Router]\nnumber = 0\n\n[DNS]\nnumber = 2\n");
}

TEST_F(AdvancedServerTest, FindRouterComparesExactly)
{
    CAdvancedServerDB db;
    db.AddRouter("192.168.1.1");
    db.AddRouter("gw.Example");
    EXPECT_EQ(db.FindRouter("192.168.1.1"), 0);
    EXPECT_EQ(db.FindRouter(" 192.168.1.1"), -1);
    EXPECT_EQ(db.FindRouter("gw.example"), -1);
    EXPECT_EQ(db.FindRouter("gw.Example"), 1);
}

TEST_F(AdvancedServerTest, SaveRefusesValuesTheReaderCouldNotGiveBack)
{
    const struct
    {
        const char* name;
        const char* router;
        const char* serverIP;
        const char* domain;
    } cases[] = {
        {"empty router", "", "1.2.3.4", "removed"},
        {"router with a blank", "10.0.0.1 x", "1.2.3.4", "removed"},
        {"router of 20", "12345678901234567890", "1.2.3.4", "removed"},
        {"router that looks like a section", "[DNS]", "1.2.3.4", "removed"},
        {"server IP with a tab", "10.0.0.1", "1.2.3.4\t", "removed"},
        {"domain with a blank", "10.0.0.1", "1.2.3.4", "my domain"},
    };
    WriteFileBytes(Path(), StoreGolden("adsvr.ini"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        env.ClearMessages();
        CAdvancedServerDB db;
        ASSERT_TRUE(db.Load());
        db.AddRouter(c.router);
        db.SetServerIP(c.serverIP);
        db.SetDomainName(c.domain);
        EXPECT_FALSE(db.Save());
        EXPECT_EQ(env.Messages(), (std::vector<StoreMessage>{{"Wrong data type!!", "Error"}}));
        EXPECT_EQ(ReadFileBytes(Path()), StoreGolden("adsvr.ini"));
    }
}

TEST_F(AdvancedServerTest, ListsPast5000EntriesAreKeptButNotUsed)
{
    std::string text = "[Router]\nnumber = 5002\n";
    for (int i = 0; i < 5002; ++i) {
        text += "10." + std::to_string(i / 256) + "." + std::to_string(i % 256) + ".1\n";
    }
    text += "\n[DNS]\nnumber = 1\n8.8.8.8\n\n[NetBios]\nnumber = 0\n\n[Server IP]\n1 10.0.0.9\n\n[Domain Name]\n"
            "1 removed\n\n[Lease Time]\n-1\n";
    WriteFileBytes(Path(), text);
    CAdvancedServerDB db;
    ASSERT_TRUE(db.Load());
    EXPECT_EQ(db.GetRouterCount(), 5000);
    EXPECT_EQ(db.GetRouter(4999), "10.19.135.1");
    EXPECT_EQ(db.GetDNS(0), "8.8.8.8");
    EXPECT_EQ(db.GetServerIP(), "10.0.0.9");
    const StoreMessage overCapacity{"Only the first 5000 records of " + Path() + " are used !!", "Warning"};
    EXPECT_EQ(env.Messages(), std::vector<StoreMessage>{overCapacity});

    EXPECT_FALSE(db.AddRouter("1.1.1.1"));
    EXPECT_EQ(env.Messages().back(), (StoreMessage{"Can't add more than 5000 records to " + Path() + " !!", "Error"}));
    ASSERT_TRUE(db.Save());
    EXPECT_EQ(ReadFileBytes(Path()), text);
}

TEST_F(AdvancedServerTest, HandEditedLayouts)
{
    const struct
    {
        const char* name;
        std::string text;
        std::vector<std::string> routers;
        std::vector<std::string> dns;
        std::string serverIP;
        int leaseTime;
    } cases[] = {
        {"values longer than 19 read as their first 19",
         "[Router]\nnumber = 2\n123456789012345678901234\n10.0.0.1\n\n[DNS]\nnumber = 0\n\n[NetBios]\nnumber = 0\n\n"
         "[Server IP]\n1 abcdefghijklmnopqrstuvwxyz\n\n[Domain Name]\n0 \n\n[Lease Time]\n60\n",
         {"1234567890123456789", "10.0.0.1"},
         {},
         "abcdefghijklmnopqrs",
         60},
        {"a count above the values does not swallow the next section",
         "[Router]\nnumber = 3\n10.0.0.1\n\n[DNS]\nnumber = 1\n8.8.8.8\n\n[NetBios]\nnumber = 0\n\n"
         "[Server IP]\n1 10.0.0.9\n\n[Domain Name]\n0 \n\n[Lease Time]\n60\n",
         {"10.0.0.1"},
         {"8.8.8.8"},
         "10.0.0.9",
         60},
        {"a count below the values loses none of them",
         "[Router]\nnumber = 1\n10.0.0.1\n10.0.0.2\n\n[DNS]\nnumber = 0\n\n[NetBios]\nnumber = 0\n\n"
         "[Server IP]\n0 \n\n[Domain Name]\n0 \n\n[Lease Time]\n60\n",
         {"10.0.0.1", "10.0.0.2"},
         {},
         "",
         60},
        {"a missing section leaves the others readable",
         "\n[Router]\nnumber = 1\n10.0.0.1\n\n[NetBios]\nnumber = 0\n\n[Server IP]\n1 10.0.0.9\n\n[Lease Time]\n60",
         {"10.0.0.1"},
         {},
         "10.0.0.9",
         60},
        {"a flag without its value",
         "[Router]\nnumber = 0\n\n[DNS]\nnumber = 0\n\n[NetBios]\nnumber = 0\n\n[Server IP]\n1 \n\n[Domain Name]\n"
         "0 \n\n[Lease Time]\n60\n",
         {},
         {},
         "",
         60},
        {"CR LF line ends",
         "[Router]\r\nnumber = 1\r\n10.0.0.1\r\n\r\n[DNS]\r\nnumber = 0\r\n\r\n[NetBios]\r\nnumber = 0\r\n\r\n"
         "[Server IP]\r\n1 10.0.0.9\r\n\r\n[Domain Name]\r\n1 removed\r\n\r\n[Lease Time]\r\n-1\r\n",
         {"10.0.0.1"},
         {},
         "10.0.0.9",
         -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFileBytes(Path(), c.text);
        CAdvancedServerDB db;
        ASSERT_TRUE(db.Load());
        std::vector<std::string> routers, dns;
        for (int i = 0; i < db.GetRouterCount(); ++i) {
            routers.push_back(db.GetRouter(i));
        }
        for (int i = 0; i < db.GetDNSCount(); ++i) {
            dns.push_back(db.GetDNS(i));
        }
        EXPECT_EQ(routers, c.routers);
        EXPECT_EQ(dns, c.dns);
        EXPECT_EQ(db.GetServerIP(), c.serverIP);
        EXPECT_EQ(db.GetLeaseTime(), c.leaseTime);
    }
    EXPECT_TRUE(env.Messages().empty());
}

// A section the reader does not know stops it, as before; but it and everything after it stay in
// the file, at its end, for the operator to put right.
TEST_F(AdvancedServerTest, LinesTheReaderDoesNotFollowAreKeptAtTheEnd)
{
    const std::string hand = StoreGolden("adsvr-hand.ini");
    const std::string::size_type serverIP = hand.find("[Server IP]");
    const std::string kept = "[Comment]\nedited by hand\n\n" + hand.substr(serverIP);
    WriteFileBytes(Path(), hand.substr(0, serverIP) + kept);

    CAdvancedServerDB db;
    ASSERT_TRUE(db.Load());
    EXPECT_EQ(db.GetNetBios(0), "192.168.1.20");
    EXPECT_EQ(db.GetDomainName(), "");
    EXPECT_EQ(db.GetLeaseTime(), 0);
    db.SetLeaseTime(-1);
    ASSERT_TRUE(db.Save());
    const std::string saved = ReadFileBytes(Path());
    EXPECT_EQ(saved, hand.substr(0, serverIP) + "[Server IP]\n0 \n\n[Domain Name]\n0 \n\n[Lease Time]\n-1\n\n" + kept);

    CAdvancedServerDB again; // and it is a fixed point
    ASSERT_TRUE(again.Load());
    ASSERT_TRUE(again.Save());
    EXPECT_EQ(ReadFileBytes(Path()), saved);
    EXPECT_TRUE(env.Messages().empty());
}

} // namespace
