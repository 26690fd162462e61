// What left the source leaves the site: the copies and pictures the runs made of sources
// that are gone, known from the record of what each run wrote. A copy whose photo is no
// longer anywhere in the source goes to the trash; a file changed since is the user's.

#include "generate/former_outputs.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>

#include "album_fixture.h"

namespace fs = std::filesystem;

namespace {

using K = ProgramKey;

bool Has(const std::vector<std::string>& texts, const std::string& text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

// A trash of the test's own, for a program saved where the record can name it.
template <typename Fixture>
class WithTrash : public Fixture {
  protected:
    WithTrash() {
        const char* data = std::getenv("XDG_DATA_HOME");
        earlier = data != nullptr ? data : "";
        ::setenv("XDG_DATA_HOME", (this->dir / "data").c_str(), 1);
    }
    ~WithTrash() override { ::setenv("XDG_DATA_HOME", earlier.c_str(), 1); }

    // Generates, then changes things, then generates again into a fresh window.
    void Rerun(const std::function<void()>& change) {
        ASSERT_EQ(this->Generate(), kRunFinished);
        change();
        this->window = std::make_shared<RecordingReceiver>();
        ASSERT_EQ(this->Generate(), kRunFinished);
    }

    // The names in the trash, sorted.
    std::vector<std::string> TrashedNames() {
        return this->FileNames(this->dir / "data/Trash/files");
    }

    std::string earlier;
};

class SiteWithTrash : public WithTrash<SiteTest> {
  protected:
    SiteWithTrash() {
        program.path = dir / "site.mav";
        EXPECT_TRUE(program.Save(program.path).ok());
    }

    void Populate() {
        fs::remove_all(target);
        fs::remove_all(source);
        fs::remove_all(dir / "data");
        fs::remove(AlbumRecordPath(target));
        fs::create_directories(source);
        for (const char* photo : {"Alpine Lake.jpg", "Fjord.jpg", "Meadow.jpg", "Pebbles.png"}) {
            AddExamplePhoto(photo);
        }
        program.SetString(K::SourceFileExtension, "*.jpg;*.png;*.gif");
        program.SetInt(K::PhotoPublishOriginals, 1);
        program.SetInt(K::PhotoWebSize, 0);
    }
};

TEST(TrashedLine, NamesAHandfulAndCountsTheRest) {
    const struct {
        std::vector<std::string> names;
        const char* line;
    } cases[] = {
        {{"a.jpg"}, "Moved 1 photo no longer in the source to the trash: a.jpg"},
        {{"a.jpg", "b.jpg", "c.jpg"},
         "Moved 3 photos no longer in the source to the trash: a.jpg, b.jpg, c.jpg"},
        {{"a", "b", "c", "d", "e"},
         "Moved 5 photos no longer in the source to the trash: a, b, c, d, e"},
        {{"a", "b", "c", "d", "e", "f", "g"},
         "Moved 7 photos no longer in the source to the trash: a, b, c, d, e and 2 more"},
    };
    for (const auto& row : cases) {
        EXPECT_EQ(TrashedLine(row.names), row.line);
    }
}

TEST_F(SiteWithTrash, CopiesOfSourcesThatLeftAreRemovedTheLastOnesToTheTrash) {
    const struct {
        const char* what;
        std::function<void()> change;
        std::vector<std::string> gone;     // from the target
        std::vector<std::string> trashed;  // by name in the trash
        std::string line;                  // a status line the second run posts
    } cases[] = {
        {"removed",
         [this] { fs::remove(source + "/Fjord.jpg"); },
         {"Fjord.jpg", "Thumbs/TN_Fjord.jpg"},
         {"Fjord.jpg"},
         "Moved 1 photo no longer in the source to the trash: Fjord.jpg"},
        {"renamed",
         [this] { fs::rename(source + "/Fjord.jpg", source + "/Fjord at dusk.jpg"); },
         {"Fjord.jpg", "Thumbs/TN_Fjord.jpg"},
         {},
         "Removed stale \"Fjord.jpg\""},
        {"no longer matching",
         [this] { program.SetString(K::SourceFileExtension, "*.jpg"); },
         {"Pebbles.png"},
         {"Pebbles.png"},
         "Moved 1 photo no longer in the source to the trash: Pebbles.png"},
        {"removed while originals are withheld",
         [this] {
             fs::remove(source + "/Meadow.jpg");
             fs::remove(source + "/Fjord.jpg");
             // With web copies: without them the pages show clean copies of the originals.
             program.SetInt(K::PhotoPublishOriginals, 0);
             program.SetInt(K::PhotoWebSize, 1600);
         },
         {"Alpine Lake.jpg", "Fjord.jpg", "Meadow.jpg", "Pebbles.png"},
         {"Fjord.jpg", "Meadow.jpg"},
         "Moved 2 photos no longer in the source to the trash: Fjord.jpg, Meadow.jpg"},
        {"changed since by the user",
         [this] {
             WriteFileBytes(target + "/Fjord.jpg", "my own now");
             fs::remove(source + "/Fjord.jpg");
         },
         {},
         {},
         "Kept \"Fjord.jpg\": it has changed since Mavren wrote it"},
    };
    for (const auto& row : cases) {
        Populate();
        Rerun(row.change);
        for (const std::string& gone : row.gone) {
            EXPECT_FALSE(fs::exists(target + "/" + gone)) << row.what << ": " << gone;
        }
        EXPECT_EQ(TrashedNames(), row.trashed) << row.what;
        EXPECT_EQ(summary.photosTrashed, static_cast<int>(row.trashed.size())) << row.what;
        EXPECT_TRUE(Has(window->StatusTexts(), row.line)) << row.what;
    }
    // What changed since stays as the user left it.
    EXPECT_EQ(ReadFileBytes(target + "/Fjord.jpg"), "my own now");
}

// Two programs without albums may share a target, as they always could: neither removes
// what the other's runs made.
TEST_F(SiteWithTrash, AnotherProgramsSiteInTheTargetIsLeftAlone) {
    Populate();
    ASSERT_EQ(Generate(), kRunFinished);
    const std::string first = program.path;
    program.path = dir / "second.mav";
    ASSERT_TRUE(program.Save(program.path).ok());
    fs::remove(source + "/Fjord.jpg");
    window = std::make_shared<RecordingReceiver>();
    ASSERT_EQ(Generate(), kRunFinished);
    EXPECT_TRUE(fs::exists(target + "/Fjord.jpg"));
    EXPECT_TRUE(TrashedNames().empty());
    EXPECT_TRUE(Has(window->StatusTexts(),
                    "Removed nothing that earlier runs made: the folder holds the site of "
                    "another program, \"" +
                        first + "\""));
}

class AlbumsWithTrash : public WithTrash<AlbumTest> {};

TEST_F(AlbumsWithTrash, PhotosThatLeftAnAlbumLeaveItTheLastCopiesToTheTrash) {
    const struct {
        const char* what;
        std::function<void()> change;
        std::vector<std::string> gone;     // from the target
        std::vector<std::string> trashed;  // by name in the trash
    } cases[] = {
        {"removed from an album",
         [this] { fs::remove(source + "/Trip to Rome/Pebbles.png"); },
         {"Trip to Rome/Pebbles.png"},
         {"Pebbles.png"}},
        {"moved to another album",
         [this] {
             fs::rename(source + "/Trip to Rome/Day 1/Meadow.jpg",
                        source + "/Trip to Rome/Meadow.jpg");
         },
         {"Trip to Rome/Day 1"},
         {}},
        {"gone with its album",
         [this] { fs::remove_all(source + "/Zürich"); },
         {"Zürich"},
         {"Glacier.jpg"}},
    };
    for (const auto& row : cases) {
        Populate();
        fs::remove_all(dir / "data");
        Rerun(row.change);
        for (const std::string& gone : row.gone) {
            EXPECT_FALSE(fs::exists(target + "/" + gone)) << row.what << ": " << gone;
        }
        EXPECT_EQ(TrashedNames(), row.trashed) << row.what;
        EXPECT_EQ(summary.photosTrashed, static_cast<int>(row.trashed.size())) << row.what;
    }
}

}  // namespace
