// Photos that cannot be read: their entries and pages say so beside a placeholder, and
// nothing of them reaches the site, whichever way the program publishes pictures.

#include <gmock/gmock.h>

#include <filesystem>

#include "site_fixture.h"
#include "support/site_links.h"

namespace fs = std::filesystem;

namespace {

using K = ProgramKey;
using ::testing::IsEmpty;

// Every file below the target whose name holds name.
std::vector<std::string> FilesNamed(const std::string& target, const std::string& name) {
    std::vector<std::string> found;
    for (const auto& entry : fs::recursive_directory_iterator(target)) {
        if (entry.is_regular_file() &&
            entry.path().filename().string().find(name) != std::string::npos) {
            found.push_back(fs::relative(entry.path(), target).string());
        }
    }
    return found;
}

TEST_F(SiteTest, ADamagedPhotoIsNamedBesideAPlaceholderAndNotPublished) {
    const std::string meadow = ReadFileBytes(MAVREN_SOURCE_DIR "/examples/photos/Meadow.jpg");
    const struct {
        const char* name;
        std::string bytes;
        const char* reason;
        bool asked;  // the size cannot be read either
    } damages[] = {
        {"not a picture", "not a picture", "it is not a valid JPG file", true},
        // The header is whole, the pixels end at the start of the scan.
        {"cut short", meadow.substr(0, meadow.find("\xFF\xDA") + 40), "it is damaged", false},
    };
    const struct {
        const char* name;
        int originals;
        int webSize;
    } modes[] = {
        {"originals, no web copies", 1, 0},
        {"no originals, web copies", 0, 1600},
        {"originals and web copies", 1, 1600},
    };
    AddExamplePhoto("Meadow.jpg");
    for (const auto& damage : damages) {
        for (const auto& mode : modes) {
            SCOPED_TRACE(std::string(damage.name) + ", " + mode.name);
            fs::remove_all(target);
            const std::size_t before = boxes->Texts().size();
            AddSource("Broken.jpg", damage.bytes);
            SetModificationTime(source + "/Broken.jpg", 1700000000);
            program.SetInt(K::PhotoPublishOriginals, mode.originals);
            program.SetInt(K::PhotoWebSize, mode.webSize);
            if (damage.asked) {
                boxes->QueueAnswer(IDYES);
            }
            ASSERT_EQ(Generate(), kRunFinished);
            EXPECT_EQ(boxes->Texts().size() - before, damage.asked ? 1u : 0u);
            // How far a cut-short picture gets before it fails tells the rest of the reason.
            const std::string said = std::string("Broken.jpg cannot be shown: ") + damage.reason;
            for (const char* page : {"INDEX000.HTM", "GEN0000.HTM"}) {
                EXPECT_NE(Page(page).find(said), std::string::npos) << page << "\n" << Page(page);
                EXPECT_NE(Page(page).find("SRC=\"DamagedPlaceHolder.png\""), std::string::npos)
                    << page;
            }
            EXPECT_THAT(FilesNamed(target, "Broken"), IsEmpty()) << "nothing of it published";
            EXPECT_THAT(FilesNamed(target, "Meadow"), ::testing::Not(IsEmpty()));
            EXPECT_THAT(BrokenSiteLinks(target), IsEmpty());
        }
    }
}

// What an earlier run made of a photo that has since been damaged goes too.
TEST_F(SiteTest, WhatWasMadeOfAPhotoBeforeItWasDamagedGoes) {
    AddExamplePhoto("Meadow.jpg");
    program.SetInt(K::PhotoWebSize, 1600);
    ASSERT_EQ(Generate(), kRunFinished);
    ASSERT_THAT(FilesNamed(target, "Meadow"), ::testing::Not(IsEmpty()));
    AddSource("Meadow.jpg", "not a picture any more");
    boxes->QueueAnswer(IDYES);
    ASSERT_EQ(Generate(), kRunFinished);
    EXPECT_THAT(FilesNamed(target, "Meadow"), IsEmpty());
    EXPECT_THAT(BrokenSiteLinks(target), IsEmpty());
}

// Without content pages the entry leads nowhere: there is no file of the photo to show.
TEST_F(SiteTest, ADamagedPhotoWithoutContentPagesIsNotALink) {
    AddSource("Broken.jpg", "not a picture");
    program.SetInt(K::GenerateContentPages, 0);
    boxes->QueueAnswer(IDYES);
    ASSERT_EQ(Generate(), kRunFinished);
    EXPECT_EQ(Page("INDEX000.HTM").find("<A HREF"), std::string::npos) << Page("INDEX000.HTM");
    EXPECT_NE(Page("INDEX000.HTM").find("Broken.jpg cannot be shown"), std::string::npos);
    EXPECT_THAT(BrokenSiteLinks(target), IsEmpty());
}

}  // namespace
