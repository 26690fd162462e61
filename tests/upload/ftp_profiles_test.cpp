#include "upload/ftp_profiles.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/registry.h"
#include "support/isolated_home.h"
#include "support/test_support.h"
#include "upload/password_scramble.h"

namespace {

// Each test starts with a settings store of its own.
class FtpProfilesTest : public ::testing::Test {
  protected:
    FtpProfile Profile(const std::string& name) {
        return {name, "ftp." + name + ".example", "user-" + name, "pw-" + name, "/www/" + name};
    }

    TempDir config;
    ScopedEnvironmentVariable configHome{"XDG_CONFIG_HOME", config.path()};
    ScopedScriptedBoxes boxes;
};

void ExpectSameProfile(const FtpProfile& actual, const FtpProfile& expected) {
    EXPECT_EQ(actual.name, expected.name);
    EXPECT_EQ(actual.host, expected.host);
    EXPECT_EQ(actual.username, expected.username);
    EXPECT_EQ(actual.password, expected.password);
    EXPECT_EQ(actual.directory, expected.directory);
}

TEST_F(FtpProfilesTest, SaveAndLoadRoundTripWithTheStoredLayout) {
    FtpProfileList list;
    ASSERT_EQ(list.Add(Profile("b")), 0);
    ASSERT_EQ(list.Add(Profile("a")), 1);
    FtpProfile empty = Profile("c");
    empty.password.clear();
    empty.directory.clear();
    ASSERT_EQ(list.Add(empty), 2);
    SaveFtpProfiles(list, 0);

    const std::string key = std::string(kFtpProfilesKey) + "\\a";
    EXPECT_EQ(GetRegistryString(key, "Host"), "ftp.a.example");
    EXPECT_EQ(GetRegistryString(key, "Username"), "user-a");
    const std::string stored = GetRegistryString(key, "Password");
    EXPECT_EQ(stored.size(), 3 * (std::string("pw-a").size() + 1) - 1);
    EXPECT_EQ(UnscramblePassword(stored), "pw-a");
    EXPECT_EQ(GetRegistryString(key, "Directory"), "/www/a");
    EXPECT_EQ(GetRegistryString(std::string(kFtpProfilesKey) + "\\c", "Password"), "");
    EXPECT_EQ(GetRegistryString(kApplicationKey, "LastFTPProfile"), "b");

    FtpProfileList loaded;
    std::string last;
    ASSERT_EQ(LoadFtpProfiles(loaded, last), 3);
    EXPECT_EQ(last, "b");
    // Loaded in the store's name order.
    ExpectSameProfile(loaded.profiles[0], Profile("a"));
    ExpectSameProfile(loaded.profiles[1], Profile("b"));
    ExpectSameProfile(loaded.profiles[2], empty);
    EXPECT_TRUE(boxes->Texts().empty());
}

TEST_F(FtpProfilesTest, AnEmptyStoreLoadsNoProfile) {
    FtpProfileList list;
    std::string last = "stale";
    EXPECT_EQ(LoadFtpProfiles(list, last), 0);
    EXPECT_EQ(list.count, 0);
    EXPECT_EQ(last, "");
}

TEST_F(FtpProfilesTest, TheListHoldsThreeAndDeletingMovesTheLastIntoTheGap) {
    FtpProfileList list;
    EXPECT_EQ(list.Add(Profile("a")), 0);
    EXPECT_EQ(list.Add(Profile("b")), 1);
    EXPECT_EQ(list.Add(Profile("c")), 2);
    EXPECT_EQ(list.Add(Profile("d")), -1);
    EXPECT_EQ(list.count, MaxFtpProfiles);
    SaveFtpProfiles(list, -1);

    EXPECT_EQ(DeleteFtpProfile(list, 0), 2);
    EXPECT_EQ(list.count, 2);
    ExpectSameProfile(list.profiles[0], Profile("c"));
    ExpectSameProfile(list.profiles[1], Profile("b"));
    EXPECT_EQ(list.Find("a"), -1);
    EXPECT_EQ(list.Find("C"), 0) << "names compare as the store's keys do";

    FtpProfileList loaded;
    std::string last;
    ASSERT_EQ(LoadFtpProfiles(loaded, last), 2) << "the key went at once";
    ExpectSameProfile(loaded.profiles[0], Profile("b"));
    ExpectSameProfile(loaded.profiles[1], Profile("c"));

    EXPECT_EQ(DeleteFtpProfile(list, 5), -1);
    EXPECT_EQ(DeleteFtpProfile(list, 1), 1);
    EXPECT_EQ(DeleteFtpProfile(list, 0), 0);
    EXPECT_EQ(list.count, 0);
    EXPECT_EQ(LoadFtpProfiles(loaded, last), 0);
    EXPECT_FALSE(DeleteFtpProfileKey("a")) << "already gone";
}

TEST_F(FtpProfilesTest, MoreKeysThanSlotsKeepTheFirstThreeAndSayOnceWhichWereLeftOut) {
    FtpProfileList first;
    first.Add(Profile("delta"));
    first.Add(Profile("Alpha"));
    first.Add(Profile("echo"));
    SaveFtpProfiles(first, -1);
    FtpProfileList second;
    second.Add(Profile("charlie"));
    second.Add(Profile("bravo"));
    SaveFtpProfiles(second, -1);

    FtpProfileList loaded;
    std::string last;
    ASSERT_EQ(LoadFtpProfiles(loaded, last), 3);
    EXPECT_EQ(loaded.profiles[0].name, "Alpha");
    EXPECT_EQ(loaded.profiles[1].name, "bravo");
    EXPECT_EQ(loaded.profiles[2].name, "charlie");
    ExpectSameProfile(loaded.profiles[2], Profile("charlie"));
    ASSERT_EQ(boxes->Texts().size(), 1u);
    const std::string text = boxes->Texts()[0];
    EXPECT_NE(text.find("  delta\n  echo\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("bravo"), std::string::npos) << text;
}

TEST_F(FtpProfilesTest, RequiredFieldsAreListedInOrderAndTheFirstGetsTheFocus) {
    const std::string head = "Some required values are missing:\n\n";
    const std::string name = "  Profile Name (a name for this profile)\n\n";
    const std::string host = "  Host (an FTP server name like 'ftp.example.com')\n\n";
    const std::string user = "  Username (a login name on the FTP server)\n\n";
    const std::string tail = "Fill in the missing fields or press \"Cancel\".";
    struct Case {
        FtpProfile profile;
        std::string text;
        FtpProfileField focus;
    };
    const Case cases[] = {
        {{"", "", "", "", ""}, head + name + host + user + tail, FtpProfileField::Name},
        {{"n", "h", "", "pw", "d"}, head + user + tail, FtpProfileField::Username},
        {{"n", "", "u", "", ""}, head + host + tail, FtpProfileField::Host},
        {{"", "h", "", "", ""}, head + name + user + tail, FtpProfileField::Name},
        {{" ", " ", " ", "", ""}, "", FtpProfileField::None},  // blanks count as filled
        {{"n", "h", "u", "", ""}, "", FtpProfileField::None},  // password and folder optional
    };
    for (const Case& c : cases) {
        FtpProfileField focus = FtpProfileField::Directory;
        EXPECT_EQ(MissingFtpProfileFields(c.profile, focus), c.text);
        EXPECT_EQ(focus, c.focus) << c.text;
    }
}

TEST_F(FtpProfilesTest, NamesThatCannotBeKeysAreRefused) {
    EXPECT_EQ(FtpProfileNameProblem("My site (test)"), "");
    EXPECT_EQ(FtpProfileNameProblem("Überseite"), "");
    EXPECT_NE(FtpProfileNameProblem("a\\b"), "");
    EXPECT_NE(FtpProfileNameProblem("a\nb"), "");
    EXPECT_NE(FtpProfileNameProblem(std::string("tab\there")), "");
    EXPECT_EQ(TooManyFtpProfilesText(),
              "A maximum of 3 profiles can be created.\n\nTo create a new profile, delete an "
              "old one.");
}

}  // namespace
