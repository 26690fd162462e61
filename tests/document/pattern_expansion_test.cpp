#include "document/pattern_expansion.h"

#include <gtest/gtest.h>

#include "platform/date_time.h"
#include "platform/paths.h"
#include "support/test_support.h"

namespace {

using K = ProgramKey;

class Patterns : public ::testing::Test {
  protected:
    std::string Expand(const std::string& pattern, const std::string& subject, int width = 0,
                       int height = 0) {
        program.SetString(K::IndexPageTitle, pattern);
        return ExpandPattern(program, K::IndexPageTitle, subject, width, height);
    }

    TempDir dir;
    Program program;
};

TEST_F(Patterns, FolderAndNameCodes) {
    EXPECT_EQ(Expand("Files from %P", "/Web/Trip/INDEX000.HTM"), "Files from /Web/Trip");
    EXPECT_EQ(Expand("Files from %P", "/INDEX000.HTM"), "Files from ");
    EXPECT_EQ(Expand("%F", "/Web/Trip/a.jpg"), "a.jpg");
}

TEST_F(Patterns, ImageSizeOrNotAnImage) {
    EXPECT_EQ(Expand("%F %W", "/p/a.jpg", 640, 480), "a.jpg 640 x 480");
    EXPECT_EQ(Expand("%F %W", "/p/a.txt"), "a.txt Not an image");
    EXPECT_EQ(Expand("%W", "/p/a.jpg", 640, 0), "Not an image");
}

TEST_F(Patterns, SizeRoundsDownToKilobytesAndDateIsTheFileDate) {
    const std::string big = dir / "big.bin";
    const std::string small = dir / "small.bin";
    WriteFileBytes(big, std::string(1536, 'x'));
    WriteFileBytes(small, std::string(1023, 'x'));
    SetModificationTime(big, 1700000000);
    EXPECT_EQ(Expand("%S", big), "1KB");
    EXPECT_EQ(Expand("%S", small), "0KB");
    EXPECT_EQ(Expand("%D", big), FormatShortDate(1700000000));
    EXPECT_EQ(FormatShortDate(1700000000).size(), 8u);
    EXPECT_EQ(Expand("%D/%S", dir / "missing"), "unknown/unknown");
}

TEST_F(Patterns, DoubledPercentIsOnePercentAndNotACode) {
    EXPECT_EQ(Expand("100%% %F", "/p/a.jpg"), "100% a.jpg");
    EXPECT_EQ(Expand("%%F", "/p/a.jpg"), "%F");
    EXPECT_EQ(Expand("%%%F", "/p/a.jpg"), "%a.jpg");
    EXPECT_EQ(Expand("%f %p %x", "/p/a.jpg"), "%f %p %x") << "lower case is no code";
}

TEST_F(Patterns, LaterCodesAreReplacedInsideEarlierReplacements) {
    // "%F" brings in a name holding "%W", which the later "%W" step replaces.
    EXPECT_EQ(Expand("%F", "/p/x%W.jpg", 2, 3), "x2 x 3.jpg");
    // "%P" comes after "%F", so a "%P" in the name is replaced by the folder.
    EXPECT_EQ(Expand("%F", "/p/q%P.jpg"), "q/p.jpg");
    // "%D" runs first, so a "%D" brought in by the name stays.
    EXPECT_EQ(Expand("%F", "/p/%D.jpg"), "%D.jpg");
}

TEST_F(Patterns, CameraCodesWithAndWithoutFacts) {
    const std::string photo = dir / "a.jpg";
    WriteFileBytes(photo, "x");
    SetModificationTime(photo, 1700000000);
    const std::string fileDate = FormatShortDate(1700000000);
    PhotoFacts facts;
    ASSERT_TRUE(ParseOleDate("07/04/2021 10:20:30", facts.taken));
    facts.camera = "Canon <R6>";
    facts.exposure = "1/250 s, f/8";
    PhotoFacts undated = facts;
    undated.taken = 0;
    const struct Case {
        std::string pattern;
        const PhotoFacts* facts;
        std::string expected;
    } cases[] = {
        {"%T|%C|%E", &facts, "07/04/21|Canon &lt;R6&gt;|1/250 s, f/8"},
        {"%T|%C|%E", &undated, fileDate + "|Canon &lt;R6&gt;|1/250 s, f/8"},
        {"%T|%C|%E", nullptr, fileDate + "||"},
        {"%%T %%C %%E", &facts, "%T %C %E"},
        {"%D %t", &facts, fileDate + " %t"},
    };
    const auto escape = [](std::string_view text) {
        return ReplaceAll(ReplaceAll(text, "<", "&lt;"), ">", "&gt;");
    };
    for (const Case& c : cases) {
        program.SetString(K::ContentPageTitle, c.pattern);
        EXPECT_EQ(ExpandPattern(program, K::ContentPageTitle, photo, 0, 0, escape, c.facts),
                  c.expected)
            << c.pattern;
    }
}

TEST(PatternUsesPhotoFacts, OnlyTheCameraCodes) {
    const struct Case {
        std::string pattern;
        bool uses;
    } cases[] = {
        {"%T", true},        {"Shot on %C", true}, {"100%%%E", true}, {"%%T %%C %%E", false},
        {"%D %F %W", false}, {"%t %c %e", false},  {"%", false},      {"", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PatternUsesPhotoFacts(c.pattern), c.uses) << c.pattern;
    }
}

TEST_F(Patterns, EmptyPatternIsEmptyEvenForMissingFiles) {
    EXPECT_EQ(Expand("", "/no/such/file"), "");
    program.SetString(K::ContentPageTitle, "%F");
    EXPECT_EQ(ExpandPattern(program, K::ContentPageTitle, "/x/y.txt", 0, 0), "y.txt");
}

TEST_F(Patterns, FilterChangesOnlyTheSubstitutedTexts) {
    program.SetString(K::IndexThumbnailCustomLabel, "<b>%F</b> in %P");
    const auto shout = [](std::string_view text) {
        std::string upper(text);
        for (char& c : upper) {
            c = c == '<' ? '[' : c;
        }
        return upper;
    };
    EXPECT_EQ(ExpandPattern(program, K::IndexThumbnailCustomLabel, "/<p>/<a>.jpg", 0, 0, shout),
              "<b>[a>.jpg</b> in /[p>");
}

}  // namespace
