#pragma once

// What kind of sources a program has, decided on its Source-File-Extension setting
// exactly as written (the pattern lists the new-program steps store).

#include <string_view>

#include "document/program.h"

inline constexpr std::string_view kImagePatterns = "*.jpg;*.png;*.gif";
inline constexpr std::string_view kTextPatterns = "*.txt";
inline constexpr std::string_view kHtmlPatterns = "*.htm;*.html";

enum class SourceKind { Images, Text, Html, Other };

inline SourceKind SourceKindOf(const Program& program) {
    const std::string patterns = program.GetText(ProgramKey::SourceFileExtension);
    if (patterns == kImagePatterns) {
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
