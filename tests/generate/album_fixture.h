#pragma once

// A source tree of albums and a saved album program that makes a site of it, for tests of
// album runs: the top holds Fjord.jpg, "Trip to Rome" two photos and the album "Day 1",
// "Zürich" one photo, and a hidden folder one more.

#include <filesystem>
#include <string>
#include <vector>

#include "generate/album_record.h"
#include "site_fixture.h"

class AlbumTest : public SiteTest {
  protected:
    AlbumTest() {
        program.SetInt(ProgramKey::IncludeSubfolders, 1);
        program.SetString(ProgramKey::IndexPageTitle, "%A");
        program.path = dir / "albums.mav";
        EXPECT_TRUE(program.Save(program.path).ok());
        Populate();
    }

    // The tree every test starts from, with no site made of it yet.
    void Populate() {
        namespace fs = std::filesystem;
        fs::remove_all(target);
        fs::remove_all(source);
        fs::remove(AlbumRecordPath(target));
        Add("Fjord.jpg", "Fjord.jpg");
        Add("Alpine Lake.jpg", "Trip to Rome/Alpine Lake.jpg");
        Add("Pebbles.png", "Trip to Rome/Pebbles.png");
        Add("Meadow.jpg", "Trip to Rome/Day 1/Meadow.jpg");
        Add("Glacier.jpg", "Zürich/Glacier.jpg");
        fs::create_directories(source + "/.hidden");
        Add("Meadow.jpg", ".hidden/Meadow.jpg");
    }

    void Add(const std::string& example, const std::string& path) {
        namespace fs = std::filesystem;
        fs::create_directories(fs::path(source + "/" + path).parent_path());
        fs::copy_file(MAVREN_SOURCE_DIR "/examples/photos/" + example, source + "/" + path,
                      fs::copy_options::overwrite_existing);
        SetModificationTime(source + "/" + path, 1700000000);
    }

    // The album links of a page, in order.
    std::vector<std::string> AlbumLinks(const std::string& page) {
        std::vector<std::string> links;
        const std::string text = Page(page);
        for (std::size_t at = 0; (at = text.find("/INDEX000.HTM\"", at)) != std::string::npos;
             ++at) {
            const std::size_t start = text.rfind('"', at) + 1;
            links.push_back(text.substr(start, at - start));
        }
        return links;
    }
};
