#include "generate/page_start.h"

#include "generate/html_attributes.h"
#include "platform/message_box.h"

bool StartPage(PageWriter& page, const std::string& path, const Program& program) {
    if (!page.Open(path)) {
        ShowMessageBox("Failed to create file: " + path, MB_OK);
        return false;
    }
    std::string body;
    if (!BuildBodyAttributes(program, body)) {
        return false;
    }
    std::string font;
    BuildFontTag(program, font);
    page.WriteHeader(body, font);
    return true;
}
