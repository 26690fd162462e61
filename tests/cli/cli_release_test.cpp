// What a release shows of itself: one version in the programs and the Debian package, and
// manual pages that name every command and option the programs' own help names.

#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "support/run_program.h"
#include "support/test_support.h"

namespace {

const std::string kCliManual = MAVREN_SOURCE_DIR "/docs/man/mavren-cli.1.scd";
const std::string kDesktopManual = MAVREN_SOURCE_DIR "/docs/man/mavren.1.scd";

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        lines.push_back(line);
    }
    return lines;
}

// The long options a text names: "--jobs", "--password-stdin".
std::set<std::string> Options(const std::string& text) {
    static const std::regex option("--[a-z][a-z-]*");
    std::set<std::string> found;
    for (std::sregex_iterator it(text.begin(), text.end(), option), end; it != end; ++it) {
        found.insert(it->str());
    }
    return found;
}

bool NamesOption(const std::string& text, const std::string& option) {
    return Options(text).count(option) != 0;
}

// The manual's sections by heading ("# OPTIONS", "## generate"), each with its text.
std::map<std::string, std::string> Sections(const std::string& manual) {
    std::map<std::string, std::string> sections;
    std::string heading;
    for (const std::string& line : Lines(manual)) {
        if (line.starts_with("#")) {
            heading = line;
        } else {
            sections[heading] += line + "\n";
        }
    }
    return sections;
}

std::string Help(const std::string& program, const std::vector<std::string>& arguments) {
    const ProgramRun run = RunProgram(program, arguments);
    EXPECT_EQ(run.status, 0) << run.err;
    return run.out;
}

// The commands "mavren-cli --help" lists: the lines under "Commands:" up to a blank one.
std::vector<std::string> ListedCommands() {
    std::vector<std::string> commands;
    bool listing = false;
    for (const std::string& line : Lines(Help(MAVREN_CLI, {"--help"}))) {
        if (line == "Commands:") {
            listing = true;
        } else if (listing && line.empty()) {
            break;
        } else if (listing) {
            commands.push_back(line.substr(2, line.find(' ', 2) - 2));
        }
    }
    return commands;
}

}  // namespace

TEST(Release, EveryProgramShowsTheVersionTheBuildSets) {
    const std::string licence =
        "Free software under the GNU General Public License, version 2 or later, with no "
        "warranty.\n";
    EXPECT_EQ(Help(MAVREN_CLI, {"--version"}), "mavren-cli " MAVREN_VERSION "\n" + licence);
    EXPECT_EQ(Help(MAVREN_GUI, {"--version"}), "mavren " MAVREN_VERSION "\n" + licence);
    const std::string changelog = ReadFileBytes(MAVREN_SOURCE_DIR "/debian/changelog");
    EXPECT_TRUE(changelog.starts_with("mavren (" MAVREN_VERSION ") "))
        << "debian/changelog's first entry must be version " MAVREN_VERSION;
}

TEST(Release, TheManualNamesEveryCommandAndOption) {
    const std::vector<std::string> commands = ListedCommands();
    ASSERT_GE(commands.size(), 8u);
    const std::map<std::string, std::string> cli = Sections(ReadFileBytes(kCliManual));
    const std::map<std::string, std::string> desktop = Sections(ReadFileBytes(kDesktopManual));
    std::vector<std::string> missing;
    const auto require = [&missing](const std::map<std::string, std::string>& sections,
                                    const std::string& heading, const std::string& option,
                                    const std::string& what) {
        const auto section = sections.find(heading);
        if (section == sections.end()) {
            missing.push_back(what + ": the manual has no section \"" + heading + "\"");
        } else if (!NamesOption(section->second, option)) {
            missing.push_back(what + ": not in the manual's section \"" + heading + "\"");
        }
    };

    for (const std::string& option : Options(Help(MAVREN_CLI, {"--help"}))) {
        require(cli, "# OPTIONS", option, "mavren-cli " + option);
    }
    for (const std::string& command : commands) {
        const std::string heading = "## " + command;
        if (cli.count(heading) == 0) {
            missing.push_back("mavren-cli " + command + ": the manual has no section \"" + heading +
                              "\"");
            continue;
        }
        const std::string help = Help(MAVREN_CLI, {command, "--help"});
        for (const std::string& option : Options(help)) {
            require(cli, heading, option, "mavren-cli " + command + " " + option);
        }
        // Actions of a command ("  profile add NAME ..."): "profile add" in its section.
        for (const std::string& line : Lines(help)) {
            const std::string prefix = "  " + command + " ";
            if (line.starts_with(prefix)) {
                const std::string action =
                    line.substr(prefix.size(), line.find(' ', prefix.size()) - prefix.size());
                if (cli.at(heading).find(command + " " + action + "*") == std::string::npos &&
                    cli.at(heading).find("*" + action + "*") == std::string::npos) {
                    missing.push_back("mavren-cli " + command + " " + action +
                                      ": not in the manual's section \"" + heading + "\"");
                }
            }
        }
    }
    for (const std::string& option : Options(Help(MAVREN_GUI, {"--help"}))) {
        require(desktop, "# OPTIONS", option, "mavren " + option);
    }
    for (const std::string& what : missing) {
        ADD_FAILURE() << what;
    }
}

TEST(Release, TheManualCatchesAMissingOption) {
    const std::map<std::string, std::string> sections =
        Sections("# COMMANDS\n## upload\n*--profile* _NAME_ and *--password-stdin*\n");
    EXPECT_TRUE(NamesOption(sections.at("## upload"), "--profile"));
    EXPECT_TRUE(NamesOption(sections.at("## upload"), "--password-stdin"));
    EXPECT_FALSE(NamesOption(sections.at("## upload"), "--password"));
    EXPECT_FALSE(NamesOption(sections.at("## upload"), "--protocol"));
}
