// What the three record tables ("mach.ini", "pwd.ini", "dhcp.ini") share: the walk over the
// records, empty and missing files, record numbers, the 5000-slot limit and hand-edited lines the
// reader does not take. Each case runs on every table.
#include "core/StoreEnv.h"

#include "core/stores/BootPFDB.h"
#include "core/stores/MacHistoryFDB.h"
#include "core/stores/PwdFDB.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

std::string Format(const char* format, int a, int b)
{
    char text[256];
    std::snprintf(text, sizeof text, format, a, b);
    return text;
}

// Record `i` of a table, as the writer puts it with the number `number`, and how to set and check it.
struct MacTraits
{
    using Store = CMacHistoryFDB;
    static constexpr const char* kFile = "mach.ini";
    static MacBytes Mac(int i) { return {0, 0xE0, 0x4C, (i >> 16) & 0xFF, (i >> 8) & 0xFF, i & 0xFF}; }
    static std::string Text(int number, int i)
    {
        return Format("[%d]\t 0:224:76:0:%d:", number, (i >> 8) & 0xFF) + std::to_string(i & 0xFF) + "\n";
    }
    static void Put(Store& db, int i) { db.SetRecord(Mac(i), -1); }
    static bool Holds(Store& db, int index, int i) { return db.GetRecord(index) == Mac(i); }
    static void PutInvalid(Store& db) { db.SetRecord({-1, 0, 0, 0, 0, 0}, -1); }
};

struct PwdTraits
{
    using Store = CPwdFDB;
    static constexpr const char* kFile = "pwd.ini";
    static std::string Key(int i) { return Format("00E04C%06X", i, 0); }
    static std::string Text(int number, int i)
    {
        return Format("\n[%d]\nMAC : ", number, 0) + Key(i) + " \nID : id" + std::to_string(i) +
               " \nPassword : pw-/space/-" + std::to_string(i) + " \n";
    }
    static void Put(Store& db, int i) { db.SetRecord(Key(i), "id" + std::to_string(i), "pw " + std::to_string(i), -1); }
    static bool Holds(Store& db, int index, int i)
    {
        std::string mac, id, password;
        db.GetRecord(index, mac, id, password);
        return mac == Key(i) && id == "id" + std::to_string(i) && password == "pw " + std::to_string(i);
    }
    static void PutInvalid(Store& db) { db.SetRecord(Key(0), "", "pw", -1); }
};

struct BootPTraits
{
    using Store = CBootPFDB;
    static constexpr const char* kFile = "dhcp.ini";
    static std::string Key(int i) { return Format("00E04C%06X", i, 0); }
    static std::string Ip(int i) { return Format(" 10.%3d.%3d.  1", (i >> 8) & 0xFF, i & 0xFF); }
    static std::string Text(int number, int i)
    {
        return Format("\n[%d]\nHType : 1 \nhlen : 6 \nIP : ", number, 0) + Ip(i) + " \nMAC : " + Key(i) +
               " \nGateway :  10.  0.  0.254 \nSubnet : 255.  0.  0.  0\n";
    }
    static void Put(Store& db, int i) { db.SetRecord(1, 6, Ip(i), Key(i), " 10.  0.  0.254", "255.  0.  0.  0", -1); }
    static bool Holds(Store& db, int index, int i)
    {
        int hType = 0, hlen = 0;
        std::string ip, mac, gateway, subnet;
        db.GetRecord(index, hType, hlen, ip, mac, gateway, subnet);
        return hType == 1 && hlen == 6 && ip == Ip(i) && mac == Key(i) && gateway == " 10.  0.  0.254" &&
               subnet == "255.  0.  0.  0";
    }
    static void PutInvalid(Store& db) { db.SetRecord(-1, 6, Ip(0), Key(0), Ip(0), Ip(0), -1); }
};

template <class Traits>
class RecordStoreTest : public ::testing::Test
{
protected:
    using Store = typename Traits::Store;

    std::string Path() const { return env.File(Traits::kFile); }
    // Records first..last-1 numbered from 1.
    static std::string Records(int first, int last)
    {
        std::string text;
        for (int i = first; i < last; ++i) {
            text += Traits::Text(i - first + 1, i);
        }
        return text;
    }

    StoreEnv env;
};

using Tables = ::testing::Types<MacTraits, PwdTraits, BootPTraits>;
TYPED_TEST_SUITE(RecordStoreTest, Tables);

TYPED_TEST(RecordStoreTest, EmptyFileLoadsEmptyMissingFileFails)
{
    typename TypeParam::Store missing;
    EXPECT_FALSE(missing.Load());
    EXPECT_EQ(missing.GetCount(), 0);
    EXPECT_TRUE(missing.IsEnd());

    WriteFileBytes(this->Path(), "");
    typename TypeParam::Store empty;
    EXPECT_TRUE(empty.Load());
    EXPECT_EQ(empty.GetCount(), 0);
    EXPECT_TRUE(this->env.Messages().empty());
}

TYPED_TEST(RecordStoreTest, RecordNumbersAreReadAndWrittenAnewFromOne)
{
    WriteFileBytes(this->Path(), TypeParam::Text(7, 10) + TypeParam::Text(3, 11));
    typename TypeParam::Store db;
    ASSERT_TRUE(db.Load());
    ASSERT_EQ(db.GetCount(), 2);
    EXPECT_TRUE(TypeParam::Holds(db, 0, 10));
    EXPECT_TRUE(TypeParam::Holds(db, 1, 11));
    ASSERT_TRUE(db.Save());
    EXPECT_EQ(ReadFileBytes(this->Path()), TypeParam::Text(1, 10) + TypeParam::Text(2, 11));
}

TYPED_TEST(RecordStoreTest, LastRecordWithoutLineEndStillLoads)
{
    std::string text = this->Records(0, 3);
    text.pop_back();
    WriteFileBytes(this->Path(), text);
    typename TypeParam::Store db;
    ASSERT_TRUE(db.Load());
    EXPECT_EQ(db.GetCount(), 3);
    EXPECT_TRUE(TypeParam::Holds(db, 2, 2));
}

TYPED_TEST(RecordStoreTest, WalkAndCurrentIndex)
{
    typename TypeParam::Store db;
    EXPECT_TRUE(db.IsEnd());
    EXPECT_TRUE(db.SetCurrent(0)); // 0 is fine on an empty store
    EXPECT_TRUE(db.MoveFirst());

    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(db.Append(), i + 1);
        TypeParam::Put(db, i);
    }
    EXPECT_TRUE(this->env.Messages().empty());

    EXPECT_TRUE(db.SetCurrent(3)); // count: just past the last record
    EXPECT_TRUE(db.IsEnd());
    EXPECT_FALSE(db.SetCurrent(4)); // count + 1
    EXPECT_FALSE(db.SetCurrent(-1));
    const StoreMessage outOfRange{"Out of range of the database !", "Fatal Error"};
    EXPECT_EQ(this->env.Messages(), (std::vector<StoreMessage>{outOfRange, outOfRange}));
    EXPECT_TRUE(db.IsEnd()); // still 3

    int walked = 0;
    for (db.MoveFirst(); !db.IsEnd(); db.MoveNext()) {
        EXPECT_TRUE(TypeParam::Holds(db, -1, walked));
        ++walked;
    }
    EXPECT_EQ(walked, 3);
    EXPECT_EQ(this->env.Messages().size(), 2U); // moving from the last record to count is allowed
}

TYPED_TEST(RecordStoreTest, CloseAfterLoadOrSaveDoesNothing)
{
    typename TypeParam::Store db;
    db.Append();
    TypeParam::Put(db, 1);
    ASSERT_TRUE(db.Save());
    db.Close();
    db.Close();
    ASSERT_TRUE(db.Load());
    db.Close();
    EXPECT_EQ(db.GetCount(), 1);
    EXPECT_EQ(ReadFileBytes(this->Path()), TypeParam::Text(1, 1));
}

TYPED_TEST(RecordStoreTest, RefusedRecordLeavesTheFileAsItWas)
{
    const std::string before = this->Records(0, 3);
    WriteFileBytes(this->Path(), before);
    typename TypeParam::Store db;
    ASSERT_TRUE(db.Load());
    db.SetCurrent(1);
    TypeParam::PutInvalid(db);
    db.Append();
    TypeParam::Put(db, 3);

    EXPECT_FALSE(db.Save());
    EXPECT_EQ(this->env.Messages(), (std::vector<StoreMessage>{{"Wrong data type!!", "Error"}}));
    EXPECT_EQ(ReadFileBytes(this->Path()), before);
    EXPECT_EQ(this->env.Listing(), std::vector<std::string>{TypeParam::kFile});
}

// The 5000th record fills the arrays: loading more keeps the rest of the file, appending is refused.
TYPED_TEST(RecordStoreTest, FileWithMoreThan5000RecordsKeepsTheRest)
{
    const std::string text = this->Records(0, CRecordFDB::kMaxRecords + 2);
    WriteFileBytes(this->Path(), text);
    typename TypeParam::Store db;
    ASSERT_TRUE(db.Load());
    EXPECT_EQ(db.GetCount(), CRecordFDB::kMaxRecords);
    EXPECT_TRUE(TypeParam::Holds(db, CRecordFDB::kMaxRecords - 1, CRecordFDB::kMaxRecords - 1));
    const StoreMessage overCapacity{"Only the first 5000 records of " + this->Path() + " are used !!", "Warning"};
    EXPECT_EQ(this->env.Messages(), std::vector<StoreMessage>{overCapacity});

    ASSERT_TRUE(db.Save());
    EXPECT_EQ(ReadFileBytes(this->Path()), text);
}

TYPED_TEST(RecordStoreTest, AppendToAFullStoreIsRefusedAndLosesNothing)
{
    const std::string text = this->Records(0, CRecordFDB::kMaxRecords);
    WriteFileBytes(this->Path(), text);
    typename TypeParam::Store db;
    ASSERT_TRUE(db.Load());
    ASSERT_TRUE(this->env.Messages().empty());
    db.SetCurrent(7);

    EXPECT_EQ(db.Append(), -1);
    TypeParam::Put(db, 99999); // the caller goes on as after any Append: nothing is overwritten
    EXPECT_EQ(this->env.Messages(),
              (std::vector<StoreMessage>{{"Can't add more than 5000 records to " + this->Path() + " !!", "Error"}}));
    EXPECT_EQ(db.GetCount(), CRecordFDB::kMaxRecords);
    EXPECT_TRUE(TypeParam::Holds(db, 7, 7));
    ASSERT_TRUE(db.Save());
    EXPECT_EQ(ReadFileBytes(this->Path()), text);
}

// A record the reader does not understand ends the load, as before; but the lines from there on
// are kept as they stand and written back after the records, so no save drops them.
TYPED_TEST(RecordStoreTest, UnreadableLinesSurviveLoadAndSave)
{
    const std::string text = this->Records(0, 2) + "\n[3]\nthis line was typed by hand\n" + TypeParam::Text(4, 5);
    WriteFileBytes(this->Path(), text);
    typename TypeParam::Store db;
    ASSERT_TRUE(db.Load());
    EXPECT_EQ(db.GetCount(), 2);
    ASSERT_TRUE(db.Save());
    EXPECT_EQ(ReadFileBytes(this->Path()), text);

    db.Append(); // a new record goes after the records read, before the kept lines
    TypeParam::Put(db, 9);
    ASSERT_TRUE(db.Save());
    EXPECT_EQ(ReadFileBytes(this->Path()), this->Records(0, 2) + TypeParam::Text(3, 9) +
                                               "\n[3]\nthis line was typed by hand\n" + TypeParam::Text(4, 5));
    EXPECT_TRUE(this->env.Messages().empty());
}

TYPED_TEST(RecordStoreTest, SetRecordOutsideTheArraysWritesNothing)
{
    typename TypeParam::Store db;
    db.Append();
    TypeParam::Put(db, 1);
    db.SetCurrent(0);
    TypeParam::Put(db, 2);
    // Indexes outside the 5000 slots leave every slot and the current index alone.
    EXPECT_TRUE(TypeParam::Holds(db, -1, 2));
    EXPECT_FALSE(TypeParam::Holds(db, CRecordFDB::kMaxRecords, 2));
    EXPECT_FALSE(TypeParam::Holds(db, -2, 2));
    EXPECT_TRUE(TypeParam::Holds(db, -1, 2));
}

} // namespace
