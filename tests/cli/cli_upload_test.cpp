// mavren-cli upload, run as a user would, against a real FTP server on loopback.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <set>
#include <sstream>
#include <thread>

#include "document/program.h"
#include "support/ftp_test_server.h"
#include "support/isolated_home.h"
#include "support/run_program.h"
#include "support/test_support.h"

namespace {

class CliUpload : public ::testing::Test {
  protected:
    CliUpload() {
        Program program;
        program.ApplyDefaults();
        program.SetString(ProgramKey::SourceDir, programs.path());
        program.SetString(ProgramKey::TargetDir, site.path());
        EXPECT_TRUE(program.Save(programPath).ok());
    }

    ProgramRun Cli(const std::vector<std::string>& arguments, const std::string& input = "") {
        return RunProgram(MAVREN_CLI, arguments, input, {"XDG_CONFIG_HOME=" + config.path()});
    }
    void AddProfile(const FtpTestServer& server, const std::string& directory,
                    const std::string& password = FtpTestServer::kPassword) {
        const ProgramRun run =
            Cli({"profile", "add", "test", "--host", server.Host(), "--user", FtpTestServer::kUser,
                 "--password-stdin", "--directory", directory},
                password + "\n");
        ASSERT_EQ(run.status, 0) << run.err;
    }

    TempDir config;
    TempDir site;
    TempDir programs;
    const std::string programPath = programs / "site.mav";
};

TEST_F(CliUpload, UploadsTheTargetFolderAndSaysHowLongItTook) {
    FtpTestServer server;
    WriteFileBytes(site / "INDEX000.HTM", "<p>index</p>");
    WriteFileBytes(site / "Thumbs/TN_a.jpg", "thumb");
    AddProfile(server, "www/site");

    ProgramRun run = Cli({"upload", programPath, "--profile", "test"});
    EXPECT_EQ(run.status, 1) << "a missing folder is not made without a Yes";
    EXPECT_NE(run.err.find("Cannot change to FTP directory \"www/site\".\n\nWould you like to "
                           "create it?"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("Failed to change directory on FTP server\n\nDirectory: www/site\n\n"
                           "Reason: 550 No such file or directory."),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("FTP Error.\n"), std::string::npos) << run.err;

    run = Cli({"upload", programPath, "--profile", "test", "--yes"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadFileBytes(server.Root() + "/www/site/INDEX000.HTM"), "<p>index</p>");
    EXPECT_EQ(ReadFileBytes(server.Root() + "/www/site/Thumbs/TN_a.jpg"), "thumb");
    EXPECT_NE(run.err.find("Opening \"TN_a.jpg\" ...\n"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("Done.\n17 bytes in "), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find('@'), std::string::npos) << "timing lines lose their mark";

    // The profile used last is the default; nothing changed, so nothing is sent.
    run = Cli({"upload", programPath});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("Skipping \"INDEX000.HTM\" (unchanged since the last upload)"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("Done.\n0 bytes sent; 2 files unchanged\n"), std::string::npos)
        << run.err;
    EXPECT_EQ(server.Count("STOR"), 2);
}

TEST_F(CliUpload, DryRunPrintsThePlanAndDeleteAsksFirst) {
    FtpTestServer server;
    WriteFileBytes(site / "a.htm", "a");
    WriteFileBytes(server.Root() + "/old.htm", "old");
    // Left out: a link out of the site (whose copy on the server stays) and a name no
    // FTP command can carry, which once ended the whole upload.
    ASSERT_EQ(::symlink(programs.path().c_str(), (site / "keys").c_str()), 0);
    WriteFileBytes(site / "bad\nname.htm", "x");
    WriteFileBytes(server.Root() + "/keys/kept.htm", "kept");
    AddProfile(server, "");

    ProgramRun run = Cli({"upload", programPath, "--profile", "test", "--dry-run", "--connections",
                          "2", "--limit-rate", "1M", "--full-check"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out,
              "folder  (top folder): 1 file (1 byte) to send, 1 to delete\nskip    "
              "bad?name.htm\nskip    keys\nsend    a.htm\ndelete  old.htm\n");
    EXPECT_NE(run.err.find("Skipping \"keys\" (a link to a folder outside the site)\n"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(server.Count("STOR"), 0);
    // The closing line counts what would go, and what would be deleted or is too much to.
    WriteFileBytes(server.Root() + "/gone/old.htm", "old");
    const struct {
        std::vector<std::string> limit;
        std::string closing;
    } closings[] = {
        {{},
         "1 file (1 byte) would be sent; 2 files and 1 folder would not be deleted; 2 left out\n"},
        {{"--max-delete", "all"},
         "1 file (1 byte) would be sent; 2 files and 1 folder would be deleted; 2 left out\n"},
    };
    for (const auto& [limit, closing] : closings) {
        std::vector<std::string> arguments = {"upload", programPath, "--profile", "test",
                                              "--dry-run"};
        arguments.insert(arguments.end(), limit.begin(), limit.end());
        run = Cli(arguments);
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_NE(run.err.find(closing), std::string::npos) << run.err;
    }
    std::filesystem::remove_all(server.Root() + "/gone");

    // One file of the two there: more than a quarter, so it takes --max-delete.
    run = Cli({"upload", programPath, "--profile", "test", "--delete", "--max-delete", "1"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("that the site no longer has:\n\n  old.htm\n\nDelete them?"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(ReadFileBytes(server.Root() + "/old.htm"), "old") << "No without a terminal";
    run = Cli({"upload", programPath, "--profile", "test", "--delete", "--yes"});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.err.find("That is 1 file, more than a quarter of the 2 files there, so "
                           "Mavren deleted none of them.\n\nTo delete them all the same, upload "
                           "again with --max-delete and at least their number, or --max-delete "
                           "all."),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("; 1 file not deleted\n"), std::string::npos) << run.err;
    EXPECT_EQ(ReadFileBytes(server.Root() + "/old.htm"), "old");
    EXPECT_EQ(Cli({"upload", programPath, "--max-delete", "1"}).status, 2) << "without --delete";
    EXPECT_EQ(Cli({"upload", programPath, "--delete", "--max-delete", "-1"}).status, 2);
    run = Cli({"upload", programPath, "--profile", "test", "--limit-rate", "1MB"});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("mavren-cli upload: --limit-rate takes bytes a second, or a number "
                           "with K, M or G (0 for no limit), not '1MB'\nusage: "),
              std::string::npos)
        << run.err;
    run = Cli(
        {"upload", programPath, "--profile", "test", "--delete", "--yes", "--max-delete", "all"});
    ASSERT_EQ(run.status, 0) << run.err;
    struct stat status {};
    EXPECT_NE(::stat((server.Root() + "/old.htm").c_str(), &status), 0);
    EXPECT_EQ(ReadFileBytes(server.Root() + "/keys/kept.htm"), "kept");
    EXPECT_NE(::stat((server.Root() + "/keys/site.mav").c_str(), &status), 0);
    EXPECT_EQ(ReadFileBytes(server.Root() + "/a.htm"), "a");
    EXPECT_EQ(run.err.find(FtpTestServer::kPassword), std::string::npos);
}

TEST_F(CliUpload, FailuresHaveTheirExitStatus) {
    FtpTestServer server;
    WriteFileBytes(site / "a.htm", "a");
    AddProfile(server, "", "wrong password");
    EXPECT_EQ(Cli({"upload", programPath}).status, 2) << "no profile used yet";

    ProgramRun run = Cli({"upload", programPath, "--profile", "test"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("FTP error\n"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("Failed to open FTP connection to \"" + server.Host() +
                           "\"\n\nReason: 530 Authentication failed."),
              std::string::npos)
        << run.err;

    EXPECT_EQ(Cli({"upload", programPath, "--profile", "other"}).status, 2);
    EXPECT_EQ(run.err.find("wrong password"), std::string::npos) << "never shown";
    EXPECT_EQ(Cli({"upload", programPath}).status, 1) << "the profile used last, again";
    EXPECT_EQ(Cli({"upload", "--profile", "test"}).status, 2);
    EXPECT_EQ(Cli({"upload", programs / "missing.mav", "--profile", "test"}).status, 1);
}

// The regular files below folder that are not hidden, relative.
std::set<std::string> VisibleFiles(const std::string& folder) {
    std::set<std::string> files;
    for (auto it = std::filesystem::recursive_directory_iterator(folder);
         it != std::filesystem::recursive_directory_iterator(); ++it) {
        if (it->path().filename().string().front() == '.') {
            it.disable_recursion_pending();
        } else if (it->is_regular_file()) {
            files.insert(std::filesystem::relative(it->path(), folder).string());
        }
    }
    return files;
}

// The paths of a plan's lines that begin with word.
std::set<std::string> PlanPaths(const std::string& plan, const std::string& word) {
    std::set<std::string> paths;
    std::istringstream lines(plan);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind(word + " ", 0) == 0) {
            paths.insert(line.substr(line.find_first_not_of(' ', word.size())));
        }
    }
    return paths;
}

// A program made before the target folder was asked for writes its site into the photos
// folder, where the user's private files are: an upload sends only the site.
TEST_F(CliUpload, ASiteInItsSourceFolderGoesUpWithoutTheFoldersOtherFiles) {
    FtpTestServer server;
    for (const char* photo : {"Fjord.jpg", "Alpine Lake.jpg"}) {
        std::filesystem::copy_file(MAVREN_SOURCE_DIR "/examples/photos/" + std::string(photo),
                                   site / photo);
        // A thumbnail is kept only when written in a later second than its source.
        SetModificationTime(site / photo, std::time(nullptr) - 3600);
    }
    Program program;
    ASSERT_TRUE(program.Load(programPath).ok());
    program.SetString(ProgramKey::SourceDir, site.path());
    program.SetString(ProgramKey::TargetDir, site / ".");  // the same folder, written otherwise
    program.SetString(ProgramKey::SourceFileExtension, "*.jpg;*.png;*.gif");
    program.SetInt(ProgramKey::GenerateThumbnails, 1);
    ASSERT_TRUE(program.Save(programPath).ok());
    ProgramRun run = Cli({"generate", programPath});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::set<std::string> generated = VisibleFiles(site.path());
    ASSERT_TRUE(generated.count("Thumbs/TN_Fjord.jpg") != 0) << run.err;
    for (const char* secret :
         {".hidden/id_rsa", "private/passport.txt", "Taxes 2025.pdf", "Trip.mav", "notes.htm"}) {
        WriteFileBytes(site / secret, "secret");
    }
    // An upload of the whole folder, made before, left these on the server.
    WriteFileBytes(server.Root() + "/private/passport.txt", "secret");
    WriteFileBytes(server.Root() + "/Taxes 2025.pdf", "secret");
    AddProfile(server, "");

    run = Cli({"validate", programPath});
    EXPECT_NE(run.out.find("\n  The target folder is the source folder: uploads send only the "
                           "site's files; everything else in the folder stays private "
                           "(Upload-Whole-Folder=Yes sends it all)\n"),
              std::string::npos)
        << run.out;
    run = Cli({"upload", programPath, "--profile", "test", "--dry-run"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(PlanPaths(run.out, "send"), generated) << run.out;
    EXPECT_EQ(PlanPaths(run.out, "delete"),
              (std::set<std::string>{"Taxes 2025.pdf", "private/", "private/passport.txt"}))
        << run.out;
    EXPECT_NE(run.out.find("\nLeft out (not part of the site): 5 files\n  .hidden/id_rsa\n  "
                           "notes.htm\n  private/passport.txt\n  Taxes 2025.pdf\n  Trip.mav\n"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.err.find("Leaving out 5 files that are not part of the site "
                           "(Upload-Whole-Folder=Yes sends the whole folder)\n"),
              std::string::npos)
        << run.err;

    run = Cli({"upload", programPath, "--profile", "test", "--yes"});
    ASSERT_EQ(run.status, 0) << run.err;
    std::set<std::string> sent = generated;
    sent.insert({"private/passport.txt", "Taxes 2025.pdf"});  // no --delete, so they stay
    EXPECT_EQ(VisibleFiles(server.Root()), sent);
    EXPECT_FALSE(std::filesystem::exists(server.Root() + "/.hidden"));

    program.SetInt(ProgramKey::UploadWholeFolder, 1);
    ASSERT_TRUE(program.Save(programPath).ok());
    run = Cli({"upload", programPath, "--profile", "test", "--dry-run"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(PlanPaths(run.out, "send"),
              (std::set<std::string>{".hidden/id_rsa", "Trip.mav", "notes.htm",
                                     "private/passport.txt", "Taxes 2025.pdf"}))
        << run.out;
    EXPECT_EQ(run.out.find("Left out"), std::string::npos) << run.out;
    run = Cli({"validate", programPath});
    EXPECT_NE(run.out.find("\n  The target folder is the source folder and Upload-Whole-Folder "
                           "is Yes: uploads send everything in the folder, private files too\n"),
              std::string::npos)
        << run.out;
}

// With pages named after their photos, a photo added changes the bytes of no page but its
// own, its neighbours' and the index's, and the upload sends only those and its pictures,
// found among the other files of the photos folder that the site is made in.
TEST_F(CliUpload, APhotoAddedSendsOnlyItsOwnFilesItsNeighboursAndTheIndex) {
    FtpTestServer server;
    const auto add = [this](const std::string& photo) {
        std::filesystem::copy_file(MAVREN_SOURCE_DIR "/examples/photos/" + photo, site / photo);
        SetModificationTime(site / photo, std::time(nullptr) - 3600);
    };
    for (const char* photo : {"Alpine Lake.jpg", "Autumn Hills.jpg", "Beach at Dusk.jpg",
                              "Fjord.jpg", "Glacier.jpg", "Harbour Morning.jpg"}) {
        add(photo);
    }
    Program program;
    ASSERT_TRUE(program.Load(programPath).ok());
    program.SetString(ProgramKey::SourceDir, site.path());
    program.SetString(ProgramKey::SourceFileExtension, "*.jpg;*.png;*.gif");
    program.SetInt(ProgramKey::GenerateThumbnails, 1);
    program.SetInt(ProgramKey::PageNamesFromFiles, 1);
    ASSERT_TRUE(program.Save(programPath).ok());
    ProgramRun run = Cli({"generate", programPath});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::set<std::string> before = VisibleFiles(site.path());
    AddProfile(server, "");
    run = Cli({"upload", programPath, "--profile", "test"});
    ASSERT_EQ(run.status, 0) << run.err;

    add("Desert Road.jpg");
    run = Cli({"generate", programPath});
    ASSERT_EQ(run.status, 0) << run.err;
    std::set<std::string> sent = {"Beach-at-Dusk.html", "Fjord.html", "INDEX000.HTM"};
    for (const std::string& file : VisibleFiles(site.path())) {
        if (!before.contains(file)) {
            sent.insert(file);
        }
    }
    EXPECT_TRUE(sent.contains("Desert-Road.html"));
    run = Cli({"upload", programPath, "--profile", "test", "--dry-run"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(PlanPaths(run.out, "send"), sent) << run.out;
}

// Without --profile and before any upload, the message says what to do next.
TEST_F(CliUpload, WithoutAProfileTheMessageSaysHowToGetOne) {
    FtpTestServer server;
    const struct {
        bool profileAdded;
        std::string says;
    } cases[] = {
        {false,
         "there is no FTP profile yet; add one with mavren-cli profile add NAME --host "
         "HOST --user USER\n"},
        {true,
         "no profile was used yet; name one with --profile NAME (mavren-cli profile list "
         "shows them)\n"},
    };
    for (const auto& c : cases) {
        if (c.profileAdded) {
            AddProfile(server, "");
        }
        const ProgramRun run = Cli({"upload", programPath, "--dry-run"});
        EXPECT_EQ(run.status, 2);
        EXPECT_NE(run.err.find("mavren-cli upload: " + c.says), std::string::npos) << run.err;
    }
}

// Runs mavren-cli upload in the background, so a test can interrupt it.
class BackgroundUpload {
  public:
    BackgroundUpload(const std::vector<std::string>& arguments, const std::string& configHome) {
        std::vector<std::string> all = {MAVREN_CLI};
        all.insert(all.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (std::string& argument : all) {
            argv.push_back(argument.data());
        }
        argv.push_back(nullptr);
        std::vector<std::string> environment = {"XDG_CONFIG_HOME=" + configHome, "LC_ALL=C.UTF-8",
                                                "PATH=/usr/bin:/bin"};
        std::vector<char*> envp;
        for (std::string& entry : environment) {
            envp.push_back(entry.data());
        }
        envp.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT, 0600);
        EXPECT_EQ(posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()), 0);
        posix_spawn_file_actions_destroy(&actions);
    }
    ~BackgroundUpload() {
        if (pid > 0) {
            ::kill(pid, SIGKILL);
            Wait();
        }
    }
    void Interrupt() const { ::kill(pid, SIGINT); }
    int Wait() {
        int status = 0;
        ::waitpid(pid, &status, 0);
        pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    std::string Err() const { return ReadFileBytes(errPath); }

  private:
    TempDir scratch;
    const std::string errPath = scratch / "err";
    pid_t pid = -1;
};

TEST_F(CliUpload, CtrlCStopsTheUploadAtOnceEvenAgainstASlowServer) {
    FtpTestServer server({.throttle = 30 * 1024});
    const std::size_t size = 4 * 1024 * 1024;
    WriteFileBytes(site / "big.bin", std::string(size, 'b'));
    WriteFileBytes(site / "z.htm", "after");
    AddProfile(server, "");

    // One connection: z.htm waits behind the large file.
    BackgroundUpload upload({"upload", programPath, "--profile", "test", "--connections", "1"},
                            config.path());
    // Wait until the file is on its way, for at most 30 seconds.
    struct stat partial {};
    for (int i = 0; i < 300; ++i) {
        if (::stat((server.Root() + "/big.bin").c_str(), &partial) == 0 && partial.st_size > 0) {
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ASSERT_GT(partial.st_size, 0);
    const auto interrupted = std::chrono::steady_clock::now();
    upload.Interrupt();
    EXPECT_EQ(upload.Wait(), 130) << upload.Err();
    EXPECT_LT(std::chrono::steady_clock::now() - interrupted, std::chrono::seconds(2))
        << "what libcurl and the system still held is not drained";
    EXPECT_NE(upload.Err().find("Upload stopped.\n"), std::string::npos) << upload.Err();
    EXPECT_EQ(upload.Err().find("Done."), std::string::npos) << upload.Err();
    ASSERT_EQ(::stat((server.Root() + "/big.bin").c_str(), &partial), 0);
    EXPECT_LT(partial.st_size, static_cast<off_t>(size));
    // The server learns that the file was cut, and gets no more of it: an ordinary close
    // would have it read what the system still held (minutes at this pace) and take the
    // cut copy for the whole file.
    EXPECT_EQ(server.WaitForUploadEnd("big.bin"), "~incomplete")
        << testing::PrintToString(server.Commands());
    struct stat later {};
    ASSERT_EQ(::stat((server.Root() + "/big.bin").c_str(), &later), 0);
    EXPECT_LE(later.st_size, partial.st_size + 64 * 1024) << "the server's own buffers at most";
    EXPECT_EQ(server.Count("STOR z.htm"), 0);
}

TEST_F(CliUpload, CtrlCEndsTheWaitForAnUnansweredQuitAtOnce) {
    FtpTestServer server({.quirks = {"silent-quit"}});
    WriteFileBytes(site / "a.htm", "a");
    AddProfile(server, "");

    BackgroundUpload upload({"upload", programPath, "--profile", "test"}, config.path());
    for (int i = 0; i < 3000 && server.Count("QUIT") == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_EQ(server.Count("QUIT"), 1);
    const auto interrupted = std::chrono::steady_clock::now();
    upload.Interrupt();
    EXPECT_EQ(upload.Wait(), 0) << "everything was sent: " << upload.Err();
    EXPECT_LT(std::chrono::steady_clock::now() - interrupted, std::chrono::seconds(1));
    EXPECT_EQ(ReadFileBytes(server.Root() + "/a.htm"), "a");
}

TEST_F(CliUpload, DrawsAProgressBarOnATerminal) {
    FtpTestServer server;
    WriteFileBytes(site / "a.htm", "a");
    AddProfile(server, "");
    const std::string command =
        std::string(MAVREN_CLI) + " upload '" + programPath + "' --profile test";
    const ProgramRun run = RunProgram("/usr/bin/script", {"-qec", command, "/dev/null"}, "",
                                      {"XDG_CONFIG_HOME=" + config.path()});
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("\r[....................]   0%  Getting filelist ..."),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("\r[####################] 100%\x1b[K\r\nDone.\r\n1 byte in "),
              std::string::npos)
        << run.out;
    EXPECT_EQ(run.out.find("Checking \"a.htm\" ...\r\n"), std::string::npos)
        << "status lines stay in the bar";
}

}  // namespace
