#include "site_fixture.h"

#include <algorithm>
#include <filesystem>

#include "platform/app_folders.h"
#include "support/site_links.h"

namespace fs = std::filesystem;

namespace {

// Where two texts first differ, with a little of each around it.
std::string FirstDifference(const std::string& expected, const std::string& actual) {
    std::size_t at = 0;
    while (at < expected.size() && at < actual.size() && expected[at] == actual[at]) {
        ++at;
    }
    const std::size_t from = at > 40 ? at - 40 : 0;
    auto show = [from](const std::string& text) {
        std::string shown;
        for (const char c : text.substr(from, 100)) {
            shown += c == '\r'   ? std::string("\\r")
                     : c == '\n' ? std::string("\\n\n")
                                 : std::string(1, c);
        }
        return shown;
    };
    return "first difference at byte " + std::to_string(at) + "\n--- expected:\n" + show(expected) +
           "\n--- generated:\n" + show(actual);
}

}  // namespace

SiteTest::SiteTest() {
    SetExecutableFolder(MAVREN_SOURCE_DIR "/resources");
    fs::create_directories(source);
    program.ApplyDefaults();
    program.SetString(ProgramKey::SourceDir, source);
    program.SetString(ProgramKey::TargetDir, target);
    program.SetString(ProgramKey::SourceFileExtension, "*.jpg;*.png;*.gif");
}

SiteTest::~SiteTest() = default;

void SiteTest::AddExamplePhoto(const std::string& example, const std::string& name) {
    const std::string path = source + "/" + (name.empty() ? example : name);
    fs::copy_file(MAVREN_SOURCE_DIR "/examples/photos/" + example, path,
                  fs::copy_options::overwrite_existing);
    // Older than anything a run writes, as a photo of some days ago is.
    SetModificationTime(path, 1700000000);
}

void SiteTest::AddSource(const std::string& name, const std::string& bytes) {
    WriteFileBytes(source + "/" + name, bytes);
}

int SiteTest::Generate(int jobs) {
    GenerationOptions options;
    options.jobs = jobs;
    options.summary = &summary;
    options.window = window;
    options.stop = stop;
    const Expected<int> ran = RunGeneration(1, program, options);
    return ran.ok() ? *ran : kRunFailed;
}

std::vector<std::string> SiteTest::FileNames(const std::string& folder, const std::string& suffix) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        if (name.size() >= suffix.size() &&
            name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) {
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

void SiteTest::ExpectGoldenSite(const std::string& name) {
    const std::string golden = MAVREN_SOURCE_DIR "/tests/generate/golden/" + name;
    const std::vector<std::string> expectedPages = FileNames(golden, ".HTM");
    ASSERT_FALSE(expectedPages.empty()) << golden;
    EXPECT_EQ(FileNames(target, ".HTM"), expectedPages);
    for (const std::string& page : expectedPages) {
        const std::string expected = ReadFileBytes(golden + "/" + page);
        const std::string actual = ReadFileBytes(target + "/" + page);
        EXPECT_TRUE(expected == actual)
            << name << "/" << page << ": " << FirstDifference(expected, actual);
    }
    EXPECT_FALSE(fs::exists(target + "/index.html")) << "not asked for";
    EXPECT_EQ(BrokenSiteLinks(target), std::vector<std::string>()) << name;
}
