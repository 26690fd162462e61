#include "generate/themes.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>

#include "platform/app_folders.h"
#include "platform/files.h"
#include "platform/format.h"
#include "platform/message_box.h"
#include "platform/paths.h"

namespace fs = std::filesystem;

namespace {

std::string FirstLine(const std::string& text) {
    return text.substr(0, text.find_first_of("\r\n"));
}

bool IsFile(const fs::path& path) {
    std::error_code error;
    return fs::is_regular_file(path, error);
}

// True when text is exactly the file of that name in some installed theme: a copy the
// user has not changed, which choosing another theme may replace without asking.
bool IsCopyOfInstalledTheme(const std::string& text, const std::string& fileName) {
    for (const Theme& theme : InstalledThemes()) {
        std::string original;
        if (ReadWholeFile(JoinPath(theme.folder, fileName), original).ok() && original == text) {
            return true;
        }
    }
    return false;
}

// Decides whether the theme's file goes into the folder of copies: not when the copy there
// already matches, and not without a Yes when it holds text of the user's own. False when
// the user answers No.
bool AgreeToCopy(const Theme& theme, const std::string& fileName, const std::string& folder,
                 std::vector<std::string>& files) {
    const std::string source = JoinPath(theme.folder, fileName);
    const std::string destination = JoinPath(folder, fileName);
    if (!IsFile(source)) {
        return true;  // a theme may go without its description
    }
    std::string text;
    if (ReadWholeFile(source, text).ok() && fs::exists(fs::symlink_status(destination))) {
        std::string present;
        const bool readable = ReadWholeFile(destination, present).ok();
        if (readable && present == text) {
            return true;
        }
        if (!(readable && IsCopyOfInstalledTheme(present, fileName)) &&
            ShowMessageBox(StringPrintf("The file \"%s\" is no copy of a theme's file: it may "
                                        "hold changes of your own.\n\nDo you want to replace it "
                                        "with the file of the theme \"%s\"?",
                                        destination.c_str(), theme.name.c_str()),
                           MB_YESNO | MB_ICONQUESTION) != IDYES) {
            return false;
        }
    }
    files.push_back(fileName);
    return true;
}

// Copies one file of the theme into folder.
Result CopyThemeFile(const Theme& theme, const std::string& fileName, const std::string& folder) {
    std::string text;
    Result copied = ReadWholeFile(JoinPath(theme.folder, fileName), text);
    if (copied.ok()) {
        copied = WriteWholeFile(JoinPath(folder, fileName), text);
    }
    if (!copied.ok()) {
        std::string text = "Cannot copy the theme's files\n\n" + copied.text();
        return std::move(copied).WithText(std::move(text));
    }
    return Result::Ok();
}

// The files of the theme: its boilerplates and description, and the style sheets, scripts
// and notes that lie beside them, by name.
std::vector<std::string> FilesOfTheme(const Theme& theme) {
    std::vector<std::string> names = {kThemeIndexFile, kThemeContentFile, kThemeDescriptionFile};
    std::vector<std::string> others;
    std::error_code error;
    for (fs::directory_iterator entry(theme.folder, error), end; !error && entry != end;
         entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        if (IsFile(entry->path()) && std::find(names.begin(), names.end(), name) == names.end()) {
            others.push_back(name);
        }
    }
    std::sort(others.begin(), others.end());
    names.insert(names.end(), others.begin(), others.end());
    return names;
}

}  // namespace

std::string ThemesFolder() {
    return ExecutableFolder() + "themes";
}

std::vector<Theme> InstalledThemes() {
    std::vector<Theme> themes;
    std::error_code error;
    for (fs::directory_iterator entry(ThemesFolder(), error), end; !error && entry != end;
         entry.increment(error)) {
        const fs::path folder = entry->path();
        if (!IsFile(folder / kThemeIndexFile) || !IsFile(folder / kThemeContentFile)) {
            continue;
        }
        Theme theme;
        theme.name = folder.filename().string();
        theme.folder = folder.string();
        std::string description;
        if (ReadWholeFile((folder / kThemeDescriptionFile).string(), description).ok()) {
            theme.description = FirstLine(description);
        }
        themes.push_back(std::move(theme));
    }
    std::sort(themes.begin(), themes.end(),
              [](const Theme& a, const Theme& b) { return a.name < b.name; });
    return themes;
}

bool FindTheme(const std::string& name, Theme& theme) {
    for (Theme& installed : InstalledThemes()) {
        if (installed.name == name) {
            theme = std::move(installed);
            return true;
        }
    }
    return false;
}

std::string ProgramThemeFolder(const std::string& programPath) {
    const fs::path program = fs::absolute(programPath).lexically_normal();
    return (program.parent_path() / (program.stem().string() + "-theme")).string();
}

Result ChooseTheme(const std::string& programPath, const std::string& name, ThemeChoice& choice) {
    choice = ThemeChoice();
    if (name == kNoTheme) {
        return Result::Ok();
    }
    if (!FindTheme(name, choice.theme)) {
        return Result::Failure(StringPrintf("There is no theme called \"%s\" in %s.", name.c_str(),
                                            ThemesFolder().c_str()));
    }
    choice.folder = ProgramThemeFolder(programPath);
    for (const std::string& fileName : FilesOfTheme(choice.theme)) {
        if (!AgreeToCopy(choice.theme, fileName, choice.folder, choice.files)) {
            return Result::Failure({});
        }
    }
    return Result::Ok();
}

Result CopyChosenTheme(const ThemeChoice& choice, Program& program) {
    if (choice.folder.empty()) {
        program.SetString(ProgramKey::IndexBoilerplate, "");
        program.SetString(ProgramKey::ContentBoilerplate, "");
        return Result::Ok();
    }
    std::error_code error;
    fs::create_directories(choice.folder, error);
    if (error || !fs::is_directory(choice.folder)) {
        return Result::Failure(
            StringPrintf("Cannot make the folder \"%s\" for the theme's files.\n\n%s",
                         choice.folder.c_str(), error.message().c_str()));
    }
    for (const std::string& fileName : choice.files) {
        if (Result copied = CopyThemeFile(choice.theme, fileName, choice.folder); !copied.ok()) {
            return copied;
        }
    }
    program.SetString(ProgramKey::IndexBoilerplate, JoinPath(choice.folder, kThemeIndexFile));
    program.SetString(ProgramKey::ContentBoilerplate, JoinPath(choice.folder, kThemeContentFile));
    return Result::Ok();
}

Result ApplyTheme(Program& program, const std::string& programPath, const std::string& name) {
    ThemeChoice choice;
    if (Result chosen = ChooseTheme(programPath, name, choice); !chosen.ok()) {
        return chosen;
    }
    return CopyChosenTheme(choice, program);
}
