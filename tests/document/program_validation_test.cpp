#include <gtest/gtest.h>

#include "document/program.h"

namespace {

using K = ProgramKey;

// Validate's verdict, with its lines in messages (empty when valid).
bool Valid(const Program& program, std::string& messages) {
    const Result valid = program.Validate();
    messages = valid.text();
    return valid.ok();
}

class Validation : public ::testing::Test {
  protected:
    void SetUp() override {
        program.ApplyDefaults();
        program.SetString(K::SourceDir, "/src");
        program.SetString(K::TargetDir, "/dst");
    }
    Program program;
    std::string messages = "stale text";
};

TEST_F(Validation, DefaultProgramLacksBothFoldersSourceFirst) {
    Program fresh;
    fresh.ApplyDefaults();
    EXPECT_FALSE(Valid(fresh, messages));
    EXPECT_EQ(messages,
              "  No source directory specified\n"
              "  No target directory specified\n");
}

TEST_F(Validation, ValidProgramEmptiesTheMessages) {
    EXPECT_TRUE(Valid(program, messages));
    EXPECT_EQ(messages, "");
    program.SetString(K::SourceDir, " ");  // blanks are not empty
    EXPECT_TRUE(Valid(program, messages));
}

TEST_F(Validation, LimitsAreInclusiveAndReportedWithTheirBounds) {
    struct Case {
        K key;
        int value;
        const char* expected;
    } cases[] = {
        {K::ThumbnailSize, 9, "  Thumbnail size of 9 exceeds limits (min: 10; max 1000)\n"},
        {K::ThumbnailSize, 10, ""},
        {K::ThumbnailSize, 1000, ""},
        {K::ThumbnailSize, 1001, "  Thumbnail size of 1001 exceeds limits (min: 10; max 1000)\n"},
        {K::IndexThumbnailsAcross, 0,
         "  Thumbnails across of 0 exceeds limits (min: 1; max 1000)\n"},
        {K::IndexThumbnailsAcross, 1, ""},
        {K::IndexThumbnailsDown, 1001,
         "  Thumbnails down of 1001 exceeds limits (min: 1; max 1000)\n"},
        {K::IndexThumbnailsDown, -5, "  Thumbnails down of -5 exceeds limits (min: 1; max 1000)\n"},
    };
    for (const Case& c : cases) {
        Program p;
        p.ApplyDefaults();
        p.SetString(K::SourceDir, "/src");
        p.SetString(K::TargetDir, "/dst");
        p.SetInt(K::GenerateThumbnails, 0);  // checked whether or not thumbnails are on
        p.SetInt(c.key, c.value);
        EXPECT_EQ(Valid(p, messages), c.expected[0] == '\0');
        EXPECT_EQ(messages, c.expected);
    }
}

TEST_F(Validation, EveryFailedCheckIsListedInTheOrderTheChecksRun) {
    Program p;
    p.ApplyDefaults();
    p.SetInt(K::GenerateIndexPage, 0);
    p.SetInt(K::GenerateContentPages, 0);
    p.SetInt(K::ThumbnailSize, 5);
    p.SetInt(K::IndexThumbnailsAcross, 0);
    p.SetInt(K::IndexThumbnailsDown, 1001);
    EXPECT_FALSE(Valid(p, messages));
    EXPECT_EQ(messages,
              "  No source directory specified\n"
              "  No target directory specified\n"
              "  Neither index nor content generation enabled\n"
              "  Thumbnail size of 5 exceeds limits (min: 10; max 1000)\n"
              "  Thumbnails across of 0 exceeds limits (min: 1; max 1000)\n"
              "  Thumbnails down of 1001 exceeds limits (min: 1; max 1000)\n");
}

TEST_F(Validation, OneKindOfPageIsEnough) {
    program.SetInt(K::GenerateIndexPage, 0);
    EXPECT_TRUE(Valid(program, messages));
    program.SetInt(K::GenerateIndexPage, 1);
    program.SetInt(K::GenerateContentPages, 0);
    EXPECT_TRUE(Valid(program, messages));
}

}  // namespace
