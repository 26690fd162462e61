#include <utility>

#include "document/key_limits.h"
#include "document/language_tag.h"
#include "document/program.h"
#include "platform/format.h"

namespace {

struct KeyLimits {
    ProgramKey id;
    const char* name;  // as the problem names the value
    int low;
    int high;
    const char* zeroMeans = nullptr;  // what 0 does, when it is allowed besides the range
};

// In the order validation reports them.
constexpr KeyLimits kKeyLimits[] = {
    {ProgramKey::ThumbnailSize, "Thumbnail size", 10, 1000},
    {ProgramKey::IndexThumbnailsAcross, "Thumbnails across", 1, 1000},
    {ProgramKey::IndexThumbnailsDown, "Thumbnails down", 1, 1000},
    {ProgramKey::PhotoWebSize, "Web picture size", 320, 8000, "no web-size pictures"},
    {ProgramKey::PhotoWebQuality, "Web picture quality", 10, 100},
    {ProgramKey::PhotoOrder, "Photo order", 0, 2},
    {ProgramKey::PhotoVideoSize, "Video size", 480, 1080},
    {ProgramKey::PhotoVideoThreads, "Video threads", 1, 64, "as many as the cores allow"},
};

}  // namespace

std::string KeyLimitProblem(ProgramKey id, int value) {
    for (const KeyLimits& limits : kKeyLimits) {
        if (limits.id == id && !(limits.zeroMeans != nullptr && value == 0) &&
            (value < limits.low || value > limits.high)) {
            const std::string zero =
                limits.zeroMeans == nullptr ? "" : StringPrintf("; 0 for %s", limits.zeroMeans);
            return StringPrintf("%s of %d exceeds limits (min: %d; max %d%s)", limits.name, value,
                                limits.low, limits.high, zero.c_str());
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

Result Program::Validate() const {
    std::string messages;
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
    return messages.empty() ? Result::Ok() : Result::Failure(std::move(messages));
}
