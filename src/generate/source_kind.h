#pragma once

// What kind of sources a program has, decided on its Source-File-Extension setting
// exactly as written (the pattern lists the new-program steps store).

#include <algorithm>
#include <iterator>
#include <string_view>

#include "document/program.h"

// The picture list new programs get, and the one programs stored before .jpeg names were
// taken keep: both are the image kind. An empty setting scans the older list.
inline constexpr std::string_view kImagePatterns = "*.jpg;*.jpeg;*.png;*.gif";
inline constexpr std::string_view kClassicImagePatterns = "*.jpg;*.png;*.gif";
// New picture programs also take the HEIC and HEIF photos of phones.
inline constexpr std::string_view kPhotoPatterns = "*.jpg;*.jpeg;*.png;*.gif;*.heic;*.heif";
// The videos of phones and cameras, which new picture programs take as well.
inline constexpr std::string_view kVideoPatterns = "*.mp4;*.mov;*.m4v;*.webm;*.3gp";
inline constexpr std::string_view kPhotoVideoPatterns =
    "*.jpg;*.jpeg;*.png;*.gif;*.heic;*.heif;*.mp4;*.mov;*.m4v;*.webm;*.3gp";
inline constexpr std::string_view kTextPatterns = "*.txt";
inline constexpr std::string_view kHtmlPatterns = "*.htm;*.html";

enum class SourceKind { Images, Text, Html, Other };

// Patterns of pictures libvips decodes for the site, which may follow either image list.
inline constexpr std::string_view kConvertedImagePatterns[] = {"*.heic", "*.heif", "*.webp",
                                                               "*.tif", "*.tiff"};

inline constexpr std::string_view kVideoPatternList[] = {"*.mp4", "*.mov", "*.m4v", "*.webm",
                                                         "*.3gp"};

inline bool IsVideoPattern(std::string_view pattern) {
    return std::find(std::begin(kVideoPatternList), std::end(kVideoPatternList), pattern) !=
           std::end(kVideoPatternList);
}

// True for an image list alone or followed by converted picture patterns (";*.heic;*.heif")
// and, with videos, video patterns.
inline bool IsImagePatternList(std::string_view patterns, bool videos = false) {
    for (std::string_view list : {kImagePatterns, kClassicImagePatterns}) {
        if (patterns.substr(0, list.size()) != list) {
            continue;
        }
        std::string_view rest = patterns.substr(list.size());
        bool known = true;
        while (known && !rest.empty()) {
            known = rest.front() == ';';
            rest.remove_prefix(1);
            const std::string_view pattern = rest.substr(0, rest.find(';'));
            known = known && (std::find(std::begin(kConvertedImagePatterns),
                                        std::end(kConvertedImagePatterns),
                                        pattern) != std::end(kConvertedImagePatterns) ||
                              (videos && IsVideoPattern(pattern)));
            rest.remove_prefix(pattern.size());
        }
        if (known) {
            return true;
        }
    }
    return false;
}

inline SourceKind SourceKindOf(const Program& program) {
    const std::string patterns = program.GetText(ProgramKey::SourceFileExtension);
    // A program that does not take videos keeps treating a list naming them as before.
    if (IsImagePatternList(patterns, program.GetBool(ProgramKey::PhotoVideos))) {
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
