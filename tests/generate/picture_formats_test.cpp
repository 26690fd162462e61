// A site's pictures in the newer formats and opaque PNGs made JPEG: the files, the pages
// that offer them, and what goes when the program no longer wants them.

#include <algorithm>
#include <filesystem>

#include "album_fixture.h"

namespace fs = std::filesystem;

namespace {

using K = ProgramKey;

// The files below folder whose names end in suffix, relative to it, sorted.
std::vector<std::string> FilesEndingIn(const std::string& folder, const std::string& suffix) {
    std::vector<std::string> found;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const std::string path = entry.path().string();
        if (entry.is_regular_file() && path.ends_with(suffix)) {
            found.push_back(path.substr(folder.size() + 1));
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = 0; (at = text.find(part, at)) != std::string::npos; at += part.size()) {
        ++count;
    }
    return count;
}

// An album's WebP copies go with the album, and all of them when the program stops
// making them.
TEST_F(AlbumTest, WebpCopiesAreOfferedAndGoWhenSwitchedOffOrTheirAlbumGoes) {
    program.SetInt(K::PhotoWebSize, 320);
    program.SetInt(K::PhotoPngAsJpeg, 1);
    const struct {
        const char* step;
        bool webp;
        const char* albumRemoved;
        std::size_t webpFiles;      // a thumbnail, its double and a web copy of each photo
        std::size_t offeredOnRome;  // two thumbnails and the cover of "Day 1"
    } cases[] = {
        {"WebP on", true, nullptr, 15, 3},
        {"an album removed", true, "Zürich", 12, 3},
        {"WebP off", false, nullptr, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.step);
        program.SetInt(K::PhotoWebp, c.webp);
        if (c.albumRemoved != nullptr) {
            fs::remove_all(source + "/" + c.albumRemoved);
        }
        ASSERT_EQ(Generate(), kRunFinished);
        EXPECT_EQ(FilesEndingIn(target, ".webp").size(), c.webpFiles);
        EXPECT_EQ(fs::exists(target + "/Trip to Rome/Web/Pebbles.png.jpg.webp"), c.webp);
        EXPECT_TRUE(fs::exists(target + "/Trip to Rome/Thumbs/TN_Pebbles.png.jpg"));
        EXPECT_FALSE(fs::exists(target + "/Trip to Rome/Thumbs/TN_Pebbles.png"));
        const std::string rome = Page("Trip to Rome/INDEX000.HTM");
        EXPECT_EQ(Count(rome, "<SOURCE TYPE=\"image/webp\""), c.offeredOnRome);
        EXPECT_EQ(Count(rome, "<PICTURE>"), Count(rome, "</PICTURE>"));
        EXPECT_EQ(
            Count(Page("Trip to Rome/GEN0001.HTM"),
                  "<PICTURE><SOURCE TYPE=\"image/webp\" SRCSET=\"Web/Pebbles.png.jpg.webp\">"),
            c.webp ? 1u : 0u);
    }
}

}  // namespace
