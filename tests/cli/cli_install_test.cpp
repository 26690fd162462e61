// make install: the programs and their files under PREFIX/lib/mavren, the links in
// PREFIX/bin, the desktop entry, metainfo, file type and icons, the manuals, the bash
// completion and the examples; the installed mavren-cli finds its files through the link.
// And the Help folder the build generates.

#include <gtest/gtest.h>

#include <filesystem>

#include "support/run_program.h"
#include "support/test_support.h"

namespace fs = std::filesystem;

namespace {

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

}  // namespace

TEST(Install, PutsProgramsAndFilesUnderThePrefix) {
    TempDir prefix;
    const ProgramRun install =
        RunProgram(MAVREN_CMAKE, {"--install", MAVREN_BINARY_DIR, "--prefix", prefix.path()});
    ASSERT_EQ(install.status, 0) << install.out << install.err;

    for (const char* program : {"mavren", "mavren-cli"}) {
        const fs::path link = prefix / (std::string("bin/") + program);
        ASSERT_TRUE(fs::is_symlink(link)) << link.string();
        EXPECT_EQ(fs::read_symlink(link), fs::path("../lib/mavren") / program);
        EXPECT_TRUE(fs::is_regular_file(link)) << "the link leads nowhere: " << link.string();
    }
    for (const char* file :
         {"Default.mav", "splash1.jpg", "GifPlaceHolder.gif", "DamagedPlaceHolder.png",
          "GeneratedWithMavren.gif", "mavren.png", "mavren-program.png", "mavren-vips.so",
          "mavren-secrets.so", "Help/GEN0000.htm", "Help/GEN0008.htm", "Help/INDEX000.HTM",
          "themes/light/index.htm", "themes/dark/content.htm", "themes/gallery/theme.txt"}) {
        EXPECT_TRUE(fs::is_regular_file(prefix / (std::string("lib/mavren/") + file))) << file;
    }
    for (const char* file :
         {"share/icons/hicolor/16x16/apps/mavren.png", "share/icons/hicolor/48x48/apps/mavren.png",
          "share/icons/hicolor/256x256/apps/mavren.png",
          "share/icons/hicolor/64x64/mimetypes/application-x-mavren-program.png",
          "share/mime/packages/mavren-program.xml",
          "share/metainfo/org.example.mavren.metainfo.xml", "share/man/man1/mavren.1",
          "share/man/man1/mavren-cli.1", "share/bash-completion/completions/mavren-cli",
          "share/doc/mavren/examples/photos/Fjord.jpg"}) {
        EXPECT_TRUE(fs::is_regular_file(prefix / file)) << file;
    }
    const std::string entry =
        ReadFileBytes(prefix / "share/applications/org.example.mavren.desktop");
    EXPECT_TRUE(Contains(entry, "Exec=" + prefix.path() + "/bin/mavren %f\n")) << entry;
    EXPECT_TRUE(Contains(entry, "MimeType=application/x-mavren-program;\n")) << entry;
    const ProgramRun entryCheck =
        RunProgram("/usr/bin/desktop-file-validate",
                   {prefix / "share/applications/org.example.mavren.desktop"});
    EXPECT_EQ(entryCheck.status, 0) << entryCheck.out << entryCheck.err;
    EXPECT_EQ(entryCheck.out + entryCheck.err, "");
    const ProgramRun metainfoCheck = RunProgram(
        "/usr/bin/appstreamcli",
        {"validate", "--no-net", prefix / "share/metainfo/org.example.mavren.metainfo.xml"});
    EXPECT_EQ(metainfoCheck.status, 0) << metainfoCheck.out << metainfoCheck.err;

    // The installed command line program, started through its link, makes and generates a
    // program with the files installed beside it.
    TempDir work;
    fs::create_directories(work / "photos");
    for (const char* photo : {"Fjord.jpg", "Bubbles.gif"}) {
        fs::copy_file(std::string(MAVREN_SOURCE_DIR "/examples/photos/") + photo,
                      work / (std::string("photos/") + photo));
    }
    const std::string cli = prefix / "bin/mavren-cli";
    const ProgramRun made =
        RunProgram(cli,
                   {"new", "--source", work / "photos", "--target", work / "site", "--theme",
                    "light", "--yes"},
                   "", {"HOME=" + work.path(), "XDG_CONFIG_HOME=" + work / "config"});
    ASSERT_EQ(made.status, 0) << made.err;
    EXPECT_FALSE(Contains(made.err, "default Mavren program")) << made.err;
    const std::string program = work / "photos.mav";
    ASSERT_EQ(RunProgram(cli, {"set", program, "Misc-Include-Mavren-Link=Yes"}).status, 0);
    const ProgramRun generated =
        RunProgram(cli, {"generate", "--quiet", program}, "",
                   {"HOME=" + work.path(), "XDG_CONFIG_HOME=" + work / "config"});
    ASSERT_EQ(generated.status, 0) << generated.err;
    EXPECT_EQ(ReadFileBytes(work / "site/GeneratedWithMavren.gif"),
              ReadFileBytes(prefix / "lib/mavren/GeneratedWithMavren.gif"));
    // The installed theme made it into the pages, and the installed libvips module the
    // GIF's first-frame thumbnail.
    EXPECT_TRUE(Contains(ReadFileBytes(work / "site/Fjord.html"), "name=\"viewport\""));
    EXPECT_TRUE(fs::is_regular_file(work / "site/Thumbs/TN_Fjord.jpg"));
    EXPECT_TRUE(fs::is_regular_file(work / "site/Thumbs/TN_Bubbles.gif.png"));

    // Without the module what only libvips reads gets no picture, and the run says why
    // rather than calling the picture damaged.
    fs::remove(prefix / "lib/mavren/mavren-vips.so");
    fs::remove(work / "site/Thumbs/TN_Bubbles.gif.png");
    const ProgramRun withoutModule =
        RunProgram(cli, {"generate", program}, "",
                   {"HOME=" + work.path(), "XDG_CONFIG_HOME=" + work / "config"});
    EXPECT_EQ(withoutModule.status, 0) << withoutModule.err;
    EXPECT_TRUE(Contains(withoutModule.err,
                         "No thumbnail for \"Bubbles.gif\": the picture "
                         "library is missing: mavren-vips.so"))
        << withoutModule.err;
}

// The property pages open these pages of the help folder by number.
TEST(HelpFolder, PagesComeInTheOrderThePropertyPagesOpenThem) {
    const std::pair<const char*, const char*> pages[] = {
        {"GEN0000.htm", "<h2>Welcome to Mavren</h2>"},
        {"GEN0001.htm", "<h2>Content Options</h2>"},
        {"GEN0002.htm", "<h2>Generation</h2>"},
        {"GEN0003.htm", "<h2>HTML Options</h2>"},
        {"GEN0004.htm", "<h2>Index Options</h2>"},
        {"GEN0005.htm", "<h2>Uploading your site</h2>"},
        {"GEN0006.htm", "<h2>Program files and patterns</h2>"},
        {"GEN0007.htm", "<h2>Misc</h2>"},
        {"GEN0008.htm", "<h2>Themes</h2>"},
        {"GEN0009.htm", "<h2>Photos</h2>"},
    };
    for (const auto& [page, heading] : pages) {
        const std::string text = ReadFileBytes(std::string(MAVREN_BINARY_DIR "/Help/") + page);
        EXPECT_TRUE(Contains(text, heading)) << page;
        // A generated page, with the links of the help site.
        EXPECT_TRUE(Contains(text, "CONTENT=\"Mavren 1.0\"")) << page;
        EXPECT_TRUE(Contains(text, "INDEX000.HTM")) << page;
    }
    EXPECT_FALSE(fs::exists(MAVREN_BINARY_DIR "/Help/GEN0010.HTM"));
}
