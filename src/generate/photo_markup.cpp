#include "generate/photo_markup.h"

#include <algorithm>
#include <cmath>
#include <ctime>

#include "generate/page_words.h"
#include "generate/web_names.h"
#include "media/picture_set.h"
#include "platform/format.h"
#include "platform/paths.h"

namespace {

// A photo's local time as the TIME element's attribute has it, or as readers see it.
enum class TimeForm { Attribute, Shown };

std::string LocalTime(OleDate date, TimeForm form) {
    const std::time_t time = TimeFromOleDate(date);
    std::tm parts{};
    char text[64] = "";
    if (localtime_r(&time, &parts) != nullptr) {
        std::strftime(text, sizeof text,
                      form == TimeForm::Attribute ? "%Y-%m-%dT%H:%M:%S" : "%Y-%m-%d %H:%M", &parts);
    }
    return text;
}

// The SIZES of a content page's picture with a phone copy: the web copy's width at most.
std::string WebCopySizes(const SourceRecord& record) {
    return StringPrintf(" SIZES=\"(max-width: %dpx) 100vw, %dpx\"", record.webWidth,
                        record.webWidth);
}

// The newer formats a picture may be offered in, in the order browsers are to try them.
struct Format {
    const char* type;
    bool PictureSiblings::*has;
    std::string (*sibling)(const std::string&);
};
constexpr Format kFormats[] = {
    {"image/avif", &PictureSiblings::avif, AvifSibling},
    {"image/webp", &PictureSiblings::webp, WebpSibling},
};

}  // namespace

bool PhotoMarkupOn(const Program& program) {
    return program.GetInt(ProgramKey::PhotoWebSize) > 0 ||
           program.GetBool(ProgramKey::PhotoCameraCaptions) ||
           program.GetBool(ProgramKey::PagesForSharing);
}

std::string PhotoCaption(const Program& program, const SourceRecord& record,
                         const std::string& description) {
    if (!description.empty()) {
        return description;
    }
    return program.GetBool(ProgramKey::PhotoCameraCaptions) ? record.facts.caption : std::string();
}

std::string SharedName(const std::string& caption, const SourceRecord& record) {
    return caption.empty() ? CleanName(record.source) : caption;
}

std::string AltAttribute(const std::string& caption, const SourceRecord& record) {
    const std::string words = caption.empty() ? PathFileName(record.source) : caption;
    return " ALT=\"" + HtmlText(record.video ? "Video: " + words : words) + "\"";
}

std::string ContentImageAttributes(const SourceRecord& record, const std::string& caption) {
    std::string attributes;
    if (!record.phoneCopy.empty() && !record.webCopy.empty()) {
        attributes +=
            StringPrintf(" SRCSET=\"%s %dw, %s %dw\"", UrlPath(record.phoneCopy).c_str(),
                         record.phoneWidth, UrlPath(record.webCopy).c_str(), record.webWidth) +
            WebCopySizes(record);
    }
    return attributes + AltAttribute(caption, record);
}

std::string PictureOpening(const std::vector<OfferedPicture>& offered, const std::string& sizes) {
    std::string sources;
    for (const Format& format : kFormats) {
        std::string srcset;
        for (const OfferedPicture& picture : offered) {
            if (!(picture.siblings.*format.has)) {
                continue;
            }
            srcset += (srcset.empty() ? "" : ", ") + UrlPath(format.sibling(picture.path));
            if (offered.size() > 1) {
                srcset += " " + picture.descriptor;
            }
        }
        if (!srcset.empty()) {
            sources += std::string("<SOURCE TYPE=\"") + format.type + "\" SRCSET=\"" + srcset +
                       "\"" + (offered.size() > 1 ? sizes : std::string()) + ">";
        }
    }
    return sources.empty() ? sources : "<PICTURE>" + sources;
}

std::string PictureClosing(const std::string& opening) {
    return opening.empty() ? std::string() : std::string("</PICTURE>");
}

std::string ContentPictureOpening(const SourceRecord& record) {
    if (record.webCopy.empty()) {
        return {};  // the original is shown, which has no copies
    }
    if (record.phoneCopy.empty()) {
        return PictureOpening({{record.webCopy, record.webSiblings, ""}}, "");
    }
    return PictureOpening(
        {{record.phoneCopy, record.phoneSiblings, StringPrintf("%dw", record.phoneWidth)},
         {record.webCopy, record.webSiblings, StringPrintf("%dw", record.webWidth)}},
        WebCopySizes(record));
}

std::string ThumbnailPictureOpening(const SourceRecord& record, const std::string& thumbnail) {
    std::vector<OfferedPicture> offered = {{thumbnail, record.thumbnailSiblings, "1x"}};
    if (!record.thumbnail2x.empty()) {
        offered.push_back({record.thumbnail2x, record.thumbnail2xSiblings, "2x"});
    }
    return PictureOpening(offered, "");
}

std::string ThumbnailAttributes(const SourceRecord& record, const std::string& thumbnail,
                                const std::string& caption, bool belowFirstScreen, bool labelled) {
    std::string attributes;
    if (!record.thumbnail2x.empty()) {
        attributes +=
            " SRCSET=\"" + UrlPath(thumbnail) + " 1x, " + UrlPath(record.thumbnail2x) + " 2x\"";
    }
    attributes += labelled ? std::string(" ALT=\"\"") : AltAttribute(caption, record);
    if (belowFirstScreen) {
        attributes += " LOADING=\"lazy\"";
    }
    return attributes;
}

int EntriesOnFirstScreen(int across, int boxSize) {
    // A row is the thumbnail and about two lines of label.
    const int rows = std::max(1, (900 + boxSize + 39) / (std::max(boxSize, 1) + 40));
    return std::max(1, across) * rows;
}

int EntriesOnPhoneScreen(int boxSize) {
    constexpr int kScreenWidth = 390;
    constexpr int kScreenHeight = 844;
    constexpr int kColumns = 2;
    constexpr int kMargins = 16;   // at both sides and between the columns
    constexpr int kLabel = 24;     // a line of label under the thumbnail
    constexpr int kHeading = 120;  // the site's name and the album's heading
    const int column = (kScreenWidth - (kColumns + 1) * kMargins) / kColumns;
    const int cell = std::min(std::max(boxSize, 1), column) + kLabel;
    // A row the screen shows in part is shown.
    const int rows = (kScreenHeight - kHeading + cell - 1) / cell;
    return kColumns * std::max(1, rows);
}

std::string TakenText(OleDate taken) {
    return LocalTime(taken, TimeForm::Shown);
}

std::string ShownPicture(const SourceRecord& record, int& width, int& height) {
    const bool web = !record.webCopy.empty();
    width = web ? record.webWidth : record.width;
    height = web ? record.webHeight : record.height;
    return UrlPath(web ? record.webCopy : PathFileName(record.source));
}

std::string ViewerData(const SourceRecord& record, const std::string& shownName) {
    int width = 0;
    int height = 0;
    const std::string shown = ShownPicture(record, width, height);
    if (!record.damage.empty() || record.video || width <= 0 || height <= 0) {
        return {};
    }
    std::string data =
        StringPrintf(" DATA-PSWP-SRC=\"%s\" DATA-PSWP-WIDTH=\"%d\" DATA-PSWP-HEIGHT=\"%d\"",
                     shown.c_str(), width, height);
    if (!record.webCopy.empty() && !record.phoneCopy.empty()) {
        data +=
            StringPrintf(" DATA-PSWP-SRCSET=\"%s %dw, %s %dw\"", UrlPath(record.phoneCopy).c_str(),
                         record.phoneWidth, UrlPath(record.webCopy).c_str(), record.webWidth);
    }
    data += " DATA-CAPTION=\"" + HtmlText(shownName) + "\"";
    if (record.facts.taken != 0) {
        data += " DATA-TAKEN=\"" + TakenText(record.facts.taken) + "\"";
    }
    return data;
}

std::string PhotoFactsLine(const std::string& caption, const PhotoFacts& facts,
                           double videoSeconds) {
    std::vector<std::string> parts;
    if (!caption.empty()) {
        parts.push_back("<SPAN CLASS=\"photo-caption\">" + HtmlText(caption) + "</SPAN>");
    }
    if (const std::string duration = DurationText(videoSeconds); !duration.empty()) {
        parts.push_back(StringPrintf("<TIME CLASS=\"video-duration\" DATETIME=\"PT%ldS\">",
                                     std::lround(videoSeconds)) +
                        duration + "</TIME>");
    }
    if (facts.taken != 0) {
        parts.push_back("<TIME CLASS=\"photo-taken\" DATETIME=\"" +
                        LocalTime(facts.taken, TimeForm::Attribute) + "\">" +
                        LocalTime(facts.taken, TimeForm::Shown) + "</TIME>");
    }
    std::string line;
    for (const std::string& part : parts) {
        line += (line.empty() ? "" : " ") + part;
    }
    return line.empty() ? line : "<P CLASS=\"photo-facts\">" + line + "</P>";
}

std::string DurationText(double seconds) {
    if (!std::isfinite(seconds) || seconds <= 0) {
        return {};
    }
    const long total = std::lround(seconds);
    const long hours = total / 3600;
    const long minutes = total / 60 % 60;
    return hours > 0 ? StringPrintf("%ld:%02ld:%02ld", hours, minutes, total % 60)
                     : StringPrintf("%ld:%02ld", minutes, total % 60);
}

std::string VideoElement(const SourceRecord& record) {
    if (record.webVideo.empty()) {
        return {};
    }
    std::string element = "<VIDEO CONTROLS PLAYSINLINE PRELOAD=\"metadata\"";
    if (!record.webCopy.empty()) {
        element += " POSTER=\"" + UrlPath(record.webCopy) + "\"";
    }
    if (record.webWidth > 0 && record.webHeight > 0) {
        element += StringPrintf(" WIDTH=%d HEIGHT=%d", record.webWidth, record.webHeight);
    }
    return element + "><SOURCE SRC=\"" + UrlPath(record.webVideo) +
           "\" TYPE=\"video/mp4\"></VIDEO>";
}

std::string VideoMark(const SourceRecord& record) {
    // A character reference, so that pages in any character set have the sign; U+FE0E asks
    // for the text form rather than a coloured emoji.
    const std::string duration = DurationText(record.videoSeconds);
    return "<SPAN CLASS=\"video-mark\"><SPAN ARIA-HIDDEN=\"true\">&#9654;&#xFE0E;</SPAN>" +
           (duration.empty() ? std::string() : " " + duration) + "</SPAN>";
}
