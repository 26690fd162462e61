#include <gtest/gtest.h>

#include <string>

#include "support/s3_test_gateway.h"

namespace {

// The S3 tests lean on the gateway refusing what S3 refuses: a server that took any
// signature would let every signing fault of the client pass. A write signed with another
// secret is refused and leaves nothing; the same write signed right is kept.
TEST(S3GatewayTest, RefusesAWrongSignatureAndKeepsWhatIsSignedRight) {
    const S3TestGateway& gateway = S3TestGateway::Shared();
    if (!gateway.Skipped().empty()) {
        GTEST_SKIP() << gateway.Skipped();
    }
    ASSERT_TRUE(gateway.IsRunning()) << gateway.Failure();
    ASSERT_TRUE(gateway.MakeBucket("gateway-test"));
    std::string wrong = gateway.Secret();
    wrong.back() = wrong.back() == 'a' ? 'b' : 'a';

    const struct {
        std::string secret;
        int status;
        const char* code;  // in the reply's body
        int statusAfter;   // of a correctly signed read of the object afterwards
    } cases[] = {
        {wrong, 403, "<Code>SignatureDoesNotMatch</Code>", 404},
        {gateway.Secret(), 200, "", 200},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.status);
        const S3Reply put = gateway.Request(c.secret, "PUT", "/gateway-test/page.htm", "<p>");
        EXPECT_EQ(put.status, c.status) << put.body;
        EXPECT_NE(put.body.find(c.code), std::string::npos) << put.body;
        const S3Reply get = gateway.Request(gateway.Secret(), "GET", "/gateway-test/page.htm");
        EXPECT_EQ(get.status, c.statusAfter) << get.body;
    }
    EXPECT_EQ(gateway.Request(gateway.Secret(), "GET", "/gateway-test/page.htm").body, "<p>");
}

}  // namespace
