#include "generate/html_attributes.h"

#include <cerrno>

#include "generate/web_names.h"
#include "media/file_copy.h"
#include "platform/ascii.h"
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

// A web address rather than a file: the pages can name it as it stands.
bool IsWebAddress(const std::string& image) {
    return image.rfind("//", 0) == 0 || StartsWithIgnoringCase(image, "http:") ||
           StartsWithIgnoringCase(image, "https:");
}

// What BACKGROUND names: the web address, or the image's copy beside the pages. Empty
// after telling the user when the copy failed.
std::string BackgroundSource(const Program& program, const std::string& image,
                             const std::shared_ptr<WorkerMessageReceiver>& window) {
    if (IsWebAddress(image)) {
        return image;
    }
    const std::string name = PathFileName(image);
    const std::string destination = JoinPath(program.GetText(ProgramKey::TargetDir), name);
    if (const Result copied = CopyIfChanged(image, destination); !copied.ok()) {
        const std::string reason = ErrorCodeText(copied.error());
        PostErrorText(window,
                      MessageBoxText("Failed to copy background image:\n\n   %s\nto\n  %s\n\n(%s)",
                                     image.c_str(), destination.c_str(), reason.c_str()));
        return {};
    }
    return UrlPath(name);
}

}  // namespace

bool BuildBodyAttributes(const Program& program, std::string& attributes,
                         const std::shared_ptr<WorkerMessageReceiver>& window) {
    attributes.clear();
    bool copied = true;
    switch (program.GetInt(ProgramKey::HtmlBackgroundStyle)) {
        case 0: {
            const std::string image = program.GetText(ProgramKey::HtmlBackgroundImage);
            if (image.empty()) {
                break;
            }
            const std::string source = BackgroundSource(program, image, window);
            if (source.empty()) {
                copied = false;
                break;
            }
            attributes += " BACKGROUND=\"" + source + "\"";
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
    return copied;
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
