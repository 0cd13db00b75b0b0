#include "core/StoreEnv.h"

#include "core/stores/BootPFDB.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

using namespace std::string_literals;

class BootPStoreTest : public ::testing::Test
{
protected:
    std::string Path() const { return env.File("dhcp.ini"); }

    static void Add(CBootPFDB& db, const std::string& ip, const std::string& mac,
                    const std::string& gateway = "10.0.0.1", const std::string& subnet = "255.0.0.0")
    {
        db.Append();
        db.SetRecord(1, 6, ip, mac, gateway, subnet, -1);
    }

    StoreEnv env;
};

TEST_F(BootPStoreTest, SaveWritesTheGoldenFileAndLoadPadsTheAddresses)
{
    {
        CBootPFDB db;
        EXPECT_EQ(db.GetPath(), Path());
        Add(db, "192.168.1.10", "0001a2b3c4d5", "192.168.1.1", "255.255.255.0");
        Add(db, "10.0.0.2", "00E0A1B2C3D4");
        ASSERT_TRUE(db.Save());
    }
    // Addresses as given, the MAC upper-cased, no blank after the subnet.
    EXPECT_EQ(ReadFileBytes(Path()), StoreGolden("dhcp.ini"));

    CBootPFDB db;
    ASSERT_TRUE(db.Load());
    ASSERT_EQ(db.GetCount(), 2);
    ASSERT_TRUE(db.SetCurrent(0));
    EXPECT_EQ(db.GetHType(), 1);
    EXPECT_EQ(db.GetHlen(), 6);
    EXPECT_EQ(db.GetIP(), "192.168.  1. 10");
    EXPECT_EQ(db.GetMAC(), "0001A2B3C4D5");
    EXPECT_EQ(db.GetGateway(), "192.168.  1.  1");
    EXPECT_EQ(db.GetSubnet(), "255.255.255.  0");

    // The unpadded address no longer matches; the MAC still does.
    EXPECT_EQ(db.Find("192.168.1.10", "000000000000"), -1);
    EXPECT_EQ(db.Find("192.168.1.10", "0001A2B3C4D5"), 0);
    EXPECT_EQ(db.Find("192.168.  1. 10", ""), 0);
    EXPECT_EQ(db.FindMAC("0001A2B3C4D5"), 0);
    EXPECT_EQ(db.FindMAC("0001a2b3c4d5"), -1);

    ASSERT_TRUE(db.Save());
    EXPECT_EQ(ReadFileBytes(Path()), StoreGolden("dhcp-padded.ini"));
    ASSERT_TRUE(db.Load());
    ASSERT_TRUE(db.Save());
    EXPECT_EQ(ReadFileBytes(Path()), StoreGolden("dhcp-padded.ini"));
    EXPECT_TRUE(env.Messages().empty());
}

TEST_F(BootPStoreTest, FindTestsEachRecordOnIPOrMACInOrder)
{
    CBootPFDB db;
    for (int i = 1; i <= 5; ++i) {
        Add(db, "10.0.0." + std::to_string(i), "00000000000" + std::to_string(i));
    }
    EXPECT_EQ(db.Find("10.0.0.4", "000000000002"), 1);
    EXPECT_EQ(db.Find("10.0.0.4", "000000000009"), 3);
    EXPECT_EQ(db.Find("10.0.0.9", "000000000009"), -1);
}

TEST_F(BootPStoreTest, DeleteMovesTheLaterRecordsUp)
{
    CBootPFDB db;
    Add(db, "10.0.0.1", "A");
    Add(db, "10.0.0.2", "B");
    Add(db, "10.0.0.3", "C");
    db.Delete(0);
    ASSERT_EQ(db.GetCount(), 2);
    EXPECT_EQ(db.FindMAC("B"), 0);
    EXPECT_EQ(db.FindMAC("C"), 1);
    EXPECT_EQ(db.FindMAC("A"), -1);

    db.SetCurrent(1);
    db.Delete(-1);
    EXPECT_EQ(db.GetCount(), 1);
    EXPECT_EQ(db.FindMAC("C"), -1);
    db.Delete(5); // outside the table: nothing goes
    EXPECT_EQ(db.GetCount(), 1);

    db.Delete(0);
    EXPECT_EQ(db.GetCount(), 0);
    ASSERT_TRUE(db.Save());
    ASSERT_TRUE(FileExists(Path()));
    EXPECT_EQ(ReadFileBytes(Path()), "");
}

TEST_F(BootPStoreTest, FieldSettersChangeTheCurrentRecord)
{
    WriteFileBytes(Path(), StoreGolden("dhcp.ini"));
    CBootPFDB db;
    ASSERT_TRUE(db.Load());
    ASSERT_TRUE(db.SetCurrent(1));
    db.SetHType(6);
    db.SetHlen(16);
    db.SetIP("10.0.0.3");
    db.SetMAC("00e0a1b2c3d9");
    db.SetGateway("10.0.0.254");
    db.SetSubnet("255.255.0.0");
    ASSERT_TRUE(db.Save());
    const std::string golden = StoreGolden("dhcp-padded.ini");
    EXPECT_EQ(ReadFileBytes(Path()), golden.substr(0, golden.find("\n[2]")) +
                                         "\n[2]\nHType : 6 \nhlen : 16 \nIP : 10.0.0.3 \nMAC : 00E0A1B2C3D9 \n"
                                         "Gateway : 10.0.0.254 \nSubnet : 255.255.0.0\n");
}

// Records the reader could not give back are refused as a whole: the file stays as it was.
TEST_F(BootPStoreTest, SaveRefusesRecordsTheReaderCouldNotGiveBack)
{
    const struct
    {
        const char* name;
        int hType, hlen;
        std::string ip, mac, gateway, subnet;
    } cases[] = {
        {"negative HType", -1, 6, "10.0.0.1", "A", "10.0.0.1", "255.0.0.0"},
        {"negative hlen", 1, -6, "10.0.0.1", "A", "10.0.0.1", "255.0.0.0"},
        {"empty IP", 1, 6, "", "A", "10.0.0.1", "255.0.0.0"},
        {"empty MAC", 1, 6, "10.0.0.1", "", "10.0.0.1", "255.0.0.0"},
        {"empty gateway", 1, 6, "10.0.0.1", "A", "", "255.0.0.0"},
        {"empty subnet", 1, 6, "10.0.0.1", "A", "10.0.0.1", ""},
        {"three parts", 1, 6, "10.0.1", "A", "10.0.0.1", "255.0.0.0"},
        {"four digits", 1, 6, "10.0.0.1000", "A", "10.0.0.1", "255.0.0.0"},
        {"a name", 1, 6, "10.0.0.1", "A", "gateway", "255.0.0.0"},
        {"blank in the MAC", 1, 6, "10.0.0.1", "00 11", "10.0.0.1", "255.0.0.0"},
        {"MAC of 20", 1, 6, "10.0.0.1", std::string(20, 'A'), "10.0.0.1", "255.0.0.0"},
    };
    WriteFileBytes(Path(), StoreGolden("dhcp.ini"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        env.ClearMessages();
        CBootPFDB db;
        ASSERT_TRUE(db.Load());
        db.Append();
        db.SetRecord(c.hType, c.hlen, c.ip, c.mac, c.gateway, c.subnet, -1);
        EXPECT_FALSE(db.Save());
        EXPECT_EQ(env.Messages(), (std::vector<StoreMessage>{{"Wrong data type!!", "Error"}}));
        EXPECT_EQ(ReadFileBytes(Path()), StoreGolden("dhcp.ini"));
    }
}

TEST_F(BootPStoreTest, ScanningRules)
{
    const std::string tail = " \nGateway : 10.0.0.1 \nSubnet : 255.0.0.0\n";
    const struct
    {
        const char* name;
        std::string text;
        int count;
        std::string ip, mac;
    } cases[] = {
        {"white space of any kind", "\r\n[1]\r\nHType:1\nhlen :\t6\nIP :10. 0.\t0.1\nMAC : X" + tail, 1,
         " 10.  0.  0.  1", "X"},
        {"no blank before a dot", "\n[1]\nHType : 1 \nhlen : 6 \nIP : 10 .0.0.1 \nMAC : X" + tail, 0, "", ""},
        {"blanks inside the address", "\n[1]\nHType : 1 \nhlen : 6 \nIP : 10.  0.  0.  1 \nMAC : X" + tail, 1,
         " 10.  0.  0.  1", "X"},
        {"a fourth digit is not part of the number", "\n[1]\nHType : 1 \nhlen : 6 \nIP : 10.0.0.1000 \nMAC : X" + tail,
         0, "", ""},
        {"a MAC of 25 reads as its first 19",
         "\n[1]\nHType : 1 \nhlen : 6 \nIP : 10.0.0.1 \nMAC : 0123456789ABCDEFGHIJKLMNO" + tail, 1, " 10.  0.  0.  1",
         "0123456789ABCDEFGHI"},
        {"negative hlen", "\n[1]\nHType : 1 \nhlen : -6 \nIP : 10.0.0.1 \nMAC : X" + tail, 0, "", ""},
        {"a NUL byte in the MAC", "\n[1]\nHType : 1 \nhlen : 6 \nIP : 10.0.0.1 \nMAC : A\0B"s + tail, 0, "", ""},
        {"no subnet", "\n[1]\nHType : 1 \nhlen : 6 \nIP : 10.0.0.1 \nMAC : X \nGateway : 10.0.0.1 \nSubnet : \n", 0, "",
         ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFileBytes(Path(), c.text);
        CBootPFDB db;
        ASSERT_TRUE(db.Load());
        ASSERT_EQ(db.GetCount(), c.count);
        if (c.count > 0) {
            db.SetCurrent(0);
            EXPECT_EQ(db.GetIP(), c.ip);
            EXPECT_EQ(db.GetMAC(), c.mac);
            EXPECT_EQ(db.GetSubnet(), "255.  0.  0.  0");
        }
        // What the reader could not take is written back as it stood.
        ASSERT_TRUE(db.Save());
        if (c.count == 0) {
            EXPECT_EQ(ReadFileBytes(Path()), c.text);
        }
    }
}

TEST(PaddedAddress, IsTheFormatOfFourThreeDigitNumbers)
{
    const int values[] = {0, 5, 10, 99, 100, 255, 999, -1, -99, 1000, 12345};
    for (const int v : values) {
        char expected[64];
        std::snprintf(expected, sizeof expected, "%3d.%3d.%3d.%3d", v, 7, v, 255);
        EXPECT_EQ(CBootPFDB::PaddedAddress(v, 7, v, 255), expected) << v;
    }
}

} // namespace
