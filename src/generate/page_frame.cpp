#include "generate/page_frame.h"

#include "document/language_tag.h"
#include "generate/html_attributes.h"
#include "generate/web_names.h"
#include "platform/paths.h"

bool PageFrame::Start(PageWriter& page, const std::string& path) {
    if (!page.Open(path).ok()) {
        PostErrorText(window, "Failed to create file: " + path);
        return false;
    }
    if (!built) {
        // A failed background copy has been reported; the pages go on without it.
        BuildBodyAttributes(program, body, window);
        BuildFontTag(program, font);
        built = true;
    }
    // Only a program that names its language says so on classic pages: the others stay
    // as they were.
    page.WriteHeader(body, font, HtmlText(program.GetText(ProgramKey::PageLanguage)));
    return true;
}

PageWords PageFrame::Words(const std::string& heading, const std::string& fallback) {
    if (language.empty()) {
        const std::string& named = program.GetText(ProgramKey::PageLanguage);
        language = HtmlText(named.empty() ? SystemLanguageTag() : named);
    }
    return {heading.empty() ? HtmlText(fallback) : heading, language, {}, &files};
}

void PageFrame::SetDepth(std::size_t depth) {
    std::string top = program.GetText(ProgramKey::TargetDir);
    for (std::size_t i = 0; i < depth; ++i) {
        top = PathFolder(top);
    }
    files = ThemeFiles(top, depth);
}
