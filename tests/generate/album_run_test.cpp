// Sites of albums: what a tree of folders becomes, and what a rerun does after the tree
// changed.

#include <filesystem>
#include <functional>
#include <map>

#include "album_fixture.h"

namespace fs = std::filesystem;

namespace {

using K = ProgramKey;

struct TreeChange {
    const char* name;
    std::function<void(const std::string& source)> change;
    std::vector<std::string> present;  // in the target after the rerun
    std::vector<std::string> absent;
    std::vector<std::string> untouched;  // pages the rerun must not write again
    std::vector<std::string> topLinks;   // what the top index page links to, in order
};

TEST_F(AlbumTest, FoldersBecomeAlbumsAndReruns) {
    WriteFileBytes(source + "/Trip to Rome/descript.ion", "cover pebbles.png\r\n");
    ASSERT_EQ(Generate(), kRunFinished);
    // The cover its description file names, not the first picture.
    EXPECT_NE(Page("INDEX000.HTM").find("SRC=\"Trip%20to%20Rome/Thumbs/TN_Pebbles.png\""),
              std::string::npos);
    EXPECT_EQ(AlbumLinks("INDEX000.HTM"),
              (std::vector<std::string>{"Trip%20to%20Rome", "Z%C3%BCrich"}));
    EXPECT_NE(Page("INDEX000.HTM").find("Zürich (1 picture)"), std::string::npos);
    EXPECT_NE(Page("INDEX000.HTM").find("Trip to Rome (3 pictures)"), std::string::npos);
    EXPECT_NE(Page("Trip to Rome/Day 1/INDEX000.HTM").find("<H1>Trip to Rome \u203a Day 1</H1>"),
              std::string::npos);
    EXPECT_NE(Page("Trip to Rome/Day 1/INDEX000.HTM").find("HREF=\"../INDEX000.HTM\">Up"),
              std::string::npos);
    EXPECT_EQ(Page("INDEX000.HTM").find(">Up"), std::string::npos);
    EXPECT_FALSE(fs::exists(target + "/.hidden"));
    EXPECT_EQ(summary.albums, 4);
    EXPECT_EQ(summary.pictures, 5);
}

TEST_F(AlbumTest, RerunsRemakeOnlyWhatTheChangeReaches) {
    const TreeChange changes[] = {
        {"nothing",
         [](const std::string&) {},
         {},
         {},
         {"INDEX000.HTM", "Zürich/INDEX000.HTM", "Trip to Rome/Day 1/GEN0000.HTM"},
         {"Trip%20to%20Rome", "Z%C3%BCrich"}},
        {"photo added",
         [this](const std::string&) { Add("Meadow.jpg", "Zürich/Meadow.jpg"); },
         {"Zürich/GEN0001.HTM", "Zürich/Thumbs/TN_Meadow.jpg"},
         {},
         {"Trip to Rome/INDEX000.HTM", "Trip to Rome/Day 1/INDEX000.HTM"},
         {"Trip%20to%20Rome", "Z%C3%BCrich"}},
        {"album renamed",
         [](const std::string& s) { fs::rename(s + "/Zürich", s + "/Genève"); },
         {"Genève/INDEX000.HTM", "Genève/Thumbs/TN_Glacier.jpg"},
         {"Zürich"},
         {"Trip to Rome/INDEX000.HTM"},
         {"Gen%C3%A8ve", "Trip%20to%20Rome"}},
        {"album moved",
         [](const std::string& s) { fs::rename(s + "/Trip to Rome/Day 1", s + "/Day 1"); },
         {"Day 1/INDEX000.HTM"},
         {"Trip to Rome/Day 1"},
         {"Zürich/INDEX000.HTM"},
         {"Day%201", "Trip%20to%20Rome", "Z%C3%BCrich"}},
        {"photo moved between albums",
         [](const std::string& s) {
             fs::rename(s + "/Zürich/Glacier.jpg", s + "/Trip to Rome/Glacier.jpg");
         },
         {"Trip to Rome/GEN0002.HTM", "Trip to Rome/Thumbs/TN_Glacier.jpg"},
         {"Zürich"},
         {"Trip to Rome/Day 1/INDEX000.HTM"},
         {"Trip%20to%20Rome"}},
        // Its photo is in the source no more: the copy may be the last one, and goes to the
        // trash.
        {"album emptied",
         [](const std::string& s) { fs::remove(s + "/Zürich/Glacier.jpg"); },
         {},
         {"Zürich"},
         {"Trip to Rome/INDEX000.HTM"},
         {"Trip%20to%20Rome"}},
        {"link loop",
         [](const std::string& s) { fs::create_directory_symlink("..", s + "/Zürich/loop"); },
         {},
         {"Zürich/loop"},
         {"Zürich/INDEX000.HTM", "INDEX000.HTM"},
         {"Trip%20to%20Rome", "Z%C3%BCrich"}},
        {"page of an unchanged album deleted from the target",
         [this](const std::string&) { fs::remove(target + "/Zürich/GEN0000.HTM"); },
         {"Zürich/GEN0000.HTM"},
         {},
         {"Trip to Rome/INDEX000.HTM"},
         {"Trip%20to%20Rome", "Z%C3%BCrich"}},
        // Last, as the order stays set.
        {"newest albums first",
         [this](const std::string& s) {
             program.SetInt(K::PhotoOrder, static_cast<int>(PhotoOrder::NewestFirst));
             Add("Pebbles.png", "Zürich/Pebbles.png");
             SetModificationTime(s + "/Zürich/Pebbles.png", 1800000000);
         },
         {},
         {},
         {},
         {"Z%C3%BCrich", "Trip%20to%20Rome"}},
    };
    for (const TreeChange& change : changes) {
        SCOPED_TRACE(change.name);
        Populate();
        ASSERT_EQ(Generate(), kRunFinished);
        std::map<std::string, fs::file_time_type> times;
        for (const std::string& page : change.untouched) {
            times[page] = fs::last_write_time(target + "/" + page);
        }
        change.change(source);
        ASSERT_EQ(Generate(), kRunFinished);
        for (const std::string& path : change.present) {
            EXPECT_TRUE(fs::exists(target + "/" + path)) << path;
        }
        for (const std::string& path : change.absent) {
            EXPECT_FALSE(fs::exists(target + "/" + path)) << path;
        }
        for (const auto& [page, time] : times) {
            EXPECT_EQ(fs::last_write_time(target + "/" + page), time) << page;
        }
        EXPECT_EQ(AlbumLinks("INDEX000.HTM"), change.topLinks);
    }
}

}  // namespace

namespace {

// Asks for a stop when the run starts on its second album.
class StopAtSecondAlbum : public RecordingReceiver {
  public:
    explicit StopAtSecondAlbum(std::shared_ptr<StopFlag> stop) : stop(std::move(stop)) {}
    void Post(WorkerMessage message) override {
        if (message.message == WM_APP_STATUS_TEXT && message.text.starts_with("Album 2 of")) {
            stop->Request();
        }
        RecordingReceiver::Post(std::move(message));
    }

  private:
    std::shared_ptr<StopFlag> stop;
};

TEST_F(AlbumTest, AStoppedRunKeepsTheAlbumsItFinished) {
    window = std::make_shared<StopAtSecondAlbum>(stop);
    ASSERT_EQ(Generate(), kRunFinished);
    EXPECT_EQ(window->StatusTexts().back(), "Stopped by operator.");
    EXPECT_EQ(program.GetText(K::LastGenerated), "Never");
    const auto finished = fs::last_write_time(target + "/Trip to Rome/Day 1/INDEX000.HTM");
    EXPECT_FALSE(fs::exists(target + "/INDEX000.HTM"));

    stop = std::make_shared<StopFlag>();
    window = std::make_shared<RecordingReceiver>();
    ASSERT_EQ(Generate(), kRunFinished);
    EXPECT_EQ(fs::last_write_time(target + "/Trip to Rome/Day 1/INDEX000.HTM"), finished);
    EXPECT_TRUE(fs::exists(target + "/INDEX000.HTM"));
}

}  // namespace
