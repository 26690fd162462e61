#include "ui/file_type.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>

#include "platform/ascii.h"
#include "platform/child_process.h"
#include "platform/files.h"
#include "platform/installed_desktop_entry.h"
#include "platform/paths.h"
#include "platform/xdg_folders.h"

namespace {

constexpr const char* kMimeTypePrefix = "application/x-";

std::string RunningExecutable() {
    char path[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path);
    return length > 0 ? std::string(path, static_cast<std::size_t>(length)) : std::string();
}

std::string XmlEscaped(const std::string& text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

// A value of a desktop entry: backslashes and line breaks escaped.
std::string DesktopValue(const std::string& text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                out += c;
        }
    }
    return out;
}

// One argument of an Exec line in double quotes, before the value escaping above:
// quote, backquote, dollar and backslash take a backslash, and "%" is doubled.
std::string ExecArgument(const std::string& argument) {
    std::string out = "\"";
    for (const char c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') {
            out += '\\';
        }
        out += c;
        if (c == '%') {
            out += '%';
        }
    }
    return out + "\"";
}

std::string MimePackage(const std::string& type, const std::string& extension,
                        const std::string& description) {
    const std::string glob = "*" + (extension.starts_with('.') ? extension : "." + extension);
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
           "  <mime-type type=\"" +
           XmlEscaped(type) +
           "\">\n"
           "    <comment>" +
           XmlEscaped(description) +
           "</comment>\n"
           // Program files are text, so text editors are offered for them as well.
           "    <sub-class-of type=\"text/plain\"/>\n"
           "    <glob pattern=\"" +
           XmlEscaped(glob) +
           "\"/>\n"
           "  </mime-type>\n"
           "</mime-info>\n";
}

std::string DesktopEntry(const std::string& appName, const std::string& type,
                         const std::string& description, const std::string& program,
                         const std::string& icon) {
    std::string entry =
        "[Desktop Entry]\n"
        "Type=Application\n"
        "Name=" +
        DesktopValue(appName) +
        "\n"
        "Comment=" +
        DesktopValue(description) +
        "\n"
        "Exec=" +
        DesktopValue(ExecArgument(program)) +
        " %f\n"
        "MimeType=" +
        type +
        ";\n"
        "Terminal=false\n"
        // It opens program files; it does not ask for a place in the menus.
        "NoDisplay=true\n";
    if (!icon.empty()) {
        entry += "Icon=" + DesktopValue(icon) + "\n";
    }
    return entry;
}

// Larger files are not ours; they are replaced.
constexpr std::size_t kLargestOwnFile = 1 << 20;

// Writes text to path unless it holds that already. True when the file changed.
bool WriteIfDifferent(const std::string& path, const std::string& text) {
    std::string current;
    if (ReadFileBytes(path, kLargestOwnFile, current).ok() && current == text) {
        return false;
    }
    if (!CreateFolderPath(PathFolder(path), 0700).ok()) {
        return false;
    }
    return WriteWholeFile(path, text).ok();
}

bool FileExists(const std::string& path) {
    struct stat status;
    return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

// Removes a file this registration wrote at an earlier start. True when it was there.
bool RemoveIfPresent(const std::string& path) {
    return ::unlink(path.c_str()) == 0;
}

}  // namespace

std::string MimeTypeForProgId(const std::string& progId) {
    std::string name = AsciiLowerCase(progId);
    for (char& c : name) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-';
        if (!plain) {
            c = '-';
        }
    }
    return kMimeTypePrefix + name;
}

bool RegisterFileType(const std::string& progId, const std::string& extension,
                      const std::string& description, const std::string& programPath,
                      int iconIndex) {
    const std::string program = programPath.empty() ? RunningExecutable() : programPath;
    if (progId.empty() || extension.empty() || program.empty()) {
        return true;
    }
    const std::string type = MimeTypeForProgId(progId);
    const std::string typeName = type.substr(std::string(kMimeTypePrefix).size());
    const std::string appName = progId.substr(0, progId.find('.'));
    const std::string appIcon = JoinPath(PathFolder(program), AsciiLowerCase(appName) + ".png");
    const std::string typeIcon =
        iconIndex == 0 ? appIcon : JoinPath(PathFolder(program), typeName + ".png");
    const std::string data = XdgDataHome();

    // A package or make install already registered the type and its icon for everyone;
    // a copy here would only shadow it, so one left by an earlier start goes.
    const std::string mimeFolder = data + "/mime";
    const std::string package = mimeFolder + "/packages/" + typeName + ".xml";
    const std::string themeIcon =
        data + "/icons/hicolor/64x64/mimetypes/" + ReplaceAll(type, "/", "-") + ".png";
    bool mimeChanged = false;
    if (InstalledMimePackage(typeName)) {
        mimeChanged = RemoveIfPresent(package);
        RemoveIfPresent(themeIcon);
    } else {
        std::string iconBytes;
        if (ReadFileBytes(typeIcon, kLargestOwnFile, iconBytes).ok()) {
            WriteIfDifferent(themeIcon, iconBytes);
        }
        mimeChanged = WriteIfDifferent(package, MimePackage(type, extension, description)) ||
                      !FileExists(mimeFolder + "/mime.cache");
    }
    if (mimeChanged) {
        RunChildProcess({"update-mime-database", mimeFolder});
    }

    const std::string applications = data + "/applications";
    const std::string entry = applications + "/" + AsciiLowerCase(appName) + ".desktop";
    const bool entryChanged =
        InstalledEntryOpens(type, program)
            ? RemoveIfPresent(entry)
            : WriteIfDifferent(entry, DesktopEntry(appName, type, description, program,
                                                   FileExists(appIcon) ? appIcon : std::string()));
    if (entryChanged) {
        RunChildProcess({"update-desktop-database", applications});
    }
    return true;
}
