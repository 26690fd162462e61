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

}  // namespace
