// Reading and writing program files: a comment header, then one "Key = value" line per
// key in table order, CR LF line ends (CR LF, LF and CR are all read).

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <string_view>

#include "document/program.h"
#include "document/program_file_lock.h"
#include "platform/file_descriptor.h"
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

// The whole file, or the step that failed when it is not a regular file that can be read.
// Non-blocking, so a named pipe in place of a program cannot hang the reader.
Result ReadProgramText(const std::string& path, std::string& text, struct stat& status) {
    const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!fd.valid()) {
        return Result::FromErrno("open", path, errno);
    }
    if (::fstat(fd.get(), &status) != 0) {
        return Result::FromErrno("stat", path, errno);
    }
    if (!S_ISREG(status.st_mode)) {
        return Result::FromErrno("open", path, S_ISDIR(status.st_mode) ? EISDIR : EINVAL);
    }
    text.resize(static_cast<std::size_t>(status.st_size));
    const Expected<std::size_t> got = ReadAll(fd.get(), text.data(), text.size());
    if (!got.ok()) {
        text.clear();
        return Result::FromErrno("read", path, got.failure().error());
    }
    text.resize(*got);
    return Result::Ok();
}

// The fixed first line of a failure, then why the system refused.
Result Explained(const std::string& firstLine, const Result& failure) {
    return Result(failure).WithText(firstLine + "\n\nReason: " + failure.reason());
}

Result CannotRead(const std::string& path, const Result& failure) {
    return Explained(StringPrintf("Could not open file '%s' for reading", path.c_str()), failure);
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

// Replaces the file with text as every save does, saying which step failed and why.
Result Replace(const std::string& path, const std::string& text) {
    if (const Result replaced = ReplaceFileContents(path, text, true); !replaced.ok()) {
        return Explained(StringPrintf("Could not open file '%s' for writing", path.c_str()),
                         replaced);
    }
    return Result::Ok();
}

}  // namespace

Result Program::Load(const std::string& filePath) {
    struct stat status;
    std::string text;
    if (const Result read = ReadProgramText(filePath, text, status); !read.ok()) {
        return CannotRead(filePath, read);
    }
    ApplyDefaults();
    path = filePath;

    std::string unexpected;
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
        unexpected = StringPrintf("Unexpected keyword '%s' on line %d of %s",
                                  std::string(keyLine.key).c_str(), lineNumber, filePath.c_str());
        const std::string question =
            unexpected + "\n\n" + "Press \"Retry\" to scan for more errors, \"Cancel\" to stop.";
        cancelled = ShowMessageBox(question, MB_RETRYCANCEL | MB_ICONEXCLAMATION) != IDRETRY;
        return !cancelled;
    });
    if (cancelled) {
        return Result::Failure(unexpected);
    }
    modified = OleDateFromTime(status.st_mtime);
    return Result::Ok();
}

Result Program::Save(const std::string& filePath) {
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
    if (ReadProgramText(filePath, before, status).ok() && HoldsSomethingElse(before)) {
        return Result::Failure(NotAProgramText(filePath));
    }
    return Replace(filePath, text);
}

Result Program::SaveLastGenerated(const std::string& filePath) {
    const ProgramFileLock lock(filePath);
    struct stat status;
    std::string text;
    if (const Result read = ReadProgramText(filePath, text, status); !read.ok()) {
        return CannotRead(filePath, read);
    }
    if (HoldsSomethingElse(text)) {
        return Result::Failure(NotAProgramText(filePath));
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
    return after == text ? Result::Ok() : Replace(filePath, after);
}
