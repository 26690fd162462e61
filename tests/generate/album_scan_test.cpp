#include "generate/album_scan.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/paths.h"
#include "support/test_support.h"

namespace {

// One line per album, parents first: path, name, picture count, then the files as paths
// below the source folder.
void Outline(const Album& album, const std::string& source, std::string& text) {
    text += "[" + album.path + "] " + album.name + " " + std::to_string(PictureCount(album)) + ":";
    for (const std::string& file : album.files) {
        text += " " + (file.starts_with(source + "/") ? file.substr(source.size() + 1) : file);
    }
    text += "\n";
    for (const Album& sub : album.albums) {
        Outline(sub, source, text);
    }
}

// "$" in a note stands for the source folder.
std::string WithSource(const std::string& note, const std::string& source) {
    return ReplaceAll(note, "$", source);
}

TEST(AlbumScan, WalksTheTreeIntoAlbums) {
    struct Case {
        const char* title;
        std::vector<std::string> files;  // below the test folder; "src" is the source
        std::vector<std::pair<std::string, std::string>> links;  // link, target as written
        std::vector<std::string> excluded;                       // below the test folder
        const char* outline;
        std::vector<std::string> notes;
    } cases[] = {
        {"nested albums, spaces and non-ASCII names, sorted as ScanFiles sorts",
         {"src/b.jpg", "src/A.JPG", "src/_c.jpg", "src/notes.txt", "src/2024/Trip to Rome/z.jpg",
          "src/2024/Trip to Rome/Ä.png", "src/2024/ärger/x.png", "src/2024/Zoo/y.jpg",
          "src/2024/apple/a.gif", "src/2024/apple/A.gif"},
         {},
         {},
         "[] src 9: _c.jpg A.JPG b.jpg\n"
         "[2024] 2024 6:\n"
         "[2024/apple] apple 2: 2024/apple/A.gif 2024/apple/a.gif\n"
         "[2024/Trip to Rome] Trip to Rome 2: 2024/Trip to Rome/z.jpg 2024/Trip to Rome/Ä.png\n"
         "[2024/Zoo] Zoo 1: 2024/Zoo/y.jpg\n"
         "[2024/ärger] ärger 1: 2024/ärger/x.png\n",
         {}},
        {"branches without a matching file dropped, the top kept",
         {"src/empty/deeper/notes.txt", "src/kept/deeper/b.jpg"},
         {},
         {},
         "[] src 1:\n"
         "[kept] kept 1:\n"
         "[kept/deeper] deeper 1: kept/deeper/b.jpg\n",
         {}},
        {"hidden folder left out, hidden file listed as ScanFiles lists it",
         {"src/.cache/a.jpg", "src/.x.jpg"},
         {},
         {},
         "[] src 1: .x.jpg\n",
         {"Left out \"$/.cache\": a hidden folder."}},
        {"target folder inside the source left out",
         {"src/a.jpg", "src/site/a.jpg", "src/site/Thumbs/TN_a.jpg"},
         {},
         {"src/site", "src/site/Thumbs"},
         "[] src 1: a.jpg\n",
         {"Left out \"$/site\": the site is written there."}},
        {"target is the source: only its Thumbs and Web left out, in any letter case",
         {"src/a.jpg", "src/Thumbs/TN_a.jpg", "src/WEB/a.jpg", "src/more/b.jpg",
          "src/.store/c.jpg"},
         {{"src/more/up", ".."}, {"src/Best", ".store"}},
         {"src"},
         "[] src 3: a.jpg\n"
         "[Best] Best 1: Best/c.jpg\n"
         "[more] more 1: more/b.jpg\n",
         {"Left out \"$/.store\": a hidden folder.",
          "Left out \"$/more/up\": a link back to a folder that holds it.",
          "Left out \"$/Thumbs\": the site keeps its own pictures in folders of that name.",
          "Left out \"$/WEB\": the site keeps its own pictures in folders of that name."}},
        {"link back to an ancestor",
         {"src/Rome/a.jpg"},
         {{"src/Rome/back", ".."}},
         {},
         "[] src 1:\n"
         "[Rome] Rome 1: Rome/a.jpg\n",
         {"Left out \"$/Rome/back\": a link back to a folder that holds it."}},
        {"link leading outside the source",
         {"src/a.jpg", "outside/x.jpg"},
         {{"src/out", "../outside"}},
         {},
         "[] src 1: a.jpg\n",
         {"Left out \"$/out\": a link that leads outside the source folder."}},
        {"link to a folder beside the source whose name starts as the source's",
         {"src/a.jpg", "src-old/x.jpg"},
         {{"src/old", "../src-old"}},
         {},
         "[] src 1: a.jpg\n",
         {"Left out \"$/old\": a link that leads outside the source folder."}},
        {"link to a sibling: the real folder wins even when the link sorts first",
         {"src/Z/z.jpg"},
         {{"src/0 link", "Z"}},
         {},
         "[] src 1:\n"
         "[Z] Z 1: Z/z.jpg\n",
         {"Left out \"$/0 link\": a link to a folder that is walked already."}},
        {"link into a hidden folder followed, under the link's name",
         {"src/.store/best/x.jpg", "src/.store/best/sub/y.jpg"},
         {{"src/Best", ".store/best"}},
         {},
         "[] src 2:\n"
         "[Best] Best 2: Best/x.jpg\n"
         "[Best/sub] sub 1: Best/sub/y.jpg\n",
         {"Left out \"$/.store\": a hidden folder."}},
        {"link into the site's output left out",
         {"src/a.jpg", "src/site/Web/a.jpg"},
         {{"src/web copies", "site/Web"}},
         {"src/site"},
         "[] src 1: a.jpg\n",
         {"Left out \"$/site\": the site is written there.",
          "Left out \"$/web copies\": a link to where the site is written."}},
        {"links to files listed like files, links to nothing ignored",
         {"src/a.jpg", "outside/b.jpg"},
         {{"src/b.jpg", "../outside/b.jpg"}, {"src/gone.jpg", "nowhere.jpg"}},
         {},
         "[] src 2: a.jpg b.jpg\n",
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        TempDir dir;
        const std::string source = dir / "src";
        ASSERT_EQ(::mkdir(source.c_str(), 0755), 0);
        for (const std::string& file : c.files) {
            WriteFileBytes(dir / file, "x");
        }
        for (const auto& [link, target] : c.links) {
            ASSERT_EQ(::symlink(target.c_str(), (dir / link).c_str()), 0) << link;
        }
        std::vector<std::string> excluded;
        for (const std::string& folder : c.excluded) {
            excluded.push_back(dir / folder);
        }
        const AlbumTree tree = ScanAlbums(source, "*.jpg;*.png;*.gif", excluded, {"Thumbs", "Web"});
        std::string outline;
        Outline(tree.top, source, outline);
        EXPECT_EQ(outline, c.outline);
        std::vector<std::string> notes;
        for (const std::string& note : c.notes) {
            notes.push_back(WithSource(note, source));
        }
        EXPECT_EQ(tree.notes, notes);
    }
}

}  // namespace
