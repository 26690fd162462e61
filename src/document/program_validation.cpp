#include "document/key_limits.h"
#include "document/language_tag.h"
#include "document/program.h"
#include "platform/format.h"

namespace {

struct KeyLimits {
    ProgramKey id;
    const char* format;  // the value, then the limits
    int low;
    int high;
    bool zeroTurnsOff = false;  // 0 is allowed besides the range
};

// In the order validation reports them.
constexpr KeyLimits kKeyLimits[] = {
    {ProgramKey::ThumbnailSize, "Thumbnail size of %d exceeds limits (min: %d; max %d)", 10, 1000},
    {ProgramKey::IndexThumbnailsAcross, "Thumbnails across of %d exceeds limits (min: %d; max %d)",
     1, 1000},
    {ProgramKey::IndexThumbnailsDown, "Thumbnails down of %d exceeds limits (min: %d; max %d)", 1,
     1000},
    {ProgramKey::PhotoWebSize,
     "Web picture size of %d exceeds limits (min: %d; max %d; 0 for no web-size pictures)", 320,
     8000, true},
    {ProgramKey::PhotoWebQuality, "Web picture quality of %d exceeds limits (min: %d; max %d)", 10,
     100},
    {ProgramKey::PhotoOrder, "Photo order of %d exceeds limits (min: %d; max %d)", 0, 2},
};

}  // namespace

std::string KeyLimitProblem(ProgramKey id, int value) {
    for (const KeyLimits& limits : kKeyLimits) {
        if (limits.id == id && !(limits.zeroTurnsOff && value == 0) &&
            (value < limits.low || value > limits.high)) {
            return StringPrintf(limits.format, value, limits.low, limits.high);
        }
    }
    return {};
}

std::string TextKeyProblem(ProgramKey id, const std::string& text) {
    if (id == ProgramKey::PageLanguage && !text.empty() && !IsLanguageTag(text)) {
        return StringPrintf("Page language \"%s\" is not a language tag such as en or de-CH",
                            text.c_str());
    }
    return {};
}

bool Program::Validate(std::string& messages) const {
    messages.clear();
    if (GetText(ProgramKey::SourceDir).empty()) {
        messages += "  No source directory specified\n";
    }
    if (GetText(ProgramKey::TargetDir).empty()) {
        messages += "  No target directory specified\n";
    }
    if (!GetBool(ProgramKey::GenerateIndexPage) && !GetBool(ProgramKey::GenerateContentPages)) {
        messages += "  Neither index nor content generation enabled\n";
    }
    // Whether or not thumbnails or index pages are on.
    for (const KeyLimits& limits : kKeyLimits) {
        if (const std::string problem = KeyLimitProblem(limits.id, GetInt(limits.id));
            !problem.empty()) {
            messages += "  " + problem + "\n";
        }
    }
    if (const std::string problem =
            TextKeyProblem(ProgramKey::PageLanguage, GetText(ProgramKey::PageLanguage));
        !problem.empty()) {
        messages += "  " + problem + "\n";
    }
    return messages.empty();
}
