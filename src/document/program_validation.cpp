#include "document/program.h"
#include "platform/format.h"

namespace {

// Appends the limits line when value lies outside [low, high].
void CheckLimits(std::string& messages, const char* format, int value, int low, int high) {
    if (value < low || value > high) {
        messages += StringPrintf(format, value, low, high);
    }
}

}  // namespace

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
    CheckLimits(messages, "  Thumbnail size of %d exceeds limits (min: %d; max %d)\n",
                GetInt(ProgramKey::ThumbnailSize), 10, 1000);
    CheckLimits(messages, "  Thumbnails across of %d exceeds limits (min: %d; max %d)\n",
                GetInt(ProgramKey::IndexThumbnailsAcross), 1, 1000);
    CheckLimits(messages, "  Thumbnails down of %d exceeds limits (min: %d; max %d)\n",
                GetInt(ProgramKey::IndexThumbnailsDown), 1, 1000);
    return messages.empty();
}
