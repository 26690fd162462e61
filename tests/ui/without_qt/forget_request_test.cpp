#include "ui/forget_request.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/registry.h"
#include "support/isolated_home.h"
#include "support/test_support.h"

namespace {

// Each test starts from a store that does not exist yet.
class ForgetRequest : public ::testing::Test {
  protected:
    TempDir config;
    ScopedEnvironmentVariable configHome{"XDG_CONFIG_HOME", config.path()};
    ScopedScriptedBoxes boxes;
};

TEST_F(ForgetRequest, RemovesPlacementsAndDialogChoices) {
    EXPECT_TRUE(CreateRegistryKeyPath(kWindowPositionsKey).ok());
    EXPECT_TRUE(CreateRegistryKeyPath(kDontShowAgainKey).ok());
    EXPECT_TRUE(CreateRegistryKeyPath(std::string(kFtpProfilesKey) + "\\Home").ok());
    EXPECT_TRUE(SetRegistryString(kWindowPositionsKey, "Mavren", "1 2 3 4").ok());
    EXPECT_TRUE(SetRegistryString(kDontShowAgainKey, "Welcome", "1").ok());
    EXPECT_TRUE(SetRegistryString(kApplicationKey, "LastProgDir", "/a").ok());

    EXPECT_FALSE(HonourForgetRequest()) << "no Forget value";
    EXPECT_TRUE(SetRegistryString(kWindowPositionsKey, "Forget", "").ok());
    EXPECT_FALSE(HonourForgetRequest()) << "an empty Forget value";
    EXPECT_EQ(GetRegistryString(kWindowPositionsKey, "Mavren"), "1 2 3 4");

    EXPECT_TRUE(SetRegistryString(kWindowPositionsKey, "Forget", "yes").ok());
    EXPECT_TRUE(HonourForgetRequest());
    EXPECT_EQ(GetRegistryString(kWindowPositionsKey, "Mavren"), "");
    EXPECT_EQ(GetRegistryString(kWindowPositionsKey, "Forget"), "");
    EXPECT_EQ(GetRegistryString(kDontShowAgainKey, "Welcome"), "");
    EXPECT_EQ(CountRegistrySubkeys(kApplicationKey), 1);
    EXPECT_EQ(GetRegistrySubkeyName(kApplicationKey, 0), "FTP Profiles");
    EXPECT_EQ(GetRegistryString(kApplicationKey, "LastProgDir"), "/a");
    EXPECT_FALSE(HonourForgetRequest()) << "forgotten once";
    EXPECT_TRUE(boxes->Texts().empty());
}

}  // namespace
