#pragma once

// A source folder, a target folder and a program to generate from them, for tests of
// whole generation runs. Message boxes are scripted and the run's window records; the stop
// flag is cleared before and after each test.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "document/program.h"
#include "generate/generation_run.h"
#include "support/recording_receiver.h"
#include "support/test_support.h"

class SiteTest : public ::testing::Test {
  protected:
    SiteTest();
    ~SiteTest() override;

    // Copies a picture of examples/photos into the source folder, under another name if given.
    void AddExamplePhoto(const std::string& example, const std::string& name = "");

    // Writes a source file with exactly these bytes.
    void AddSource(const std::string& name, const std::string& bytes);

    // Runs the generation, reporting to window; what it did is then in summary.
    int Generate(int jobs = 1);

    // The names of the files of a folder, sorted; only those whose name ends in suffix.
    static std::vector<std::string> FileNames(const std::string& folder,
                                              const std::string& suffix = "");

    // Expects the target's pages to be exactly the golden ones of tests/generate/golden/name,
    // with no index.html beside them and every link of them leading to a file of the site.
    void ExpectGoldenSite(const std::string& name);

    std::string Page(const std::string& name) { return ReadFileBytes(target + "/" + name); }

    TempDir dir;
    std::string source = dir / "source";
    std::string target = dir / "site";
    Program program;
    GenerationSummary summary;
    ScopedScriptedBoxes boxes;
    std::shared_ptr<RecordingReceiver> window = std::make_shared<RecordingReceiver>();
    std::shared_ptr<StopFlag> stop = std::make_shared<StopFlag>();  // the runs' stop flag
};
