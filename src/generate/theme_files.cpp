#include "generate/theme_files.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "platform/files.h"
#include "platform/format.h"
#include "platform/paths.h"

namespace {

constexpr char kTagStart[] = "<MAVREN-FILE:";

// FNV-1a: the same digest on every build and machine, which a cached name needs.
std::uint64_t Digest(const std::string& bytes) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : bytes) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    }
    return hash;
}

// A name that stays in the folder beside its boilerplate.
bool IsPlainName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

std::string CannotUse(const std::string& name, const std::string& boilerplate) {
    return "Cannot use the file \"" + name + "\" that the boilerplate \"" + boilerplate +
           "\" names\n\n";
}

}  // namespace

std::vector<std::string> ThemeFileNames(const std::string& text) {
    std::vector<std::string> names;
    for (std::size_t at = text.find(kTagStart); at != std::string::npos;
         at = text.find(kTagStart, at + 1)) {
        const std::size_t start = at + sizeof kTagStart - 1;
        const std::size_t end = text.find('>', start);
        if (end == std::string::npos) {
            break;
        }
        std::string name = text.substr(start, end - start);
        if (std::find(names.begin(), names.end(), name) == names.end()) {
            names.push_back(std::move(name));
        }
    }
    return names;
}

std::string ThemeCopyName(const std::string& name, const std::string& bytes) {
    const std::string digest =
        StringPrintf("%08llx", static_cast<unsigned long long>(Digest(bytes) >> 32));
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0) {
        return name + "." + digest;
    }
    return name.substr(0, dot) + "." + digest + name.substr(dot);
}

ThemeFiles::ThemeFiles(std::string siteTop, std::size_t depth) : top(std::move(siteTop)) {
    for (std::size_t i = 0; i < depth; ++i) {
        up += "../";
    }
}

Result ThemeFiles::Copy(const std::string& source, const std::string& boilerplate,
                        std::string& copy) {
    if (const auto known = copies.find(source); known != copies.end()) {
        copy = known->second;
        return Result::Ok();
    }
    std::string bytes;
    if (const Result read = ReadWholeFile(source, bytes); !read.ok()) {
        return Result::Failure(CannotUse(PathFileName(source), boilerplate) + read.text());
    }
    const std::string relative =
        std::string(kThemeCopiesFolder) + "/" + ThemeCopyName(PathFileName(source), bytes);
    const std::string destination = JoinPath(top, relative);
    std::string present;
    if (!ReadWholeFile(destination, present).ok() || present != bytes) {
        Result written = EnsureDirectoryPath(JoinPath(top, kThemeCopiesFolder), true);
        if (written.ok()) {
            written = WriteWholeFile(destination, bytes);
        }
        if (!written.ok()) {
            return Result::Failure("Cannot copy the theme file \"" + source + "\" into \"" +
                                   JoinPath(top, kThemeCopiesFolder) + "\"\n\n" + written.text());
        }
    }
    copies.emplace(source, relative);
    copy = relative;
    return Result::Ok();
}

Result ThemeFiles::ReplaceTags(std::string& text, const std::string& boilerplate) {
    std::string replaced = text;
    for (const std::string& name : ThemeFileNames(text)) {
        if (!IsPlainName(name)) {
            return Result::Failure(CannotUse(name, boilerplate) +
                                   "A theme file lies beside the boilerplate: a name without "
                                   "\"/\".\n");
        }
        std::string copy;
        if (Result copied = Copy(JoinPath(PathFolder(boilerplate), name), boilerplate, copy);
            !copied.ok()) {
            return copied;
        }
        replaced = ReplaceAll(replaced, kTagStart + name + ">", up + copy);
    }
    text = std::move(replaced);
    return Result::Ok();
}

std::vector<std::string> ThemeFiles::Copies() const {
    std::vector<std::string> all;
    for (const auto& [source, copy] : copies) {
        all.push_back(copy);
    }
    return all;
}
