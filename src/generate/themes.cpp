#include "generate/themes.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/app_folders.h"
#include "platform/files.h"
#include "platform/format.h"
#include "platform/message_box.h"
#include "platform/paths.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kThemeFiles[] = {kThemeIndexFile, kThemeContentFile, kThemeDescriptionFile};

std::string FirstLine(const std::string& text) {
    return text.substr(0, text.find_first_of("\r\n"));
}

bool IsFile(const fs::path& path) {
    std::error_code error;
    return fs::is_regular_file(path, error);
}

// True when text is exactly the file of that name in some installed theme: a copy the
// user has not changed, which choosing another theme may replace without asking.
bool IsCopyOfInstalledTheme(const std::string& text, const char* fileName) {
    for (const Theme& theme : InstalledThemes()) {
        std::string original;
        if (ReadWholeFile(JoinPath(theme.folder, fileName), original).empty() && original == text) {
            return true;
        }
    }
    return false;
}

// Copies one file of the theme into folder. False after telling the user why.
bool CopyThemeFile(const Theme& theme, const char* fileName, const std::string& folder) {
    const std::string source = JoinPath(theme.folder, fileName);
    const std::string destination = JoinPath(folder, fileName);
    std::string text;
    if (!IsFile(source)) {
        return true;  // a theme may go without its description
    }
    std::string error = ReadWholeFile(source, text);
    if (error.empty() && fs::exists(fs::symlink_status(destination))) {
        std::string present;
        const bool readable = ReadWholeFile(destination, present).empty();
        if (readable && present == text) {
            return true;
        }
        if (!(readable && IsCopyOfInstalledTheme(present, fileName)) &&
            ShowMessageBox(StringPrintf("The file \"%s\" is no copy of a theme's file: it may "
                                        "hold changes of your own.\n\nDo you want to replace it "
                                        "with the file of the theme \"%s\"?",
                                        destination.c_str(), theme.name.c_str()),
                           MB_YESNO | MB_ICONQUESTION) != IDYES) {
            return true;
        }
    }
    if (error.empty()) {
        error = WriteWholeFile(destination, text);
    }
    if (!error.empty()) {
        ShowMessageBox("Cannot copy the theme's files\n\n" + error, MB_OK | MB_ICONSTOP);
        return false;
    }
    return true;
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
        if (ReadWholeFile((folder / kThemeDescriptionFile).string(), description).empty()) {
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

bool ApplyTheme(Program& program, const std::string& programPath, const std::string& name) {
    if (name == kNoTheme) {
        program.SetString(ProgramKey::IndexBoilerplate, "");
        program.SetString(ProgramKey::ContentBoilerplate, "");
        return true;
    }
    Theme theme;
    if (!FindTheme(name, theme)) {
        ShowMessageBox(StringPrintf("There is no theme called \"%s\" in %s.", name.c_str(),
                                    ThemesFolder().c_str()),
                       MB_OK | MB_ICONSTOP);
        return false;
    }
    const std::string folder = ProgramThemeFolder(programPath);
    std::error_code error;
    fs::create_directories(folder, error);
    if (error || !fs::is_directory(folder)) {
        ShowMessageBox(StringPrintf("Cannot make the folder \"%s\" for the theme's files.\n\n%s",
                                    folder.c_str(), error.message().c_str()),
                       MB_OK | MB_ICONSTOP);
        return false;
    }
    for (const char* fileName : kThemeFiles) {
        if (!CopyThemeFile(theme, fileName, folder)) {
            return false;
        }
    }
    program.SetString(ProgramKey::IndexBoilerplate, JoinPath(folder, kThemeIndexFile));
    program.SetString(ProgramKey::ContentBoilerplate, JoinPath(folder, kThemeContentFile));
    return true;
}
