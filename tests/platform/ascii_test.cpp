#include "platform/ascii.h"

#include <gtest/gtest.h>

namespace {

TEST(Ascii, HexDigitsOfEitherCaseAndNothingBeside) {
    const struct {
        char c;
        int value;
    } cases[] = {
        {'0', 0},  {'9', 9},  {'a', 10}, {'f', 15}, {'A', 10}, {'F', 15},  {'/', -1}, {':', -1},
        {'`', -1}, {'g', -1}, {'@', -1}, {'G', -1}, {' ', -1}, {'\0', -1}, {'x', -1}, {'\xE9', -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AsciiHexDigit(c.c), c.value) << static_cast<int>(c.c);
    }
}

TEST(Ascii, ControlCharactersAreTheC0SetAndDelete) {
    const struct {
        char c;
        bool control;
    } cases[] = {
        {'\0', true}, {'\n', true},   {'\x1F', true},  {' ', false},
        {'~', false}, {'\x7F', true}, {'\x80', false}, {'\xFF', false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsAsciiControl(c.c), c.control) << static_cast<int>(c.c);
    }
}

}  // namespace
