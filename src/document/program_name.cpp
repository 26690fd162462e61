#include "document/program_name.h"

#include "platform/files.h"
#include "platform/format.h"
#include "platform/paths.h"

namespace {

constexpr int kLastCounter = 24;

}  // namespace

std::string SuggestedProgramName(const std::string& namingFolder,
                                 const std::string& programFolder) {
    std::string folder = namingFolder;
    while (folder.size() > 1 && folder.back() == '/') {
        folder.pop_back();  // "/pics/cats/" is named like "/pics/cats"
    }
    const std::string base = PathFileName(folder);
    if (base.empty()) {
        return {};
    }
    std::string name = base;
    if (PathExtension(name) != "MAV") {
        name += ".mav";
    }
    for (int counter = 0; CheckRequiredFile(JoinPath(programFolder, name)).ok(); ++counter) {
        if (counter > kLastCounter) {
            return {};
        }
        name = StringPrintf("%s%02d.mav", base.c_str(), counter);
    }
    return name;
}
