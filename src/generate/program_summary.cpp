#include "generate/program_summary.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <initializer_list>

#include "document/named_colours.h"
#include "generate/index_pages.h"
#include "generate/source_kind.h"
#include "platform/ascii.h"
#include "platform/format.h"

namespace {

using K = ProgramKey;
using Words = std::string (*)(const Program&);
using KeyWords = std::string (*)(const Program&, ProgramKey);

struct Row {
    const char* heading;
    const char* label;
    std::vector<ProgramKey> keys;
    Words words = nullptr;
    KeyWords keyWords = nullptr;  // for a row of one key read the plain way

    std::string Value(const Program& program) const {
        return words != nullptr ? words(program) : keyWords(program, keys.front());
    }
};

Row Plain(const char* heading, const char* label, ProgramKey id, KeyWords how) {
    return {heading, label, {id}, nullptr, how};
}

std::string YesNo(const Program& program, ProgramKey id) {
    return program.GetBool(id) ? "Yes" : "No";
}

std::string TextOrNone(const std::string& text) {
    return text.empty() ? "None" : text;
}

std::string TextOf(const Program& program, ProgramKey id) {
    return TextOrNone(program.GetText(id));
}

std::string Colour(const Program& program, ProgramKey id) {
    return ColourWords(program.GetText(id));
}

std::string SourceFiles(const Program& program) {
    const std::string patterns = program.GetText(K::SourceFileExtension);
    if (patterns.empty()) {
        return "None";
    }
    switch (SourceKindOf(program)) {
        case SourceKind::Images:
            return "Pictures";
        case SourceKind::Text:
            return "Text files";
        case SourceKind::Html:
            return "HTML files";
        case SourceKind::Other:
            break;
    }
    return "Files matching " + patterns;
}

std::string Thumbnails(const Program& program) {
    if (!program.GetBool(K::GenerateThumbnails)) {
        return "No";
    }
    const int size = program.GetInt(K::ThumbnailSize);
    return StringPrintf("Yes, %d by %d pixels", size, size);
}

std::string IndexLayout(const Program& program) {
    if (!program.GetBool(K::IndexGenerateMultiplePages)) {
        return "All on one page";
    }
    if (program.GetInt(K::IndexThumbnailLayoutType) == 0) {
        return StringPrintf("For a typical browser window, %d across, %d down", kTypicalAcross,
                            kTypicalDown);
    }
    return StringPrintf("Grid, %d across, %d down", program.GetInt(K::IndexThumbnailsAcross),
                        program.GetInt(K::IndexThumbnailsDown));
}

std::string Labels(const Program& program, ProgramKey shown, ProgramKey type, ProgramKey custom) {
    if (!program.GetBool(shown)) {
        return "None";
    }
    switch (program.GetInt(type)) {
        case 0:
            return "File name and size";
        case 1:
            return "From a description file";
        case 2:
            return "Custom: " + TextOf(program, custom);
        default:
            break;
    }
    return "Unknown kind " + program.GetText(type);
}

// The names of the ids whose keys are Yes, joined by commas; "None" when none is.
std::string NamesOfYes(const Program& program,
                       std::initializer_list<std::pair<ProgramKey, const char*>> names) {
    std::string text;
    for (const auto& [id, name] : names) {
        if (program.GetBool(id)) {
            text += (text.empty() ? "" : ", ") + std::string(name);
        }
    }
    return TextOrNone(text);
}

std::string ContentLinks(const Program& program) {
    return NamesOfYes(program, {{K::ContentShowLinkBegin, "Beginning"},
                                {K::ContentShowLinkPrev, "Previous"},
                                {K::ContentShowLinkIndex, "Index"},
                                {K::ContentShowLinkNext, "Next"},
                                {K::ContentShowLinkEnd, "End"}});
}

std::string PictureLink(const Program& program) {
    if (!program.GetBool(K::ContentImageIsLink)) {
        return "No";
    }
    return program.GetInt(K::ContentImageIsLinkStyle) == 0 ? "Yes, to the next page"
                                                           : "Yes, to the index";
}

std::string LinkWords(const Program& program) {
    const std::pair<ProgramKey, const char*> words[] = {
        {K::ContentLinkBeginLabel, "Beginning"}, {K::ContentLinkPrevLabel, "Previous"},
        {K::ContentLinkIndexLabel, "Index"},     {K::ContentLinkNextLabel, "Next"},
        {K::ContentLinkEndLabel, "End"},
    };
    std::string text;
    for (const auto& [id, link] : words) {
        const std::string word = program.GetText(id);
        if (!word.empty()) {
            text += (text.empty() ? "" : ", ") + std::string(link) + " \"" + word + "\"";
        }
    }
    return text.empty() ? "Standard" : text;
}

std::string Background(const Program& program) {
    switch (program.GetInt(K::HtmlBackgroundStyle)) {
        case 0: {
            const std::string image = program.GetText(K::HtmlBackgroundImage);
            if (image.empty()) {
                return "None";
            }
            return "Picture " + image + (program.GetBool(K::HtmlBackgroundFixed) ? ", fixed" : "");
        }
        case 1:
            return Colour(program, K::HtmlBackgroundColor);
        default:
            break;
    }
    return "None";
}

std::string GifThumbnails(const Program& program) {
    switch (program.GetInt(K::MiscGifThumbnailType)) {
        case 0:
            return "A generic picture";
        case 1:
            return "The GIF itself, sized by the browser";
        case 2:
            return "From the folder " + TextOf(program, K::MiscGifThumbnailDir);
        case kGifThumbnailOfFirstFrame:
            return "Made from the first frame";
        default:
            break;
    }
    return "Unknown kind " + program.GetText(K::MiscGifThumbnailType);
}

std::string WebCopies(const Program& program) {
    const int size = program.GetInt(K::PhotoWebSize);
    if (size <= 0) {
        return "No";
    }
    return StringPrintf("Yes, %d pixels on the longest side, quality %d", size,
                        program.GetInt(K::PhotoWebQuality));
}

std::string Order(const Program& program) {
    switch (static_cast<PhotoOrder>(program.GetInt(K::PhotoOrder))) {
        case PhotoOrder::ByName:
            return "By file name";
        case PhotoOrder::OldestFirst:
            return "By date taken, oldest first";
        case PhotoOrder::NewestFirst:
            return "By date taken, newest first";
    }
    return "Unknown order " + program.GetText(K::PhotoOrder);
}

std::string Videos(const Program& program) {
    if (!program.GetBool(K::PhotoVideos)) {
        return "No";
    }
    const int threads = program.GetInt(K::PhotoVideoThreads);
    return StringPrintf("Yes, web copies of at most %dp", program.GetInt(K::PhotoVideoSize)) +
           (threads > 0 ? StringPrintf(", %d threads each", threads) : std::string());
}

const char* const kGeneration = "Generation";
const char* const kIndex = "Index pages";
const char* const kLinks = "Links";
const char* const kContent = "Content pages";
const char* const kLook = "Colours and fonts";
const char* const kOther = "Other";
const char* const kPhotos = "Photos";
const char* const kPages = "Pages";

const std::vector<Row>& Rows() {
    static const std::vector<Row> rows = {
        {kGeneration,
         "Last generated",
         {K::LastGenerated},
         [](const Program& p) { return p.GetText(K::LastGenerated); }},
        Plain(kGeneration, "Source folder", K::SourceDir, TextOf),
        Plain(kGeneration, "Target folder", K::TargetDir, TextOf),
        Plain(kGeneration, "Index pages", K::GenerateIndexPage, YesNo),
        Plain(kGeneration, "Content pages", K::GenerateContentPages, YesNo),
        {kIndex, "Source files", {K::SourceFileExtension}, SourceFiles},
        Plain(kIndex, "Index title", K::IndexPageTitle, TextOf),
        {kIndex, "Thumbnails", {K::GenerateThumbnails, K::ThumbnailSize}, Thumbnails},
        Plain(kIndex, "Only remake changed thumbnails", K::SmartThumbnailGeneration, YesNo),
        {kIndex,
         "Index layout",
         {K::IndexGenerateMultiplePages, K::IndexThumbnailLayoutType, K::IndexThumbnailsAcross,
          K::IndexThumbnailsDown},
         IndexLayout},
        {kIndex,
         "Thumbnail labels",
         {K::IndexLabelThumbnails, K::IndexThumbnailLabelType, K::IndexThumbnailCustomLabel},
         [](const Program& p) {
             return Labels(p, K::IndexLabelThumbnails, K::IndexThumbnailLabelType,
                           K::IndexThumbnailCustomLabel);
         }},
        Plain(kIndex, "Index boilerplate", K::IndexBoilerplate, TextOf),
        {kLinks,
         "Links on content pages",
         {K::ContentShowLinkBegin, K::ContentShowLinkEnd, K::ContentShowLinkIndex,
          K::ContentShowLinkNext, K::ContentShowLinkPrev},
         ContentLinks},
        {kLinks,
         "Picture is a link",
         {K::ContentImageIsLink, K::ContentImageIsLinkStyle},
         PictureLink},
        Plain(kContent, "Content title", K::ContentPageTitle, TextOf),
        Plain(kContent, "Content boilerplate", K::ContentBoilerplate, TextOf),
        {kContent,
         "Content labels",
         {K::ContentShowLabels, K::ContentLabelType, K::ContentCustomLabel},
         [](const Program& p) {
             return Labels(p, K::ContentShowLabels, K::ContentLabelType, K::ContentCustomLabel);
         }},
        Plain(kContent, "Frame", K::ContentFrame, YesNo),
        Plain(kContent, "Show links", K::ContentShowLinks, YesNo),
        Plain(kContent, "Guess paragraphs", K::ContentGuessParagraphs, YesNo),
        {kContent,
         "Link words",
         {K::ContentLinkBeginLabel, K::ContentLinkEndLabel, K::ContentLinkIndexLabel,
          K::ContentLinkNextLabel, K::ContentLinkPrevLabel},
         LinkWords},
        {kLook,
         "Background",
         {K::HtmlBackgroundStyle, K::HtmlBackgroundImage, K::HtmlBackgroundFixed,
          K::HtmlBackgroundColor},
         Background},
        Plain(kLook, "Text colour", K::HtmlTextColorColor, Colour),
        Plain(kLook, "Link colour", K::HtmlLinkColor, Colour),
        Plain(kLook, "Visited link colour", K::HtmlVLinkColor, Colour),
        Plain(kLook, "Active link colour", K::HtmlALinkColor, Colour),
        Plain(kLook, "Font", K::HtmlFontFace, TextOf),
        Plain(kLook, "Font size", K::HtmlFontSize, TextOf),
        Plain(kOther, "Comments", K::Comments, TextOf),
        {kOther,
         "GIF thumbnails",
         {K::MiscGifThumbnailType, K::MiscGifThumbnailDir},
         GifThumbnails},
        Plain(kOther, "\"Generated with Mavren\" link", K::MiscIncludeMavrenLink, YesNo),
        {kPhotos, "Web-size copies", {K::PhotoWebSize, K::PhotoWebQuality}, WebCopies},
        Plain(kPhotos, "Publish the originals", K::PhotoPublishOriginals, YesNo),
        Plain(kPhotos, "Keep camera data", K::PhotoKeepCameraData, YesNo),
        Plain(kPhotos, "Captions from the camera", K::PhotoCameraCaptions, YesNo),
        {kPhotos, "Order", {K::PhotoOrder}, Order},
        Plain(kPhotos, "Subfolders as albums", K::IncludeSubfolders, YesNo),
        Plain(kPhotos, "Originals without place and identity", K::PhotoOriginalsWithoutPlace,
              YesNo),
        Plain(kPhotos, "WebP copies", K::PhotoWebp, YesNo),
        Plain(kPhotos, "AVIF copies", K::PhotoAvif, YesNo),
        Plain(kPhotos, "Opaque PNG photos as JPEG", K::PhotoPngAsJpeg, YesNo),
        {kPhotos, "Videos", {K::PhotoVideos, K::PhotoVideoSize, K::PhotoVideoThreads}, Videos},
        // Left out while empty: the pages then declare the system's language.
        Plain(kPages, "Page language", K::PageLanguage, TextOf),
        Plain(kPages, "index.html start page", K::SiteIndexHtml, YesNo),
        Plain(kPages, "Pages named after their files", K::PageNamesFromFiles, YesNo),
        Plain(kPages, "Site name", K::SiteName, TextOf),
        Plain(kPages, "Pages for sharing", K::PagesForSharing, YesNo),
        Plain(kPages, "Site address", K::SiteAddress, TextOf),
        Plain(kOther, "Upload the whole target folder", K::UploadWholeFolder, YesNo),
    };
    return rows;
}

bool AllAtStandard(const Program& program, const std::vector<ProgramKey>& keys) {
    return std::all_of(keys.begin(), keys.end(), [&](ProgramKey id) {
        const KeyDescriptor* row = FindKey(id);
        return row != nullptr && program.AtStandard(*row);
    });
}

}  // namespace

std::vector<SettingLine> SettingLines(const Program& program) {
    std::vector<SettingLine> lines;
    for (const Row& row : Rows()) {
        if (!AllAtStandard(program, row.keys)) {
            lines.push_back({row.heading, row.label, row.Value(program)});
        }
    }
    return lines;
}

std::string ProgramSummary(const Program& program) {
    std::string text;
    const std::string* heading = nullptr;
    const std::vector<SettingLine> lines = SettingLines(program);
    for (const SettingLine& line : lines) {
        if (heading == nullptr || *heading != line.heading) {
            text += (heading == nullptr ? "" : "\n") + line.heading + "\n";
            heading = &line.heading;
        }
        text += "   " + line.label + ": " + line.value + "\n";
    }
    return text;
}

std::string ColourWords(const std::string& text) {
    if (text.empty()) {
        return "None";
    }
    for (const NamedColour& colour : kNamedColours) {
        if (EqualsIgnoringCase(text, colour.name)) {
            return std::string(colour.name);
        }
    }
    const std::string digits = text.front() == '#' ? text.substr(1) : text;
    const bool hex = digits.size() == 6 && std::all_of(digits.begin(), digits.end(), [](char c) {
                         return std::isxdigit(static_cast<unsigned char>(c)) != 0;
                     });
    if (!hex) {
        return text;
    }
    const int value = static_cast<int>(std::strtol(digits.c_str(), nullptr, 16));
    for (const NamedColour& colour : kNamedColours) {
        if (colour.value == value) {
            return std::string(colour.name);
        }
    }
    return "#" + AsciiLowerCase(digits);
}
