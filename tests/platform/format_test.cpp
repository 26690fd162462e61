#include "platform/format.h"

#include <gtest/gtest.h>

namespace {

TEST(GroupedNumber, MarksTheThousands) {
    const std::pair<std::int64_t, const char*> cases[] = {
        {0, "0"},          {999, "999"},           {1000, "1,000"},     {-999, "-999"},
        {-1000, "-1,000"}, {1234567, "1,234,567"}, {100000, "100,000"},
    };
    for (const auto& [number, text] : cases) {
        EXPECT_EQ(GroupedNumber(number), text) << number;
    }
}

TEST(ByteCountText, MarksTheThousandsAndSaysByteForOne) {
    const std::pair<std::int64_t, const char*> cases[] = {
        {0, "0 bytes"},
        {1, "1 byte"},
        {999, "999 bytes"},
        {1000, "1,000 bytes"},
        {239837680, "239,837,680 bytes"},
    };
    for (const auto& [bytes, text] : cases) {
        EXPECT_EQ(ByteCountText(bytes), text) << bytes;
    }
}

}  // namespace
