// The record of the last upload: saved and read back whole, damaged files and records of
// another place refused, one file per profile and place, and the content hash.

#include "upload/upload_record.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <iterator>
#include <string>

#include "platform/file_descriptor.h"
#include "platform/paths.h"
#include "platform/registry_store.h"
#include "support/test_support.h"

namespace {

const char* const kServer = "ftp.example.com:21 anna";
const char* const kFolder = "/htdocs/site";
const char* const kHash = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";

UploadRecord SampleRecord() {
    UploadRecord record;
    record.server = kServer;
    record.folder = kFolder;
    record.files["index.html"] = {1234, 1700000000123456789, kHash};
    record.files["My pictures/a\tb c.jpg"] = {0, -5, ""};
    return record;
}

mode_t Mode(const std::string& path) {
    struct stat status {};
    EXPECT_EQ(::stat(path.c_str(), &status), 0) << path;
    return status.st_mode & 07777;
}

TEST(UploadRecord, SavedRecordReadsBackAndOnlyItsOwnerMayReadIt) {
    const std::string path = UploadRecordPath("Round trip", kServer, kFolder);
    UploadRecord saved = SampleRecord();
    saved.files["two\nlines.txt"] = {1, 1, kHash};
    ASSERT_TRUE(SaveUploadRecord(path, saved).ok());
    saved.files.erase("two\nlines.txt");
    // A second save replaces the first.
    saved.files["index.html"].size = 99;
    ASSERT_TRUE(SaveUploadRecord(path, saved).ok());

    UploadRecord loaded;
    loaded.server = kServer;
    ASSERT_TRUE(LoadUploadRecord(path, loaded).ok());
    EXPECT_EQ(loaded.server, kServer);
    EXPECT_EQ(loaded.folder, kFolder);
    ASSERT_EQ(loaded.files.size(), saved.files.size());
    for (const auto& [name, file] : saved.files) {
        const RecordedFile& back = loaded.files[name];
        EXPECT_EQ(back.size, file.size) << name;
        EXPECT_EQ(back.modified, file.modified) << name;
        EXPECT_EQ(back.hash, file.hash) << name;
    }
    EXPECT_EQ(ReadFileBytes(path).substr(0, 23), "Mavren upload record 1\n");
    EXPECT_EQ(Mode(path), 0600u);
    EXPECT_EQ(Mode(PathFolder(path)), 0700u);
    DeleteUploadRecord(path);
    EXPECT_EQ(LoadUploadRecord(path, loaded).kind(), Result::Kind::NotFound);
}

TEST(UploadRecord, DamagedRecordIsNoRecord) {
    const std::string top =
        "Mavren upload record 1\nserver\tftp.example.com:21 anna\n"
        "folder\t/htdocs/site\n";
    const std::string line = "12\t34\t" + std::string(kHash) + "\ta.html\n";
    const struct {
        const char* name;
        std::string text;
    } cases[] = {
        {"empty", ""},
        {"no end line", top + line},
        {"cut inside the end line", top + line + "end 1"},
        {"cut inside a file line", top + line.substr(0, 20)},
        {"wrong header", "Mavren upload list 1\n" + top.substr(23) + line + "end 1\n"},
        {"later version", "Mavren upload record 2\n" + top.substr(23) + line + "end 1\n"},
        {"no folder line", top.substr(0, top.find("folder")) + line + "end 1\n"},
        {"garbage line", top + line + "something\n" + "end 2\n"},
        {"size not a number", top + "1x\t34\t\ta.html\n" + "end 1\n"},
        {"path missing", top + "12\t34\t" + kHash + "\t\n" + "end 1\n"},
        {"same path twice", top + line + line + "end 2\n"},
        {"end count wrong", top + line + "end 2\n"},
        {"lines after the end", top + "end 0\n" + line},
        {"a zero byte in a path",
         top + "12\t34\t" + kHash + "\ta" + std::string(1, '\0') + "b\n" + "end 1\n"},
    };
    const std::string path = UploadRecordPath("Damaged", kServer, kFolder);
    for (const auto& c : cases) {
        WriteFileBytes(path, c.text);
        UploadRecord record = SampleRecord();
        const Result loaded = LoadUploadRecord(path, record);
        EXPECT_EQ(loaded.kind(), Result::Kind::DamagedInput) << c.name;
        EXPECT_NE(loaded.text().find(path), std::string::npos) << c.name << ": " << loaded.text();
        EXPECT_TRUE(record.files.empty()) << c.name;
    }
    // The same lines whole are read.
    WriteFileBytes(path, top + line + "end 1\n");
    UploadRecord record;
    const Result loaded = LoadUploadRecord(path, record);
    EXPECT_TRUE(loaded.ok()) << loaded.text();
}

TEST(UploadRecord, ALinkInTheRecordsPlaceIsNeitherReadNorWrittenThrough) {
    const std::string path = UploadRecordPath("Linked", kServer, kFolder);
    ASSERT_TRUE(SaveUploadRecord(path, SampleRecord()).ok());
    // A file of someone else's, holding a record that would read well.
    TempDir elsewhere;
    const std::string target = elsewhere / "theirs.txt";
    const std::string theirs = ReadFileBytes(path);
    WriteFileBytes(target, theirs);
    ASSERT_EQ(::chmod(target.c_str(), 0644), 0);
    ASSERT_EQ(::unlink(path.c_str()), 0);
    ASSERT_EQ(::symlink(target.c_str(), path.c_str()), 0);

    UploadRecord record;
    EXPECT_EQ(LoadUploadRecord(path, record).text(),
              "The record of the last upload (" + path +
                  ") is a symbolic link, which Mavren does not follow.");
    EXPECT_TRUE(record.files.empty());
    UploadRecord saved = SampleRecord();
    saved.files.erase("index.html");
    ASSERT_TRUE(SaveUploadRecord(path, saved).ok());
    EXPECT_EQ(ReadFileBytes(target), theirs);
    EXPECT_EQ(Mode(target), 0644u);
    struct stat status {};
    ASSERT_EQ(::lstat(path.c_str(), &status), 0);
    EXPECT_TRUE(S_ISREG(status.st_mode)) << "the link was replaced by the record";
    EXPECT_EQ(status.st_mode & 07777, 0600u);
    ASSERT_TRUE(LoadUploadRecord(path, record).ok());
    EXPECT_EQ(record.files, saved.files);

    // Deleting takes the link, not what it leads to.
    ASSERT_EQ(::unlink(path.c_str()), 0);
    ASSERT_EQ(::symlink(target.c_str(), path.c_str()), 0);
    DeleteUploadRecord(path);
    EXPECT_NE(::lstat(path.c_str(), &status), 0);
    EXPECT_EQ(ReadFileBytes(target), theirs);
}

TEST(UploadRecord, ARecordOver64MBIsNotReadAndTheLineNamesItAndTheLimit) {
    const std::string path = UploadRecordPath("Huge", kServer, kFolder);
    ASSERT_TRUE(SaveUploadRecord(path, SampleRecord()).ok());
    // A whole record, then zero bytes up to one past the limit (sparse: no room on disk).
    ASSERT_EQ(::truncate(path.c_str(), (64LL << 20) + 1), 0);
    UploadRecord record;
    EXPECT_EQ(LoadUploadRecord(path, record).text(),
              "The record of the last upload (" + path + ") is larger than 64 MB and is not read.");
    EXPECT_TRUE(record.files.empty());
}

TEST(UploadRecord, RecordOfAnotherServerOrFolderIsRefused) {
    const std::string path = UploadRecordPath("Elsewhere", kServer, kFolder);
    ASSERT_TRUE(SaveUploadRecord(path, SampleRecord()).ok());
    const struct {
        const char* server;
        const char* folder;
    } cases[] = {{"ftp.example.com:21 bert", kFolder}, {kServer, "/htdocs"}};
    for (const auto& c : cases) {
        UploadRecord record;
        record.server = c.server;
        record.folder = c.folder;
        const Result loaded = LoadUploadRecord(path, record);
        EXPECT_FALSE(loaded.ok()) << c.server << " " << c.folder;
        EXPECT_NE(loaded.text().find("another server or folder"), std::string::npos)
            << loaded.text();
        EXPECT_TRUE(record.files.empty());
    }
}

TEST(UploadRecord, EachProfileAndPlaceHasItsOwnFile) {
    const std::string paths[] = {
        UploadRecordPath("Site", kServer, kFolder),
        UploadRecordPath("Other site", kServer, kFolder),
        UploadRecordPath("Site", "ftp.example.com:2121 anna", kFolder),
        UploadRecordPath("Site", kServer, "/htdocs/site2"),
        // The line between server and folder keeps these two apart.
        UploadRecordPath("Site", "a", "b/c"),
        UploadRecordPath("Site", "ab", "/c"),
    };
    for (std::size_t i = 0; i < std::size(paths); ++i) {
        EXPECT_EQ(PathFolder(paths[i]), RegistryStoreFolder() + "/Upload records");
        for (std::size_t j = i + 1; j < std::size(paths); ++j) {
            EXPECT_NE(paths[i], paths[j]);
        }
    }
    const std::string name = PathFileName(
        UploadRecordPath("Ünïcode/../and a very long name that goes on and on", kServer, kFolder));
    EXPECT_EQ(name.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                     "0123456789-_."),
              std::string::npos)
        << name;
    EXPECT_LE(name.size(), 40u + 1 + 16 + 4) << name;
}

TEST(UploadRecord, HashIsSha256OfTheWholeFileFromItsStart) {
    const struct {
        std::string content;
        const char* hash;
    } cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", kHash},
        {std::string(262144, 'a'),  // exactly one block
         "dd3dde87623d9a6b354c68c943d189c89c63652d945e7bbdf0986cae91a49521"},
        {std::string(600000, 'a'),
         "ded93777580eeaa7d906cb0f16b9706b1000067eaf0f3b6c1d03a8bc6a15bf15"},
    };
    TempDir folder;
    for (const auto& c : cases) {
        WriteFileBytes(folder / "file", c.content);
        const UniqueFd fd(::open((folder / "file").c_str(), O_RDONLY | O_CLOEXEC));
        ASSERT_TRUE(fd.valid());
        ::lseek(fd.get(), 0, SEEK_END);  // wherever the descriptor stands
        std::string hash;
        EXPECT_TRUE(HashFileContent(fd.get(), hash).ok());
        EXPECT_EQ(hash, c.hash) << c.content.size();
    }
    std::string hash;
    EXPECT_FALSE(HashFileContent(-1, hash).ok());
}

}  // namespace
