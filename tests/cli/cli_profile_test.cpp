// mavren-cli profile, run as a user would.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <map>
#include <set>

#include "cli/stored_profiles.h"
#include "platform/registry.h"
#include "support/isolated_home.h"
#include "support/run_program.h"
#include "support/test_support.h"
#include "upload/ftp_profiles.h"

namespace {

class CliProfile : public ::testing::Test {
  protected:
    ProgramRun Cli(const std::vector<std::string>& arguments, const std::string& input = "") {
        return RunProgram(MAVREN_CLI, arguments, input, {"XDG_CONFIG_HOME=" + config.path()});
    }
    // The profiles as the upload window would load them.
    FtpProfileList Stored() {
        FtpProfileList list;
        std::string last;
        LoadFtpProfiles(list, last);
        return list;
    }

    TempDir config;
    ScopedEnvironmentVariable configHome{"XDG_CONFIG_HOME", config.path()};
};

TEST_F(CliProfile, AddsListsEditsAndDeletes) {
    ProgramRun run = Cli({"profile", "add", "home", "--host", "ftp.home.example:2121", "--user",
                          "ann", "--password", "top secret", "--directory", "/www"});
    ASSERT_EQ(run.status, 0) << run.err;
    run = Cli({"profile", "add", "work", "--host=ftp.work.example", "--user=bob",
               "--password-stdin", "--protocol", "SFTP"},
              "from stdin\r\nnot this line\n");
    ASSERT_EQ(run.status, 0) << run.err;

    FtpProfileList list = Stored();
    ASSERT_EQ(list.count, 2);
    EXPECT_EQ(list.profiles[0].host, "ftp.home.example:2121");
    EXPECT_EQ(list.profiles[0].password, "top secret");
    EXPECT_EQ(list.profiles[1].password, "from stdin");
    EXPECT_EQ(list.profiles[1].directory, "");
    EXPECT_EQ(list.profiles[0].protocol, FtpProtocol::Ftp);
    EXPECT_EQ(list.profiles[1].protocol, FtpProtocol::Sftp);

    run = Cli({"profile", "list"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(
        run.out,
        "Profile Name  Protocol  Host                   Username  Directory  Password\n"
        "home          ftp       ftp.home.example:2121  ann       /www       settings file\n"
        "work          sftp      ftp.work.example       bob                  settings file\n");
    EXPECT_EQ(run.out.find("secret"), std::string::npos);
    EXPECT_EQ(ReadFileBytes(config / "Orvashi/Mavren 1.0/settings.ini").find("secret"),
              std::string::npos)
        << "passwords are stored scrambled";

    run = Cli({"profile", "edit", "work", "--connections", "8", "--limit-rate", "512k"});
    ASSERT_EQ(run.status, 0) << run.err;
    run = Cli({"profile", "list"});
    EXPECT_EQ(run.out,
              "Profile Name  Protocol  Host                   Username  Directory  Password       "
              "Connections  Rate Limit\n"
              "home          ftp       ftp.home.example:2121  ann       /www       settings file  "
              "4            none\n"
              "work          sftp      ftp.work.example       bob                  settings file  "
              "8            512K\n");

    run = Cli({"profile", "edit", "home", "--directory", "", "--name", "Home site", "--protocol",
               "ftps"});
    ASSERT_EQ(run.status, 0) << run.err;
    list = Stored();
    ASSERT_EQ(list.count, 2) << "the old name's key went with the rename";
    EXPECT_EQ(list.profiles[0].name, "Home site");
    EXPECT_EQ(list.profiles[0].directory, "");
    EXPECT_EQ(list.profiles[0].password, "top secret") << "left as it was";
    EXPECT_EQ(list.profiles[0].protocol, FtpProtocol::Ftps);
    EXPECT_EQ(list.profiles[1].connections, 8) << "left as it was";
    EXPECT_EQ(list.profiles[1].rateLimit, 512 * 1024);

    run = Cli({"profile", "delete", "work"});
    EXPECT_EQ(run.status, 1) << "without a terminal the question is answered No";
    EXPECT_NE(run.err.find("Are you sure you want to delete\nthe FTP profile called 'work'?"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(Stored().count, 2);
    run = Cli({"profile", "delete", "work", "--yes"});
    EXPECT_EQ(run.status, 0) << run.err;
    list = Stored();
    ASSERT_EQ(list.count, 1);
    EXPECT_EQ(list.profiles[0].name, "Home site");
}

TEST_F(CliProfile, RequiredFieldsAndTheLimitUseTheWindowsTexts) {
    ProgramRun run = Cli({"profile", "add", "site", "--user", "ann"});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("Some required values are missing:\n\n"
                           "  Host (an FTP server name like 'ftp.example.com')\n\n"
                           "Give them on the command line (see mavren-cli profile --help)."),
              std::string::npos)
        << run.err;
    EXPECT_EQ(run.err.find("Username ("), std::string::npos) << run.err;

    for (const char* name : {"one", "two", "three"}) {
        ASSERT_EQ(Cli({"profile", "add", name, "--host", "h", "--user", "u"}).status, 0);
    }
    run = Cli({"profile", "add", "four", "--host", "h", "--user", "u"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("A maximum of 3 profiles can be created.\n\nTo create a new profile, "
                           "delete an old one."),
              std::string::npos)
        << run.err;
    EXPECT_EQ(Stored().count, 3);

    run = Cli({"profile", "edit", "two", "--name", "ONE"});
    EXPECT_EQ(run.status, 1) << "the store does not tell ONE from one";
    run = Cli({"profile", "edit", "two", "--user", ""});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("  Username (a login name on the FTP server)\n\n"), std::string::npos);
}

TEST_F(CliProfile, WrongArgumentsAreUsageErrors) {
    struct Case {
        std::vector<std::string> arguments;
        int status;
    };
    const Case cases[] = {
        {{"profile"}, 2},
        {{"profile", "rename", "a"}, 2},
        {{"profile", "list", "extra"}, 2},
        {{"profile", "add"}, 2},
        {{"profile", "add", "a", "--host"}, 2},
        {{"profile", "add", "a", "--port", "21"}, 2},
        {{"profile", "add", "a\\b", "--host", "h", "--user", "u"}, 2},
        {{"profile", "add", "a", "--host", "h:99999", "--user", "u"}, 2},
        {{"profile", "add", "a", "--host", "h", "--user", "u", "--protocol", "scp"}, 2},
        {{"profile", "add", "a", "--host", "h", "--user", "u", "--protocol", ""}, 2},
        {{"profile", "add", "a", "--host", "h", "--user", "u", "--password", "p",
          "--password-stdin"},
         2},
        {{"profile", "add", "a", "--host", "h", "--user", "u", "--connections", "17"}, 2},
        {{"profile", "add", "a", "--host", "h", "--user", "u", "--limit-rate", "1MB"}, 2},
        {{"profile", "edit", "missing", "--host", "h"}, 2},
        {{"profile", "delete", "missing", "--yes"}, 2},
        {{"profile", "delete", "a", "--host", "h"}, 2},
    };
    for (const Case& c : cases) {
        const ProgramRun run = Cli(c.arguments);
        EXPECT_EQ(run.status, c.status) << testing::PrintToString(c.arguments) << run.err;
    }
    EXPECT_EQ(Stored().count, 0);
    const ProgramRun run = Cli({"profile", "list"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("No FTP profiles."), std::string::npos);
}

TEST_F(CliProfile, AProfileTheSettingsRefuseIsAFailure) {
    // A folder where the settings file should be: no process, root or not, can use it.
    ASSERT_EQ(::mkdir((config / "Orvashi").c_str(), 0700), 0);
    ASSERT_EQ(::mkdir((config / "Orvashi/Mavren 1.0").c_str(), 0700), 0);
    ASSERT_EQ(::mkdir((config / "Orvashi/Mavren 1.0/settings.ini").c_str(), 0700), 0);
    const ProgramRun run = Cli({"profile", "add", "site", "--host", "h", "--user", "u"});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.err.find("Mavren's settings cannot be used"), std::string::npos) << run.err;
    EXPECT_EQ(run.out.find("Saved"), std::string::npos) << run.out;
}

// Counts how often needle occurs in text.
std::size_t Occurrences(const std::string& text, const std::string& needle) {
    std::size_t count = 0;
    for (std::size_t at = text.find(needle); at != std::string::npos;
         at = text.find(needle, at + 1)) {
        ++count;
    }
    return count;
}

TEST_F(CliProfile, EveryCommandThatMeetsADamagedSettingsFileSaysSoOnceAndFails) {
    const std::string path = config / "Orvashi/Mavren 1.0/settings.ini";
    std::string deep = "[k";
    for (int i = 1; i < 50000; ++i) {
        deep += "\\k";
    }
    const struct {
        std::string text;
        std::string where;
    } files[] = {
        {"[Software\\Orvashi\\Mavren 1.0\\FTP Profiles\\home]\n\"Host\"=\"h\"\n"
         "\"Username\"=\"ann\n",
         "' cannot be read, line 3: the closing double quote is missing"},
        {"; one key 50,000 levels deep\n" + deep + "]\n",
         "' cannot be read, line 2: the key path is more than 512 keys deep"},
    };
    const std::vector<std::vector<std::string>> commands = {
        {"profile", "list"},
        {"profile", "add", "site", "--host", "h", "--user", "u"},
        {"profile", "edit", "home", "--host", "h2"},
        {"profile", "delete", "home", "--yes"},
        {"upload", config / "any.mav", "--profile", "home"},
        {"open", "file:///nowhere.htm"},
    };
    for (const auto& file : files) {
        WriteFileBytes(path, file.text);
        for (const std::vector<std::string>& command : commands) {
            // No browser to find, whatever the command tries.
            const ProgramRun run = RunProgram(
                MAVREN_CLI, command, "", {"XDG_CONFIG_HOME=" + config.path(), "PATH=/nowhere"});
            SCOPED_TRACE(testing::PrintToString(command) + "\n" + run.err);
            EXPECT_EQ(run.status, 1);
            EXPECT_EQ(Occurrences(run.err, path + file.where), 1u);
            EXPECT_EQ(run.err.find("No FTP profiles"), std::string::npos);
            EXPECT_EQ(run.out.find("Saved"), std::string::npos);
            EXPECT_EQ(ReadFileBytes(path), file.text);
        }
    }
}

TEST_F(CliProfile, TwentyEditsAtOnceAllHold) {
    for (const char* name : {"a", "b", "c"}) {
        ASSERT_EQ(Cli({"profile", "add", name, "--host", "old", "--user", "old", "--password",
                       "old", "--directory", "old"})
                      .status,
                  0);
    }
    // Each edit changes one field of one profile; the last five repeat earlier ones.
    std::vector<std::vector<std::string>> edits;
    for (const std::string name : {"a", "b", "c"}) {
        for (const char* option : {"--host", "--user", "--password", "--directory"}) {
            edits.push_back(
                {"profile", "edit", name, option, std::string(option + 2) + "-" + name});
        }
        edits.push_back({"profile", "edit", name, "--protocol", "sftp"});
    }
    for (std::size_t i = 0; i < 5; ++i) {
        edits.push_back(edits[i * 3]);
    }
    const std::vector<ProgramRun> runs =
        RunProgramsAtOnce(MAVREN_CLI, edits, {"XDG_CONFIG_HOME=" + config.path()});
    for (std::size_t i = 0; i < runs.size(); ++i) {
        EXPECT_EQ(runs[i].status, 0) << testing::PrintToString(edits[i]) << runs[i].err;
        EXPECT_EQ(runs[i].out, "Saved FTP profile '" + edits[i][2] + "'.\n");
    }
    const std::map<std::string, FtpProfile> stored = StoredProfilesByName();
    ASSERT_EQ(stored.size(), 3u);
    for (const auto& [name, profile] : stored) {
        EXPECT_EQ(profile.host, "host-" + name);
        EXPECT_EQ(profile.username, "user-" + name);
        EXPECT_EQ(profile.password, "password-" + name);
        EXPECT_EQ(profile.directory, "directory-" + name);
        EXPECT_EQ(profile.protocol, FtpProtocol::Sftp) << name;
    }
}

TEST_F(CliProfile, AddsAndADeleteAtOnceStoreExactlyWhatTheySaid) {
    std::vector<std::vector<std::string>> adds;
    for (int i = 0; i < 5; ++i) {
        const std::string name = "p" + std::to_string(i);
        adds.push_back({"profile", "add", name, "--host", "host-" + name, "--user", "u"});
    }
    std::vector<ProgramRun> runs =
        RunProgramsAtOnce(MAVREN_CLI, adds, {"XDG_CONFIG_HOME=" + config.path()});
    std::set<std::string> saved;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        if (runs[i].status == 0) {
            EXPECT_EQ(runs[i].out, "Saved FTP profile '" + adds[i][2] + "'.\n");
            saved.insert(adds[i][2]);
        } else {
            EXPECT_EQ(runs[i].status, 1) << runs[i].err;
            EXPECT_EQ(runs[i].out, "");
        }
    }
    EXPECT_EQ(saved.size(), 3u) << "as many as there are slots";
    std::map<std::string, FtpProfile> stored = StoredProfilesByName();
    ASSERT_EQ(stored.size(), saved.size());
    for (const std::string& name : saved) {
        EXPECT_EQ(stored[name].host, "host-" + name);
    }

    // A delete racing edits of the same profile: once gone, it stays gone.
    const std::string doomed = *saved.begin();
    const std::string kept = *saved.rbegin();
    std::vector<std::vector<std::string>> mixed = {{"profile", "delete", doomed, "--yes"}};
    for (const char* option : {"--host", "--user", "--password", "--directory"}) {
        mixed.push_back({"profile", "edit", doomed, option, "new"});
        mixed.push_back({"profile", "edit", kept, option, "new"});
    }
    runs = RunProgramsAtOnce(MAVREN_CLI, mixed, {"XDG_CONFIG_HOME=" + config.path()});
    EXPECT_EQ(runs[0].status, 0) << runs[0].err;
    for (std::size_t i = 1; i < runs.size(); ++i) {
        const bool saidSaved = runs[i].out.find("Saved") != std::string::npos;
        EXPECT_EQ(saidSaved, runs[i].status == 0) << runs[i].err;
        if (mixed[i][2] == kept) {
            EXPECT_TRUE(saidSaved) << runs[i].err;
        }
    }
    stored = StoredProfilesByName();
    EXPECT_EQ(stored.count(doomed), 0u) << "a deleted profile does not come back";
    ASSERT_EQ(stored.count(kept), 1u);
    EXPECT_EQ(stored[kept].host, "new");
    EXPECT_EQ(stored[kept].username, "new");
    EXPECT_EQ(stored[kept].password, "new");
    EXPECT_EQ(stored[kept].directory, "new");
}

TEST_F(CliProfile, S3ProfilesNeedAValidBucketAndShowTheirRegion) {
    const struct {
        std::vector<std::string> options;
        const char* said;
    } refused[] = {
        {{"--protocol", "s3", "--host", "s3.example.com", "--directory", "My_Site"},
         "The bucket name 'My_Site' is not valid"},
        {{"--protocol", "s3", "--host", "s3.example.com", "--directory", "/my-site"},
         "without a slash before it"},
        {{"--protocol", "s3", "--host", "https://s3.example.com", "--directory", "my-site"},
         "without \"https://\""},
        {{"--protocol", "s3-http", "--host", "h", "--directory", "my-site", "--region", "a:b"},
         "The region 'a:b' is not valid"},
        {{"--protocol", "s3", "--host", "h"}, "  Bucket/prefix (the bucket to upload into"},
        {{"--host", "h", "--region", "eu-west-1"}, "--region is for the s3 and s3-http protocols"},
    };
    for (const auto& c : refused) {
        std::vector<std::string> arguments = {"profile", "add", "bucket", "--user", "key"};
        arguments.insert(arguments.end(), c.options.begin(), c.options.end());
        const ProgramRun run = Cli(arguments);
        EXPECT_EQ(run.status, 2) << run.err;
        EXPECT_NE(run.err.find(c.said), std::string::npos) << run.err;
    }
    EXPECT_EQ(Stored().count, 0);

    ASSERT_EQ(Cli({"profile", "add", "bucket", "--protocol", "s3", "--host",
                   "s3.eu-west-1.amazonaws.com", "--user", "AKIAEXAMPLE", "--password", "pw",
                   "--directory", "my-site/photos", "--region", "eu-west-1"})
                  .status,
              0);
    ASSERT_EQ(Cli({"profile", "add", "home", "--host", "ftp.home.example", "--user", "ann"}).status,
              0);
    ASSERT_EQ(Cli({"profile", "add", "lab", "--protocol", "S3-HTTP", "--host", "127.0.0.1:7480",
                   "--user", "key", "--directory", "lab"})
                  .status,
              0);
    ProgramRun run = Cli({"profile", "list"});
    EXPECT_EQ(run.out,
              "Profile Name  Protocol  Region     Host                        Username     "
              "Directory       Password\n"
              "bucket        s3        eu-west-1  s3.eu-west-1.amazonaws.com  AKIAEXAMPLE  "
              "my-site/photos  settings file\n"
              "home          ftp                  ftp.home.example            ann          "
              "                none\n"
              "lab           s3-http   us-east-1  127.0.0.1:7480              key          "
              "lab             none\n");
    run = Cli({"profile", "edit", "bucket", "--region", ""});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(StoredProfilesByName()["bucket"].region, "");
}

TEST_F(CliProfile, ProfilesWrittenWithoutAProtocolAreFtp) {
    // As an older copy of Mavren wrote them: no "Protocol" value.
    EXPECT_TRUE(CreateRegistryKeyPath(std::string(kFtpProfilesKey) + "\\old").ok());
    EXPECT_TRUE(
        SetRegistryString(std::string(kFtpProfilesKey) + "\\old", "Host", "ftp.old.example").ok());
    EXPECT_TRUE(SetRegistryString(std::string(kFtpProfilesKey) + "\\old", "Username", "ann").ok());
    ASSERT_EQ(Stored().count, 1);
    EXPECT_EQ(Stored().profiles[0].protocol, FtpProtocol::Ftp);
    const ProgramRun run = Cli({"profile", "list"});
    EXPECT_NE(run.out.find("old           ftp       ftp.old.example"), std::string::npos)
        << run.out;
}

}  // namespace
