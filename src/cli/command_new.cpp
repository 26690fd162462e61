#include <cstdio>
#include <filesystem>
#include <string>

#include "cli/cli.h"
#include "cli/command_options.h"
#include "document/default_program.h"
#include "document/new_program_defaults.h"
#include "document/new_program_place.h"
#include "document/program_name.h"
#include "generate/source_kind.h"
#include "generate/subfolder_albums.h"
#include "generate/themes.h"
#include "platform/files.h"
#include "platform/message_box.h"
#include "platform/paths.h"

namespace fs = std::filesystem;

namespace {

struct NewArguments {
    std::string source;
    std::string type = "images";
    std::string target;
    std::string folder;
    std::string name;
    std::string theme;  // empty when not given
    bool albums = false;
};

std::string ParseArguments(const CommandLine& line, NewArguments& parsed) {
    CommandOptions options;
    std::string problem;
    if (!ParseCommandOptions(line.arguments,
                             {"--source", "--type", "--target", "--folder", "--name", "--theme"},
                             {"--albums"}, options, problem)) {
        return problem;
    }
    if (!options.positional.empty()) {
        return "unexpected argument '" + options.positional[0] + "'";
    }
    for (const auto& [name, value] : options.values) {
        if (value.empty()) {
            return name + " needs a value";
        }
    }
    parsed.source = options.values["--source"];
    parsed.target = options.values["--target"];
    parsed.folder = options.values["--folder"];
    parsed.name = options.values["--name"];
    if (options.Has("--theme")) {
        parsed.theme = options.values["--theme"];
    }
    if (options.Has("--type")) {
        parsed.type = options.values["--type"];
    }
    if (parsed.source.empty()) {
        return "--source is required";
    }
    if (parsed.type != "images" && parsed.type != "text" && parsed.type != "html") {
        return "--type is images, text or html, not '" + parsed.type + "'";
    }
    parsed.albums = options.flags.count("--albums") != 0;
    if (parsed.albums && parsed.type != "images") {
        return "--albums makes albums of pictures; it does not go with --type " + parsed.type;
    }
    if (parsed.name.find('/') != std::string::npos) {
        return "--name is a file name; put the folder in --folder";
    }
    return {};
}

std::string PatternsOf(const std::string& type) {
    if (type == "text") {
        return std::string(kTextPatterns);
    }
    if (type == "html") {
        return std::string(kHtmlPatterns);
    }
    return std::string(kPhotoVideoPatterns);
}

}  // namespace

int RunNew(const CommandLine& line) {
    const Command& command = FindCommand("new");
    NewArguments arguments;
    if (const std::string problem = ParseArguments(line, arguments); !problem.empty()) {
        return UsageError(command, problem);
    }
    if (arguments.theme.empty()) {
        // An installation without the usual theme still makes programs: classic ones.
        Theme installed;
        arguments.theme = FindTheme(kNewProgramTheme, installed) ? kNewProgramTheme : kNoTheme;
    } else if (const int status = CheckThemeName(command, arguments.theme); status != kExitOk) {
        return status;
    }
    const std::string source = AbsoluteFolder(arguments.source);
    if (!fs::is_directory(source)) {
        std::fprintf(stderr, "mavren-cli new: the source folder '%s' does not exist.\n",
                     source.c_str());
        return kExitFileError;
    }
    // Without --target the site gets a folder of its own beside the source, made without
    // asking: nothing is written into a folder of photos unless the user names it.
    const bool ownSiteFolder = arguments.target.empty();
    const std::string target =
        ownSiteFolder ? DefaultSiteFolder(source) : AbsoluteFolder(arguments.target);
    if (target.empty()) {
        std::fprintf(stderr,
                     "mavren-cli new: every name for a site folder beside '%s' is taken; give "
                     "one with --target.\n",
                     source.c_str());
        return kExitFileError;
    }
    // Made with every missing folder above it, after one question: the site may go where
    // nothing exists yet ("~/Sites/trip" without "~/Sites"). With --yes the question is not
    // put at all; the folders made are said instead.
    const bool yes = line.policy == AnswerPolicy::AlwaysYes;
    std::error_code unknown;  // a folder that cannot be looked at is not one said to be made
    const bool targetMissing = !fs::exists(target, unknown) && !unknown;
    if (!EnsureDirectoryPath(target, ownSiteFolder || yes).ok()) {
        std::fprintf(stderr, "mavren-cli new: a destination folder is required; '%s' is none.\n",
                     target.c_str());
        return kExitFileError;
    }
    if (yes && targetMissing && !ownSiteFolder) {
        std::fprintf(stderr, "Made the folder \"%s\" for the site\n", target.c_str());
    }
    const std::string folder =
        arguments.folder.empty() ? NewProgramFolder(source) : AbsoluteFolder(arguments.folder);
    const bool folderMissing = !fs::exists(folder, unknown) && !unknown;
    if (!EnsureDirectoryPath(folder, yes).ok()) {
        std::fprintf(stderr, "mavren-cli new: the program folder '%s' is not available.\n",
                     folder.c_str());
        return kExitFileError;
    }
    if (yes && folderMissing) {
        std::fprintf(stderr, "Made the folder \"%s\" for the program\n", folder.c_str());
    }

    std::string name = arguments.name;
    if (name.empty()) {
        name = SuggestedProgramName(source, folder);
        if (name.empty()) {
            std::fprintf(stderr,
                         "mavren-cli new: no program name to suggest in '%s'; give one with "
                         "--name.\n",
                         folder.c_str());
            return kExitUsage;
        }
    } else if (PathExtension(name) != "MAV") {
        name += ".mav";
    }
    const std::string path = JoinPath(folder, name);
    if (fs::exists(fs::symlink_status(path))) {
        ShowMessageBox(
            "A file called \"" + name + "\" already exists.\n\nPlease choose a different name.",
            MB_OK | MB_ICONSTOP);
        return kExitFileError;
    }

    Program program;
    if (const Result loaded = LoadDefaultProgram(program); !loaded.ok()) {
        ShowMessageBox(loaded.text(), MB_OK | MB_ICONEXCLAMATION);
    }
    PictureProgramChoices pictureChoices;
    pictureChoices.albums = arguments.albums;
    std::string albumsNote;
    if (!arguments.albums && arguments.type == "images") {
        // The source as a run would look at it.
        Program probe;
        probe.SetString(ProgramKey::SourceDir, source);
        probe.SetString(ProgramKey::TargetDir, target);
        probe.SetString(ProgramKey::SourceFileExtension, PatternsOf(arguments.type));
        probe.SetInt(ProgramKey::PhotoVideos, 1);
        if (const SubfolderPictures found = PicturesOnlyInSubfolders(probe); found.pictures > 0) {
            pictureChoices.albums = true;
            albumsNote = AlbumsTurnedOnNote(found);
        }
    }
    ApplyNewProgramDefaults(program, {source, target, PatternsOf(arguments.type),
                                      arguments.type == "images", pictureChoices});
    program.path = path;
    const std::string videosNote =
        arguments.type == "images" ? FoundVideosNote(CountFolderMedia(program)) : std::string();
    if (!program.Save(path).ok()) {
        ShowMessageBox("Cannot create a file called '" + name + "' in\ndirectory '" + folder +
                           "'.\n\nPlease choose a different name or directory.",
                       MB_OK | MB_ICONSTOP);
        return kExitFileError;
    }
    if (arguments.theme != kNoTheme) {
        if (const int status = ApplyThemeAndSave(program, path, arguments.theme);
            status != kExitOk) {
            std::fprintf(stderr, "mavren-cli new: %s was made without the theme.\n", path.c_str());
            return status;
        }
    }
    // Said on standard error: standard output is the program's path alone, for scripts.
    if (!albumsNote.empty()) {
        std::fprintf(stderr, "%s\n", albumsNote.c_str());
    }
    if (!videosNote.empty()) {
        std::fprintf(stderr, "%s\n", videosNote.c_str());
    }
    if (ownSiteFolder) {
        std::fprintf(stderr, "The site goes into \"%s\"\n", target.c_str());
    }
    std::printf("%s\n", path.c_str());
    return kExitOk;
}
