#include "platform/files.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <thread>

#include "support/test_support.h"

namespace {

class Files : public ::testing::Test {
  protected:
    TempDir dir;
    ScopedScriptedBoxes boxes;
};

TEST_F(Files, ReadsTextAsItIs) {
    const std::string path = dir / "a.txt";
    const std::string bytes = "line one\r\nline \xC3\xA4\xFF two\r\n\x01\x1b control\xEF\xBB\xBF";
    WriteFileBytes(path, bytes);
    std::string contents = "stale";
    EXPECT_EQ(ReadWholeFile(path, contents).text(), "");
    EXPECT_EQ(contents, bytes);

    WriteFileBytes(path, "");
    contents = "stale";
    EXPECT_EQ(ReadWholeFile(path, contents).text(), "");
    EXPECT_EQ(contents, "");
}

TEST_F(Files, ZeroBytesMakeAFileBinary) {
    for (const std::string& bytes :
         {std::string("\0abc", 4), std::string("abc\0", 4), std::string("a\0b", 3)}) {
        const std::string path = dir / "bin";
        WriteFileBytes(path, bytes);
        std::string contents = "stale";
        EXPECT_EQ(ReadWholeFile(path, contents).text(),
                  "'" + path + "' contains binary characters\n");
        EXPECT_EQ(contents, "");
    }
}

TEST_F(Files, ReadFailuresNameTheFile) {
    std::string contents = "stale";
    const std::string missing = dir / "missing";
    EXPECT_EQ(ReadWholeFile(missing, contents).text(), "Cannot get status of '" + missing + "'\n");
    EXPECT_EQ(contents, "");
    EXPECT_EQ(
        ReadWholeFile(dir.path(), contents).text(),
        "Cannot open '" + dir.path() + "' for reading (errno " + std::to_string(EISDIR) + ")\n");
    // A socket has a status but cannot be opened, whoever asks (root reads any file).
    const std::string socket = dir / "socket";
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    socket.copy(address.sun_path, sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    EXPECT_EQ(ReadWholeFile(socket, contents).text(),
              "Cannot open '" + socket + "' for reading (errno " + std::to_string(ENXIO) + ")\n");
    ::close(fd);
}

TEST_F(Files, NamedPipeDoesNotHangTheReader) {
    const std::string fifo = dir / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::string contents;
    EXPECT_EQ(ReadWholeFile(fifo, contents).text(), "");
    EXPECT_EQ(contents, "");
}

TEST_F(Files, ReadFileBytesTakesAnyBytesUpToTheLimit) {
    const std::string path = dir / "photo.jpg";
    const std::string bytes("\xFF\xD8\0\0\xFF\xD9", 6);
    WriteFileBytes(path, bytes);
    std::string read = "stale";
    EXPECT_TRUE(ReadFileBytes(path, 6, read).ok());
    EXPECT_EQ(read, bytes);
    const Result tooLarge = ReadFileBytes(path, 5, read);
    EXPECT_EQ(tooLarge.error(), EFBIG);
    EXPECT_EQ(tooLarge.text(), "'" + path + "' is larger than 5 bytes (6 bytes) and is not read\n");

    WriteFileBytes(path, "");
    EXPECT_TRUE(ReadFileBytes(path, 6, read).ok());
    EXPECT_EQ(read, "");

    const std::string fifo = dir / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(ReadFileBytes(fifo, 6, read).error(), EINVAL);  // and does not hang
    EXPECT_EQ(ReadFileBytes(dir.path(), 6, read).error(), EISDIR);
    EXPECT_EQ(ReadFileBytes(dir / "missing", 6, read).error(), ENOENT);
}

TEST_F(Files, OwnFilesNeverFollowALinkInTheirPlace) {
    const std::string victim = dir / "victim.txt";
    WriteFileBytes(victim, "the user's");
    ASSERT_EQ(::chmod(victim.c_str(), 0644), 0);
    const std::string record = dir / "record.txt";
    ASSERT_EQ(::symlink(victim.c_str(), record.c_str()), 0);
    std::string read;
    EXPECT_EQ(ReadOwnFile(record, 100, read).error(), ELOOP);
    EXPECT_EQ(read, "");

    ASSERT_TRUE(ReplaceOwnFile(record, "ours", 0600).ok());
    EXPECT_EQ(ReadFileBytes(victim), "the user's");
    struct stat status;
    ASSERT_EQ(::lstat(record.c_str(), &status), 0);
    EXPECT_TRUE(S_ISREG(status.st_mode)) << "the link itself was replaced";
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    ASSERT_EQ(::stat(victim.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0644u);
    EXPECT_TRUE(ReadOwnFile(record, 4, read).ok());
    EXPECT_EQ(read, "ours");
    EXPECT_EQ(ReadOwnFile(record, 3, read).error(), EFBIG);
}

TEST_F(Files, WriteReplacesTruncatesAndKeepsPermissions) {
    const std::string path = dir / "out.htm";
    EXPECT_EQ(WriteWholeFile(path, "first\r\n").text(), "");
    EXPECT_EQ(ReadFileBytes(path), "first\r\n");
    ASSERT_EQ(::chmod(path.c_str(), 0604), 0);
    EXPECT_EQ(WriteWholeFile(path, "").text(), "");
    EXPECT_EQ(ReadFileBytes(path), "");
    struct stat status;
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0604u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1)
        << "no temporary file left behind";
}

TEST_F(Files, WriteThroughASymbolicLinkKeepsTheLink) {
    const std::string target = dir / "real.txt";
    const std::string link = dir / "link.txt";
    WriteFileBytes(target, "old");
    ASSERT_EQ(::symlink("real.txt", link.c_str()), 0);
    EXPECT_EQ(WriteWholeFile(link, "new").text(), "");
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadFileBytes(target), "new");
}

TEST_F(Files, WriteFailuresLeaveTheOldFileAndSayWhy) {
    const std::string missingFolder = dir / "nowhere/out.htm";
    EXPECT_EQ(
        WriteWholeFile(missingFolder, "x").text(),
        "Cannot open '" + missingFolder + "' for writing (errno " + std::to_string(ENOENT) + ")\n");
    EXPECT_EQ(
        WriteWholeFile(dir.path(), "x").text(),
        "Cannot open '" + dir.path() + "' for writing (errno " + std::to_string(EISDIR) + ")\n");
    const std::string file = dir / "file";
    WriteFileBytes(file, "x");
    EXPECT_EQ(
        WriteWholeFile(file + "/out.htm", "x").text(),
        "Cannot open '" + file + "/out.htm' for writing (errno " + std::to_string(ENOTDIR) + ")\n");
    // A disk that fills up halfway, for root too: the old file stays whole, and so does
    // the folder.
    const std::string path = dir / "kept.htm";
    WriteFileBytes(path, "precious");
    {
        const ScopedFileSizeLimit limit(1000);
        EXPECT_EQ(WriteWholeFile(path, std::string(5000, 'n')).text(),
                  "Failed to write 5,000 bytes to '" + path + "' (errno " + std::to_string(EFBIG) +
                      ")\n");
    }
    EXPECT_EQ(ReadFileBytes(path), "precious");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              2)
        << "no temporary file left behind";
}

// A failed replacement names the step that failed, the file and the system's reason, so
// that a save can say more than "could not open".
TEST_F(Files, AFailedReplacementNamesItsStep) {
    const std::string file = dir / "file";
    WriteFileBytes(file, "x");
    const std::string full = dir / "full.mav";
    WriteFileBytes(full, "old");
    const struct {
        std::string path;
        std::size_t bytes;
        const char* step;
        int error;
    } cases[] = {
        {dir / "nowhere/p.mav", 1, "open", ENOENT},
        {dir.path(), 1, "open", EISDIR},
        {file + "/p.mav", 1, "open", ENOTDIR},
        {full, 5000, "write", EFBIG},
    };
    const ScopedFileSizeLimit limit(1000);
    for (const auto& c : cases) {
        const Result result = ReplaceFileContents(c.path, std::string(c.bytes, 'n'), true);
        EXPECT_FALSE(result.ok()) << c.path;
        EXPECT_EQ(result.what(), c.step) << c.path;
        EXPECT_EQ(result.path(), c.path);
        EXPECT_EQ(result.error(), c.error) << c.path;
        EXPECT_EQ(result.text(),
                  std::string(c.step) + " '" + c.path + "': " + ErrorCodeText(c.error));
    }
    EXPECT_EQ(ReadFileBytes(full), "old");
}

TEST_F(Files, AReplacedFileIsANewFile) {
    // Whoever still reads the old file reads all of it, never a mix of old and new.
    const std::string path = dir / "page.htm";
    const std::string old(100000, 'o');
    WriteFileBytes(path, old);
    const int reader = ::open(path.c_str(), O_RDONLY);
    ASSERT_GE(reader, 0);
    EXPECT_EQ(WriteWholeFile(path, "new").text(), "");
    std::string seen(old.size() + 1, '\0');
    EXPECT_EQ(::pread(reader, seen.data(), seen.size(), 0), static_cast<ssize_t>(old.size()));
    seen.resize(old.size());
    EXPECT_EQ(seen, old);
    ::close(reader);
    EXPECT_EQ(ReadFileBytes(path), "new");
}

TEST_F(Files, AReaderSeesTheOldFileOrTheNewOneWhileItIsReplaced) {
    // Replacements of another size under a reader's feet, as another process's settings
    // writes happen while this one reads the settings.
    const std::string path = dir / "settings.ini";
    const std::string shorter = "[key]\n\"value\"=\"short\"\n";
    const std::string longer = "[key]\n\"value\"=\"" + std::string(300, 'l') + "\"\n";
    WriteFileBytes(path, shorter);
    std::atomic<bool> reading{true};
    std::thread writer([&] {
        for (int i = 0; reading.load(); ++i) {
            ASSERT_EQ(WriteWholeFile(path, i % 2 == 0 ? longer : shorter).text(), "");
        }
    });
    int torn = 0;
    for (int i = 0; i < 10000; ++i) {
        std::string contents;
        if (!ReadWholeFile(path, contents).ok() || (contents != shorter && contents != longer)) {
            ++torn;
        }
    }
    reading.store(false);
    writer.join();
    EXPECT_EQ(torn, 0);
}

TEST_F(Files, LongNamesAreReplacedAsWellAsShortOnes) {
    // The temporary file beside a 255-byte name (the longest there is) keeps a short name.
    const std::string path = dir / std::string(251, 'n') + ".mav";
    for (const char* text : {"first", "second"}) {
        EXPECT_EQ(WriteWholeFile(path, text).text(), "") << text;
        EXPECT_EQ(ReadFileBytes(path), text);
    }
}

TEST_F(Files, EnsureDirectoryAsksBeforeCreatingOneLevel) {
    EXPECT_TRUE(EnsureDirectory(dir.path(), false).ok());
    const std::string file = dir / "file";
    WriteFileBytes(file, "x");
    EXPECT_EQ(EnsureDirectory(file, false).error(), EEXIST);
    EXPECT_EQ(EnsureDirectory(dir / "no/parent", false).path(), dir / "no");
    EXPECT_TRUE(boxes->Boxes().empty()) << "no question for a file or a missing parent";

    const std::string site = dir / "site";
    boxes->QueueAnswer(IDNO);
    const Result declined = EnsureDirectory(site, false);
    EXPECT_FALSE(declined.ok());
    EXPECT_EQ(declined.error(), 0);
    EXPECT_FALSE(std::filesystem::exists(site));
    boxes->QueueAnswer(IDYES);
    EXPECT_TRUE(EnsureDirectory(site, false).ok());
    EXPECT_TRUE(std::filesystem::is_directory(site));
    const auto shown = boxes->Boxes();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text,
              "The directory \"" + site + "\" does not exist.\n\nDo you want to create it?");
    EXPECT_EQ(shown[0].flags, MB_YESNO | MB_ICONQUESTION);

    EXPECT_TRUE(EnsureDirectory(dir / "quiet", true).ok());
    EXPECT_TRUE(std::filesystem::is_directory(dir / "quiet"));
    EXPECT_FALSE(EnsureDirectory("", true).ok());
    EXPECT_EQ(boxes->Boxes().size(), 2u);
}

TEST_F(Files, CheckRequiredFileSaysWhyAndShowsNothing) {
    const std::string file = dir / "Default.mav";
    WriteFileBytes(file, "#");
    EXPECT_TRUE(CheckRequiredFile(file).ok());
    EXPECT_EQ(CheckRequiredFile(dir / "missing").text(),
              "The required file \"" + (dir / "missing") + "\" does not exist.");
    EXPECT_EQ(CheckRequiredFile(dir.path()).text(),
              "\"" + dir.path() + "\" is a directory but should be a file.");
    EXPECT_EQ(CheckRequiredFile(file + "/below").text(), "The required file \"" + file +
                                                             "/below\" does not exist.\n\n" +
                                                             "Reason: " + ErrorCodeText(ENOTDIR));
    EXPECT_TRUE(boxes->Boxes().empty());
}

TEST(ErrorCodeText, GivesTheSystemSentenceOrSaysItCannot) {
    EXPECT_EQ(ErrorCodeText(ENOENT), "No such file or directory");
    EXPECT_EQ(ErrorCodeText(EACCES), "Permission denied");
    EXPECT_EQ(ErrorCodeText(99999), "Cannot resolve error code 99999 (FormatMessage() returned " +
                                        std::to_string(EINVAL) + ")");
    EXPECT_EQ(ErrorCodeText(0).rfind("Cannot resolve error code 0", 0), 0u);
}

}  // namespace
