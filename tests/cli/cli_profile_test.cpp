// mavren-cli profile, run as a user would.

#include <gtest/gtest.h>
#include <sys/stat.h>

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
    EXPECT_EQ(run.out,
              "Profile Name  Protocol  Host                   Username  Directory\n"
              "home          ftp       ftp.home.example:2121  ann       /www\n"
              "work          sftp      ftp.work.example       bob\n");
    EXPECT_EQ(run.out.find("secret"), std::string::npos);
    EXPECT_EQ(ReadFileBytes(config / "Orvashi/Mavren 1.0/settings.ini").find("secret"),
              std::string::npos)
        << "passwords are stored scrambled";

    run = Cli({"profile", "edit", "home", "--directory", "", "--name", "Home site", "--protocol",
               "ftps"});
    ASSERT_EQ(run.status, 0) << run.err;
    list = Stored();
    ASSERT_EQ(list.count, 2) << "the old name's key went with the rename";
    EXPECT_EQ(list.profiles[0].name, "Home site");
    EXPECT_EQ(list.profiles[0].directory, "");
    EXPECT_EQ(list.profiles[0].password, "top secret") << "left as it was";
    EXPECT_EQ(list.profiles[0].protocol, FtpProtocol::Ftps);

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
    // A folder where the settings file should be: no process, root or not, can write it.
    ASSERT_EQ(::mkdir((config / "Orvashi").c_str(), 0700), 0);
    ASSERT_EQ(::mkdir((config / "Orvashi/Mavren 1.0").c_str(), 0700), 0);
    ASSERT_EQ(::mkdir((config / "Orvashi/Mavren 1.0/settings.ini").c_str(), 0700), 0);
    const ProgramRun run = Cli({"profile", "add", "site", "--host", "h", "--user", "u"});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.err.find("Setting registry key failed."), std::string::npos) << run.err;
    EXPECT_EQ(run.out.find("Saved"), std::string::npos) << run.out;
}

TEST_F(CliProfile, ProfilesWrittenWithoutAProtocolAreFtp) {
    // As an older copy of Mavren wrote them: no "Protocol" value.
    CreateRegistryKeyPath(std::string(kFtpProfilesKey) + "\\old");
    SetRegistryString(std::string(kFtpProfilesKey) + "\\old", "Host", "ftp.old.example");
    SetRegistryString(std::string(kFtpProfilesKey) + "\\old", "Username", "ann");
    ASSERT_EQ(Stored().count, 1);
    EXPECT_EQ(Stored().profiles[0].protocol, FtpProtocol::Ftp);
    const ProgramRun run = Cli({"profile", "list"});
    EXPECT_NE(run.out.find("old           ftp       ftp.old.example"), std::string::npos)
        << run.out;
}

}  // namespace
