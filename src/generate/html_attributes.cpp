#include "generate/html_attributes.h"

#include <cerrno>

#include "generate/web_names.h"
#include "media/file_copy.h"
#include "platform/files.h"
#include "platform/message_box.h"
#include "platform/paths.h"

namespace {

void AddColour(const Program& program, ProgramKey key, const char* name, std::string& attributes) {
    const std::string colour = program.GetText(key);
    if (!colour.empty()) {
        attributes += std::string(" ") + name + "=\"" + colour + "\"";
    }
}

}  // namespace

bool BuildBodyAttributes(const Program& program, std::string& attributes) {
    attributes.clear();
    switch (program.GetInt(ProgramKey::HtmlBackgroundStyle)) {
        case 0: {
            const std::string image = program.GetText(ProgramKey::HtmlBackgroundImage);
            if (image.empty()) {
                break;
            }
            const std::string name = PathFileName(image);
            const std::string destination = JoinPath(program.GetText(ProgramKey::TargetDir), name);
            if (!CopyIfChanged(image, destination)) {
                const std::string reason = ErrorCodeText(errno);
                MessageBoxF("Failed to copy background image:\n\n   %s\nto\n  %s\n\n(%s)",
                            image.c_str(), destination.c_str(), reason.c_str());
                return false;
            }
            attributes += " BACKGROUND=\"" + UrlPath(name) + "\"";
            if (program.GetBool(ProgramKey::HtmlBackgroundFixed)) {
                attributes += " BGPROPERTIES=\"fixed\"";
            }
            break;
        }
        case 1:
            AddColour(program, ProgramKey::HtmlBackgroundColor, "BGCOLOR", attributes);
            break;
        default:
            break;
    }
    AddColour(program, ProgramKey::HtmlTextColorColor, "TEXT", attributes);
    AddColour(program, ProgramKey::HtmlLinkColor, "LINK", attributes);
    AddColour(program, ProgramKey::HtmlVLinkColor, "VLINK", attributes);
    AddColour(program, ProgramKey::HtmlALinkColor, "ALINK", attributes);
    return true;
}

void BuildFontTag(const Program& program, std::string& tag) {
    tag.clear();
    const std::string face = program.GetText(ProgramKey::HtmlFontFace);
    const std::string size = program.GetText(ProgramKey::HtmlFontSize);
    if (!face.empty()) {
        tag = "<FONT FACE=\"" + face + "\"";
    }
    if (!size.empty()) {
        if (tag.empty()) {
            tag = "<FONT ";
        }
        tag += " SIZE=\"" + size + "\"";
    }
    if (!tag.empty()) {
        tag += ">";
    }
}
