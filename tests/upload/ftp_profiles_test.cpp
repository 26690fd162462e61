#include "upload/ftp_profiles.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

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

// Writes the profile's values one by one, as an older copy did.
void StoreDirectly(const FtpProfile& profile) {
    const std::string key = std::string(kFtpProfilesKey) + "\\" + profile.name;
    EXPECT_TRUE(CreateRegistryKeyPath(key).ok());
    EXPECT_TRUE(SetRegistryString(key, "Host", profile.host).ok());
    EXPECT_TRUE(SetRegistryString(key, "Username", profile.username).ok());
    EXPECT_TRUE(SetRegistryString(key, "Password", ScramblePassword(profile.password)).ok());
    EXPECT_TRUE(SetRegistryString(key, "Directory", profile.directory).ok());
}

void ExpectSameProfile(const FtpProfile& actual, const FtpProfile& expected) {
    EXPECT_EQ(actual.name, expected.name);
    EXPECT_EQ(actual.host, expected.host);
    EXPECT_EQ(actual.username, expected.username);
    EXPECT_EQ(actual.password, expected.password);
    EXPECT_EQ(actual.directory, expected.directory);
    EXPECT_EQ(actual.connections, expected.connections);
    EXPECT_EQ(actual.rateLimit, expected.rateLimit);
}

TEST_F(FtpProfilesTest, SaveAndLoadRoundTripWithTheStoredLayout) {
    FtpProfileList list;
    ASSERT_EQ(list.Add(Profile("b")), 0);
    FtpProfile fast = Profile("a");
    fast.connections = 8;
    fast.rateLimit = 3 * 1024 * 1024;
    ASSERT_EQ(list.Add(fast), 1);
    FtpProfile empty = Profile("c");
    empty.password.clear();
    empty.directory.clear();
    ASSERT_EQ(list.Add(empty), 2);
    EXPECT_TRUE(SaveFtpProfiles(list, 0).ok());

    const std::string key = std::string(kFtpProfilesKey) + "\\a";
    EXPECT_EQ(GetRegistryString(key, "Host"), "ftp.a.example");
    EXPECT_EQ(GetRegistryString(key, "Username"), "user-a");
    const std::string stored = GetRegistryString(key, "Password");
    EXPECT_EQ(stored.size(), 3 * (std::string("pw-a").size() + 1) - 1);
    EXPECT_EQ(UnscramblePassword(stored), "pw-a");
    EXPECT_EQ(GetRegistryString(key, "Directory"), "/www/a");
    EXPECT_EQ(GetRegistryString(key, "Connections"), "8");
    EXPECT_EQ(GetRegistryString(key, "RateLimit"), "3145728");
    const std::string keyC = std::string(kFtpProfilesKey) + "\\c";
    EXPECT_EQ(GetRegistryString(keyC, "Password"), "");
    // The defaults are not written, so an older copy reads the same key.
    EXPECT_EQ(GetRegistryString(keyC, "Connections"), "");
    EXPECT_EQ(GetRegistryString(keyC, "RateLimit"), "");
    EXPECT_EQ(GetRegistryString(kApplicationKey, "LastFTPProfile"), "b");
    // An upload with a profile not saved yet pins its certificate under its name alone.
    EXPECT_TRUE(SetFtpProfileCertificate("unsaved", "AA").ok());

    FtpProfileList loaded;
    std::string last;
    ASSERT_EQ(LoadFtpProfiles(loaded, last), 3);
    EXPECT_EQ(last, "b");
    // Loaded in the store's name order.
    ExpectSameProfile(loaded.profiles[0], fast);
    ExpectSameProfile(loaded.profiles[1], Profile("b"));
    ExpectSameProfile(loaded.profiles[2], empty);
    EXPECT_TRUE(boxes->Texts().empty());

    // Back to the defaults: the values go again.
    FtpProfile slow = loaded.profiles[0];
    slow.connections = 4;
    slow.rateLimit = 0;
    loaded.Change(0, slow);
    ASSERT_TRUE(SaveFtpProfiles(loaded, -1).ok());
    EXPECT_EQ(GetRegistryString(key, "Connections"), "");
    EXPECT_EQ(GetRegistryString(key, "RateLimit"), "");

    // Counts edited by hand into the file come back within what an upload can use.
    const struct {
        const char* stored;
        int connections;
    } counts[] = {{"0", 1}, {"-3", 1}, {"16", 16}, {"99", 16}, {"x", 1}};
    for (const auto& count : counts) {
        EXPECT_TRUE(SetRegistryString(keyC, "Connections", count.stored).ok());
        EXPECT_TRUE(SetRegistryString(keyC, "RateLimit", "-5").ok());
        ASSERT_EQ(LoadFtpProfiles(loaded, last), 3);
        EXPECT_EQ(loaded.profiles[2].connections, count.connections) << count.stored;
        EXPECT_EQ(loaded.profiles[2].rateLimit, 0);
    }
}

TEST_F(FtpProfilesTest, AnS3RegionIsStoredOnlyWhenItIsNotTheDefault) {
    const std::string settings = config / "Orvashi/Mavren 1.0/settings.ini";
    // A file written before regions existed is written back without one.
    StoreDirectly(Profile("old"));
    FtpProfileList list;
    std::string last;
    ASSERT_EQ(LoadFtpProfiles(list, last), 1);
    EXPECT_EQ(list.profiles[0].region, "");
    FtpProfile edited = list.profiles[0];
    edited.username = "changed";
    list.Change(0, edited);
    ASSERT_TRUE(SaveFtpProfiles(list, -1).ok());
    EXPECT_EQ(ReadFileBytes(settings).find("Region"), std::string::npos);

    FtpProfile bucket = Profile("s3");
    bucket.protocol = FtpProtocol::S3;
    bucket.region = "eu-west-1";
    ASSERT_EQ(list.Add(bucket), 1);
    ASSERT_TRUE(SaveFtpProfiles(list, -1).ok());
    const std::string key = std::string(kFtpProfilesKey) + "\\s3";
    EXPECT_EQ(GetRegistryString(key, "Region"), "eu-west-1");
    ASSERT_EQ(LoadFtpProfiles(list, last), 2);
    EXPECT_EQ(list.profiles[1].protocol, FtpProtocol::S3);
    EXPECT_EQ(list.profiles[1].region, "eu-west-1");
    EXPECT_EQ(list.profiles[0].region, "");

    // Back to the default, by name or by leaving it empty: the value goes.
    for (const char* region : {"eu-west-1", kDefaultS3Region, "auto", ""}) {
        bucket = list.profiles[1];
        bucket.region = region;
        list.Change(1, bucket);
        ASSERT_TRUE(SaveFtpProfiles(list, -1).ok());
        const bool stored = bucket.region != "" && bucket.region != kDefaultS3Region;
        EXPECT_EQ(ReadFileBytes(settings).find("Region") != std::string::npos, stored) << region;
    }
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
    EXPECT_TRUE(SaveFtpProfiles(list, -1).ok());

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

TEST_F(FtpProfilesTest, APasswordTheSecretStoreCannotGiveIsSaidUntilANewOneIsGiven) {
    // Saved where a secret store ran; read here, where none does.
    StoreDirectly(Profile("a"));
    const std::string key = std::string(kFtpProfilesKey) + "\\a";
    EXPECT_TRUE(SetRegistryString(key, "Password", "").ok());
    EXPECT_TRUE(SetRegistryString(key, "PasswordStore", "Secret Service").ok());
    FtpProfileList list;
    std::string last;
    ASSERT_EQ(LoadFtpProfiles(list, last), 1);
    EXPECT_EQ(list.profiles[0].passwordPlace, FtpPasswordPlace::SecretStore);
    EXPECT_EQ(list.profiles[0].password, "");
    EXPECT_EQ(list.profiles[0].passwordProblem.rfind(
                  "The password of the FTP profile 'a' is kept in the desktop's secret store, "
                  "which cannot give it: ",
                  0),
              0u)
        << list.profiles[0].passwordProblem;

    FtpProfile edited = list.profiles[0];
    edited.password = "typed anew";
    list.Change(0, edited);
    EXPECT_EQ(list.profiles[0].passwordProblem, "") << "the new password is there to use";
    std::string note;
    ASSERT_TRUE(SaveFtpProfiles(list, 0, nullptr, &note).ok());
    EXPECT_NE(note, "");
    EXPECT_EQ(GetRegistryString(key, "PasswordStore"), "");
    EXPECT_EQ(UnscramblePassword(GetRegistryString(key, "Password")), "typed anew");
}

TEST_F(FtpProfilesTest, MoreKeysThanSlotsKeepTheFirstThreeAndSayOnceWhichWereLeftOut) {
    FtpProfileList first;
    first.Add(Profile("delta"));
    first.Add(Profile("Alpha"));
    first.Add(Profile("echo"));
    EXPECT_TRUE(SaveFtpProfiles(first, -1).ok());
    // As renames by an older copy left them behind.
    StoreDirectly(Profile("charlie"));
    StoreDirectly(Profile("bravo"));

    FtpProfileList loaded;
    std::string last;
    ASSERT_EQ(LoadFtpProfiles(loaded, last), 3);
    EXPECT_EQ(loaded.profiles[0].name, "Alpha");
    EXPECT_EQ(loaded.profiles[1].name, "bravo");
    EXPECT_EQ(loaded.profiles[2].name, "charlie");
    ExpectSameProfile(loaded.profiles[2], Profile("charlie"));
    EXPECT_TRUE(boxes->Texts().empty()) << "the front end shows the box";
    const std::string text = LeftOutProfilesText(loaded);
    EXPECT_NE(text.find("  delta\n  echo\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("bravo"), std::string::npos) << text;
}

// What another window or process does between the load and the save of a list.
TEST_F(FtpProfilesTest, ASaveWritesOnlyItsOwnChangesOverWhatOthersDidMeanwhile) {
    const std::string a = std::string(kFtpProfilesKey) + "\\a";
    const std::string z = std::string(kFtpProfilesKey) + "\\z";
    struct Case {
        const char* name;
        std::vector<std::string> stored;              // before the load
        std::function<void(FtpProfileList&)> change;  // in the list
        std::function<void()> meanwhile;              // in the store
        std::string refused;                          // "" when all was saved
        std::function<void()> check;                  // the store afterwards
    };
    const Case cases[] = {
        {"other fields and profiles stay",
         {"a"},
         [](FtpProfileList& list) {
             FtpProfile edited = list.profiles[0];
             edited.host = "new.example";
             list.Change(0, edited);
         },
         [&] {
             EXPECT_TRUE(SetRegistryString(a, "Username", "someone else").ok());
             StoreDirectly(Profile("b"));
         },
         "",
         [&] {
             EXPECT_EQ(GetRegistryString(a, "Host"), "new.example");
             EXPECT_EQ(GetRegistryString(a, "Username"), "someone else");
             EXPECT_EQ(UnscramblePassword(GetRegistryString(a, "Password")), "pw-a");
             EXPECT_EQ(CountRegistrySubkeys(kFtpProfilesKey), 2);
         }},
        {"an added name taken meanwhile",
         {},
         [this](FtpProfileList& list) { list.Add(Profile("a")); },
         [&] {
             StoreDirectly({"A", "theirs.example", "u", "", ""});
         },
         "There already is an FTP profile called 'a'.\n",
         [&] { EXPECT_EQ(GetRegistryString(a, "Host"), "theirs.example"); }},
        {"a profile deleted meanwhile does not come back",
         {"a"},
         [](FtpProfileList& list) {
             FtpProfile edited = list.profiles[0];
             edited.password = "changed";
             list.Change(0, edited);
         },
         [] { DeleteFtpProfileKey("a"); },
         "The FTP profile 'a' was deleted meanwhile.\n",
         [] { EXPECT_EQ(CountRegistrySubkeys(kFtpProfilesKey), 0); }},
        {"the limit counts what the store holds by then",
         {"a"},
         [this](FtpProfileList& list) { list.Add(Profile("b")); },
         [this] {
             StoreDirectly(Profile("c"));
             StoreDirectly(Profile("d"));
         },
         "'b' was not added: a maximum of 3 profiles can be created.\n",
         [] { EXPECT_EQ(CountRegistrySubkeys(kFtpProfilesKey), 3); }},
        {"a rename moves the key without its old pin, the last profile follows",
         {"a"},
         [](FtpProfileList& list) {
             FtpProfile edited = list.profiles[0];
             edited.name = "z";
             list.Change(0, edited);
         },
         [] {
             // An upload with the renamed profile before the window closed.
             EXPECT_TRUE(SetFtpProfileCertificate("z", "ZZ").ok());
         },
         "",
         [&] {
             EXPECT_EQ(CountRegistrySubkeys(kFtpProfilesKey), 1);
             EXPECT_EQ(GetRegistryString(z, "Host"), "ftp.a.example");
             EXPECT_EQ(FtpProfileCertificate("z"), "ZZ");
             EXPECT_EQ(GetRegistryString(kApplicationKey, "LastFTPProfile"), "z");
         }},
        {"a rename in letter case only is no clash with itself",
         {"a"},
         [](FtpProfileList& list) {
             FtpProfile edited = list.profiles[0];
             edited.name.assign(1, 'A');
             list.Change(0, edited);
         },
         [] {},
         "",
         [] {
             FtpProfileList stored;
             std::string last;
             LoadFtpProfiles(stored, last);
             ASSERT_EQ(stored.count, 1);
             EXPECT_EQ(stored.profiles[0].name, "A");
             EXPECT_EQ(stored.profiles[0].host, "ftp.a.example");
             EXPECT_EQ(last, "A");
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Result cleared = DeleteRegistryKey(kApplicationKey, "FTP Profiles");  // none at first
        EXPECT_TRUE(cleared.ok() || cleared.kind() == Result::Kind::NotFound);
        for (const std::string& name : c.stored) {
            StoreDirectly(Profile(name));
            EXPECT_TRUE(SetFtpProfileCertificate(name, "AA").ok());
        }
        EXPECT_TRUE(SetRegistryString(kApplicationKey, "LastFTPProfile", "a").ok());
        FtpProfileList list;
        std::string last;
        LoadFtpProfiles(list, last);
        c.change(list);
        c.meanwhile();
        std::string refused = "not set";
        EXPECT_TRUE(SaveFtpProfiles(list, -1, &refused).ok());
        EXPECT_EQ(refused, c.refused);
        c.check();
    }
    EXPECT_TRUE(boxes->Texts().empty());
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
        // S3 names the fields as its window does, and needs the bucket.
        {{"n", "", "", "", "", FtpProtocol::S3},
         head +
             "  Endpoint (the storage service's server, like 's3.eu-west-1.amazonaws.com')\n\n"
             "  Access key ID (the key your storage service gave you)\n\n"
             "  Bucket/prefix (the bucket to upload into, like 'my-site' or "
             "'my-site/photos')\n\n" +
             tail,
         FtpProfileField::Host},
        {{"n", "h", "u", "", "", FtpProtocol::S3Http},
         head +
             "  Bucket/prefix (the bucket to upload into, like 'my-site' or "
             "'my-site/photos')\n\n" +
             tail,
         FtpProfileField::Directory},
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
