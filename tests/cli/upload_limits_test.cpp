// The connection count and transfer rate options, read as mavren-cli reads them.

#include "cli/upload_limits.h"

#include <gtest/gtest.h>

namespace {

TEST(UploadLimits, RatesReadWithTheirSuffixesAndPrintBack) {
    struct Case {
        const char* text;
        bool ok;
        std::int64_t bytes;
        const char* printed;  // TransferRateText of bytes
    };
    const Case cases[] = {
        {"0", true, 0, "none"},
        {"100", true, 100, "100"},
        {"512K", true, 512 * 1024, "512K"},
        {"512k", true, 512 * 1024, "512K"},
        {"1536K", true, 1536 * 1024, "1536K"},
        {"2M", true, 2 * 1024 * 1024, "2M"},
        {"1024m", true, std::int64_t{1} << 30, "1G"},
        {"3G", true, std::int64_t{3} << 30, "3G"},
        {"8589934591G", true, std::int64_t{8589934591} << 30, "8589934591G"},
        {"8589934592G", false, 0, ""},  // beyond an int64
        {"99999999999999999999", false, 0, ""},
        {"", false, 0, ""},
        {"K", false, 0, ""},
        {"-1", false, 0, ""},
        {"+5", false, 0, ""},
        {"1.5M", false, 0, ""},
        {"500KB", false, 0, ""},
        {"500 K", false, 0, ""},
        {"5T", false, 0, ""},
        {"fast", false, 0, ""},
    };
    for (const Case& c : cases) {
        std::int64_t bytes = -7;
        EXPECT_EQ(ParseTransferRate(c.text, bytes), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(bytes, c.bytes) << c.text;
            EXPECT_EQ(TransferRateText(bytes), c.printed) << c.text;
        }
    }
}

TEST(UploadLimits, ConnectionCountsOutsideOneToSixteenAreRefusedAndChangeNothing) {
    const struct {
        const char* text;
        int connections;  // 4, the value before, when refused
    } cases[] = {{"1", 1}, {"16", 16}, {"0", 4}, {"17", 4}, {"-2", 4}, {"4x", 4}, {"", 4}};
    for (const auto& c : cases) {
        CommandOptions options;
        options.values["--connections"] = c.text;
        options.values["--limit-rate"] = "1K";
        int connections = 4;
        std::int64_t rate = 0;
        const std::string problem = ReadUploadLimits(options, connections, rate);
        EXPECT_EQ(connections, c.connections) << c.text;
        EXPECT_EQ(rate, problem.empty() ? 1024 : 0) << c.text;
        if (!problem.empty()) {
            EXPECT_EQ(problem, std::string("--connections takes a number from 1 to 16, not '") +
                                   c.text + "'");
        }
    }
}

}  // namespace
