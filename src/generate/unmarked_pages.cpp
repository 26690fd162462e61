#include "generate/unmarked_pages.h"

#include <sys/stat.h>

#include <vector>

#include "generate/html_files.h"
#include "platform/format.h"
#include "platform/message_box.h"
#include "platform/paths.h"

namespace {

// Adds to names the pages named prefix and a number of at least width digits, numbered from
// 0 below count ("INDEX000.HTM"), that are not the tool's.
void AddUnmarked(const std::string& target, const char* prefix, int width, int count,
                 std::vector<std::string>& names) {
    for (int number = 0; number < count; ++number) {
        const std::string name = StringPrintf("%s%0*d.HTM", prefix, width, number);
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

bool AgreeToReplaceUnmarkedPages(const std::string& target, int indexPages, int contentPages) {
    std::vector<std::string> names;
    AddUnmarked(target, "INDEX", 3, indexPages, names);
    AddUnmarked(target, "GEN", 4, contentPages, names);
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
