#pragma once

// What kind of sources a program has, decided on its Source-File-Extension setting
// exactly as written (the pattern lists the new-program steps store).

#include <string_view>

#include "document/program.h"

// The picture list new programs get, and the one programs stored before .jpeg names were
// taken keep: both are the image kind. An empty setting scans the older list.
inline constexpr std::string_view kImagePatterns = "*.jpg;*.jpeg;*.png;*.gif";
inline constexpr std::string_view kClassicImagePatterns = "*.jpg;*.png;*.gif";
// New picture programs also take the HEIC and HEIF photos of phones.
inline constexpr std::string_view kPhotoPatterns = "*.jpg;*.jpeg;*.png;*.gif;*.heic;*.heif";
inline constexpr std::string_view kTextPatterns = "*.txt";
inline constexpr std::string_view kHtmlPatterns = "*.htm;*.html";

enum class SourceKind { Images, Text, Html, Other };

inline SourceKind SourceKindOf(const Program& program) {
    const std::string patterns = program.GetText(ProgramKey::SourceFileExtension);
    if (patterns == kImagePatterns || patterns == kClassicImagePatterns ||
        patterns == kPhotoPatterns) {
        return SourceKind::Images;
    }
    if (patterns == kTextPatterns) {
        return SourceKind::Text;
    }
    if (patterns == kHtmlPatterns) {
        return SourceKind::Html;
    }
    return SourceKind::Other;
}
