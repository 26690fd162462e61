#include "upload/upload_plan.h"

#include <algorithm>
#include <map>

#include "platform/ascii.h"
#include "platform/format.h"

namespace {

// The folders a generated album keeps its pictures in.
bool PictureFolder(std::string_view name) {
    return name == "Thumbs" || name == "Web";
}

// The most names of files left out that a plan shows: about a screenful.
constexpr std::size_t kLeftOutShown = 20;

const char* ActionWord(UploadAction action) {
    return action == UploadAction::Send ? "send" : action == UploadAction::Skip ? "skip" : "delete";
}

struct Group {
    std::int64_t filesToSend = 0;
    std::int64_t bytesToSend = 0;
    std::int64_t toDelete = 0;
    std::string lines;
};

std::string Heading(const std::string& folder, const Group& group) {
    std::string counts;
    if (group.filesToSend > 0) {
        counts = StringPrintf("%s file%s (%s) to send", GroupedNumber(group.filesToSend).c_str(),
                              group.filesToSend == 1 ? "" : "s",
                              ByteCountText(group.bytesToSend).c_str());
    }
    if (group.toDelete > 0) {
        counts += (counts.empty() ? "" : ", ") + GroupedNumber(group.toDelete) + " to delete";
    }
    return StringPrintf("folder  %s: %s\n", folder.empty() ? "(top folder)" : folder.c_str(),
                        counts.empty() ? "nothing to send or delete" : counts.c_str());
}

}  // namespace

std::string PlanFolder(const std::string& path) {
    // A folder entry ("old/") heads its own group; a file is in its folder's.
    const bool folder = !path.empty() && path.back() == '/';
    const std::string within = folder ? path.substr(0, path.size() - 1) : path;
    const std::size_t end = folder ? within.size() : within.rfind('/');
    if (end == std::string::npos) {
        return {};
    }
    // Cut at the first picture folder: "a/Thumbs/2x" is album "a".
    std::size_t start = 0;
    while (start < end) {
        const std::size_t slash = std::min(within.find('/', start), end);
        if (PictureFolder(std::string_view(within).substr(start, slash - start))) {
            return within.substr(0, start == 0 ? 0 : start - 1);
        }
        start = slash + 1;
    }
    return within.substr(0, end);
}

std::string PlanText(const std::vector<PlannedAction>& actions) {
    const auto byPath = [](const std::string& a, const std::string& b) {
        if (a.empty() != b.empty()) {
            return a.empty();  // the top folder first
        }
        const int order = CompareIgnoringCase(a, b);
        return order != 0 ? order < 0 : a < b;
    };
    std::map<std::string, Group, decltype(byPath)> groups(byPath);
    std::vector<std::string> leftOut;
    for (const PlannedAction& planned : actions) {
        if (planned.action == UploadAction::LeaveOut) {
            leftOut.push_back(planned.path);
            continue;
        }
        Group& group = groups[PlanFolder(planned.path)];
        if (planned.action == UploadAction::Send) {
            ++group.filesToSend;
            group.bytesToSend += planned.bytes;
        } else if (planned.action == UploadAction::Delete) {
            ++group.toDelete;
        }
        group.lines += StringPrintf("%-6s  %s\n", ActionWord(planned.action), planned.path.c_str());
    }
    std::string text;
    for (const auto& [folder, group] : groups) {
        text += (text.empty() ? "" : "\n") + Heading(folder, group) + group.lines;
    }
    if (leftOut.empty()) {
        return text;
    }
    // A short list: the names are the user's private files, worth a look, not a page.
    text += StringPrintf("%sLeft out (not part of the site): %s file%s\n", text.empty() ? "" : "\n",
                         GroupedNumber(static_cast<std::int64_t>(leftOut.size())).c_str(),
                         leftOut.size() == 1 ? "" : "s");
    const std::size_t shown = leftOut.size() > kLeftOutShown + 1 ? kLeftOutShown : leftOut.size();
    for (std::size_t i = 0; i < shown; ++i) {
        text += "  " + leftOut[i] + "\n";
    }
    if (shown < leftOut.size()) {
        text +=
            "  and " + GroupedNumber(static_cast<std::int64_t>(leftOut.size() - shown)) + " more\n";
    }
    return text;
}
