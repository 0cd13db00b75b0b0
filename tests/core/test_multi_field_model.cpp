#include "core/rules/MultiFieldModel.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using FieldKey = CMultiFieldModel::FieldKey;
using Texts = std::vector<std::string>;

struct Layout
{
    Texts texts;
    Texts separators;
    std::string prefix;
    std::string suffix;
};

const Layout kMacLayout{{"00", "00", "00", "00", "00", "00"}, {":"}, "", ""};
const Layout kTimeLayout{{"0", "00"}, {" (h) "}, " ", " (min) "};
const Layout kPerGapLayout{{"1", "22", "333"}, {"-", "//"}, "<", ">"};

bool Init(CMultiFieldModel& model, const Layout& layout)
{
    return model.Initialize(layout.texts, layout.separators, layout.prefix, layout.suffix);
}

struct RefusedCase
{
    const char* name;
    Layout layout;
};

const RefusedCase kRefusedCases[] = {
    {"no_field", {{}, {":"}, "", ""}},
    {"one_field", {{"00"}, {":"}, "", ""}},
    {"no_separator", {{"00", "00", "00"}, {}, "", ""}},
    {"two_separators_for_four_fields", {{"0", "0", "0", "0"}, {".", "."}, "", ""}},
    {"four_separators_for_four_fields", {{"0", "0", "0", "0"}, {".", ".", ".", "."}, "", ""}},
    {"an_empty_initial_text", {{"00", "", "00"}, {":"}, "", ""}},
};

class MultiFieldRefused : public ::testing::TestWithParam<RefusedCase>
{};

TEST_P(MultiFieldRefused, InitializeChangesNothing)
{
    CMultiFieldModel fresh;
    EXPECT_FALSE(Init(fresh, GetParam().layout));
    EXPECT_FALSE(fresh.IsInitialized());
    EXPECT_EQ(fresh.GetCurrentField(), -1);
    EXPECT_EQ(fresh.GetFieldCount(), 0);
    EXPECT_EQ(fresh.GetText(), "");

    CMultiFieldModel laidOut;
    ASSERT_TRUE(Init(laidOut, kTimeLayout));
    ASSERT_TRUE(laidOut.SetCurrentField(1));
    EXPECT_FALSE(Init(laidOut, GetParam().layout));
    EXPECT_TRUE(laidOut.IsInitialized());
    EXPECT_EQ(laidOut.GetText(), " 0 (h) 00 (min) ");
    EXPECT_EQ(laidOut.GetFieldCount(), 2);
    EXPECT_EQ(laidOut.GetCurrentField(), 1);
    EXPECT_EQ(laidOut.GetFieldStart(1), 7);
}

INSTANTIATE_TEST_SUITE_P(Cases, MultiFieldRefused, ::testing::ValuesIn(kRefusedCases),
                         [](const auto& param) { return std::string(param.param.name); });

struct LayoutCase
{
    const char* name;
    Layout layout;
    std::string text;
    std::vector<std::pair<int, int>> positions;
};

const LayoutCase kLayoutCases[] = {
    {"time_prefix_separator_suffix", kTimeLayout, " 0 (h) 00 (min) ", {{1, 2}, {7, 9}}},
    {"mac_one_separator_everywhere",
     kMacLayout,
     "00:00:00:00:00:00",
     {{0, 2}, {3, 5}, {6, 8}, {9, 11}, {12, 14}, {15, 17}}},
    {"one_separator_per_gap", kPerGapLayout, "<1-22//333>", {{1, 2}, {3, 5}, {7, 10}}},
    {"empty_separator", {{"a", "b"}, {""}, "", ""}, "ab", {{0, 1}, {1, 2}}},
};

class MultiFieldLayout : public ::testing::TestWithParam<LayoutCase>
{};

TEST_P(MultiFieldLayout, TextAndFieldPositions)
{
    const LayoutCase& c = GetParam();
    CMultiFieldModel model;
    ASSERT_TRUE(Init(model, c.layout));
    EXPECT_TRUE(model.IsInitialized());
    EXPECT_EQ(model.GetCurrentField(), 0);
    EXPECT_EQ(model.GetText(), c.text);
    ASSERT_EQ(model.GetFieldCount(), static_cast<int>(c.positions.size()));
    for (int i = 0; i < model.GetFieldCount(); ++i) {
        const auto& [start, end] = c.positions[static_cast<std::size_t>(i)];
        EXPECT_EQ(model.GetFieldStart(i), start) << "field " << i;
        EXPECT_EQ(model.GetFieldEnd(i), end) << "field " << i;
        EXPECT_EQ(model.GetText().substr(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start)),
                  c.layout.texts[static_cast<std::size_t>(i)]);
    }
    EXPECT_EQ(model.GetFieldStart(-1), -1);
    EXPECT_EQ(model.GetFieldEnd(model.GetFieldCount()), -1);
}

INSTANTIATE_TEST_SUITE_P(Cases, MultiFieldLayout, ::testing::ValuesIn(kLayoutCases),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(MultiFieldModel, SetFieldsCutsOrPadsToTheFieldWidths)
{
    CMultiFieldModel model;
    ASSERT_TRUE(Init(model, kTimeLayout));
    EXPECT_FALSE(model.SetFields({"5"}));
    EXPECT_EQ(model.GetText(), " 0 (h) 00 (min) ");

    EXPECT_TRUE(model.SetFields({"123", "4567", "not used"}));
    EXPECT_EQ(model.GetText(), " 1 (h) 45 (min) ");
    EXPECT_EQ(model.GetFieldText(1), "45");

    EXPECT_TRUE(model.SetFields({"", "7"}));
    EXPECT_EQ(model.GetText(), "   (h) 7  (min) ");
    EXPECT_EQ(model.GetFieldStart(1), 7);
}

struct ClickCase
{
    const char* name;
    const Layout* layout;
    int position;
    int field;
};

const ClickCase kClickCases[] = {
    {"mac_before_the_text", &kMacLayout, -1, 0},
    {"mac_start_of_field_0", &kMacLayout, 0, 0},
    {"mac_end_of_field_0_left_of_the_colon", &kMacLayout, 2, 0},
    {"mac_right_of_the_first_colon", &kMacLayout, 3, 1},
    {"mac_inside_field_1", &kMacLayout, 4, 1},
    {"mac_end_of_middle_field_1_selects_field_2", &kMacLayout, 5, 2},
    {"mac_right_of_the_second_colon", &kMacLayout, 6, 2},
    {"mac_end_of_field_4_selects_the_last", &kMacLayout, 14, 5},
    {"mac_end_of_the_last_field", &kMacLayout, 17, 5},
    {"mac_past_the_text", &kMacLayout, 40, 5},
    {"time_in_the_prefix", &kTimeLayout, 0, 0},
    {"time_end_of_the_hours", &kTimeLayout, 2, 0},
    {"time_on_the_separator_selects_the_minutes", &kTimeLayout, 4, 1},
    {"time_end_of_the_separator", &kTimeLayout, 7, 1},
    {"time_in_the_suffix", &kTimeLayout, 12, 1},
    {"per_gap_inside_the_second_separator", &kPerGapLayout, 6, 2},
    {"per_gap_end_of_middle_field", &kPerGapLayout, 5, 2},
    {"per_gap_end_of_field_0", &kPerGapLayout, 2, 0},
};

class MultiFieldClick : public ::testing::TestWithParam<ClickCase>
{};

TEST_P(MultiFieldClick, PositionSelectsField)
{
    CMultiFieldModel model;
    ASSERT_TRUE(Init(model, *GetParam().layout));
    EXPECT_EQ(model.FieldAtPosition(GetParam().position), GetParam().field);
}

INSTANTIATE_TEST_SUITE_P(Cases, MultiFieldClick, ::testing::ValuesIn(kClickCases),
                         [](const auto& param) { return std::string(param.param.name); });

struct NavigationCase
{
    const char* name;
    const Layout* layout;
    int start;
    std::vector<FieldKey> keys;
    int field;
};

const NavigationCase kNavigationCases[] = {
    {"right_moves_on", &kMacLayout, 0, {FieldKey::Right}, 1},
    {"space_moves_on", &kMacLayout, 2, {FieldKey::Space}, 3},
    {"right_on_the_last_field_gives_field_0", &kMacLayout, 5, {FieldKey::Right}, 0},
    {"left_moves_back", &kMacLayout, 3, {FieldKey::Left}, 2},
    {"left_on_field_0_gives_the_last", &kMacLayout, 0, {FieldKey::Left}, 5},
    {"other_keys_stay",
     &kMacLayout,
     2,
     {FieldKey::Up, FieldKey::Down, FieldKey::Back, FieldKey::Delete, FieldKey::Other},
     2},
    {"two_fields_right_on_the_last", &kTimeLayout, 1, {FieldKey::Right}, 0},
    {"two_fields_left_on_the_first", &kTimeLayout, 0, {FieldKey::Left}, 1},
    {"round_trip", &kPerGapLayout, 0, {FieldKey::Right, FieldKey::Space, FieldKey::Right}, 0},
};

class MultiFieldNavigation : public ::testing::TestWithParam<NavigationCase>
{};

TEST_P(MultiFieldNavigation, KeysMoveBetweenFields)
{
    const NavigationCase& c = GetParam();
    CMultiFieldModel model;
    ASSERT_TRUE(Init(model, *c.layout));
    ASSERT_TRUE(model.SetCurrentField(c.start));
    const std::string text = model.GetText();
    for (const FieldKey key : c.keys) {
        model.OnKeyDown(key);
    }
    EXPECT_EQ(model.GetCurrentField(), c.field);
    EXPECT_EQ(model.GetText(), text);
}

INSTANTIATE_TEST_SUITE_P(Cases, MultiFieldNavigation, ::testing::ValuesIn(kNavigationCases),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(MultiFieldModel, SetCurrentFieldRefusesIndexesOutsideTheFields)
{
    CMultiFieldModel model;
    ASSERT_TRUE(Init(model, kMacLayout));
    ASSERT_TRUE(model.SetCurrentField(5));
    EXPECT_FALSE(model.SetCurrentField(6));
    EXPECT_FALSE(model.SetCurrentField(-1));
    EXPECT_EQ(model.GetCurrentField(), 5);
}

TEST(MultiFieldModel, BaseTakesNoCharacters)
{
    CMultiFieldModel model;
    ASSERT_TRUE(Init(model, kMacLayout));
    EXPECT_FALSE(model.OnChar('1'));
    EXPECT_EQ(model.GetText(), "00:00:00:00:00:00");
    EXPECT_EQ(model.GetCurrentField(), 0);
}

TEST(MultiFieldModel, NothingHappensBeforeInitialize)
{
    CMultiFieldModel model;
    model.OnKeyDown(FieldKey::Right);
    EXPECT_EQ(model.GetCurrentField(), -1);
    EXPECT_FALSE(model.SetCurrentField(0));
    EXPECT_EQ(model.FieldAtPosition(0), -1);
    EXPECT_EQ(model.GetFieldStart(0), -1);
    EXPECT_EQ(model.GetText(), "");
}

} // namespace
