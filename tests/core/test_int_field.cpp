#include "core/rules/IntField.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(IntField, SetValueKeepsToTheRangeAndClearsTheTypedText)
{
    CIntField field(0, 59);
    EXPECT_EQ(field.GetValue(), 0);
    EXPECT_EQ(field.GetTypedText(), "");
    EXPECT_EQ(field.GetMinimum(), 0);
    EXPECT_EQ(field.GetMaximum(), 59);
    ASSERT_TRUE(field.AddDigit('4'));
    for (const int outside : {60, -1, 1000}) {
        EXPECT_FALSE(field.SetValue(outside)) << outside;
        EXPECT_EQ(field.GetValue(), 4);
        EXPECT_EQ(field.GetTypedText(), "4");
    }
    EXPECT_TRUE(field.SetValue(59));
    EXPECT_EQ(field.GetValue(), 59);
    EXPECT_EQ(field.GetTypedText(), "");
    EXPECT_TRUE(field.SetValue(0));
    EXPECT_EQ(field.GetValue(), 0);
}

// Characters typed one after another: whether each was taken and the value after it.
struct TypingCase
{
    const char* name;
    int minimum;
    int maximum;
    bool hex;
    const char* keys;
    const char* taken; // 'y' or 'n' per key
    std::vector<int> values;
    const char* typed;
};

const TypingCase kTypingCases[] = {
    {"digits_build_the_value", 0, 59, false, "59", "yy", {5, 59}, "59"},
    {"a_number_past_the_maximum_restarts_with_the_last_digit", 0, 59, false, "597", "yyy", {5, 59, 7}, "7"},
    {"a_restart_digit_past_the_maximum_is_taken_as_it_is", 0, 6, false, "7", "y", {7}, "7"},
    {"a_second_hours_digit_restarts", 0, 6, false, "21", "yy", {2, 1}, "1"},
    {"letters_are_no_decimal_digits", 0, 59, false, "5A", "yn", {5, 5}, "5"},
    {"blank_is_refused", 0, 59, false, " ", "n", {0}, ""},
    {"minus_is_refused_without_negative_values", 0, 59, false, "-5", "ny", {0, 5}, "5"},
    {"minus_toggles_the_sign", -59, 59, false, "-5-", "yyy", {0, -5, 5}, "5"},
    {"minus_after_the_digits", -59, 59, false, "5-", "yy", {5, -5}, "5"},
    {"a_negative_number_past_the_minimum_restarts", -59, 59, false, "-597", "yyyy", {0, -5, -59, -7}, "7"},
    {"hex_digits_build_the_value", 0, 255, true, "FF", "yy", {15, 255}, "FF"},
    {"leading_zeros_keep_the_field_open", 0, 255, true, "00F", "yyy", {0, 0, 15}, "00F"},
    {"a_third_hex_digit_within_255_extends", 0, 255, true, "0FF", "yyy", {0, 15, 255}, "0FF"},
    {"a_third_hex_digit_past_255_restarts", 0, 255, true, "FF1", "yyy", {15, 255, 1}, "1"},
    {"lower_case_hex_is_refused", 0, 255, true, "a", "n", {0}, ""},
    {"G_is_refused", 0, 255, true, "1G", "yn", {1, 1}, "1"},
};

class IntFieldTyping : public ::testing::TestWithParam<TypingCase>
{};

TEST_P(IntFieldTyping, ValueAfterEachKey)
{
    const TypingCase& c = GetParam();
    CIntField field(c.minimum, c.maximum);
    const std::string keys = c.keys;
    ASSERT_EQ(keys.size(), c.values.size());
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const bool taken = c.hex ? field.AddHexDigit(keys[i]) : field.AddDigit(keys[i]);
        EXPECT_EQ(taken, c.taken[i] == 'y') << "key " << i;
        EXPECT_EQ(field.GetValue(), c.values[i]) << "key " << i;
    }
    EXPECT_EQ(field.GetTypedText(), c.typed);
}

INSTANTIATE_TEST_SUITE_P(Cases, IntFieldTyping, ::testing::ValuesIn(kTypingCases),
                         [](const auto& param) { return std::string(param.param.name); });

struct StepCase
{
    const char* name;
    int minimum;
    int maximum;
    int start;
    int step; // positive: Increment, negative: Decrement by its size
    int expected;
};

const StepCase kStepCases[] = {
    {"up_inside_the_range", 0, 59, 58, 1, 59},
    {"up_at_the_maximum_wraps_to_the_minimum", 0, 59, 59, 1, 0},
    {"down_inside_the_range", 0, 59, 5, -1, 4},
    {"down_at_the_minimum_wraps_to_the_maximum", 0, 59, 0, -1, 59},
    {"a_big_step_up_past_the_maximum_gives_the_minimum", 0, 59, 55, 10, 0},
    {"a_big_step_down_past_the_minimum_gives_the_maximum", 0, 59, 3, -5, 59},
    {"byte_FF_up_gives_00", 0, 255, 255, 1, 0},
    {"byte_00_down_gives_FF", 0, 255, 0, -1, 255},
    {"hours_6_up_give_0", 0, 6, 6, 1, 0},
    {"a_range_from_1_wraps_to_1", 1, 12, 12, 1, 1},
};

class IntFieldStep : public ::testing::TestWithParam<StepCase>
{};

TEST_P(IntFieldStep, WrapsAroundTheRange)
{
    const StepCase& c = GetParam();
    CIntField field(c.minimum, c.maximum);
    ASSERT_TRUE(field.SetValue(c.start));
    if (c.step > 0) {
        field.Increment(c.step);
    } else {
        field.Decrement(-c.step);
    }
    EXPECT_EQ(field.GetValue(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, IntFieldStep, ::testing::ValuesIn(kStepCases),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(IntField, SteppingStartsTheTypedTextAfresh)
{
    CIntField up(0, 255);
    ASSERT_TRUE(up.AddDigit('1'));
    up.Increment();
    EXPECT_EQ(up.GetValue(), 2);
    EXPECT_EQ(up.GetTypedText(), "");
    ASSERT_TRUE(up.AddDigit('5'));
    EXPECT_EQ(up.GetValue(), 5); // not 15

    CIntField down(0, 255);
    ASSERT_TRUE(down.AddDigit('1'));
    down.Decrement();
    EXPECT_EQ(down.GetValue(), 0);
    ASSERT_TRUE(down.AddDigit('5'));
    EXPECT_EQ(down.GetValue(), 5);
}

TEST(IntField, TypedValuePastTheMaximumStepsUpToTheMinimum)
{
    CIntField hours(0, 6);
    ASSERT_TRUE(hours.AddDigit('7'));
    hours.Increment();
    EXPECT_EQ(hours.GetValue(), 0);
}

TEST(IntField, SettingZeroDropsTheSign)
{
    CIntField field(-59, 59);
    ASSERT_TRUE(field.AddDigit('-'));
    ASSERT_TRUE(field.AddDigit('5'));
    ASSERT_EQ(field.GetValue(), -5);
    ASSERT_TRUE(field.SetValue(0));
    ASSERT_TRUE(field.AddDigit('3'));
    EXPECT_EQ(field.GetValue(), 3);
}

} // namespace
