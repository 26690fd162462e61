#include "generate/content_pages.h"

#include <memory>
#include <utility>

#include "document/pattern_expansion.h"
#include "generate/damaged_pictures.h"
#include "generate/file_descriptions.h"
#include "generate/html_files.h"
#include "generate/page_frame.h"
#include "generate/page_words.h"
#include "generate/photo_markup.h"
#include "generate/product.h"
#include "generate/progress_report.h"
#include "generate/site_path.h"
#include "generate/source_kind.h"
#include "generate/text_to_html.h"
#include "generate/web_names.h"
#include "platform/format.h"
#include "platform/message_box.h"
#include "platform/paths.h"
#include "work/progress_tracker.h"
#include "work/worker_messages.h"

namespace {

constexpr char kNotIncluded[] = "File not included due to problems with content.";
constexpr char kStandardContentTitle[] = "%F";  // the title of Default.mav and new programs

bool AskToContinue(const std::string& question) {
    return ShowMessageBox(question, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

// "WIDTH=%d HEIGHT=%d " when the picture's size is known; a picture whose size could not be
// read is left to the browser to size.
std::string SizeAttributes(int width, int height) {
    return width > 0 && height > 0 ? StringPrintf("WIDTH=%d HEIGHT=%d ", width, height)
                                   : std::string();
}

// "%s<A HREF=\"%s\" TARGET=\"%s\"><IMG\n%s   WIDTH=%d HEIGHT=%d BORDER=0 SRC=\"%s\">%s</A>\n";
// photo pages add their attributes after SRC, and opening (PictureOpening) before the IMG.
void WriteLinkedImage(PageWriter& page, const std::string& href, const char* frame, int width,
                      int height, const std::string& source, const std::string& attributes = {},
                      const std::string& opening = {}) {
    const std::string indent = page.Indent(0);
    page.Format("%s<A HREF=\"%s\" TARGET=\"%s\">%s<IMG\n%s   %sBORDER=0 SRC=\"%s\"%s>%s</A>\n",
                indent.c_str(), href.c_str(), frame, opening.c_str(), page.Indent(0).c_str(),
                SizeAttributes(width, height).c_str(), source.c_str(), attributes.c_str(),
                PictureClosing(opening).c_str());
}

// rel: what the link leads to, for scripts and browsers; null for a classic link.
void WriteLink(PageWriter& page, const std::string& target, const std::string& label,
               const char* rel) {
    if (rel != nullptr) {
        page.Format("%s<A HREF=\"%s\" REL=\"%s\">", page.Indent(0).c_str(), UrlPath(target).c_str(),
                    rel);
    } else {
        page.Format("%s<A HREF=\"%s\">", page.Indent(0).c_str(), UrlPath(target).c_str());
    }
    page.Write(label);
    page.Line(0, "</A>\n");
    page.Line(0, "<P>\n");
}

std::string LinkLabel(const Program& program, ProgramKey key, const char* standard) {
    std::string label = program.GetText(key);
    return label.empty() ? standard : label;
}

// The picture of a content page: the web copy when there is one, which then links to the
// original (or, when originals stay private, to itself) instead of the next page.
void WritePicture(PageWriter& page, const Program& program,
                  const std::vector<SourceRecord>& records, std::size_t i,
                  const std::string* caption) {
    const SourceRecord& record = records[i];
    const bool web = !record.webCopy.empty();
    const std::string original = UrlPath(PathFileName(record.source));
    int width = 0;
    int height = 0;
    const std::string image = ShownPicture(record, width, height);
    std::string attributes =
        caption == nullptr ? std::string() : ContentImageAttributes(record, *caption);
    if (caption != nullptr && program.GetBool(ProgramKey::PagesForSharing)) {
        attributes += " FETCHPRIORITY=\"high\"";  // the page's largest picture, at once
    }
    const std::string opening = ContentPictureOpening(record);
    if (program.GetBool(ProgramKey::ContentImageIsLink)) {
        std::string href;
        if (web) {
            href = record.originalPublished ? original : image;
        } else {
            const bool toNext =
                program.GetInt(ProgramKey::ContentImageIsLinkStyle) == 0 && i + 1 < records.size();
            href = UrlPath(toNext ? records[i + 1].contentPage : record.indexPage);
        }
        WriteLinkedImage(page, href, "", width, height, image, attributes, opening);
    } else {
        const std::string indent = page.Indent(0);
        page.Format("%s%s<IMG %sBORDER=0\n%s     SRC=\"%s\"%s>%s", indent.c_str(), opening.c_str(),
                    SizeAttributes(width, height).c_str(), page.Indent(0).c_str(), image.c_str(),
                    attributes.c_str(), PictureClosing(opening).c_str());
        page.Write("\n");
    }
}

// The content of one page by the kind of the sources. caption is the picture's caption on
// photo pages, null on others. False when the user chose to stop.
bool WriteContent(PageWriter& page, const Program& program, SourceKind kind,
                  const std::vector<SourceRecord>& records, std::size_t i,
                  const std::string* caption,
                  const std::shared_ptr<WorkerMessageReceiver>& window) {
    const SourceRecord& record = records[i];
    switch (kind) {
        case SourceKind::Images:
            if (!record.damage.empty()) {
                WriteDamagedPicture(page, record, 0);
            } else if (const std::string video = VideoElement(record); !video.empty()) {
                // Never in a link, whatever the program's pictures are: a click plays it.
                page.Format("%s%s\n", page.Indent(0).c_str(), video.c_str());
            } else {
                WritePicture(page, program, records, i, caption);
            }
            return true;
        case SourceKind::Text: {
            std::string text;
            const std::string error = ReadSourceFile(record.source, text);
            if (error.empty()) {
                TextToHtml(text, program.GetBool(ProgramKey::ContentGuessParagraphs));
                page.Write(text);
            } else if (AskToContinue("Problem with a content file:\n\n" + error +
                                     "\nDo you want to continue?")) {
                page.Write(kNotIncluded);
            } else {
                return false;
            }
            return true;
        }
        case SourceKind::Html: {
            std::string body;
            if (ExtractBody(record.source, body, window, kLargestSourceFile)) {
                page.Write(body);
            } else if (AskToContinue("Problem with HTML file.\n\nDo you want to continue?")) {
                page.Write(kNotIncluded);
            } else {
                return false;
            }
            return true;
        }
        case SourceKind::Other:
            break;
    }
    return true;
}

// A label under the content, by the same kinds as the index labels.
void WriteContentLabel(PageWriter& page, const Program& program, const SourceRecord& record,
                       FileDescriptions& descriptions, bool& descriptionsLoaded) {
    const std::string name = PathFileName(record.source);
    std::string label;
    switch (program.GetInt(ProgramKey::ContentLabelType)) {
        case 1:
            if (!descriptionsLoaded) {
                descriptions.Load(program.GetText(ProgramKey::SourceDir));
                descriptionsLoaded = true;
            }
            label = HtmlText(PhotoCaption(program, record, descriptions.Find(name)));
            break;
        case 2:
            label = ExpandPattern(program, ProgramKey::ContentCustomLabel, record.source,
                                  record.width, record.height, HtmlText, &record.facts);
            break;
        default:
            break;
    }
    if (label.empty() && program.GetInt(ProgramKey::ContentLabelType) != 2) {
        label = StringPrintf("%s (%lldKB)", HtmlText(name).c_str(),
                             static_cast<long long>(record.size / 1024));
    }
    page.Format("%s<BR>%s\n", page.Indent(0).c_str(), label.c_str());
}

// The navigation links of page i: classic pages list them Index, Beginning, Next,
// Previous, End; pages for sharing in the order the theme shows them, so that Tab follows
// the screen. previousPage is the page before, "" for none.
void WriteNavigation(PageWriter& page, const Program& program,
                     const std::vector<SourceRecord>& records, std::size_t i,
                     const std::string& previousPage) {
    struct NavigationLink {
        bool shown;
        std::string target;
        std::string label;
        const char* rel;
    };
    const bool last = i + 1 == records.size();
    const NavigationLink index{
        program.GetBool(ProgramKey::ContentShowLinkIndex), records[i].indexPage,
        LinkLabel(program, ProgramKey::ContentLinkIndexLabel, "Index"), "up"};
    const NavigationLink begin{
        program.GetBool(ProgramKey::ContentShowLinkBegin) && i != 0, records.front().contentPage,
        LinkLabel(program, ProgramKey::ContentLinkBeginLabel, "Beginning"), "first"};
    const NavigationLink next{program.GetBool(ProgramKey::ContentShowLinkNext) && !last,
                              last ? std::string() : records[i + 1].contentPage,
                              LinkLabel(program, ProgramKey::ContentLinkNextLabel, "Next"), "next"};
    const NavigationLink previous{
        program.GetBool(ProgramKey::ContentShowLinkPrev) && !previousPage.empty(), previousPage,
        LinkLabel(program, ProgramKey::ContentLinkPrevLabel, "Previous"), "prev"};
    const NavigationLink end{program.GetBool(ProgramKey::ContentShowLinkEnd) && !last,
                             records.back().contentPage,
                             LinkLabel(program, ProgramKey::ContentLinkEndLabel, "End"), "last"};
    const bool sharing = program.GetBool(ProgramKey::PagesForSharing);
    const bool rel = sharing || program.GetBool(ProgramKey::PageNamesFromFiles);
    const NavigationLink* const classic[] = {&index, &begin, &next, &previous, &end};
    const NavigationLink* const onScreen[] = {&begin, &previous, &index, &next, &end};
    for (const NavigationLink* link : sharing ? onScreen : classic) {
        if (link->shown) {
            WriteLink(page, link->target, link->label, rel ? link->rel : nullptr);
        }
    }
}

// The words of a content page's boilerplate. On pages for sharing the title is the
// picture's words, its album and the site, and the head holds what a shared link shows;
// otherwise the title is the heading, followed by the site's name when it has one.
PageWords ContentWords(PageFrame& frame, const Program& program, const SourceRecord& record,
                       SourceKind kind, const std::string& heading, const std::string& shown,
                       const AlbumPlace* album) {
    PageWords words = frame.Words(heading, PathFileName(record.source));
    const std::string& site = program.GetText(ProgramKey::SiteName);
    if (!program.GetBool(ProgramKey::PagesForSharing)) {
        words.title = JoinTitle({words.title, HtmlText(site)});
        return words;
    }
    words.title = JoinTitle({HtmlText(shown), HtmlText(AlbumTitle(album)), HtmlText(site)});
    ShareCard card;
    card.title = shown;
    card.description = shown;
    if (record.facts.taken != 0) {
        card.description += ", " + TakenText(record.facts.taken);
    }
    card.siteName = site;
    if (kind == SourceKind::Images && record.damage.empty()) {
        card.image = ShownPicture(record, card.imageWidth, card.imageHeight);
    }
    card.page = UrlPath(PathFileName(record.contentPage));
    words.head = ShareTags(card, program.GetText(ProgramKey::SiteAddress),
                           album != nullptr ? album->trail : std::vector<std::string>());
    return words;
}

}  // namespace

bool GenerateContentPages(std::vector<SourceRecord>& records, const Program& program,
                          PageRun* run) {
    std::unique_ptr<PageRun> ownRun;
    if (run == nullptr) {
        ownRun = std::make_unique<PageRun>(program);
        run = ownRun.get();
    }
    const std::shared_ptr<WorkerMessageReceiver>& window = run->window;
    const std::string target = program.GetText(ProgramKey::TargetDir);
    const SourceKind kind = SourceKindOf(program);
    const std::string boilerplate = program.GetText(ProgramKey::ContentBoilerplate);
    const bool creditLink = program.GetBool(ProgramKey::MiscIncludeMavrenLink);
    const bool showLabels = program.GetBool(ProgramKey::ContentShowLabels);
    const bool photoMarkup = kind == SourceKind::Images && PhotoMarkupOn(program);
    const bool sharing = program.GetBool(ProgramKey::PagesForSharing);
    // A title the user wrote is expanded as ever; the standard one gives way to words.
    const bool headingShowsName =
        sharing && program.GetText(ProgramKey::ContentPageTitle) == kStandardContentTitle;
    const std::vector<std::string> trail =
        run->album != nullptr ? run->album->trail : std::vector<std::string>();
    FileDescriptions descriptions;
    bool descriptionsLoaded = false;

    const std::int64_t total = TotalSize(records);
    ProgressTracker tracker;
    tracker.Start("byte", total);
    std::int64_t bytesDone = 0;
    StatusPacer pacer;
    pacer.Hold();  // the first line once a second's work can be told of, not "0 ... in 0 seconds"

    const std::size_t count = records.size();
    std::string previousPage;
    for (std::size_t i = 0; i < count; ++i) {
        if (IsStopRequested(run->stop)) {
            return true;
        }
        const SourceRecord& record = records[i];
        const std::string path = JoinPath(target, PathFileName(record.contentPage));
        PageWriter page;
        if (!run->frame.Start(page, path)) {
            return false;
        }
        page.Write(SitePathLine(program, trail, record.indexPage));
        std::string caption;
        if (photoMarkup || sharing) {
            if (!descriptionsLoaded) {
                descriptions.Load(program.GetText(ProgramKey::SourceDir));
                descriptionsLoaded = true;
            }
            caption = PhotoCaption(program, record, descriptions.Find(PathFileName(record.source)));
        }
        const std::string shown = sharing ? SharedName(caption, record) : std::string();

        page.Line(2, "<TABLE WIDTH=\"100%\">\n");
        page.Line(2, "<TR>\n");
        page.Line(2, "<TD ALIGN=CENTER VALIGN=TOP>\n");
        const std::string title =
            headingShowsName ? HtmlText(shown)
                             : ExpandPattern(program, ProgramKey::ContentPageTitle, record.source,
                                             record.width, record.height, HtmlText, &record.facts);
        if (!title.empty()) {
            page.Format("%s<H1>%s</H1>\n", page.Indent(0).c_str(), title.c_str());
        }
        page.Line(-2, "</TD>\n");
        if (creditLink) {
            page.Line(2, "<TD ALIGN=CENTER VALIGN=TOP>\n");
            // Photo pages give every picture words, the badge too.
            WriteLinkedImage(page, std::string(kProductHomePage), "other", 96, 31,
                             std::string(kCreditBadgeName),
                             photoMarkup ? " ALT=\"Generated with Mavren\"" : "");
            page.Line(-2, "</TD>\n");
        }
        page.Line(-2, "</TR>\n");
        page.Line(2, "<TR>\n");
        page.Line(2, "<TD ALIGN=LEFT VALIGN=TOP>\n");
        const std::string& alt = sharing ? shown : caption;
        if (!WriteContent(page, program, kind, records, i, photoMarkup ? &alt : nullptr, window)) {
            return false;
        }
        if (photoMarkup || record.video) {
            // A label of descriptions, or the heading, shows the caption already.
            const bool captionShown =
                (showLabels && program.GetInt(ProgramKey::ContentLabelType) == 1) ||
                headingShowsName;
            const std::string facts =
                PhotoFactsLine(captionShown ? std::string() : caption, record.facts,
                               record.video ? record.videoSeconds : 0);
            if (!facts.empty()) {
                page.Format("%s%s\n", page.Indent(0).c_str(), facts.c_str());
            }
        }
        if (showLabels) {
            WriteContentLabel(page, program, record, descriptions, descriptionsLoaded);
        }

        tracker.Advance(record.size);
        if (pacer.Due()) {
            PostStatusText(window, StringPrintf("%d content files in %s", static_cast<int>(i + 1),
                                                tracker.ElapsedText().c_str()) +
                                       " - " + tracker.RemainingText());
        }
        bytesDone += record.size;
        PostProgress(window, PageStepPercent(bytesDone, total, static_cast<std::int64_t>(i + 1),
                                             static_cast<std::int64_t>(count)));

        page.Line(-2, "</TD>\n");
        page.Line(2, "<TD ALIGN=CENTER VALIGN=TOP>\n");
        WriteNavigation(page, program, records, i, previousPage);
        page.Line(-2, "</TD>\n");
        page.Line(-2, "</TR>\n");
        page.Line(-2, "</TABLE>\n");
        page.WriteClosing();
        // Merged in memory, so that a page the same as before leaves its file alone.
        if (!boilerplate.empty() && (!ApplyBoilerplate(page.text(), path, boilerplate,
                                                       ContentWords(run->frame, program, record,
                                                                    kind, title, shown, run->album),
                                                       window) ||
                                     !MarkGenerated(page.text(), path, window))) {
            return false;
        }
        if (Result closed = page.Close(); !closed.ok()) {
            run->failure = std::move(closed);
            return false;
        }
        run->summary.pagesUnchanged += page.unchanged() ? 1 : 0;
        previousPage = PathFileName(record.contentPage);
        ++run->summary.contentPages;
    }
    return true;
}
