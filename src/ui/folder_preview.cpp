#include "ui/folder_preview.h"

#include "platform/paths.h"
#include "platform/source_scan.h"

namespace {

constexpr std::size_t kPreviewLength = 50;

bool StartsCharacter(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
}

// Characters, not bytes: a UTF-8 sequence counts once.
std::size_t CharacterCount(const std::string& text) {
    std::size_t count = 0;
    for (const char c : text) {
        count += StartsCharacter(c) ? 1 : 0;
    }
    return count;
}

// The first count characters of text, never ending inside a UTF-8 sequence.
std::string FirstCharacters(const std::string& text, std::size_t count) {
    std::size_t seen = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (StartsCharacter(text[i]) && seen++ == count) {
            return text.substr(0, i);
        }
    }
    return text;
}

}  // namespace

std::string FolderPreviewText(const std::string& folder, const std::string& patterns) {
    const std::unique_ptr<FileList> files =
        patterns.empty() ? nullptr : ScanFiles(folder, patterns, false);
    if (!files || files->empty()) {
        return "No appropriate files in this directory";
    }
    std::string preview;
    for (std::size_t i = 0; i < files->size() && CharacterCount(preview) < kPreviewLength; ++i) {
        if (i > 0) {
            preview += ", ";
        }
        preview += PathFileName((*files)[i]);
    }
    if (CharacterCount(preview) > kPreviewLength) {
        return FirstCharacters(preview, kPreviewLength) + "...";
    }
    if (files->size() > 2) {
        preview += ", ...";
    }
    return preview;
}
