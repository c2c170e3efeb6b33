// The name typed for the world board: only what a name may hold, at most
// sixteen characters, and Backspace takes whole characters away.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "screens/name_field.h"

namespace {

TEST(NameField, TakesOnlyTheCharactersANameMayHold) {
    const struct {
        uint32_t code;
        bool taken;
    } cases[] = {
        {'L', true},   {'z', true},   {'7', true},   {' ', true},     {'-', true},
        {'_', true},   {0xE9, true},  {0x153, true}, {'!', false},    {'.', false},
        {'\'', false}, {0xD7, false}, {0xF7, false}, {0x20AC, false}, {0x1F600, false},
        {0, false},    {'\r', false}, {0x7F, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        NameField field;
        EXPECT_EQ(field.type(c.code), c.taken);
        EXPECT_EQ(field.length(), c.taken ? 1 : 0);
    }
}

TEST(NameField, BackspaceTakesAWholeCharacterAndTheLengthStopsAtSixteen) {
    NameField field;
    for (const uint32_t code :
         {uint32_t{'L'}, uint32_t{0xE9}, uint32_t{'a'}, uint32_t{0x153}}) {  // "Léaœ"
        ASSERT_TRUE(field.type(code));
    }
    EXPECT_EQ(field.text(),
              "L\xC3\xA9"
              "a\xC5\x93");
    const std::vector<std::string> after = {
        "L\xC3\xA9"
        "a",
        "L\xC3\xA9", "L", "", ""};
    for (const std::string& expected : after) {
        field.backspace();
        EXPECT_EQ(field.text(), expected);
    }

    for (int i = 0; i < MaxPlayerNameLength; ++i) {
        ASSERT_TRUE(field.type(0xC9));  // É, two bytes each
    }
    EXPECT_FALSE(field.type('x'));
    EXPECT_EQ(field.length(), MaxPlayerNameLength);
    EXPECT_EQ(field.text().size(), 2u * MaxPlayerNameLength);
    field.backspace();
    EXPECT_TRUE(field.type('x'));
}

}  // namespace
