#include "ui/program_name_suggestion.h"

#include "platform/files.h"
#include "platform/format.h"
#include "platform/paths.h"

namespace {

constexpr int kNumberedCandidates = 25;  // 00 to 24

bool Taken(const std::string& folder, const std::string& name) {
    return CheckRequiredFile(JoinPath(folder, name), false);
}

}  // namespace

std::string SuggestProgramName(const std::string& folder) {
    // "/home/ann/Cats/" names the folder Cats as "/home/ann/Cats" does.
    std::string trimmed = folder;
    while (trimmed.size() > 1 && trimmed.back() == '/') {
        trimmed.pop_back();
    }
    const std::string base = PathFileName(trimmed);
    if (base.empty()) {
        return {};
    }
    std::string name = base;
    if (PathExtension(name) != "MAV") {
        name += ".mav";
    }
    for (int counter = 0; Taken(folder, name); ++counter) {
        if (counter == kNumberedCandidates) {
            return {};
        }
        name = StringPrintf("%s%02d.mav", base.c_str(), counter);
    }
    return name;
}
