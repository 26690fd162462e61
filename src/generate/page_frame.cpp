#include "generate/page_frame.h"

#include "generate/html_attributes.h"
#include "platform/message_box.h"

bool PageFrame::Start(PageWriter& page, const std::string& path) {
    if (!page.Open(path)) {
        ShowMessageBox("Failed to create file: " + path, MB_OK);
        return false;
    }
    if (!built) {
        // A failed background copy has been reported; the pages go on without it.
        BuildBodyAttributes(program, body);
        BuildFontTag(program, font);
        built = true;
    }
    page.WriteHeader(body, font);
    return true;
}
