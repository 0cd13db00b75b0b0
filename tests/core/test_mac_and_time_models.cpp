#include "core/rules/MacAddrModel.h"
#include "core/rules/TimeModel.h"

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <string>

namespace {

using FieldKey = CMultiFieldModel::FieldKey;
using Bytes = std::array<int, 6>;

// Plays `input` on `model`: characters are typed, "[Right]", "[Back]" ... press that key.
void Play(CMultiFieldModel& model, const std::string& input)
{
    static const std::map<std::string, FieldKey> kKeys{
        {"Space", FieldKey::Space},   {"Right", FieldKey::Right}, {"Left", FieldKey::Left}, {"Back", FieldKey::Back},
        {"Delete", FieldKey::Delete}, {"Up", FieldKey::Up},       {"Down", FieldKey::Down}, {"Other", FieldKey::Other}};
    for (std::size_t i = 0; i < input.size(); ++i) {
        if (input[i] != '[') {
            model.OnChar(input[i]);
            continue;
        }
        const std::size_t close = input.find(']', i);
        ASSERT_NE(close, std::string::npos) << input;
        model.OnKeyDown(kKeys.at(input.substr(i + 1, close - i - 1)));
        i = close;
    }
}

const Bytes kZero{0, 0, 0, 0, 0, 0};

struct MacCase
{
    const char* name;
    Bytes start;
    int startField;
    const char* input;
    const char* text;
    int field;
};

const MacCase kMacCases[] = {
    {"twelve_digits_fill_all_six_fields", kZero, 0, "0A1B2C3D4E5F", "0A:1B:2C:3D:4E:5F", 5},
    {"lower_case_is_upper_cased", kZero, 0, "ab", "AB:00:00:00:00:00", 1},
    {"one_digit_stays_in_the_field", kZero, 0, "7", "07:00:00:00:00:00", 0},
    {"the_last_field_keeps_the_selection", kZero, 5, "12", "00:00:00:00:00:12", 5},
    {"a_third_digit_in_the_last_field_restarts_it", kZero, 5, "123", "00:00:00:00:00:03", 5},
    {"G_changes_nothing", kZero, 0, "G", "00:00:00:00:00:00", 0},
    {"G_does_not_count_as_a_digit", kZero, 0, "1G2", "12:00:00:00:00:00", 1},
    {"a_blank_character_changes_nothing", kZero, 0, " ", "00:00:00:00:00:00", 0},
    {"space_moves_on", kZero, 0, "[Space]", "00:00:00:00:00:00", 1},
    {"right_moves_on", kZero, 3, "[Right]", "00:00:00:00:00:00", 4},
    {"left_on_field_0_gives_the_last", kZero, 0, "[Left]", "00:00:00:00:00:00", 5},
    {"up_on_FF_gives_00", {255, 0, 0, 0, 0, 0}, 0, "[Up]", "00:00:00:00:00:00", 0},
    {"down_on_00_gives_FF", kZero, 0, "[Down]", "FF:00:00:00:00:00", 0},
    {"up_twice", kZero, 2, "[Up][Up]", "00:00:02:00:00:00", 2},
    {"delete_sets_00", {0x12, 0x34, 0, 0, 0, 0}, 1, "[Delete]", "12:00:00:00:00:00", 1},
    {"back_in_the_last_field", {0, 0, 0, 0, 0, 0xAB}, 5, "[Back]", "00:00:00:00:00:00", 5},
    {"after_back_two_digits_form_the_value_and_move_on", kZero, 0, "1[Back]23", "23:00:00:00:00:00", 1},
    {"after_up_the_digit_count_starts_again", kZero, 0, "1[Up]2", "02:00:00:00:00:00", 0},
    {"typed_00F_after_returning_gives_0F", kZero, 0, "00[Left]F", "0F:00:00:00:00:00", 0},
    {"a_third_digit_past_FF_restarts_the_field", kZero, 0, "12[Left]3", "03:00:00:00:00:00", 0},
    {"moving_away_keeps_the_digit_count", kZero, 0, "1[Right][Left]2", "12:00:00:00:00:00", 1},
    {"other_keys_change_nothing", {1, 2, 3, 4, 5, 6}, 2, "[Other]", "01:02:03:04:05:06", 2},
};

class MacAddrModelInput : public ::testing::TestWithParam<MacCase>
{};

TEST_P(MacAddrModelInput, TextAndCurrentField)
{
    const MacCase& c = GetParam();
    CMacAddrModel model;
    ASSERT_TRUE(model.SetAddress(c.start));
    ASSERT_TRUE(model.SetCurrentField(c.startField));
    Play(model, c.input);
    EXPECT_EQ(model.GetText(), c.text);
    EXPECT_EQ(model.GetAddressText(), c.text);
    EXPECT_EQ(model.GetCurrentField(), c.field);
}

INSTANTIATE_TEST_SUITE_P(Cases, MacAddrModelInput, ::testing::ValuesIn(kMacCases),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(MacAddrModel, StartsAtZeroInSixFieldsOfTwoDigits)
{
    const CMacAddrModel model;
    EXPECT_EQ(model.GetText(), "00:00:00:00:00:00");
    EXPECT_EQ(model.GetCurrentField(), 0);
    ASSERT_EQ(model.GetFieldCount(), 6);
    for (int k = 0; k < 6; ++k) {
        EXPECT_EQ(model.GetFieldStart(k), 3 * k);
        EXPECT_EQ(model.GetFieldEnd(k), 3 * k + 2);
    }
}

TEST(MacAddrModel, SetAddressGivesTheBytesAndRefusesValuesOutsideAByte)
{
    CMacAddrModel model;
    ASSERT_TRUE(model.SetCurrentField(3));
    ASSERT_TRUE(model.SetAddress({0, 10, 27, 44, 61, 78}));
    EXPECT_EQ(model.GetAddressText(), "00:0A:1B:2C:3D:4E");
    EXPECT_EQ(model.GetText(), "00:0A:1B:2C:3D:4E");
    EXPECT_EQ(model.GetCurrentField(), 3);
    const Bytes expected{0, 10, 27, 44, 61, 78};
    for (int k = 0; k < 6; ++k) {
        EXPECT_EQ(model.GetByte(k), expected[static_cast<std::size_t>(k)]);
    }
    EXPECT_EQ(model.GetByte(-1), -1);
    EXPECT_EQ(model.GetByte(6), -1);

    for (const Bytes& refused : {Bytes{256, 0, 0, 0, 0, 0}, Bytes{0, 0, 0, 0, 0, -1}, Bytes{1, 2, 3, 300, 5, 6}}) {
        EXPECT_FALSE(model.SetAddress(refused));
        EXPECT_EQ(model.GetText(), "00:0A:1B:2C:3D:4E");
        EXPECT_EQ(model.GetByte(0), 0);
    }
    ASSERT_TRUE(model.SetAddress({255, 255, 255, 255, 255, 255}));
    EXPECT_EQ(model.GetAddressText(), "FF:FF:FF:FF:FF:FF");
}

struct TimeCase
{
    const char* name;
    int hours;
    int minutes;
    int startField;
    const char* input;
    const char* text;
    int field;
    int expectedHours;
    int expectedMinutes;
};

const TimeCase kTimeCases[] = {
    {"hours_digit_moves_to_the_minutes", 0, 0, 0, "2", " 2 (h) 00 (min) ", 1, 2, 0},
    {"two_minute_digits", 0, 0, 0, "245", " 2 (h) 45 (min) ", 1, 2, 45},
    {"a_third_minute_digit_past_59_restarts", 0, 0, 0, "2457", " 2 (h) 07 (min) ", 1, 2, 7},
    {"hours_7_are_shown_as_typed", 0, 0, 0, "7", " 7 (h) 00 (min) ", 1, 7, 0},
    {"hours_9_are_shown_as_typed", 0, 0, 0, "9", " 9 (h) 00 (min) ", 1, 9, 0},
    {"a_second_hours_digit_restarts_the_hours", 0, 0, 0, "2[Left]3", " 3 (h) 00 (min) ", 1, 3, 0},
    {"letters_change_nothing", 1, 5, 0, "aZ ", " 1 (h) 05 (min) ", 0, 1, 5},
    {"up_on_6_hours_gives_0", 6, 0, 0, "[Up]", " 0 (h) 00 (min) ", 0, 0, 0},
    {"down_on_0_hours_gives_6", 0, 0, 0, "[Down]", " 6 (h) 00 (min) ", 0, 6, 0},
    {"up_on_typed_7_hours_gives_0", 0, 0, 0, "7[Left][Up]", " 0 (h) 00 (min) ", 0, 0, 0},
    {"down_on_00_minutes_gives_59", 0, 0, 1, "[Down]", " 0 (h) 59 (min) ", 1, 0, 59},
    {"up_on_59_minutes_gives_00", 0, 59, 1, "[Up]", " 0 (h) 00 (min) ", 1, 0, 0},
    {"back_in_the_minutes_gives_00", 3, 45, 1, "[Back]", " 3 (h) 00 (min) ", 1, 3, 0},
    {"delete_in_the_hours_gives_0", 3, 45, 0, "[Delete]", " 0 (h) 45 (min) ", 0, 0, 45},
    {"after_back_the_minutes_start_afresh", 0, 0, 1, "4[Back]5", " 0 (h) 05 (min) ", 1, 0, 5},
    {"right_on_the_minutes_gives_the_hours", 0, 0, 1, "[Right]", " 0 (h) 00 (min) ", 0, 0, 0},
    {"space_moves_on", 0, 0, 0, "[Space]", " 0 (h) 00 (min) ", 1, 0, 0},
};

class TimeModelInput : public ::testing::TestWithParam<TimeCase>
{};

TEST_P(TimeModelInput, TextCurrentFieldAndValues)
{
    const TimeCase& c = GetParam();
    CTimeModel model;
    ASSERT_TRUE(model.SetTime(c.hours, c.minutes));
    ASSERT_TRUE(model.SetCurrentField(c.startField));
    Play(model, c.input);
    EXPECT_EQ(model.GetText(), c.text);
    EXPECT_EQ(model.GetCurrentField(), c.field);
    EXPECT_EQ(model.GetHours(), c.expectedHours);
    EXPECT_EQ(model.GetMinutes(), c.expectedMinutes);
}

INSTANTIATE_TEST_SUITE_P(Cases, TimeModelInput, ::testing::ValuesIn(kTimeCases),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(TimeModel, StartsAtZeroHoursAndMinutes)
{
    const CTimeModel model;
    EXPECT_EQ(model.GetText(), " 0 (h) 00 (min) ");
    EXPECT_EQ(model.GetCurrentField(), 0);
    EXPECT_EQ(model.GetHours(), 0);
    EXPECT_EQ(model.GetMinutes(), 0);
    EXPECT_EQ(model.GetFieldStart(0), 1);
    EXPECT_EQ(model.GetFieldEnd(0), 2);
    EXPECT_EQ(model.GetFieldStart(1), 7);
    EXPECT_EQ(model.GetFieldEnd(1), 9);
}

TEST(TimeModel, SetTimeTakesUpToSixHoursAndFiftyNineMinutes)
{
    CTimeModel model;
    ASSERT_TRUE(model.SetTime(6, 59));
    EXPECT_EQ(model.GetText(), " 6 (h) 59 (min) ");
    for (const auto& [hours, minutes] : {std::pair{7, 0}, std::pair{0, 60}, std::pair{-1, 0}, std::pair{0, -1}}) {
        EXPECT_FALSE(model.SetTime(hours, minutes)) << hours << ":" << minutes;
        EXPECT_EQ(model.GetText(), " 6 (h) 59 (min) ");
        EXPECT_EQ(model.GetHours(), 6);
        EXPECT_EQ(model.GetMinutes(), 59);
    }
    ASSERT_TRUE(model.SetTime(0, 5));
    EXPECT_EQ(model.GetText(), " 0 (h) 05 (min) ");
}

} // namespace
