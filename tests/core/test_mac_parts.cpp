#include "core/rules/MacParts.h"

#include <gtest/gtest.h>

using namespace corvane;

namespace {

const MacPartTexts kTyped{"00", "01", "A2", "B3", "C4", "D5"};

TEST(MacParts, TypedAddressGivesItsBytesAndKey)
{
    EXPECT_EQ(MacPartBytes(kTyped), (MacBytes{0, 1, 162, 179, 196, 213}));
    EXPECT_EQ(MacPartAddress(kTyped), (MacAddress{0x00, 0x01, 0xA2, 0xB3, 0xC4, 0xD5}));
    EXPECT_EQ(MacPartKey(kTyped), "0001A2B3C4D5");
    EXPECT_FALSE(AnyMacPartEmpty(kTyped));
    EXPECT_TRUE(MacPartsAreHex(kTyped));
}

TEST(MacParts, SingleDigitPartIsOneByteAndShortensTheKey)
{
    const MacPartTexts parts{"A", "11", "22", "33", "44", "55"};
    EXPECT_EQ(MacPartBytes(parts)[0], 10);
    EXPECT_EQ(MacPartKey(parts), "A1122334455");
    EXPECT_TRUE(MacPartsAreHex(parts));
}

struct PartCase
{
    const char* part;
    bool empty;
    bool hex;
    int byte;
};

class MacPartValidity : public ::testing::TestWithParam<PartCase>
{};

TEST_P(MacPartValidity, ClassifiesOnePart)
{
    const PartCase& c = GetParam();
    MacPartTexts parts = kTyped;
    parts[3] = c.part;
    EXPECT_EQ(AnyMacPartEmpty(parts), c.empty);
    EXPECT_EQ(MacPartsAreHex(parts), c.hex);
    EXPECT_EQ(MacPartBytes(parts)[3], c.byte);
    EXPECT_EQ(MacPartAddress(parts)[3], static_cast<std::uint8_t>(c.byte));
}

INSTANTIATE_TEST_SUITE_P(Parts, MacPartValidity,
                         ::testing::Values(PartCase{"", true, false, -1}, PartCase{"FF", false, true, 255},
                                           PartCase{"7", false, true, 7}, PartCase{".1", false, false, -1},
                                           PartCase{"1.", false, false, -1}, PartCase{" 7", false, false, 7},
                                           PartCase{"ab", false, false, -1}, PartCase{"ABC", false, false, 171},
                                           PartCase{"G1", false, false, -1}));

TEST(MacParts, HistoryBytesShowAsTwoUpperCaseDigits)
{
    EXPECT_EQ(HistoryPartText(0), "00");
    EXPECT_EQ(HistoryPartText(10), "0A");
    EXPECT_EQ(HistoryPartText(162), "A2");
    EXPECT_EQ(HistoryPartText(255), "FF");
}

} // namespace
