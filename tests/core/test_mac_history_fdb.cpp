#include "core/StoreEnv.h"

#include "core/stores/MacHistoryFDB.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

const MacBytes kFirst{0x00, 0x01, 0xA2, 0xB3, 0xC4, 0xD5};
const MacBytes kSecond{0x0A, 0x00, 0x00, 0x00, 0x00, 0x01};
const MacBytes kThird{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};

class MacHistoryTest : public ::testing::Test
{
protected:
    std::string Path() const { return env.File("mach.ini"); }
    StoreEnv env;
};

TEST_F(MacHistoryTest, SaveWritesTheGoldenFileAndLoadReadsItBack)
{
    {
        CMacHistoryFDB db;
        EXPECT_EQ(db.GetPath(), Path());
        for (const MacBytes& mac : {kFirst, kSecond, kThird}) {
            db.Append();
            db.SetRecord(mac, -1);
        }
        ASSERT_TRUE(db.Save());
    }
    EXPECT_EQ(ReadFileBytes(Path()), StoreGolden("mach.ini")); // bytes in decimal: 0A is written 10

    CMacHistoryFDB db;
    ASSERT_TRUE(db.Load());
    ASSERT_EQ(db.GetCount(), 3);
    EXPECT_EQ(db.GetRecord(0), kFirst);
    EXPECT_EQ(db.GetRecord(2), kThird);
    db.SetCurrent(1);
    for (int k = 0; k < 6; ++k) {
        EXPECT_EQ(db.GetByte(k), kSecond[static_cast<size_t>(k)]);
    }
    EXPECT_EQ(db.Find(kSecond), 1);
    EXPECT_EQ(db.Find({0, 1, 162, 179, 196, 214}), -1);
    EXPECT_TRUE(env.Messages().empty());
}

TEST_F(MacHistoryTest, RememberAddsAnAddressOnceAndKeepsItsPlace)
{
    CMacHistoryFDB::Remember(kFirst);
    CMacHistoryFDB::Remember(kSecond);
    const std::string twice = ReadFileBytes(Path());
    EXPECT_EQ(twice, "[1]\t 0:1:162:179:196:213\n[2]\t 10:0:0:0:0:1\n");

    CMacHistoryFDB::Remember(kFirst);
    EXPECT_EQ(ReadFileBytes(Path()), twice);
    EXPECT_TRUE(env.Messages().empty());
}

TEST_F(MacHistoryTest, RememberRefusesAnAddressThatDidNotConvert)
{
    WriteFileBytes(Path(), StoreGolden("mach.ini"));
    CMacHistoryFDB::Remember({HexPairToInt("G0"), 1, 2, 3, 4, 5});
    EXPECT_EQ(env.Messages(), (std::vector<StoreMessage>{{"Wrong data type!!", "Error"}}));
    EXPECT_EQ(ReadFileBytes(Path()), StoreGolden("mach.ini"));
}

TEST_F(MacHistoryTest, ClearLeavesAnExistingEmptyFile)
{
    WriteFileBytes(Path(), StoreGolden("mach.ini"));
    CMacHistoryFDB db;
    ASSERT_TRUE(db.Load());
    EXPECT_TRUE(db.Clear());
    EXPECT_EQ(db.GetCount(), 0);
    ASSERT_TRUE(FileExists(Path()));
    EXPECT_EQ(ReadFileBytes(Path()), "");

    CMacHistoryFDB fresh; // "Delete History" on a store that never loaded, and no file yet
    std::remove(Path().c_str());
    EXPECT_TRUE(fresh.Clear());
    EXPECT_TRUE(FileExists(Path()));
    EXPECT_TRUE(env.Messages().empty());
}

TEST_F(MacHistoryTest, LinesThatDoNotParse)
{
    struct Case
    {
        const char* text;
        int count;
        MacBytes last;
    };
    const Case cases[] = {
        // Blanks and line ends between the parts are any white space.
        {"[1]\t 1:2:3:4:5:6\r\n[2]  \t\n 7:8:9:10:11:12", 2, {7, 8, 9, 10, 11, 12}},
        // Values outside 0 to 255 load as they stand.
        {"[1]\t 300:2:3:4:5:-6\n", 1, {300, 2, 3, 4, 5, -6}},
        // A negative first byte ends the load.
        {"[1]\t 1:2:3:4:5:6\n[2]\t -1:2:3:4:5:6\n[3]\t 1:1:1:1:1:1\n", 1, {1, 2, 3, 4, 5, 6}},
        // So does a line with fewer than six bytes: it is not half taken.
        {"[1]\t 1:2:3:4:5:6\n[2]\t 9:9:9\n", 1, {1, 2, 3, 4, 5, 6}},
        // A leading empty line: the first line must start with "[".
        {"\n[1]\t 1:2:3:4:5:6\n", 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        WriteFileBytes(Path(), c.text);
        CMacHistoryFDB db;
        ASSERT_TRUE(db.Load());
        ASSERT_EQ(db.GetCount(), c.count);
        if (c.count > 0) {
            EXPECT_EQ(db.GetRecord(c.count - 1), c.last);
        }
    }
}

TEST(HexPairToInt, Conversions)
{
    const struct
    {
        const char* text;
        int value;
    } cases[] = {
        {"00", 0},  {"0A", 10}, {"A2", 162}, {"FF", 255}, {"7", 7},  {" 7", 7},  {" F", 15}, {"", -1},
        {"a2", -1}, {"G0", -1}, {"0g", -1},  {"  ", -1},  {" ", -1}, {"-1", -1}, {"F ", -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(HexPairToInt(c.text), c.value) << '"' << c.text << '"';
    }
}

} // namespace
