// A run of albums touches only what its own program made: folders of others in its target,
// another program's albums, and the record of the albums, a file of its own.

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "album_fixture.h"

namespace fs = std::filesystem;

namespace {

// Every file below folder with its modification time, by relative path.
std::map<std::string, fs::file_time_type> Snapshot(const std::string& folder) {
    std::map<std::string, fs::file_time_type> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        files[fs::relative(entry.path(), folder).string()] = fs::last_write_time(entry.path());
    }
    return files;
}

bool Has(const std::vector<std::string>& texts, const std::string& text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

TEST_F(AlbumTest, ARerunRemovesOnlyAlbumsItsProgramMade) {
    ASSERT_EQ(Generate(), kRunFinished);
    // Another program's site in a subfolder, and a folder of the user's own holding a copy
    // of one generated page, with pictures where the site keeps its doubles.
    const std::vector<std::string> others = {
        "Other site/INDEX000.HTM",       "Other site/GEN0000.HTM", "Other site/Lake.jpg",
        "Other site/Thumbs/TN_Lake.jpg", "Mine/INDEX000.HTM",      "Mine/Thumbs/2x/Lake.jpg",
        "Mine/Thumbs/2x/TN_Fjord.jpg"};
    for (const std::string& path : others) {
        WriteFileBytes(target + "/" + path, path.ends_with(".HTM") ? Page("GEN0000.HTM") : path);
    }
    // A gone album of this program's own (its photo moved to another), with one page the
    // user changed since.
    fs::rename(source + "/Zürich/Glacier.jpg", source + "/Trip to Rome/Glacier.jpg");
    WriteFileBytes(target + "/Zürich/GEN0000.HTM", Page("Zürich/GEN0000.HTM") + "<P>mine</P>");
    ASSERT_EQ(Generate(), kRunFinished);

    for (const std::string& path : others) {
        EXPECT_TRUE(fs::exists(target + "/" + path)) << path;
    }
    EXPECT_EQ(Snapshot(target + "/Zürich"),
              (std::map<std::string, fs::file_time_type>{
                  {"GEN0000.HTM", fs::last_write_time(target + "/Zürich/GEN0000.HTM")}}));
    const auto texts = window->StatusTexts();
    EXPECT_TRUE(Has(texts,
                    "Kept the folder \"Other site\": its pages are not from an album of "
                    "this program"));
    EXPECT_TRUE(Has(texts,
                    "Kept the folder \"Mine\": its pages are not from an album of this "
                    "program"));
    EXPECT_TRUE(Has(texts,
                    "Kept the folder \"Zürich\" of an album gone from the source: it "
                    "holds files that are not ours"));
}

TEST_F(AlbumTest, AnotherProgramsAlbumsAreRefusedUntilItsFileIsGone) {
    ASSERT_EQ(Generate(), kRunFinished);
    const std::string first = program.path;
    const auto site = Snapshot(target);
    const std::string record = ReadFileBytes(AlbumRecordPath(target));

    program.path = dir / "second.mav";
    ASSERT_TRUE(program.Save(program.path).ok());
    fs::rename(source + "/Zürich/Glacier.jpg", source + "/Trip to Rome/Glacier.jpg");
    EXPECT_EQ(Generate(), kRunEndedAfterMessage);
    EXPECT_EQ(boxes->Texts(),
              (std::vector<std::string>{"The folder \"" + target +
                                        "\" holds the albums of another "
                                        "program, \"" +
                                        first +
                                        "\".\n\nGive this program another "
                                        "target folder, or delete that program file."}));
    EXPECT_EQ(Snapshot(target), site);
    EXPECT_EQ(ReadFileBytes(AlbumRecordPath(target)), record);

    // Once that file is gone, the albums are this program's: the gone one goes.
    fs::remove(first);
    ASSERT_EQ(Generate(), kRunFinished);
    EXPECT_TRUE(Has(window->StatusTexts(), "Took over the albums of \"" + first +
                                               "\": that program file is no longer there"));
    EXPECT_FALSE(fs::exists(target + "/Zürich"));
}

// An earlier version's record names no program; it was the only one to write there.
TEST_F(AlbumTest, ARecordOfAnEarlierVersionIsTakenOver) {
    ASSERT_EQ(Generate(), kRunFinished);
    std::string text = ReadFileBytes(AlbumRecordPath(target));
    text.replace(0, text.find("\nalbum "),
                 "Mavren album record 1\ntarget " + target);  // as it wrote them
    fs::remove(AlbumRecordPath(target));
    WriteFileBytes(EarlierAlbumRecordPath(target), text);

    ASSERT_EQ(Generate(), kRunFinished);
    const auto texts = window->StatusTexts();
    EXPECT_TRUE(Has(texts, "Took over the albums an earlier version of Mavren made here"));
    EXPECT_TRUE(Has(texts, "5 files in 4 albums: 0 made, 4 unchanged."));
}

TEST_F(AlbumTest, TheRecordIsAFileOfOurOwn) {
    const std::string record = AlbumRecordPath(target);
    const std::string elsewhere = dir / "elsewhere.txt";
    WriteFileBytes(elsewhere, "not a record");
    fs::create_directories(fs::path(record).parent_path());
    fs::create_symlink(elsewhere, record);
    ASSERT_EQ(Generate(), kRunFinished);
    EXPECT_EQ(ReadFileBytes(elsewhere), "not a record");
    struct stat status;
    ASSERT_EQ(::lstat(record.c_str(), &status), 0);
    EXPECT_TRUE(S_ISREG(status.st_mode));
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    EXPECT_TRUE(Has(window->StatusTexts(), "The record of the albums cannot be read: open '" +
                                               record + "': Too many levels of symbolic links"));

    fs::resize_file(record, kAlbumRecordLimit + 1);
    ASSERT_EQ(Generate(), kRunFinished);
    EXPECT_TRUE(Has(window->StatusTexts(),
                    "The record of the albums cannot be read: '" + record +
                        "' is larger than 64 MB (67,108,865 bytes) and is not read"));
    EXPECT_LT(fs::file_size(record), 4096u);
}

}  // namespace
