#include "generate/site_start_page.h"

#include <memory>
#include <vector>

#include "generate/folder_generation.h"
#include "generate/html_files.h"
#include "generate/page_names.h"
#include "generate/photo_order.h"
#include "generate/source_kind.h"
#include "platform/paths.h"
#include "platform/source_scan.h"

namespace {

// The page of the first source, in page order, of the program's top folder, as a run names
// it; "" when there is none.
std::string FirstNamedPage(const Program& program) {
    const std::unique_ptr<FileList> list =
        ScanFiles(program.GetText(ProgramKey::SourceDir), SourcePatterns(program), false);
    if (!list) {
        return {};
    }
    const SourceKind kind = SourceKindOf(program);
    std::erase_if(*list, [kind](const std::string& entry) {
        return kind == SourceKind::Images ? IsOwnPicture(entry)
                                          : kind == SourceKind::Html && CarriesGeneratorMark(entry);
    });
    std::vector<PhotoFacts> facts = ReadRunPhotoFacts(program, *list);
    OrderByDateTaken(program, *list, facts);
    const std::vector<std::string> pages = ContentPageNames(program, *list);
    return pages.empty() ? std::string() : pages.front();
}

}  // namespace

std::string SiteStartPage(const Program& program) {
    const bool contentOnly = !program.GetBool(ProgramKey::GenerateIndexPage) &&
                             program.GetBool(ProgramKey::GenerateContentPages);
    std::string page = contentOnly ? "GEN0000.HTM" : "INDEX000.HTM";
    if (contentOnly && program.GetBool(ProgramKey::PageNamesFromFiles)) {
        page = FirstNamedPage(program);
    }
    return JoinPath(program.GetText(ProgramKey::TargetDir), page);
}
