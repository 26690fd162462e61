#include "ui/file_type.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <filesystem>

#include "support/isolated_home.h"
#include "support/run_program.h"
#include "support/test_support.h"

namespace {

const std::string kProgram = "/opt/Mavren Tools/mavren";

class FileType : public ::testing::Test {
  protected:
    void Register(const std::string& program = kProgram) {
        EXPECT_TRUE(RegisterFileType("Mavren.Program", ".mav", "Mavren Program", program, 1));
    }
    std::string QueryFileType(const std::string& file) {
        const ProgramRun run = RunProgram("/usr/bin/xdg-mime", {"query", "filetype", file});
        EXPECT_EQ(run.status, 0) << run.err;
        return run.out;
    }

    TempDir data;
    ScopedEnvironmentVariable dataHome{"XDG_DATA_HOME", data.path()};
    // What a package would have installed; nothing unless a test puts it there.
    TempDir system;
    ScopedEnvironmentVariable dataDirs{"XDG_DATA_DIRS", system.path()};
    ScopedScriptedBoxes boxes;
    const std::string package = data / "mime/packages/mavren-program.xml";
    const std::string entry = data / "applications/mavren.desktop";
};

TEST_F(FileType, TheTypeNameComesFromTheProgId) {
    EXPECT_EQ(MimeTypeForProgId("Mavren.Program"), "application/x-mavren-program");
    EXPECT_EQ(MimeTypeForProgId("My App.Doc_1"), "application/x-my-app-doc-1");
}

TEST_F(FileType, WritesAMimePackageAndADesktopEntry) {
    Register();
    EXPECT_EQ(ReadFileBytes(package),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
              "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
              "  <mime-type type=\"application/x-mavren-program\">\n"
              "    <comment>Mavren Program</comment>\n"
              "    <sub-class-of type=\"text/plain\"/>\n"
              "    <glob pattern=\"*.mav\"/>\n"
              "  </mime-type>\n"
              "</mime-info>\n");
    // make install and the package install the same type for everyone.
    EXPECT_EQ(ReadFileBytes(package),
              ReadFileBytes(MAVREN_SOURCE_DIR "/resources/mavren-program.xml"));
    EXPECT_EQ(ReadFileBytes(entry),
              "[Desktop Entry]\n"
              "Type=Application\n"
              "Name=Mavren\n"
              "Comment=Mavren Program\n"
              "Exec=\"/opt/Mavren Tools/mavren\" %f\n"
              "MimeType=application/x-mavren-program;\n"
              "Terminal=false\n"
              "NoDisplay=true\n");
    EXPECT_TRUE(boxes->Texts().empty());
}

TEST_F(FileType, TheDesktopResolvesProgramFiles) {
    // scripts/install-deps.sh installs both.
    ASSERT_EQ(::access("/usr/bin/update-mime-database", X_OK), 0) << "shared-mime-info";
    ASSERT_EQ(::access("/usr/bin/mimetype", X_OK), 0) << "libfile-mimeinfo-perl";
    Register();
    // The desktop's own types (text/plain) come from the system's database.
    ScopedEnvironmentVariable withSystem("XDG_DATA_DIRS", system.path() + ":/usr/share");
    EXPECT_TRUE(std::filesystem::exists(data / "mime/mime.cache"));
    TempDir files;
    for (const char* name : {"Cats.mav", "CATS.MAV"}) {
        WriteFileBytes(files / name, "; Mavren program\r\nSource-Dir = /photos\r\n");
        EXPECT_EQ(QueryFileType(files / name), "application/x-mavren-program\n") << name;
    }
    WriteFileBytes(files / "notes.txt", "text\n");
    EXPECT_EQ(QueryFileType(files / "notes.txt"), "text/plain\n");
    const ProgramRun handler =
        RunProgram("/usr/bin/xdg-mime", {"query", "default", "application/x-mavren-program"});
    EXPECT_EQ(handler.out, "mavren.desktop\n") << handler.err;
}

TEST_F(FileType, ProgramPathsAreQuotedForTheExecLine) {
    Register("/opt/a \"b\" $c `d` \\e 100%/mavren");
    const std::string text = ReadFileBytes(entry);
    EXPECT_NE(
        text.find("\nExec=\"/opt/a \\\\\"b\\\\\" \\\\$c \\\\`d\\\\` \\\\\\\\e 100%%/mavren\" %f\n"),
        std::string::npos)
        << text;
}

TEST_F(FileType, WithoutAProgramPathTheRunningExecutableOpensTheFiles) {
    char self[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self);
    ASSERT_GT(length, 0);
    Register("");
    EXPECT_NE(ReadFileBytes(entry).find("\nExec=\"" + std::string(self, length) + "\" %f\n"),
              std::string::npos);
}

TEST_F(FileType, RegisteringAgainLeavesRightFilesAlone) {
    Register();
    SetModificationTime(package, 1000000000);
    SetModificationTime(entry, 1000000000);
    Register();
    const auto unchanged = [](const std::string& path) {
        struct stat status;
        return ::stat(path.c_str(), &status) == 0 && status.st_mtime == 1000000000;
    };
    EXPECT_TRUE(unchanged(package));
    EXPECT_TRUE(unchanged(entry));

    // A moved program is written in at the next start.
    Register("/usr/lib/mavren/mavren");
    EXPECT_TRUE(unchanged(package));
    EXPECT_FALSE(unchanged(entry));
    EXPECT_NE(ReadFileBytes(entry).find("Exec=\"/usr/lib/mavren/mavren\" %f"), std::string::npos);
}

TEST_F(FileType, TheEntryCarriesTheApplicationIconAndTheTypeItsOwn) {
    TempDir folder;
    WriteFileBytes(folder / "mavren.png", "application icon");
    WriteFileBytes(folder / "mavren-program.png", "program file icon");
    Register(folder / "mavren");
    EXPECT_NE(ReadFileBytes(entry).find("\nIcon=" + folder / "mavren.png\n"), std::string::npos);
    EXPECT_EQ(
        ReadFileBytes(data / "icons/hicolor/64x64/mimetypes/application-x-mavren-program.png"),
        "program file icon");
}

TEST_F(FileType, WhatIsInstalledForEveryoneIsNotRepeated) {
    TempDir folder;
    const std::string program = folder / "lib/mavren";
    WriteFileBytes(program, "");
    std::filesystem::permissions(program, std::filesystem::perms::owner_all);
    std::filesystem::create_directories(folder / "bin");
    std::filesystem::create_symlink(program, folder / "bin/mavren");
    const std::string installedEntry = system / "applications/org.example.mavren.desktop";
    const std::string installedPackage = system / "mime/packages/mavren-program.xml";
    struct Case {
        const char* what;
        std::string installedExec;  // empty: no installed entry
        bool withPackage;
        bool userEntry;
        bool userPackage;
    };
    const Case cases[] = {
        {"nothing installed", "", false, true, true},
        {"the same program through a link", "\"" + folder / "bin/mavren" + "\" %f", true, false,
         false},
        {"the same program by its name on PATH", "mavren %f", false, false, true},
        {"another program", "/usr/bin/other %f", true, true, false},
    };
    ScopedEnvironmentVariable path("PATH", folder / "bin");
    for (const Case& c : cases) {
        std::filesystem::remove_all(system.path() + "/applications");
        std::filesystem::remove_all(system.path() + "/mime");
        if (!c.installedExec.empty()) {
            WriteFileBytes(installedEntry, "[Desktop Entry]\nType=Application\nName=Mavren\nExec=" +
                                               c.installedExec +
                                               "\nMimeType=application/x-mavren-program;\n");
        }
        if (c.withPackage) {
            WriteFileBytes(installedPackage, "<mime-info/>\n");
        }
        // Copies from an earlier start are there either way.
        WriteFileBytes(entry, "[Desktop Entry]\n");
        WriteFileBytes(package, "<mime-info/>\n");
        Register(program);
        EXPECT_EQ(std::filesystem::exists(entry), c.userEntry) << c.what;
        EXPECT_EQ(std::filesystem::exists(package), c.userPackage) << c.what;
    }
}

TEST_F(FileType, FailuresAreSilent) {
    TempDir blocked;
    WriteFileBytes(blocked / "file", "not a folder");
    ScopedEnvironmentVariable unusable("XDG_DATA_HOME", blocked / "file");
    EXPECT_TRUE(RegisterFileType("Mavren.Program", ".mav", "Mavren Program", kProgram, 1));
    EXPECT_TRUE(boxes->Texts().empty());
    EXPECT_TRUE(RegisterFileType("", ".mav", "Mavren Program", kProgram, 1));
}

}  // namespace
