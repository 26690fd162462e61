#include "platform/date_time.h"

#include <gtest/gtest.h>

namespace {

TEST(OleDate, EpochAndKnownDays) {
    OleDate date = -1;
    ASSERT_TRUE(ParseOleDate("12/30/1899 00:00:00", date));
    EXPECT_EQ(date, 0);
    ASSERT_TRUE(ParseOleDate("01/01/1900", date));
    EXPECT_EQ(date, 2);
    ASSERT_TRUE(ParseOleDate("01/01/00 12:00:00", date));
    EXPECT_EQ(date, 36526.5);  // 1 January 2000, noon
    ASSERT_TRUE(ParseOleDate("12/29/1899 06:00:00", date));
    EXPECT_EQ(date, -1.25) << "before the epoch the fraction still counts forward";
    EXPECT_EQ(FormatOleDate(-1.25), "12/29/99 06:00:00");
}

TEST(OleDate, TextFormRoundTripsAndRejectsNonsense) {
    for (const char* text :
         {"12/07/26 09:05:03", "02/29/24 23:59:59", "01/01/69 00:00:00", "12/31/68 00:00:01"}) {
        OleDate date = 0;
        ASSERT_TRUE(ParseOleDate(text, date)) << text;
        EXPECT_EQ(FormatOleDate(date), text);
    }
    for (const char* text :
         {"Never", "", "13/01/26 00:00:00", "02/29/23 00:00:00", "01/01/26 24:00:00",
          "01/01/26 10:60:00", "01/01/26 10:00:00 PM", "01-01-26", "1/1/123 00:00:00"}) {
        OleDate date = 42;
        EXPECT_FALSE(ParseOleDate(text, date)) << text;
        EXPECT_EQ(date, 42);
    }
}

TEST(OleDate, LocalTimeConversionsAgree) {
    const std::time_t moment = 1700000000;  // 14 November 2023
    const OleDate date = OleDateFromTime(moment);
    EXPECT_EQ(TimeFromOleDate(date), moment);
    EXPECT_EQ(FormatOleDate(date).substr(0, 8), FormatShortDate(moment));
    EXPECT_NEAR(OleDateFromTime(moment + 1) - date, 1.0 / 86400, 1e-9);
    EXPECT_GT(OleDateFromTime(moment + 1), date);
    EXPECT_GT(CurrentOleDate(), 45000);  // after 2023
}

}  // namespace
