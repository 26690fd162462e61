#include "generate/unmarked_pages.h"

#include <sys/stat.h>

#include <vector>

#include "generate/html_files.h"
#include "platform/format.h"
#include "platform/message_box.h"
#include "platform/paths.h"

namespace {

// Adds to names those of pages that exist in target and are not the tool's.
void AddUnmarked(const std::string& target, const std::vector<std::string>& pages,
                 std::vector<std::string>& names) {
    for (const std::string& name : pages) {
        const std::string path = JoinPath(target, name);
        struct stat status;
        // A folder or a device in the way is no page; writing there fails with its own message.
        if (::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
            !CarriesGeneratorMark(path)) {
            names.push_back(name);
        }
    }
}

}  // namespace

bool AgreeToReplaceUnmarkedPages(const std::string& target, int indexPages,
                                 const std::vector<std::string>& contentPages) {
    std::vector<std::string> names;
    std::vector<std::string> index;
    for (int number = 0; number < indexPages; ++number) {
        index.push_back(StringPrintf("INDEX%03d.HTM", number));
    }
    AddUnmarked(target, index, names);
    AddUnmarked(target, contentPages, names);
    if (names.empty()) {
        return true;
    }
    std::string question = "Generating would replace these pages in the folder \"" + target +
                           "\", which Mavren did not write:\n\n";
    for (const std::string& name : names) {
        question += "   " + name + "\n";
    }
    question += "\nDo you want to continue?";
    return ShowMessageBox(question, MB_YESNO | MB_ICONQUESTION) == IDYES;
}
