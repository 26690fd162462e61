#include "generate/site_index_page.h"

#include <sys/stat.h>

#include "generate/html_files.h"
#include "generate/output_removal.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace {

enum class Present { None, Ours, Users };

// Only a plain file with the generator mark is the tool's; a link or a folder of that name
// is the user's, whatever it leads to.
Present WhoseIndex(const std::string& path) {
    struct stat status;
    if (::lstat(path.c_str(), &status) != 0) {
        return Present::None;
    }
    return S_ISREG(status.st_mode) && CarriesGeneratorMark(path) ? Present::Ours : Present::Users;
}

}  // namespace

bool UpdateSiteIndexPage(const Program& program, const std::string& startPage,
                         const std::shared_ptr<WorkerMessageReceiver>& window, int& removed) {
    const std::string target = program.GetText(ProgramKey::TargetDir);
    const std::string path = JoinPath(target, kSiteIndexName);
    const Present present = WhoseIndex(path);
    const bool wanted = program.GetBool(ProgramKey::SiteIndexHtml) && !startPage.empty();
    if (!wanted) {
        if (present == Present::Ours) {
            Remover remover(target, window);
            remover.Remove(kSiteIndexName);
            removed += remover.removed;
        }
        return false;
    }
    if (present == Present::Users) {
        PostStatusText(window,
                       "index.html in the target folder is not Mavren's and was left alone.");
        return false;
    }
    std::string page;
    Result done = ReadWholeFile(JoinPath(target, startPage), page);
    // One already the same is left alone, time and all, for the upload to pass over.
    if (std::string there; done.ok() && !(ReadWholeFile(path, there).ok() && there == page)) {
        done = ReplaceFileContents(path, page, false);
    }
    if (!done.ok()) {
        PostStatusText(window, "The start page cannot be copied to index.html: " + done.reason());
        return false;
    }
    return true;
}
