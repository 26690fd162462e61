#include "ui/pickers.h"

#include "generate/html_files.h"
#include "generate/themes.h"
#include "platform/message_box.h"
#include "platform/paths.h"
#include "platform/registry.h"
#include "ui/folder_browser.h"
#include "ui/vq_file_dialog.h"
#include "work/settings_failures.h"

namespace {

constexpr const char* kBoilerplateFolderValue = "LastBoilerplateDir";
constexpr const char* kHtmlFilter = "HTML Files (*.htm;*.html)|*.htm; *.html|All Files (*.*)|*.*||";
constexpr const char* kImageFilter =
    "Image Files (*.jpg;*.png;*.gif)|*.jpg; *.png; *.gif|All Files (*.*)|*.*||";

// The file the user confirmed in an open dialog, or empty.
std::string OpenFile(QWidget* owner, const char* filter, const std::string& folder,
                     const std::string& file) {
    CVQFileDialog dialog(true, QString::fromLatin1(filter), owner);
    if (!folder.empty()) {
        dialog.setDirectory(QString::fromStdString(folder));
    }
    if (!file.empty()) {
        dialog.selectFile(QString::fromStdString(file));
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().front().toStdString();
}

}  // namespace

std::string RememberedFolder(const FolderPick& pick) {
    return GetRegistryString(kApplicationKey, pick.registryValue, HKEY_CURRENT_USER);
}

bool PickFolder(QWidget* owner, const FolderPick& pick, const std::string& initialFolder,
                std::string& chosen) {
    FolderBrowser browser;
    browser.SetTitle(pick.title);
    if (!browser.Browse(owner, initialFolder, pick.patterns)) {
        return false;
    }
    chosen = browser.GetPath();
    TellSettingsWriteFailure(
        SetRegistryString(kApplicationKey, pick.registryValue, chosen, HKEY_CURRENT_USER));
    return true;
}

bool PickFolderFrom(QWidget* owner, const FolderPick& pick, std::string& answer) {
    return PickFolder(owner, pick, answer.empty() ? RememberedFolder(pick) : answer, answer);
}

bool PickBoilerplateFile(QWidget* owner, const std::string& currentPath, std::string& chosen) {
    std::string folder =
        currentPath.empty()
            ? GetRegistryString(kApplicationKey, kBoilerplateFolderValue, HKEY_CURRENT_USER)
            : PathFolder(currentPath);
    if (folder.empty()) {
        folder = ThemesFolder();  // nothing picked before: start among the themes
    }
    const std::string file = OpenFile(owner, kHtmlFilter, folder, PathFileName(currentPath));
    if (file.empty()) {
        return false;
    }
    if (const Result usable = CheckBoilerplate(file); !usable.ok()) {
        ShowMessageBox(usable.text(), MB_OK | MB_ICONSTOP);
        return false;
    }
    chosen = file;
    TellSettingsWriteFailure(SetRegistryString(kApplicationKey, kBoilerplateFolderValue,
                                               PathFolder(file), HKEY_CURRENT_USER));
    return true;
}

bool PickBackgroundImage(QWidget* owner, std::string& chosen) {
    const std::string file = OpenFile(owner, kImageFilter, {}, {});
    if (file.empty()) {
        return false;
    }
    chosen = file;
    return true;
}
