// Camera facts in a run: when they are read, the order by date taken, captions in labels.

#include "generate/photo_order.h"

#include <string>
#include <vector>

#include "platform/paths.h"
#include "site_fixture.h"
#include "support/run_program.h"

namespace {

using K = ProgramKey;

class PhotoFactsRun : public SiteTest {
  protected:
    // An example photo under name, modified at seconds, tagged by exiftool with tags.
    void AddPhoto(const std::string& name, long long seconds,
                  const std::vector<std::string>& tags = {}) {
        AddExamplePhoto("Fjord.jpg", name);
        const std::string path = source + "/" + name;
        if (!tags.empty()) {
            std::vector<std::string> arguments = {"-q", "-overwrite_original"};
            arguments.insert(arguments.end(), tags.begin(), tags.end());
            arguments.push_back(path);
            const ProgramRun run = RunProgram("/usr/bin/exiftool", arguments);
            ASSERT_EQ(run.status, 0) << run.err;
        }
        SetModificationTime(path, seconds);
    }

    // The names of the scanned sources in the order the program puts them.
    std::vector<std::string> Ordered() {
        FileList list = *ScanFiles(source, "*.jpg", false);
        std::vector<PhotoFacts> facts = ReadRunPhotoFacts(program, list);
        OrderByDateTaken(program, list, facts);
        std::vector<std::string> names;
        for (std::size_t i = 0; i < list.size(); ++i) {
            names.push_back(PathFileName(list[i]));
            // The facts travel with their photo.
            if (!facts.empty() && PathFileName(list[i]) == "d.jpg") {
                EXPECT_EQ(facts[i].camera, "Canon EOS R6");
            }
        }
        return names;
    }
};

TEST_F(PhotoFactsRun, OrderByDateTakenElseByFileTimeTiesByName) {
    AddPhoto("a.jpg", 1600000000, {"-DateTimeOriginal=2020:05:01 12:00:00"});
    AddPhoto("b.jpg", 1546300800);  // 2019-01-01, and no date taken
    AddPhoto("c.jpg", 1400000000, {"-DateTimeOriginal=2020:05:01 12:00:00"});
    AddPhoto("d.jpg", 1700000000,
             {"-DateTimeOriginal=2018:03:01 08:00:00", "-Make=Canon", "-Model=Canon EOS R6"});
    const struct Case {
        PhotoOrder order;
        std::vector<std::string> names;
    } cases[] = {
        {PhotoOrder::ByName, {"a.jpg", "b.jpg", "c.jpg", "d.jpg"}},
        {PhotoOrder::OldestFirst, {"d.jpg", "b.jpg", "a.jpg", "c.jpg"}},
        {PhotoOrder::NewestFirst, {"a.jpg", "c.jpg", "b.jpg", "d.jpg"}},
    };
    for (const Case& c : cases) {
        program.SetInt(K::PhotoOrder, static_cast<int>(c.order));
        EXPECT_EQ(Ordered(), c.names) << static_cast<int>(c.order);
    }
}

TEST(RunNeedsPhotoFacts, OnlyWhenTheOrderOrAShownTextUsesThem) {
    const struct Case {
        std::vector<std::pair<K, std::string>> settings;  // over the defaults of a picture program
        bool needed;
    } cases[] = {
        {{}, false},  // every photo key at its standard value
        {{{K::PhotoOrder, "2"}}, true},
        {{{K::PhotoCameraCaptions, "Yes"}}, true},
        {{{K::PhotoWebSize, "1600"}}, true},
        {{{K::PhotoWebSize, "1600"}, {K::GenerateContentPages, "No"}}, false},
        {{{K::PagesForSharing, "Yes"}, {K::GenerateContentPages, "No"}}, true},
        {{{K::ContentPageTitle, "%F, %T"}}, true},
        {{{K::ContentPageTitle, "100%%C"}}, false},
        {{{K::ContentCustomLabel, "%E"}}, false},  // content labels are off
        {{{K::IndexThumbnailLabelType, "2"}, {K::IndexThumbnailCustomLabel, "%C"}}, true},
        {{{K::IndexThumbnailLabelType, "2"},
          {K::IndexThumbnailCustomLabel, "%C"},
          {K::IndexLabelThumbnails, "No"}},
         false},
        {{{K::SourceFileExtension, "*.txt"}, {K::PhotoOrder, "1"}}, false},
    };
    for (const Case& c : cases) {
        Program program;
        program.ApplyDefaults();
        program.SetString(K::SourceFileExtension, "*.jpg;*.png;*.gif");
        std::string what;
        for (const auto& [key, text] : c.settings) {
            program.SetText(key, text);
            what += text + " ";
        }
        EXPECT_EQ(RunNeedsPhotoFacts(program), c.needed) << what;
        EXPECT_EQ(ReadRunPhotoFacts(program, {"/no/such/x.jpg"}).size(), c.needed ? 1u : 0u)
            << what;
    }
}

TEST_F(PhotoFactsRun, PagesFollowTheOrderAndShowCameraCaptions) {
    AddPhoto("a.jpg", 1600000000,
             {"-DateTimeOriginal=2020:05:01 12:00:00", "-XMP-dc:Description=Lake <at> dawn"});
    AddPhoto("b.jpg", 1600000000,
             {"-DateTimeOriginal=2018:05:01 12:00:00", "-IPTC:Caption-Abstract=Harbour"});
    AddPhoto("c.jpg", 1600000000, {"-EXIF:ImageDescription=SONY DSC"});
    AddSource("descript.ion", "b.jpg Our boat\r\n");
    program.SetInt(K::PhotoOrder, static_cast<int>(PhotoOrder::OldestFirst));
    program.SetInt(K::PhotoCameraCaptions, 1);
    program.SetInt(K::IndexLabelThumbnails, 1);
    program.SetInt(K::IndexThumbnailLabelType, 1);
    program.SetInt(K::ContentShowLabels, 1);
    program.SetInt(K::ContentLabelType, 1);
    program.SetString(K::ContentPageTitle, "%F %T");
    ASSERT_EQ(Generate(), kRunFinished);

    const std::string index = Page("INDEX000.HTM");
    const std::size_t boat = index.find("Our boat");
    const std::size_t lake = index.find("Lake &lt;at&gt; dawn");
    ASSERT_NE(boat, std::string::npos) << "the description comes before the caption";
    ASSERT_NE(lake, std::string::npos);
    EXPECT_LT(boat, lake) << "b.jpg was taken first";
    EXPECT_NE(index.find("c.jpg ("), std::string::npos) << "a placeholder is no caption";
    EXPECT_NE(Page("GEN0001.HTM").find("a.jpg 05/01/20"), std::string::npos);
    EXPECT_NE(Page("GEN0001.HTM").find("Lake &lt;at&gt; dawn"), std::string::npos);
}

}  // namespace
