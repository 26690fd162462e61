// Whom mavren-cli trusts and where it keeps secrets: pinned FTPS certificates, the SSH
// known_hosts file and FTP passwords, against real servers started here.

#include <gtest/gtest.h>

#include <chrono>
#include <map>

#include "cli/stored_profiles.h"
#include "document/program.h"
#include "platform/registry.h"
#include "platform/registry_store.h"
#include "support/ftp_test_server.h"
#include "support/isolated_home.h"
#include "support/run_program.h"
#include "support/secret_service.h"
#include "support/test_support.h"
#include "upload/ftp_profiles.h"
#include "upload/password_scramble.h"
#include "upload/secret_service_calls.h"
#include "upload/secret_store.h"

namespace {

class CliTrust : public ::testing::Test {
  protected:
    CliTrust() {
        Program program;
        program.ApplyDefaults();
        program.SetString(ProgramKey::SourceDir, programs.path());
        program.SetString(ProgramKey::TargetDir, site.path());
        EXPECT_TRUE(program.Save(programPath).ok());
        WriteFileBytes(site / "a.htm", "<p>a</p>");
    }

    // Runs mavren-cli; bus is the session bus it sees (by default the tests' none).
    ProgramRun Cli(const std::vector<std::string>& arguments, const std::string& input = "",
                   const std::string& bus = "") {
        std::vector<std::string> environment = {"XDG_CONFIG_HOME=" + config.path()};
        if (!bus.empty()) {
            environment.push_back("DBUS_SESSION_BUS_ADDRESS=" + bus);
        }
        return RunProgram(MAVREN_CLI, arguments, input, environment);
    }
    ProgramRun Upload() { return Cli({"upload", programPath, "--profile", "test", "--yes"}); }

    TempDir config;
    ScopedEnvironmentVariable configHome{"XDG_CONFIG_HOME", config.path()};
    TempDir site;
    TempDir programs;
    const std::string programPath = programs / "site.mav";
};

TEST_F(CliTrust, AChangedCertificateIsRefusedEvenWithYesUntilTheOldOneIsForgotten) {
    std::string before;
    {
        const FtpTestServer previous({.tls = true});
        before = previous.fingerprint;
    }
    FtpTestServer server({.tls = true});  // the same server with a new certificate
    ASSERT_NE(before, server.fingerprint);
    ASSERT_EQ(Cli({"profile", "add", "test", "--protocol", "ftps", "--host", server.Host(),
                   "--user", FtpTestServer::kUser, "--password-stdin"},
                  std::string(FtpTestServer::kPassword) + "\n")
                  .status,
              0);
    ASSERT_TRUE(SetFtpProfileCertificate("test", before).ok());

    ProgramRun run = Upload();
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.err.find("The server's certificate is not the one you chose to trust. If your "
                           "host confirms a new one, forget the old one "
                           "(mavren-cli profile edit test --forget-certificate, or the FTP "
                           "Profile window) and upload again."),
              std::string::npos)
        << run.err;
    EXPECT_EQ(run.err.find("Do you want to continue?"), std::string::npos) << "never asked";
    EXPECT_EQ(server.Count("USER"), 0) << "no password for a stranger";
    EXPECT_EQ(FtpProfileCertificate("test"), before);

    run = Cli({"profile", "edit", "test", "--forget-certificate"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out,
              "Forgot the certificate trusted for FTP profile 'test'; the next upload asks about "
              "the server's certificate.\n");
    EXPECT_EQ(FtpProfileCertificate("test"), "");

    // Trusted on purpose: asked about, with the fingerprint, and pinned.
    run = Upload();
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find(server.fingerprint), std::string::npos) << run.err;
    EXPECT_EQ(FtpProfileCertificate("test"), server.fingerprint);
    EXPECT_EQ(ReadFileBytes(server.Root() + "/a.htm"), "<p>a</p>");
}

std::string PasswordValue(const std::string& name) {
    return GetRegistryString(std::string(kFtpProfilesKey) + "\\" + name, "Password");
}

TEST_F(CliTrust, PasswordsLiveInTheSecretStoreWhenOneRunsAndMoveThereFromOldFiles) {
    const SecretServiceSession& secrets = SecretServiceSession::Shared();
    ASSERT_TRUE(secrets.IsRunning());
    const std::string bus = secrets.Address();
    const ScopedEnvironmentVariable session("DBUS_SESSION_BUS_ADDRESS", bus);
    // As a settings file written before: the password scrambled in it.
    const std::string old = std::string(kFtpProfilesKey) + "\\old";
    EXPECT_TRUE(CreateRegistryKeyPath(old).ok());
    EXPECT_TRUE(SetRegistryString(old, "Host", "ftp.old.example").ok());
    EXPECT_TRUE(SetRegistryString(old, "Username", "ann").ok());
    EXPECT_TRUE(SetRegistryString(old, "Password", ScramblePassword("old secret")).ok());

    ProgramRun run =
        Cli({"profile", "add", "new", "--host", "h", "--user", "u", "--password-stdin"},
            "new secret\n", bus);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "") << "no note: the secret store took it";
    EXPECT_EQ(PasswordValue("new"), "");
    EXPECT_EQ(ReadFileBytes(RegistryStorePath()).find("\"PasswordStore\"=\"Secret Service\""),
              ReadFileBytes(RegistryStorePath()).rfind("\"PasswordStore\"=\"Secret Service\""))
        << "one profile says so";
    run = Cli({"profile", "list"}, "", bus);
    EXPECT_EQ(run.out,
              "Profile Name  Protocol  Host             Username  Directory  Password\n"
              "new           ftp       h                u                    secret store\n"
              "old           ftp       ftp.old.example  ann                  settings file\n");
    std::map<std::string, FtpProfile> stored = StoredProfilesByName();
    EXPECT_EQ(stored["new"].password, "new secret");
    EXPECT_EQ(stored["old"].password, "old secret");

    // The next save of the old profile moves its password; a rename takes it along.
    ASSERT_EQ(Cli({"profile", "edit", "old", "--directory", "www"}, "", bus).status, 0);
    EXPECT_EQ(PasswordValue("old"), "");
    EXPECT_EQ(StoredProfilesByName()["old"].password, "old secret");
    ASSERT_EQ(Cli({"profile", "edit", "old", "--name", "renamed"}, "", bus).status, 0);
    stored = StoredProfilesByName();
    EXPECT_EQ(stored["renamed"].password, "old secret");
    EXPECT_EQ(stored["renamed"].passwordPlace, FtpPasswordPlace::SecretStore);
    EXPECT_FALSE(LookUpFtpPassword("old").ok()) << "moved, not copied";

    // Deleting the profile deletes its secret.
    ASSERT_EQ(Cli({"profile", "delete", "renamed", "--yes"}, "", bus).status, 0);
    EXPECT_FALSE(LookUpFtpPassword("renamed").ok());

    // An upload logs in with the password from the secret store.
    FtpTestServer server;
    ASSERT_EQ(Cli({"profile", "add", "test", "--host", server.Host(), "--user",
                   FtpTestServer::kUser, "--password-stdin"},
                  std::string(FtpTestServer::kPassword) + "\n", bus)
                  .status,
              0);
    run = Cli({"upload", programPath, "--profile", "test"}, "", bus);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadFileBytes(server.Root() + "/a.htm"), "<p>a</p>");
    // Without the secret store the upload says why it cannot log in, and does not try.
    run = Cli({"upload", programPath, "--profile", "test"}, "", "unix:path=" + (config / "no-bus"));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("The password of the FTP profile 'test' is kept in the desktop's "
                           "secret store, which cannot give it"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(server.Count("USER"), 1);
}

TEST_F(CliTrust, WithoutASecretStorePasswordsStayInTheSettingsFileWithOneNote) {
    SecretServiceSession busAlone(false);  // a session bus that no secret store is on
    ASSERT_TRUE(busAlone.IsRunning());
    const std::string note = "Mavren keeps your FTP passwords in its settings file, " +
                             RegistryStorePath() +
                             ", which only you can read: no secret store (such as GNOME "
                             "Keyring) answers on this desktop. Once one runs, each password "
                             "moves there the next time its profile is saved.";
    struct Case {
        std::string name;
        std::string bus;
        bool noted;
    };
    const Case cases[] = {
        {"first", "", true}, {"second", "", false}, {"third", busAlone.Address(), false}};
    for (const Case& c : cases) {
        const auto start = std::chrono::steady_clock::now();
        const ProgramRun run = Cli(
            {"profile", "add", c.name, "--host", "h", "--user", "u", "--password", "p-" + c.name},
            "", c.bus);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err.find(note) != std::string::npos, c.noted) << c.name << ": " << run.err;
        EXPECT_EQ(UnscramblePassword(PasswordValue(c.name)), "p-" + c.name);
    }
    const ProgramRun run = Cli({"profile", "list"});
    EXPECT_NE(run.out.find("second        ftp       h     u                    settings file\n"),
              std::string::npos)
        << run.out;
}

// What a secret store that answers no more costs: one wait for the process, not one a call.
TEST_F(CliTrust, AHungSecretStoreIsGivenUpAfterOneWaitAndThePasswordGoesToTheSettingsFile) {
    const SecretServiceSession hung(SecretStoreOnBus::Silent);
    ASSERT_TRUE(hung.IsRunning());
    // Two profiles saved where a store ran: loading the profiles asks for both passwords,
    // and the save then asks whether the store takes the new one.
    for (const std::string name : {"a", "b"}) {
        const std::string key = std::string(kFtpProfilesKey) + "\\" + name;
        EXPECT_TRUE(CreateRegistryKeyPath(key).ok());
        EXPECT_TRUE(SetRegistryString(key, "Host", "h").ok());
        EXPECT_TRUE(SetRegistryString(key, "Username", "u").ok());
        EXPECT_TRUE(SetRegistryString(key, "PasswordStore", "Secret Service").ok());
    }
    const auto start = std::chrono::steady_clock::now();
    const ProgramRun run =
        Cli({"profile", "add", "c", "--host", "h", "--user", "u", "--password", "p-c"}, "",
            hung.Address());
    EXPECT_LT(std::chrono::steady_clock::now() - start,
              std::chrono::seconds(3 * kSecretStoreAnswerSeconds));
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string line =
        "The secret store did not answer within 5 seconds; Mavren goes on without it.";
    EXPECT_NE(run.err.find(line), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find(line), run.err.rfind(line)) << "said once";
    EXPECT_NE(run.err.find("Mavren keeps your FTP passwords in its settings file"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(UnscramblePassword(PasswordValue("c")), "p-c");
}

TEST_F(CliTrust, ARenameWhoseSecretCannotMoveIsRefusedAndChangesNothing) {
    SecretServiceSession keyring;  // its own: one case makes it refuse new secrets
    const SecretServiceSession busAlone(false);
    const SecretServiceSession hung(SecretStoreOnBus::Silent);
    ASSERT_TRUE(keyring.IsRunning() && busAlone.IsRunning() && hung.IsRunning());
    for (const std::string name : {"one", "two"}) {
        ASSERT_EQ(Cli({"profile", "add", name, "--host", "h", "--user", "u", "--password",
                       "secret " + name},
                      "", keyring.Address())
                      .status,
                  0);
    }
    const std::vector<std::string> lookUp = {"lookup", "profile", "one", "settings",
                                             RegistryStorePath()};
    const std::vector<std::string> keyringBus = {"DBUS_SESSION_BUS_ADDRESS=" + keyring.Address()};
    // The store loses the secret of "two".
    ASSERT_EQ(
        RunProgram("/usr/bin/secret-tool",
                   {"clear", "profile", "two", "settings", RegistryStorePath()}, "", keyringBus)
            .status,
        0);
    const struct {
        const char* name;
        std::string bus;
        bool refuseNewSecrets;
        std::string profile;
        std::string why;
    } cases[] = {
        {"no secret store", busAlone.Address(), false, "one", "cannot give it: "},
        {"a hung secret store", hung.Address(), false, "one",
         "cannot give it: the secret store did not answer within 5 seconds."},
        {"the store lost the secret", keyring.Address(), false, "two",
         "cannot give it: the secret store holds no password for it."},
        {"the store takes no new secret", keyring.Address(), true, "one",
         "cannot take it under the new name: "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.refuseNewSecrets) {
            ASSERT_TRUE(keyring.RefuseNewSecrets());
        }
        const std::string before = ReadFileBytes(RegistryStorePath());
        const ProgramRun run = Cli(
            {"profile", "edit", c.profile, "--name", "renamed", "--directory", "www"}, "", c.bus);
        EXPECT_EQ(run.status, 1) << run.err;
        EXPECT_EQ(run.out.find("Saved"), std::string::npos) << run.out;
        EXPECT_NE(
            run.err.find("The FTP profile '" + c.profile +
                         "' was not renamed: its password is in the secret store, which " + c.why),
            std::string::npos)
            << run.err;
        EXPECT_EQ(ReadFileBytes(RegistryStorePath()), before);
    }
    // The old name still has its password.
    const ProgramRun found = RunProgram("/usr/bin/secret-tool", lookUp, "", keyringBus);
    EXPECT_EQ(found.out, "secret one");
    EXPECT_NE(Cli({"profile", "list"})
                  .out.find("one           ftp       h     u                    "
                            "secret store\n"),
              std::string::npos);
}

}  // namespace
