// Reading and writing program files: a comment header, then one "Key = value" line per
// key in table order, CR LF line ends (CR LF, LF and CR are all read).

#include <sys/stat.h>

#include <fstream>
#include <iterator>
#include <string_view>

#include "document/program.h"
#include "document/program_file_lock.h"
#include "platform/files.h"
#include "platform/format.h"
#include "platform/message_box.h"

namespace {

struct KeyLine {
    std::string_view key;
    std::string_view value;
};

// Calls take(lineNumber, line) for each line until it returns false. A line ends at
// CR LF, LF or a lone CR, whichever the file was saved with.
template <typename Take>
void ForEachLine(std::string_view text, Take take) {
    for (int lineNumber = 1; !text.empty(); ++lineNumber) {
        const std::size_t end = text.find_first_of("\r\n");
        if (!take(lineNumber, text.substr(0, end)) || end == std::string_view::npos) {
            return;
        }
        const bool crLf = text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n';
        text.remove_prefix(end + (crLf ? 2 : 1));
    }
}

// Splits one line by the reader's rules; false for lines that carry no key.
// The key ends at the first "=", blank or tab. The value is what follows the first "="
// after the key, less one blank, so hand-written "Key=value" and "Key =value" keep their
// values and every line Save writes reads back exactly. A line with no "=" takes the
// value three characters behind the key, as it always has.
bool SplitKeyLine(std::string_view line, KeyLine& result) {
    if (line.empty() || line[0] == '#') {
        return false;
    }
    const std::size_t separator = line.find_first_of("= \t");
    if (separator == std::string_view::npos) {
        return false;
    }
    result.key = line.substr(0, separator);
    const std::size_t equals = line.find('=', separator);
    if (equals != std::string_view::npos) {
        std::size_t start = equals + 1;
        if (start < line.size() && line[start] == ' ') {
            ++start;
        }
        result.value = line.substr(start);
    } else {
        result.value = separator + 3 < line.size() ? line.substr(separator + 3) : "";
    }
    return true;
}

// The whole file, or nothing when it is not a regular file that can be read.
bool ReadProgramText(const std::string& path, std::string& text, struct stat& status) {
    std::ifstream file;
    if (::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode)) {
        file.open(path, std::ios::binary);
    }
    if (!file.is_open()) {
        return false;
    }
    text.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return !file.bad();
}

// True when text holds a line that is neither blank nor a comment, but no key of a
// program: replacing it would lose what it holds.
bool HoldsSomethingElse(std::string_view text) {
    bool other = false;
    bool known = false;
    ForEachLine(text, [&](int, std::string_view line) {
        KeyLine keyLine;
        known = SplitKeyLine(line, keyLine) && FindKeyByName(keyLine.key) != nullptr;
        other =
            other || (line.find_first_not_of(" \t") != std::string_view::npos && line[0] != '#');
        return !known;
    });
    return other && !known;
}

// Why a file that holds something else is not saved over.
std::string NotAProgramText(const std::string& path) {
    return StringPrintf(
        "Could not save the program to '%s': the file holds text but no program settings, "
        "and saving would replace it",
        path.c_str());
}

// Replaces the file with text as every save does; false with error set when that fails.
bool Replace(const std::string& path, const std::string& text, std::string& error) {
    if (!ReplaceFileContents(path, text, true).ok()) {
        error = StringPrintf("Could not open file '%s' for writing", path.c_str());
        return false;
    }
    return true;
}

}  // namespace

bool Program::Load(const std::string& filePath) {
    struct stat status;
    std::string text;
    if (!ReadProgramText(filePath, text, status)) {
        lastError = StringPrintf("Could not open file '%s' for reading", filePath.c_str());
        return false;
    }
    ApplyDefaults();
    path = filePath;

    bool cancelled = false;
    ForEachLine(text, [&](int lineNumber, std::string_view line) {
        KeyLine keyLine;
        if (!SplitKeyLine(line, keyLine)) {
            return true;
        }
        if (const KeyDescriptor* row = FindKeyByName(keyLine.key)) {
            SetFromText(row->id, std::string(keyLine.value));
            return true;
        }
        lastError = StringPrintf("Unexpected keyword '%s' on line %d of %s",
                                 std::string(keyLine.key).c_str(), lineNumber, filePath.c_str());
        const std::string question =
            lastError + "\n\n" + "Press \"Retry\" to scan for more errors, \"Cancel\" to stop.";
        cancelled = ShowMessageBox(question, MB_RETRYCANCEL | MB_ICONEXCLAMATION) != IDRETRY;
        return !cancelled;
    });
    if (cancelled) {
        return false;
    }
    modified = OleDateFromTime(status.st_mtime);
    return true;
}

bool Program::Save(const std::string& filePath) {
    const ProgramFileLock lock(filePath);
    std::string text =
        "#\r\n# Generated by Mavren on " + FormatOleDate(CurrentOleDate()) + "\r\n#\r\n\r\n";
    for (const KeyDescriptor& row : kKeyTable) {
        if (AtStandard(row)) {
            continue;
        }
        text += row.name;
        text += " = ";
        // Written in text mode: every line feed, a value's own included, becomes CR LF.
        for (char c : GetText(row.id)) {
            if (c == '\n') {
                text += '\r';
            }
            text += c;
        }
        text += "\r\n";
    }
    struct stat status;
    std::string before;
    if (ReadProgramText(filePath, before, status) && HoldsSomethingElse(before)) {
        lastError = NotAProgramText(filePath);
        return false;
    }
    return Replace(filePath, text, lastError);
}

bool Program::SaveLastGenerated(const std::string& filePath) {
    const ProgramFileLock lock(filePath);
    struct stat status;
    std::string text;
    if (!ReadProgramText(filePath, text, status)) {
        lastError = StringPrintf("Could not open file '%s' for reading", filePath.c_str());
        return false;
    }
    if (HoldsSomethingElse(text)) {
        lastError = NotAProgramText(filePath);
        return false;
    }
    // The last line that sets the key is the one that counts when the file is read.
    std::size_t start = std::string::npos;
    std::size_t length = 0;
    ForEachLine(text, [&](int, std::string_view line) {
        KeyLine keyLine;
        if (SplitKeyLine(line, keyLine)) {
            const KeyDescriptor* row = FindKeyByName(keyLine.key);
            if (row != nullptr && row->id == ProgramKey::LastGenerated) {
                start = static_cast<std::size_t>(line.data() - text.data());
                length = line.size();
            }
        }
        return true;
    });
    const std::string line = std::string(FindKey(ProgramKey::LastGenerated)->name) + " = " +
                             GetText(ProgramKey::LastGenerated);
    std::string after = text;
    if (start != std::string::npos) {
        after.replace(start, length, line);
    } else {
        if (!after.empty() && after.back() != '\n' && after.back() != '\r') {
            after += "\r\n";
        }
        after += line + "\r\n";
    }
    return after == text || Replace(filePath, after, lastError);
}
