#include "upload/password_scramble.h"

#include "platform/format.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>

namespace {

TEST(RuntimeRandom, FollowsTheClassicRuntimeSequence) {
    // The sequence every C runtime of that family gives after srand(1).
    RuntimeRandom random(1);
    for (const int expected : {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464}) {
        EXPECT_EQ(random.Next(), expected);
    }
    RuntimeRandom other(255);
    for (int i = 0; i < 100000; ++i) {
        const int value = other.Next();
        ASSERT_GE(value, 0);
        ASSERT_LE(value, 0x7FFF);
    }
}

TEST(ScramblePassword, StoresSeedThenEachByteMixedWithTheSequence) {
    // 'a' ^ 41, 'b' ^ (18467 & 0xFF), 'c' ^ (6334 & 0xFF)
    EXPECT_EQ(ScramblePassword("abc", 1), "01-48-41-DD");
    EXPECT_EQ(UnscramblePassword("01-48-41-DD"), "abc");
    EXPECT_EQ(ScramblePassword("", 1), "");
    EXPECT_EQ(ScramblePassword(""), "");
    EXPECT_EQ(UnscramblePassword(""), "");
}

TEST(ScramblePassword, RoundTripsWithEverySeedAndHasTheStoredLength) {
    const std::regex form("([0-9A-F]{2}-)*[0-9A-F]{2}");
    const std::string passwords[] = {"x",
                                     "abc",
                                     "pässwört €",
                                     std::string("a\0b", 3),
                                     std::string(200, '\xff'),
                                     "with spaces and -dashes-"};
    for (const std::string& password : passwords) {
        for (int seed = 0; seed < 256; ++seed) {
            const std::string stored = ScramblePassword(password, static_cast<std::uint8_t>(seed));
            ASSERT_EQ(stored.size(), 3 * (password.size() + 1) - 1) << password;
            ASSERT_TRUE(std::regex_match(stored, form)) << stored;
            ASSERT_EQ(stored.substr(0, 2), StringPrintf("%02X", seed));
            ASSERT_EQ(UnscramblePassword(stored), password) << "seed " << seed;
        }
    }
    EXPECT_EQ(ScramblePassword("abc").size(), 11u);
    EXPECT_EQ(UnscramblePassword(ScramblePassword("abc")), "abc");
}

TEST(UnscramblePassword, ReadsOnlyHexDigitPairs) {
    struct Case {
        const char* stored;
        std::string password;
    };
    const Case cases[] = {
        {"01-48-41-DD", "abc"},
        {"01-48-41-dd", "abc"},   // either case
        {"01:48 41..DD", "abc"},  // any separator, or none
        {"014841DD", "abc"},
        {"01-48-41-DD-7", "abc"},  // a trailing single digit is ignored
        {"01", ""},                // a seed alone
        {"0", ""},
        {"zz-yy", ""},  // no digits at all
    };
    for (const Case& c : cases) {
        EXPECT_EQ(UnscramblePassword(c.stored), c.password) << c.stored;
    }
}

}  // namespace
