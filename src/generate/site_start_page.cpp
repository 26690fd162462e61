#include "generate/site_start_page.h"

#include "platform/paths.h"

std::string SiteStartPage(const Program& program) {
    const bool contentOnly = !program.GetBool(ProgramKey::GenerateIndexPage) &&
                             program.GetBool(ProgramKey::GenerateContentPages);
    return JoinPath(program.GetText(ProgramKey::TargetDir),
                    contentOnly ? "GEN0000.HTM" : "INDEX000.HTM");
}
