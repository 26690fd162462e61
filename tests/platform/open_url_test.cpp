#include "platform/open_url.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <thread>

#include "platform/registry.h"
#include "support/isolated_home.h"
#include "support/test_support.h"

namespace {

const std::string kUrl = "file:///home/ann/site/INDEX000.HTM";

// Hands out the programs a test lined up, then cancels.
class FakeChooser : public BrowserChooser {
  public:
    explicit FakeChooser(std::vector<std::string> picks) : picks(std::move(picks)) {}
    std::string ChooseBrowser() override {
        ++calls;
        if (picks.empty()) {
            return {};
        }
        std::string pick = picks.front();
        picks.erase(picks.begin());
        return pick;
    }
    void PickNotStored(const Result& stored) override {
        ADD_FAILURE() << "the test's own store takes every pick: " << stored.text();
    }
    std::vector<std::string> picks;
    int calls = 0;
};

std::string Question(const std::string& url, const std::string& how, const std::string& reason) {
    return "Could not open \"" + url + "\"\n" + how + "\n\nReason: " + reason +
           "\n\nDo you want to locate a browser to display this URL?";
}

// A search path whose xdg-open is a script of the test's, and a settings store of its own.
class OpenUrlTest : public ::testing::Test {
  protected:
    ~OpenUrlTest() override { SetBrowserChooser(previousChooser); }

    // A program that records its arguments in <name>.args, then runs the shell text
    // in tail.
    std::string Script(const std::string& name, const std::string& tail = "exit 0") {
        const std::string path = bin / name;
        WriteFileBytes(
            path, "#!/bin/sh\n{ echo \"$#\"; for a in \"$@\"; do echo \"$a\"; done; } > \"" + path +
                      ".args\"\n" + tail + "\n");
        EXPECT_EQ(::chmod(path.c_str(), 0755), 0);
        return path;
    }
    // What the program was started with: the count, then each argument, one a line.
    std::string ArgumentsOf(const std::string& path) {
        return std::filesystem::exists(path + ".args") ? ReadFileBytes(path + ".args") : "";
    }
    std::shared_ptr<FakeChooser> InstallChooser(std::vector<std::string> picks) {
        auto chooser = std::make_shared<FakeChooser>(std::move(picks));
        SetBrowserChooser(chooser);
        return chooser;
    }

    TempDir bin;
    TempDir config;
    ScopedEnvironmentVariable path{"PATH", bin.path() + ":/usr/bin:/bin"};
    ScopedEnvironmentVariable configHome{"XDG_CONFIG_HOME", config.path()};
    ScopedScriptedBoxes boxes;
    std::shared_ptr<BrowserChooser> previousChooser = SetBrowserChooser(nullptr);
};

TEST_F(OpenUrlTest, WithoutAHandlerTheDesktopDefaultOpensTheUrl) {
    const std::string xdgOpen = Script("xdg-open");
    EXPECT_TRUE(OpenUrlAndWait(kUrl));
    EXPECT_EQ(ArgumentsOf(xdgOpen), "1\n" + kUrl + "\n");
    EXPECT_TRUE(boxes->Texts().empty());
}

TEST_F(OpenUrlTest, TheStoredHandlerGetsTheUrlAsItsOneArgument) {
    const std::string xdgOpen = Script("xdg-open");
    const std::string browser = Script("my browser");
    EXPECT_TRUE(SetRegistryString(kApplicationKey, "URLHandler", browser).ok());
    const std::string url = "http://example.com/a b?x=1&y=\"2\"";
    EXPECT_TRUE(OpenUrlAndWait(url));
    EXPECT_EQ(ArgumentsOf(browser), "1\n" + url + "\n");
    EXPECT_EQ(ArgumentsOf(xdgOpen), "") << "xdg-open was not asked";
    EXPECT_TRUE(boxes->Texts().empty());
}

TEST_F(OpenUrlTest, APathThatLooksLikeAnOptionStaysAPath) {
    const std::string xdgOpen = Script("xdg-open");
    EXPECT_TRUE(OpenUrlAndWait("-index.htm"));
    EXPECT_EQ(ArgumentsOf(xdgOpen), "1\n./-index.htm\n");
}

TEST_F(OpenUrlTest, AFailedStartAsksWithTheReason) {
    const std::string notExecutable = bin / "plain-file";
    WriteFileBytes(notExecutable, "#!/bin/sh\n");
    const struct {
        std::string handler;  // empty: xdg-open
        std::string xdgOpen;  // the fake xdg-open's shell text; empty: none on the path
        std::string how;
        std::string reason;
    } cases[] = {
        {"/nonexistent/browser", "", "using \"/nonexistent/browser\"", "No such file or directory"},
        {notExecutable, "", "using \"" + notExecutable + "\"", "Permission denied"},
        {bin.path(), "", "using \"" + bin.path() + "\"", "Permission denied"},
        {"", "exit 3", "using your default browser", "A required tool could not be found."},
        {"", "exit 4", "using your default browser", "The action failed."},
        {"", "exit 9", "using your default browser", "xdg-open ended with exit status 9"},
        {bin / "failing", "", "using \"" + bin / "failing" + "\"",
         bin / "failing" + " ended with exit status 3"},
        {bin / "killed", "", "using \"" + bin / "killed" + "\"",
         bin / "killed" + " was ended by signal 9 (Killed)"},
    };
    Script("failing", "exit 3");
    Script("killed", "kill -9 $$");
    for (const auto& c : cases) {
        std::filesystem::remove(bin / "xdg-open");
        if (!c.xdgOpen.empty()) {
            Script("xdg-open", c.xdgOpen);
        }
        EXPECT_TRUE(SetRegistryString(kApplicationKey, "URLHandler", c.handler).ok());
        ScopedScriptedBoxes asked;
        EXPECT_FALSE(OpenUrlAndWait(kUrl)) << "No was the answer";
        ASSERT_EQ(asked->Boxes().size(), 1u) << c.reason;
        EXPECT_EQ(asked->Boxes()[0].text, Question(kUrl, c.how, c.reason));
        EXPECT_EQ(asked->Boxes()[0].flags, MB_YESNO | MB_ICONQUESTION);
    }
}

TEST_F(OpenUrlTest, WithoutXdgOpenTheDefaultBrowserCannotBeStarted) {
    ScopedEnvironmentVariable emptyPath("PATH", bin.path());
    EXPECT_FALSE(OpenUrlAndWait(kUrl));
    EXPECT_EQ(boxes->Texts(), std::vector<std::string>{Question(kUrl, "using your default browser",
                                                                "No such file or directory")});
}

TEST_F(OpenUrlTest, NoOrACancelledPickEndsItAndKeepsTheOldHandler) {
    EXPECT_TRUE(SetRegistryString(kApplicationKey, "URLHandler", "/nonexistent/browser").ok());
    const struct {
        int answer;
        std::vector<std::string> picks;
        int choices;  // times the chooser is asked
    } cases[] = {{IDNO, {Script("good")}, 0}, {IDYES, {}, 1}};
    for (const auto& c : cases) {
        const auto chooser = InstallChooser(c.picks);
        ScopedScriptedBoxes asked;
        asked->QueueAnswer(c.answer);
        EXPECT_FALSE(OpenUrlAndWait(kUrl));
        EXPECT_EQ(asked->Texts().size(), 1u);
        EXPECT_EQ(chooser->calls, c.choices);
        EXPECT_EQ(GetRegistryString(kApplicationKey, "URLHandler"), "/nonexistent/browser");
    }
}

TEST_F(OpenUrlTest, ABrowserPickedAfterYesIsStoredAndOpensTheUrl) {
    Script("xdg-open", "exit 3");
    const std::string good = Script("good");
    const auto chooser = InstallChooser({good});
    boxes->QueueAnswer(IDYES);
    EXPECT_TRUE(OpenUrlAndWait(kUrl));
    EXPECT_EQ(chooser->calls, 1);
    EXPECT_EQ(GetRegistryString(kApplicationKey, "URLHandler"), good);
    EXPECT_EQ(ArgumentsOf(good), "1\n" + kUrl + "\n");
    EXPECT_EQ(boxes->Texts().size(), 1u);

    // Kept for the next time: no question at all.
    std::filesystem::remove(good + ".args");
    ScopedScriptedBoxes again;
    EXPECT_TRUE(OpenUrlAndWait(kUrl));
    EXPECT_EQ(ArgumentsOf(good), "1\n" + kUrl + "\n");
    EXPECT_TRUE(again->Texts().empty());
}

TEST_F(OpenUrlTest, APickThatFailsTooIsAskedAboutAgainAndNotStored) {
    Script("xdg-open", "exit 4");
    const std::string bad = Script("bad", "exit 1");
    const struct {
        std::string stored;  // URLHandler before; empty: xdg-open
        std::string how;
        std::string reason;
    } cases[] = {
        {"", "using your default browser", "The action failed."},
        {"/nonexistent/browser", "using \"/nonexistent/browser\"", "No such file or directory"},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(SetRegistryString(kApplicationKey, "URLHandler", c.stored).ok());
        const auto chooser = InstallChooser({bad});
        ScopedScriptedBoxes asked;
        asked->QueueAnswer(IDYES);
        asked->QueueAnswer(IDNO);
        EXPECT_FALSE(OpenUrlAndWait(kUrl));
        EXPECT_EQ(asked->Texts(),
                  (std::vector<std::string>{
                      Question(kUrl, c.how, c.reason),
                      Question(kUrl, "using \"" + bad + "\"", bad + " ended with exit status 1")}));
        EXPECT_EQ(ArgumentsOf(bad), "1\n" + kUrl + "\n");
        EXPECT_EQ(GetRegistryString(kApplicationKey, "URLHandler"), c.stored)
            << "a browser that did not start is not remembered";
    }
}

TEST_F(OpenUrlTest, ABrowserThatKeepsRunningHasStarted) {
    const std::string pidFile = bin / "browser.pid";
    const std::string browser =
        Script("browser", "echo $$ > \"" + pidFile + ".part\"\nmv \"" + pidFile + ".part\" \"" +
                              pidFile + "\"\nexec sleep 60");
    EXPECT_TRUE(SetRegistryString(kApplicationKey, "URLHandler", browser).ok());
    EXPECT_TRUE(OpenUrlAndWait(kUrl, std::chrono::milliseconds(100)));
    EXPECT_TRUE(boxes->Texts().empty());
    // So short a window may close before the browser has written its process id.
    for (int i = 0; i < 1000 && !std::filesystem::exists(pidFile); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    const pid_t pid = std::stoi(ReadFileBytes(pidFile));
    EXPECT_EQ(::kill(pid, 0), 0) << "still running when the call returned";
    ::kill(pid, SIGTERM);
}

// Records the thread each box is shown on and answers No.
class ThreadRecordingBoxes : public MessageBoxBackend {
  public:
    int Show(const std::string&, unsigned flags) override {
        std::lock_guard lock(mutex);
        threads.push_back(std::this_thread::get_id());
        shown.notify_all();
        return NegativeAnswer(flags);
    }
    std::mutex mutex;
    std::condition_variable shown;
    std::vector<std::thread::id> threads;
};

TEST_F(OpenUrlTest, OpenUrlLeavesTheWorkToAnotherThread) {
    EXPECT_TRUE(SetRegistryString(kApplicationKey, "URLHandler", "/nonexistent/browser").ok());
    auto recording = std::make_shared<ThreadRecordingBoxes>();
    const auto previous = SetMessageBoxBackend(recording);
    EXPECT_TRUE(OpenUrl(kUrl));
    {
        std::unique_lock lock(recording->mutex);
        ASSERT_TRUE(recording->shown.wait_for(lock, std::chrono::seconds(30),
                                              [&] { return !recording->threads.empty(); }));
        EXPECT_NE(recording->threads[0], std::this_thread::get_id());
    }
    SetMessageBoxBackend(previous);
}

}  // namespace
