#include <cstdio>
#include <ctime>
#include <utility>

#include "cli/cli.h"
#include "cli/setting_values.h"
#include "document/program_file_lock.h"
#include "platform/temporary_files.h"

namespace {

int Refuse(const std::string& problem, const std::string& hint = {}) {
    std::fprintf(stderr, "mavren-cli set: %s; nothing was changed.%s\n", problem.c_str(),
                 hint.c_str());
    return kExitUsage;
}

}  // namespace

int RunSet(const CommandLine& line) {
    std::timespec started{};
    std::timespec_get(&started, TIME_UTC);
    const Command& command = FindCommand("set");
    if (line.arguments.size() < 2) {
        return UsageError(command,
                          line.arguments.empty() ? "no program named" : "no KEY=VALUE given");
    }
    // Check every assignment before touching the file: all or nothing.
    std::vector<std::pair<const KeyDescriptor*, std::string>> assignments;
    for (std::size_t i = 1; i < line.arguments.size(); ++i) {
        const std::string& assignment = line.arguments[i];
        const std::size_t equals = assignment.find('=');
        if (equals == std::string::npos) {
            return UsageError(command, "'" + assignment + "' is not KEY=VALUE");
        }
        const std::string key = assignment.substr(0, equals);
        const KeyDescriptor* row = FindKeyByName(key);
        if (row == nullptr) {
            const std::vector<std::string> nearest = NearestKeyNames(key);
            return Refuse(
                "unknown key '" + key + "'",
                nearest.empty() ? "" : " Did you mean " + JoinAlternatives(nearest) + "?");
        }
        std::string value = assignment.substr(equals + 1);
        if (value.find_first_of("\r\n") != std::string::npos) {
            // A line break would end the line in the file and turn the rest into a bad key.
            return Refuse("the value of " + std::string(row->name) +
                          " holds a line break, which a program file cannot keep");
        }
        if (const std::string problem = CheckSettingValue(*row, value); !problem.empty()) {
            return Refuse(problem);
        }
        assignments.emplace_back(row, std::move(value));
    }

    const std::string& path = line.arguments[0];
    // The load's questions (an unexpected keyword) come before the lock, so that no save
    // elsewhere waits for an answer; a Cancel changes nothing.
    Program program;
    const ProgramFileStamp before = StampProgramFile(path);
    if (!LoadProgramOrReport(program, path)) {
        return kExitFileError;
    }
    const ProgramFileStamp loaded = StampProgramFile(path);
    // Change and save under the lock every save takes, so that a save made meanwhile (a
    // run's Last-Generated) neither undoes this change nor is undone by it.
    const ProgramFileLock lock(path);
    // What a save killed halfway left beside the program goes before this one writes.
    RemoveLeftoverTemporaryFiles(path.substr(0, path.rfind('/') + 1), started);
    // A file saved elsewhere since it was read is read again, as theme reads it.
    if (!(before == loaded && StampProgramFile(path) == loaded) &&
        !LoadProgramOrReport(program, path)) {
        return kExitFileError;
    }
    for (const auto& [row, value] : assignments) {
        program.SetText(row->id, value);
    }
    if (const Result saved = program.Save(path); !saved.ok()) {
        std::fprintf(stderr, "%s\n", saved.text().c_str());
        return kExitFileError;
    }
    for (const auto& [row, value] : assignments) {
        std::printf("%s = %s\n", std::string(row->name).c_str(), program.GetText(row->id).c_str());
    }
    return kExitOk;
}
