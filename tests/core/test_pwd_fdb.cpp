#include "core/StoreEnv.h"

#include "core/stores/PwdFDB.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace std::string_literals;

class PwdStoreTest : public ::testing::Test
{
protected:
    std::string Path() const { return env.File("pwd.ini"); }

    static void Add(CPwdFDB& db, const std::string& mac, const std::string& id, const std::string& password)
    {
        db.Append();
        db.SetRecord(mac, id, password, -1);
    }

    StoreEnv env;
};

TEST_F(PwdStoreTest, SaveWritesTheGoldenFileAndLoadDecodesIt)
{
    {
        CPwdFDB db;
        EXPECT_EQ(db.GetPath(), Path());
        Add(db, "0001a2b3c4d5", "admin", "pass word"); // the MAC is written upper-case
        Add(db, "00E0A1B2C3D4", " ", "-/space/-x");    // a blank-only ID; a password holding the code
        Add(db, "00E0A1B2C3D5", "a b", "secret");
        EXPECT_EQ(db.GetMAC(), "00E0A1B2C3D5");
        ASSERT_TRUE(db.Save());
        EXPECT_EQ(db.FindMAC("0001a2b3c4d5"), 0); // the record in memory keeps its case
    }
    EXPECT_EQ(ReadFileBytes(Path()), StoreGolden("pwd.ini"));

    CPwdFDB db;
    ASSERT_TRUE(db.Load());
    ASSERT_EQ(db.GetCount(), 3);
    EXPECT_EQ(db.FindMAC("0001a2b3c4d5"), -1);
    ASSERT_EQ(db.FindMAC("0001A2B3C4D5"), 0);
    ASSERT_TRUE(db.SetCurrent(0));
    EXPECT_EQ(db.GetID(), "admin");
    EXPECT_EQ(db.GetPassword(), "pass word");
    std::string mac, id, password;
    db.GetRecord(1, mac, id, password);
    EXPECT_EQ(id, " ");
    EXPECT_EQ(password, " x"); // "-/space/-" typed into a password comes back as a blank
    db.GetRecord(2, mac, id, password);
    EXPECT_EQ(id, "a b");
    EXPECT_TRUE(env.Messages().empty());
}

TEST_F(PwdStoreTest, FieldSettersChangeTheCurrentRecord)
{
    WriteFileBytes(Path(), StoreGolden("pwd.ini"));
    CPwdFDB db;
    ASSERT_TRUE(db.Load());
    ASSERT_TRUE(db.SetCurrent(db.FindMAC("00E0A1B2C3D5")));
    db.SetID("operator");
    db.SetPassword("new pass");
    db.SetMAC("00E0A1B2C3D6");
    ASSERT_TRUE(db.Save());
    CPwdFDB again;
    ASSERT_TRUE(again.Load());
    ASSERT_TRUE(again.SetCurrent(again.FindMAC("00E0A1B2C3D6")));
    EXPECT_EQ(again.GetID(), "operator");
    EXPECT_EQ(again.GetPassword(), "new pass");
    EXPECT_EQ(again.FindMAC("00E0A1B2C3D5"), -1);
}

TEST_F(PwdStoreTest, FindMACReturnsTheFirstOfTwoEqualKeys)
{
    WriteFileBytes(Path(), "\n[1]\nMAC : 0001A2B3C4D5 \nID : one \nPassword : p1 \n"
                           "\n[2]\nMAC : 0001A2B3C4D5 \nID : two \nPassword : p2 \n");
    CPwdFDB db;
    ASSERT_TRUE(db.Load());
    ASSERT_EQ(db.FindMAC("0001A2B3C4D5"), 0);
    db.SetCurrent(0);
    EXPECT_EQ(db.GetID(), "one");
}

// Values the reader could not give back are refused as a whole: the file stays as it was.
TEST_F(PwdStoreTest, SaveRefusesValuesTheReaderCouldNotGiveBack)
{
    const struct
    {
        const char* name;
        std::string mac, id, password;
    } cases[] = {
        {"empty MAC", "", "id", "pw"},
        {"empty ID", "0001A2B3C4D5", "", "pw"},
        {"empty password", "0001A2B3C4D5", "id", ""},
        {"tab in the ID", "0001A2B3C4D5", "a\tb", "pw"},
        {"line end in the password", "0001A2B3C4D5", "id", "a\nb"},
        {"blank in the MAC", "0001A2 B3C4D5", "id", "pw"},
        {"password of 76", "0001A2B3C4D5", "id", std::string(76, 'p')},
        {"ID of 9 blanks is 81 once encoded", "0001A2B3C4D5", std::string(9, ' '), "pw"},
    };
    WriteFileBytes(Path(), StoreGolden("pwd.ini"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        env.ClearMessages();
        CPwdFDB db;
        ASSERT_TRUE(db.Load());
        db.SetRecord(c.mac, c.id, c.password, 1);
        EXPECT_FALSE(db.Save());
        EXPECT_EQ(env.Messages(), (std::vector<StoreMessage>{{"Wrong data type!!", "Error"}}));
        EXPECT_EQ(ReadFileBytes(Path()), StoreGolden("pwd.ini"));
    }

    CPwdFDB longest; // 75 characters is still fine
    Add(longest, "0001A2B3C4D5", std::string(75, 'i'), std::string(8, ' ') + "abc");
    EXPECT_TRUE(longest.Save());
}

// A hand-edited value longer than the reader's 75 characters reads as its first 75 (taken before
// the blanks are decoded); the reader goes on with the next field.
TEST_F(PwdStoreTest, OverLongValuesReadAsTheirFirst75Characters)
{
    const std::string longId = std::string(70, 'i') + "-/space/-tail";
    const std::string longPassword = std::string(80, 'p');
    WriteFileBytes(Path(), "\n[1]\nMAC : " + std::string(100, 'M') + " \nID : " + longId + " \nPassword : " +
                               longPassword + " \n\n[2]\nMAC : 00E0A1B2C3D4 \nID : two \nPassword : p2 \n");
    CPwdFDB db;
    ASSERT_TRUE(db.Load());
    ASSERT_EQ(db.GetCount(), 2);
    std::string mac, id, password;
    db.GetRecord(0, mac, id, password);
    EXPECT_EQ(mac, std::string(75, 'M'));
    EXPECT_EQ(id, std::string(70, 'i') + "-/spa");
    EXPECT_EQ(password, std::string(75, 'p'));
    db.GetRecord(1, mac, id, password);
    EXPECT_EQ(id, "two");
}

TEST_F(PwdStoreTest, ScanningRules)
{
    const struct
    {
        const char* name;
        std::string text;
        int count;
    } cases[] = {
        {"any white space between the parts", "\r\n[5]\r\nMAC\t:\t0001A2B3C4D5\r\nID :id\r\nPassword :   pw", 1},
        {"no final line end", "\n[1]\nMAC : A \nID : i \nPassword : p \n\n[2]\nMAC : B \nID : i \nPassword : p", 2},
        {"labels must match", "\n[1]\nMac : A \nID : i \nPassword : p \n", 0},
        {"a record without a password ends the load", "\n[1]\nMAC : A \nID : i \n\n[2]\nMAC : B \n", 0},
        {"a number that is not a number", "\n[x]\nMAC : A \nID : i \nPassword : p \n", 0},
        {"a NUL byte in a value", "\n[1]\nMAC : A \nID : i\0j \nPassword : p \n"s, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFileBytes(Path(), c.text);
        CPwdFDB db;
        ASSERT_TRUE(db.Load());
        EXPECT_EQ(db.GetCount(), c.count);
        if (c.count == 0) { // what the reader could not take is written back as it stood
            ASSERT_TRUE(db.Save());
            EXPECT_EQ(ReadFileBytes(Path()), c.text);
        }
    }
}

// What the Password page records when a device confirms: the key's record replaced in place,
// a new key added after the others, the file otherwise as it was.
TEST_F(PwdStoreTest, RememberReplacesTheKeysRecordOrAddsOne)
{
    WriteFileBytes(Path(), StoreGolden("pwd.ini"));
    ASSERT_TRUE(CPwdFDB::Remember("00E0A1B2C3D4", "new", "pw 2"));
    ASSERT_TRUE(CPwdFDB::Remember("001122334455", "abc", "secret"));

    std::string expected = StoreGolden("pwd.ini");
    const std::string old = "ID : -/space/- \nPassword : -/space/-x \n";
    ASSERT_NE(expected.find(old), std::string::npos);
    expected.replace(expected.find(old), old.size(), "ID : new \nPassword : pw-/space/-2 \n");
    expected += "\n[4]\nMAC : 001122334455 \nID : abc \nPassword : secret \n";
    EXPECT_EQ(ReadFileBytes(Path()), expected);
    EXPECT_TRUE(env.Messages().empty());
}

} // namespace
