// Whom mavren-cli trusts and where it keeps secrets: pinned FTPS certificates, the SSH
// known_hosts file and FTP passwords, against real servers started here.

#include <gtest/gtest.h>

#include "document/program.h"
#include "support/ftp_test_server.h"
#include "support/isolated_home.h"
#include "support/run_program.h"
#include "support/test_support.h"
#include "upload/ftp_profiles.h"

namespace {

class CliTrust : public ::testing::Test {
  protected:
    CliTrust() {
        Program program;
        program.ApplyDefaults();
        program.SetString(ProgramKey::SourceDir, site.path());
        program.SetString(ProgramKey::TargetDir, site.path());
        EXPECT_TRUE(program.Save(programPath));
        WriteFileBytes(site / "a.htm", "<p>a</p>");
    }

    ProgramRun Cli(const std::vector<std::string>& arguments, const std::string& input = "") {
        return RunProgram(MAVREN_CLI, arguments, input, {"XDG_CONFIG_HOME=" + config.path()});
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
    SetFtpProfileCertificate("test", before);

    ProgramRun run = Upload();
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.err.find("The server's certificate is not the certificate you chose to trust "
                           "for this server. If your host confirms a new one, forget the old one "
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

}  // namespace
