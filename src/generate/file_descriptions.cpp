#include "generate/file_descriptions.h"

#include "platform/ascii.h"
#include "platform/files.h"
#include "platform/source_scan.h"

namespace {

constexpr char kDescriptionFileName[] = "descript.ion";

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

}  // namespace

void FileDescriptions::Load(const std::string& folder) {
    byName.clear();
    const auto found = ScanFiles(folder, kDescriptionFileName, false);
    if (!found) {
        return;
    }
    std::string text;
    if (ReadWholeFile(found->front(), text).ok()) {
        Parse(text);
    }
}

void FileDescriptions::Parse(const std::string& text) {
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string line = text.substr(start, end - start);
        start = end + 1;

        std::string name;
        std::size_t rest = 0;
        if (!line.empty() && line.front() == '"') {
            const std::size_t quote = line.find('"', 1);
            if (quote == std::string::npos) {
                continue;
            }
            name = line.substr(1, quote - 1);
            rest = quote + 1;
        } else {
            rest = 0;
            while (rest < line.size() && !IsBlank(line[rest]) && line[rest] != '\r') {
                ++rest;
            }
            name = line.substr(0, rest);
        }
        while (rest < line.size() && IsBlank(line[rest])) {
            ++rest;
        }
        std::string description = line.substr(rest);
        // Some tools append their own data after a Ctrl-D; it is not part of the text.
        if (const std::size_t mark = description.find('\x04'); mark != std::string::npos) {
            description.resize(mark);
        }
        while (!description.empty() &&
               (IsBlank(description.back()) || description.back() == '\r')) {
            description.pop_back();
        }
        if (!name.empty() && !description.empty()) {
            byName[AsciiLowerCase(name)] = description;
        }
    }
}

std::string FileDescriptions::Find(const std::string& name) const {
    const auto found = byName.find(AsciiLowerCase(name));
    return found == byName.end() ? std::string() : found->second;
}
