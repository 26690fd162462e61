#include "platform/registry.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <vector>

#include "platform/registry_store.h"
#include "support/isolated_home.h"
#include "support/test_support.h"

extern char** environ;

namespace {

const std::string kApp = kApplicationKey;
const std::string kNoKeyMessage = "Setting registry key failed.\n\nNo such file or directory";

mode_t ModeOf(const std::string& path) {
    struct stat status;
    EXPECT_EQ(::stat(path.c_str(), &status), 0) << path;
    return status.st_mode & 07777;
}

// Each test starts from a store that does not exist yet.
class Registry : public ::testing::Test {
  protected:
    TempDir config;
    ScopedEnvironmentVariable configHome{"XDG_CONFIG_HOME", config.path()};
    ScopedScriptedBoxes boxes;
    const std::string storePath = config / "Orvashi/Mavren 1.0/settings.ini";
};

TEST_F(Registry, AFreshStoreReadsEmptyAndReadsCreateNothing) {
    EXPECT_EQ(GetRegistryString(kApp, "LastOpenProgram", HKEY_CURRENT_USER), "");
    EXPECT_EQ(GetRegistryInt(kApp, "ActivePage"), 0);
    EXPECT_EQ(CountRegistrySubkeys(kApp), 0);
    EXPECT_EQ(CountRegistrySubkeys(""), 0);
    EXPECT_EQ(GetRegistrySubkeyName(kApp, 0), "");
    EXPECT_FALSE(std::filesystem::exists(config / "Orvashi"));
    EXPECT_TRUE(boxes->Texts().empty());
}

TEST_F(Registry, ApplicationKeyValuesCanBeWrittenOnAFreshStore) {
    EXPECT_TRUE(SetRegistryString(kApp, "LastProgDir", "/home/ann/Web", HKEY_CURRENT_USER).ok());
    EXPECT_TRUE(boxes->Texts().empty());
    EXPECT_EQ(GetRegistryString(kApp, "LastProgDir"), "/home/ann/Web");
    EXPECT_EQ(ModeOf(storePath), 0600u);
    EXPECT_EQ(ModeOf(config / "Orvashi/Mavren 1.0"), 0700u);
    // A person can read it.
    const std::string text = ReadFileBytes(storePath);
    EXPECT_NE(text.find("\n[Software\\Orvashi\\Mavren 1.0]\n\"LastProgDir\"=\"/home/ann/Web\"\n"),
              std::string::npos)
        << text;
}

TEST_F(Registry, WritingToAMissingKeyFailsWithWhyAndStoresNothing) {
    const Result written = SetRegistryString(kWindowPositionsKey, "Main", "1 2 3 4");
    EXPECT_EQ(written.kind(), Result::Kind::NotFound);
    EXPECT_EQ(RegistryStoreChangeFailedText(written), kNoKeyMessage);
    EXPECT_TRUE(RegistryStoreFailureToTell(written));
    EXPECT_TRUE(RegistryStoreFailureToTell(written)) << "told every time, unlike damage";
    EXPECT_EQ(GetRegistryString(kWindowPositionsKey, "Main"), "");
    EXPECT_FALSE(std::filesystem::exists(storePath)) << "a failed write writes nothing";

    EXPECT_TRUE(SetRegistryString(kApp, "LastProgDir", "/x").ok());
    for (const Result& missing : {SetRegistryInt(kApp + "\\Missing", "ActivePage", 2),
                                  SetRegistryString("Software\\Other", "Value", "x")}) {
        EXPECT_EQ(RegistryStoreChangeFailedText(missing), kNoKeyMessage);
    }
    EXPECT_TRUE(boxes->Texts().empty()) << "the store shows no box of its own";
}

TEST_F(Registry, CreatingAKeyPathCreatesEveryLevel) {
    EXPECT_TRUE(CreateRegistryKeyPath(kWindowPositionsKey).ok());
    const struct {
        std::string path;
        std::string child;
    } levels[] = {
        {"", "Software"},
        {"Software", "Orvashi"},
        {"Software\\Orvashi", "Mavren 1.0"},
        {kApp, "Window Positions"},
    };
    for (const auto& level : levels) {
        EXPECT_EQ(CountRegistrySubkeys(level.path), 1) << level.path;
        EXPECT_EQ(GetRegistrySubkeyName(level.path, 0), level.child) << level.path;
    }
    EXPECT_EQ(CountRegistrySubkeys(kWindowPositionsKey), 0);
    EXPECT_TRUE(SetRegistryString(kWindowPositionsKey, "Main", "1 2 3 4").ok());
    EXPECT_TRUE(boxes->Texts().empty());
    EXPECT_EQ(GetRegistryString(kWindowPositionsKey, "Main"), "1 2 3 4");
}

TEST_F(Registry, AKeyExistsWithoutValues) {
    EXPECT_TRUE(CreateRegistryKeyPath(kFtpProfilesKey + std::string("\\Home")).ok());
    EXPECT_TRUE(CreateRegistryKeyPath(kDontShowAgainKey).ok());
    // Read back through the file, as another process would.
    EXPECT_EQ(CountRegistrySubkeys(kFtpProfilesKey), 1);
    EXPECT_EQ(GetRegistrySubkeyName(kFtpProfilesKey, 0), "Home");
    EXPECT_EQ(CountRegistrySubkeys(kApp), 2);
    EXPECT_TRUE(SetRegistryString(kDontShowAgainKey, "Welcome", "1").ok());
    EXPECT_TRUE(boxes->Texts().empty());
}

TEST_F(Registry, KeyPathCreationStopsAtTheFirstEmptyOrInvalidName) {
    const struct {
        std::string path;
        std::vector<std::string> created;  // the chain of keys below the root
    } cases[] = {
        {"A\\\\B", {"A"}},
        {"A\\", {"A"}},
        {"\\A", {}},
        {"", {}},
        {"A\\B\\C", {"A", "B", "C"}},
        {"A\\bad\nname\\C", {"A"}},
        {"A\\" + std::string(1023, 'k') + "\\C", {"A", std::string(1023, 'k'), "C"}},
        {"A\\" + std::string(1024, 'k') + "\\C", {"A"}},
    };
    for (const auto& c : cases) {
        TempDir fresh;
        ScopedEnvironmentVariable home("XDG_CONFIG_HOME", fresh.path());
        EXPECT_TRUE(CreateRegistryKeyPath(c.path).ok());
        // Beside the chain there is only the application key, made by every write.
        EXPECT_EQ(CountRegistrySubkeys(""), c.created.empty() ? 1 : 2) << c.path.substr(0, 40);
        std::string path;
        for (const std::string& name : c.created) {
            EXPECT_EQ(GetRegistrySubkeyName(path, 0), name) << c.path.substr(0, 40);
            path += (path.empty() ? "" : "\\") + name;
        }
        if (!c.created.empty()) {
            EXPECT_EQ(CountRegistrySubkeys(path), 0) << c.path.substr(0, 40);
        }
    }
}

TEST_F(Registry, SubkeysAreListedByNameIgnoringCase) {
    for (const char* name : {"zeta", "Alpha", "beta", "Gamma"}) {
        EXPECT_TRUE(CreateRegistryKeyPath(std::string(kFtpProfilesKey) + "\\" + name).ok());
    }
    ASSERT_EQ(CountRegistrySubkeys(kFtpProfilesKey), 4);
    std::vector<std::string> names;
    for (int i = 0; i < 4; ++i) {
        names.push_back(GetRegistrySubkeyName(kFtpProfilesKey, i));
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Alpha", "beta", "Gamma", "zeta"}));
    EXPECT_EQ(GetRegistrySubkeyName(kFtpProfilesKey, 4), "") << "index equal to the count";
    EXPECT_EQ(GetRegistrySubkeyName(kFtpProfilesKey, -1), "");
    EXPECT_EQ(GetRegistrySubkeyName(kApp + "\\Missing", 0), "");
    EXPECT_EQ(CountRegistrySubkeys(kApp + "\\Missing"), 0);
}

TEST_F(Registry, NamesIgnoreLetterCaseAndKeepTheirFirstSpelling) {
    EXPECT_TRUE(CreateRegistryKeyPath(kWindowPositionsKey).ok());
    EXPECT_TRUE(
        SetRegistryString("software\\ORVASHI\\mavren 1.0\\window positions", "Main", "a").ok());
    EXPECT_TRUE(SetRegistryString(kWindowPositionsKey, "MAIN", "b").ok());
    EXPECT_TRUE(CreateRegistryKeyPath(kApp + "\\WINDOW POSITIONS\\Extra").ok());
    EXPECT_TRUE(boxes->Texts().empty());
    EXPECT_EQ(GetRegistryString(kWindowPositionsKey, "main"), "b");
    EXPECT_EQ(CountRegistrySubkeys(kApp), 1);
    EXPECT_EQ(GetRegistrySubkeyName(kApp, 0), "Window Positions");
    EXPECT_NE(ReadFileBytes(storePath).find("\"Main\"=\"b\""), std::string::npos);
}

TEST_F(Registry, DeletingRemovesTheSubkeyWithEverythingBelowIt) {
    const std::string home = std::string(kFtpProfilesKey) + "\\Home";
    EXPECT_TRUE(CreateRegistryKeyPath(home + "\\Nested").ok());
    EXPECT_TRUE(SetRegistryString(home, "Host", "ftp.example.com").ok());
    EXPECT_TRUE(CreateRegistryKeyPath(std::string(kFtpProfilesKey) + "\\Work").ok());

    EXPECT_TRUE(DeleteRegistryKey(kFtpProfilesKey, "home", HKEY_CURRENT_USER).ok());
    EXPECT_EQ(GetRegistryString(home, "Host"), "");
    EXPECT_EQ(CountRegistrySubkeys(kFtpProfilesKey), 1);
    EXPECT_EQ(GetRegistrySubkeyName(kFtpProfilesKey, 0), "Work");

    const struct {
        std::string parent;
        std::string name;
        const char* why;
    } missing[] = {
        {kFtpProfilesKey, "Home", "already gone"},
        {kApp + "\\Missing", "Work", "no parent"},
        {kFtpProfilesKey, "", "never the parent itself"},
    };
    for (const auto& m : missing) {
        EXPECT_EQ(DeleteRegistryKey(m.parent, m.name).kind(), Result::Kind::NotFound) << m.why;
    }
    EXPECT_EQ(CountRegistrySubkeys(kFtpProfilesKey), 1);

    EXPECT_TRUE(DeleteRegistryKey(kApp, "FTP Profiles\\Work").ok()) << "a name reaching down";
    EXPECT_EQ(CountRegistrySubkeys(kFtpProfilesKey), 0);
    EXPECT_EQ(CountRegistrySubkeys(kApp), 1);
    EXPECT_TRUE(boxes->Texts().empty());
}

TEST_F(Registry, NumbersAreStoredAsDecimalText) {
    EXPECT_TRUE(SetRegistryInt(kApp, "ActivePage", -5).ok());
    EXPECT_EQ(GetRegistryString(kApp, "ActivePage"), "-5");
    const struct {
        const char* text;
        int value;
    } cases[] = {
        {"", 0},
        {"42", 42},
        {"  -7 pages", -7},
        {"+3", 3},
        {"abc", 0},
        {"2147483647", INT_MAX},
        {"99999999999", INT_MAX},
        {"-99999999999", INT_MIN},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(SetRegistryString(kApp, "ActivePage", c.text).ok());
        EXPECT_EQ(GetRegistryInt(kApp, "ActivePage", HKEY_CURRENT_USER), c.value) << c.text;
    }
    EXPECT_TRUE(boxes->Texts().empty());
}

TEST_F(Registry, AnyTextRoundTrips) {
    const std::vector<std::pair<std::string, std::string>> values = {
        {"Plain", "C:/Sites/Cats"},
        {"Quotes and backslashes", "say \"hi\" \\ \\\\server\\share\\"},
        {"Lines", "one\ntwo\r\nthree\tfour\n"},
        {"Controls", std::string("\x01\x1b\x7f\0end", 7)},
        {"UTF-8", "Fotos \xC3\xA4\xC3\xB6\xC3\xBC \xE2\x82\xAC"},
        {"Looks like syntax", "[Software\\X]\n\"a\"=\"b\"\n; not a comment"},
        {"Empty", ""},
        {"", "the default value"},
        {"name with = and \"quotes\"\n", "x"},
    };
    const std::string key = std::string(kFtpProfilesKey) + "\\My ]site/; #1";
    EXPECT_TRUE(CreateRegistryKeyPath(key).ok());
    for (const auto& [name, text] : values) {
        EXPECT_TRUE(SetRegistryString(key, name, text).ok());
    }
    EXPECT_TRUE(boxes->Texts().empty());
    for (const auto& [name, text] : values) {
        EXPECT_EQ(GetRegistryString(key, name), text) << name;
    }
    EXPECT_EQ(GetRegistrySubkeyName(kFtpProfilesKey, 0), "My ]site/; #1");
}

TEST_F(Registry, ValuesHaveALimit) {
    const std::string longest(10239, 'v');
    EXPECT_TRUE(SetRegistryString(kApp, "Long", longest).ok());
    EXPECT_EQ(GetRegistryString(kApp, "Long"), longest);

    EXPECT_EQ(RegistryStoreChangeFailedText(SetRegistryString(kApp, "Long", longest + "v")),
              "Setting registry key failed.\n\nValue too large for defined data type");
    EXPECT_EQ(GetRegistryString(kApp, "Long"), longest) << "the old value stays";

    // One put there by hand reads as missing rather than cut short.
    WriteFileBytes(storePath, "[Software\\Orvashi\\Mavren 1.0]\n\"Long\"=\"" +
                                  std::string(10240, 'w') + "\"\n");
    EXPECT_EQ(GetRegistryString(kApp, "Long"), "");
}

TEST_F(Registry, AStoreThatCannotBeReadIsNeverOverwritten) {
    const std::string text = "[Software\\Orvashi\\Mavren 1.0]\n\"LastProgDir\"=\"/a\"\nrubbish\n";
    WriteFileBytes(storePath, text);
    EXPECT_EQ(GetRegistryString(kApp, "LastProgDir"), "");
    EXPECT_EQ(RegistryStoreChangeFailedText(SetRegistryString(kApp, "LastProgDir", "/b")),
              "Setting registry key failed.\n\n'" + storePath +
                  "' cannot be read, line 3: not a [key] line or a \"name\"=\"text\" line");
    EXPECT_EQ(DeleteRegistryKey("Software\\Orvashi", "Mavren 1.0").kind(),
              Result::Kind::DamagedInput);
    EXPECT_EQ(ReadFileBytes(storePath), text);
}

TEST_F(Registry, ADamagedStoreIsToldOnceAndThenLeftAloneQuietly) {
    const std::string text = "[Software\\Orvashi\\Mavren 1.0]\n\"LastProgDir\"=\"/a\n";
    WriteFileBytes(storePath, text);
    const Result checked = CheckRegistryStore();
    EXPECT_EQ(checked.kind(), Result::Kind::DamagedInput);
    EXPECT_EQ(RegistryStoreUnusableText(checked),
              "Mavren's settings cannot be used:\n\n'" + storePath +
                  "' cannot be read, line 2: the closing double quote is missing\n\nThe file is "
                  "left as it is, and no settings are saved until it is mended or removed.");
    EXPECT_TRUE(RegistryStoreFailureToTell(checked));
    EXPECT_FALSE(RegistryStoreFailureToTell(CheckRegistryStore())) << "told once";
    EXPECT_FALSE(RegistryStoreFailureToTell(SetRegistryString(kApp, "LastProgDir", "/b")));
    EXPECT_FALSE(CreateRegistryKeyPath(kWindowPositionsKey).ok());
    EXPECT_EQ(ReadFileBytes(storePath), text);

    std::filesystem::remove(storePath);
    EXPECT_TRUE(CheckRegistryStore().ok()) << "no file is an empty store";

    // Damaged while the program runs: the first write that meets it says so, no other.
    const std::string later = "[Software\\Orvashi\\Mavren 1.0]\n\"LastProgDir\"\n";
    WriteFileBytes(storePath, later);
    const Result first = SetRegistryString(kApp, "LastProgDir", "/c");
    EXPECT_TRUE(RegistryStoreFailureToTell(first));
    EXPECT_NE(RegistryStoreChangeFailedText(first).find("Setting registry key failed.\n\n'" +
                                                        storePath + "' cannot be read, line 2:"),
              std::string::npos)
        << first.text();
    EXPECT_FALSE(RegistryStoreFailureToTell(SetRegistryString(kApp, "LastOpenProgram", "/c.mav")));
    EXPECT_EQ(ReadFileBytes(storePath), later);
    EXPECT_TRUE(boxes->Texts().empty()) << "the store shows no box of its own";
}

TEST_F(Registry, TheStoreIsKeptPrivate) {
    EXPECT_TRUE(SetRegistryString(kApp, "LastProgDir", "/a").ok());
    ASSERT_EQ(::chmod(storePath.c_str(), 0644), 0);
    EXPECT_TRUE(SetRegistryString(kApp, "LastProgDir", "/b").ok());
    EXPECT_EQ(ModeOf(storePath), 0600u);
    // A write that changes nothing still closes it.
    ASSERT_EQ(::chmod(storePath.c_str(), 0640), 0);
    EXPECT_TRUE(CreateRegistryKeyPath(kApp).ok());
    EXPECT_EQ(ModeOf(storePath), 0600u);
    EXPECT_EQ(GetRegistryString(kApp, "LastProgDir"), "/b");
}

TEST_F(Registry, TheStoreFollowsTheConfigurationFolder) {
    EXPECT_TRUE(SetRegistryString(kApp, "Where", "config").ok());
    EXPECT_TRUE(std::filesystem::exists(storePath));

    TempDir home;
    ScopedEnvironmentVariable homeVariable("HOME", home.path());
    const std::string fallback = home / ".config/Orvashi/Mavren 1.0/settings.ini";
    {
        ScopedEnvironmentVariable unset("XDG_CONFIG_HOME", std::nullopt);
        EXPECT_EQ(RegistryStorePath(), fallback);
        EXPECT_EQ(GetRegistryString(kApp, "Where"), "");
        EXPECT_TRUE(SetRegistryString(kApp, "Where", "home").ok());
        EXPECT_TRUE(std::filesystem::exists(fallback));
    }
    {
        ScopedEnvironmentVariable relative("XDG_CONFIG_HOME", "relative/config");
        EXPECT_EQ(RegistryStorePath(), fallback) << "relative folders are ignored";
        EXPECT_EQ(GetRegistryString(kApp, "Where"), "home");
    }
    EXPECT_EQ(GetRegistryString(kApp, "Where"), "config");
}

// Starts the writer helper with the read end of a pipe as its standard input; it
// begins when the pipe closes.
pid_t StartWriter(const std::string& prefix, int count, int input) {
    std::string program = MAVREN_REGISTRY_WRITER;
    std::string prefixText = prefix;
    std::string countText = std::to_string(count);
    char* args[] = {program.data(), prefixText.data(), countText.data(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input, 0);
    pid_t pid = -1;
    EXPECT_EQ(posix_spawn(&pid, program.c_str(), &actions, nullptr, args, environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

TEST_F(Registry, TwoProcessesWritingAtOnceLoseNothing) {
    constexpr int kCount = 500;
    int gate[2];
    ASSERT_EQ(::pipe2(gate, O_CLOEXEC), 0);
    const pid_t first = StartWriter("first-", kCount, gate[0]);
    const pid_t second = StartWriter("second-", kCount, gate[0]);
    ::close(gate[0]);
    ::close(gate[1]);  // both start now
    for (const pid_t pid : {first, second}) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    const std::string key = kApp + "\\Race";
    EXPECT_EQ(CountRegistrySubkeys(kApp), 1);
    int lost = 0;
    for (const std::string prefix : {"first-", "second-"}) {
        for (int i = 0; i < kCount; ++i) {
            const std::string index = std::to_string(i);
            if (GetRegistryString(key, prefix + index) != "value " + index + " of " + prefix) {
                ++lost;
            }
        }
    }
    EXPECT_EQ(lost, 0);
}

}  // namespace
