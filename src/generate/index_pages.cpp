#include "generate/index_pages.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "document/pattern_expansion.h"
#include "generate/html_files.h"
#include "generate/index_entry.h"
#include "generate/page_frame.h"
#include "generate/page_words.h"
#include "generate/photo_markup.h"
#include "generate/picture_names.h"
#include "generate/progress_report.h"
#include "generate/site_index_page.h"
#include "generate/site_path.h"
#include "generate/source_kind.h"
#include "generate/web_names.h"
#include "platform/files.h"
#include "platform/format.h"
#include "platform/paths.h"
#include "work/progress_tracker.h"
#include "work/worker_messages.h"

namespace {

constexpr int kSinglePageEntries = 99999;
constexpr int kSinglePageAcross = 5;

struct Layout {
    int across = kSinglePageAcross;
    int perPage = kSinglePageEntries;
    int pages = 1;
};

Layout ChooseLayout(const Program& program, int count) {
    Layout layout;
    if (!program.GetBool(ProgramKey::IndexGenerateMultiplePages)) {
        return layout;
    }
    if (program.GetInt(ProgramKey::IndexThumbnailLayoutType) == 0) {
        layout.across = kTypicalAcross;
        layout.perPage = kTypicalAcross * kTypicalDown;
    } else {
        layout.across = program.GetInt(ProgramKey::IndexThumbnailsAcross);
        layout.perPage = layout.across * program.GetInt(ProgramKey::IndexThumbnailsDown);
    }
    if (layout.perPage <= 0) {
        layout.perPage = 0;
        layout.pages = 1;
    } else {
        layout.pages = (count + layout.perPage - 1) / layout.perPage;
    }
    return layout;
}

// rel: what the link leads to, for scripts and browsers; null for a classic link.
void WriteNavigationCell(PageWriter& page, const std::string& target, const char* word,
                         const char* rel = nullptr) {
    page.Line(2, "<TD ALIGN=CENTER VALIGN=TOP>\n");
    if (rel != nullptr) {
        page.Format("%s<A HREF=\"%s\" REL=\"%s\">", page.Indent(0).c_str(), UrlPath(target).c_str(),
                    rel);
    } else {
        page.Format("%s<A HREF=\"%s\">", page.Indent(0).c_str(), UrlPath(target).c_str());
    }
    page.Write(word);
    page.Line(0, "</A>\n");
    page.Line(-2, "</TD>\n");
}

// A cover's double, in the sub-album's "Thumbs/2x".
std::string Cover2x(const AlbumEntry& entry) {
    return JoinPath(JoinPath(PathFolder(entry.cover), "2x"), PathFileName(entry.cover));
}

// What a cover gains on pages for sharing: its double beside it (when the sub-album made
// one), and lazy loading below the first screen.
std::string CoverAttributes(const std::string& target, const AlbumEntry& entry, bool below) {
    std::string attributes;
    const std::string cover2x = Cover2x(entry);
    if (CheckRequiredFile(JoinPath(target, cover2x)).ok()) {
        attributes += " SRCSET=\"" + UrlPath(entry.cover) + " 1x, " + UrlPath(cover2x) + " 2x\"";
    }
    if (below) {
        attributes += " LOADING=\"lazy\"";
    }
    return attributes;
}

// PictureOpening of a cover: the sub-album's run made its WebP and AVIF copies when the
// program asks for them, and they are there. withDouble: the IMG offers the double too.
std::string CoverOpening(const Program& program, const std::string& target, const AlbumEntry& entry,
                         bool withDouble) {
    const auto siblings = [&](const std::string& picture) {
        const std::string path = JoinPath(target, picture);
        return PictureSiblings{.webp = program.GetBool(ProgramKey::PhotoWebp) &&
                                       CheckRequiredFile(WebpSibling(path)).ok(),
                               .avif = program.GetBool(ProgramKey::PhotoAvif) &&
                                       CheckRequiredFile(AvifSibling(path)).ok()};
    };
    std::vector<OfferedPicture> offered = {{entry.cover, siblings(entry.cover), "1x"}};
    if (withDouble && CheckRequiredFile(JoinPath(target, Cover2x(entry))).ok()) {
        offered.push_back({Cover2x(entry), siblings(Cover2x(entry)), "2x"});
    }
    return PictureOpening(offered, "");
}

// A sub-album's entry: its cover, then its name and how many pictures it holds, linked
// to its first index page. attributes: what the cover's IMG gains after ALT; opening: what
// comes before it (PictureOpening).
void WriteAlbumCell(PageWriter& page, const AlbumEntry& entry, const std::string& attributes,
                    const std::string& opening) {
    page.Line(2, "<TD ALIGN=CENTER VALIGN=MIDDLE>\n");
    page.Format("%s<A HREF=\"%s\">", page.Indent(0).c_str(),
                UrlPath(entry.folder + "/INDEX000.HTM").c_str());
    const std::string name = HtmlText(entry.name);
    if (!entry.cover.empty()) {
        const std::string indent = page.Indent(0);
        const std::string closing = PictureClosing(opening);
        if (entry.coverWidth > 0 && entry.coverHeight > 0) {
            page.Format(
                "%s%s<IMG WIDTH=%d HEIGHT=%d BORDER=0\n%s     SRC=\"%s\" ALT=\"%s\"%s>%s<BR>\n",
                indent.c_str(), opening.c_str(), entry.coverWidth, entry.coverHeight,
                indent.c_str(), UrlPath(entry.cover).c_str(), name.c_str(), attributes.c_str(),
                closing.c_str());
        } else {
            page.Format("%s%s<IMG BORDER=0\n%s     SRC=\"%s\" ALT=\"%s\"%s>%s<BR>\n",
                        indent.c_str(), opening.c_str(), indent.c_str(),
                        UrlPath(entry.cover).c_str(), name.c_str(), attributes.c_str(),
                        closing.c_str());
        }
    }
    const std::string& fontTag = page.fontTag();
    page.Write(fontTag);
    page.Format("%s (%d %s)", name.c_str(), entry.pictures,
                entry.pictures == 1 ? "picture" : "pictures");
    if (!fontTag.empty()) {
        page.Write("</FONT>\n");
    }
    page.Line(0, "</A>\n");
    page.Line(-2, "</TD>\n");
}

// The first picture an index page can show in a shared link: the first sound picture from
// the page's first record on, else the cover of the first sub-album.
void FirstPicture(const std::vector<SourceRecord>& records, std::size_t from,
                  const AlbumPlace* album, ShareCard& card) {
    for (std::size_t i = from; i < records.size(); ++i) {
        const SourceRecord& record = records[i];
        int width = 0;
        int height = 0;
        const std::string shown = ShownPicture(record, width, height);
        if (record.damage.empty() && width > 0 && height > 0) {
            card.image = shown;
            card.imageWidth = width;
            card.imageHeight = height;
            return;
        }
    }
    if (album != nullptr && !album->albums.empty() && !album->albums.front().cover.empty()) {
        const AlbumEntry& first = album->albums.front();
        card.image = UrlPath(first.cover);
        card.imageWidth = first.coverWidth;
        card.imageHeight = first.coverHeight;
    }
}

// The words of an index page's boilerplate (plainTitle: the page's title as plain text;
// firstRecord: the record its entries start with). On pages for sharing the title is the
// album and the site, and the head holds what a shared link shows; otherwise the title is
// the heading, followed by the site's name when it has one.
PageWords IndexWords(PageFrame& frame, const Program& program, const std::string& title,
                     const std::string& plainTitle, const std::string& name, bool sitesFirstPage,
                     const std::vector<SourceRecord>& records, std::size_t firstRecord,
                     const AlbumPlace* album) {
    PageWords words = frame.Words(title, "Index");
    const std::string& site = program.GetText(ProgramKey::SiteName);
    if (!program.GetBool(ProgramKey::PagesForSharing)) {
        words.title = JoinTitle({words.title, HtmlText(site)});
        return words;
    }
    const std::string albumTitle = AlbumTitle(album);
    words.title =
        JoinTitle({album != nullptr ? HtmlText(albumTitle) : words.title, HtmlText(site)});
    ShareCard card;
    card.title = album != nullptr     ? albumTitle
                 : plainTitle.empty() ? std::string("Index")
                                      : plainTitle;
    card.siteName = site;
    if (SourceKindOf(program) == SourceKind::Images) {
        int pictures = static_cast<int>(records.size());
        if (album != nullptr) {
            for (const AlbumEntry& entry : album->albums) {
                pictures += entry.pictures;
            }
        }
        card.description = StringPrintf(pictures == 1 ? "%d picture" : "%d pictures", pictures);
        FirstPicture(records, firstRecord, album, card);
    }
    // The site's address shows its first page through index.html.
    card.page = sitesFirstPage && program.GetBool(ProgramKey::SiteIndexHtml) ? std::string()
                                                                             : UrlPath(name);
    words.head = ShareTags(card, program.GetText(ProgramKey::SiteAddress),
                           album != nullptr ? album->trail : std::vector<std::string>());
    return words;
}

}  // namespace

int IndexPageCount(const Program& program, int count) {
    return ChooseLayout(program, count).pages;
}

void IndexPageShape(const Program& program, int& across, int& perPage) {
    const Layout layout = ChooseLayout(program, 0);
    across = layout.across;
    perPage = layout.perPage;
}

bool IndexThumbnailJob(const SourceRecord& record, const Program& program,
                       ThumbnailQueue::Job& job) {
    return SourceKindOf(program) == SourceKind::Images &&
           program.GetBool(ProgramKey::GenerateThumbnails) &&
           PictureJob(record, program, true, job) && !job.thumbnail.empty();
}

bool GenerateIndexPages(std::vector<SourceRecord>& records, const Program& program, PageRun* run,
                        ThumbnailQueue* thumbnails, int jobs, const AlbumPlace* album) {
    const int albums = album != nullptr ? static_cast<int>(album->albums.size()) : 0;
    const int count = albums + static_cast<int>(records.size());
    const std::string target = program.GetText(ProgramKey::TargetDir);
    const Layout layout = ChooseLayout(program, count);
    const bool images = SourceKindOf(program) == SourceKind::Images;
    const std::string unitWord = images ? "thumbnails" : "index entries";
    const std::string boilerplate = program.GetText(ProgramKey::IndexBoilerplate);

    std::unique_ptr<PageRun> ownRun;
    if (run == nullptr) {
        ownRun = std::make_unique<PageRun>(program);
        run = ownRun.get();
    }
    std::unique_ptr<ThumbnailQueue> ownQueue;
    if (thumbnails == nullptr) {
        ownQueue = std::make_unique<ThumbnailQueue>(jobs, run->stop);
        thumbnails = ownQueue.get();
        for (int i = 0; i < count; ++i) {
            ThumbnailQueue::Job job;
            if (IndexThumbnailJob(records[i], program, job)) {
                thumbnails->Add(i, std::move(job));
            }
        }
    }
    const std::shared_ptr<WorkerMessageReceiver>& window = run->window;
    IndexEntryWriter entries(program, *thumbnails, run->summary, window);

    const std::int64_t total = TotalSize(records);
    ProgressTracker tracker;
    tracker.Start("byte", total);
    std::int64_t bytesDone = 0;
    StatusPacer pacer;
    pacer.Hold();  // the first line once a second's work can be told of, not "0 ... in 0 seconds"

    int position = 0;
    std::string previousPage;
    const std::string* albumPath = album != nullptr ? &album->path : nullptr;
    const bool sharing = program.GetBool(ProgramKey::PagesForSharing);
    const bool rel = sharing || program.GetBool(ProgramKey::PageNamesFromFiles);
    const std::vector<std::string> trail =
        album != nullptr ? album->trail : std::vector<std::string>();
    for (int p = 0; p < layout.pages && !IsStopRequested(run->stop); ++p) {
        const std::string name = StringPrintf("INDEX%03d.HTM", p);
        const std::string path = JoinPath(target, name);
        PageWriter page;
        if (!run->frame.Start(page, path)) {
            return false;
        }
        page.Write(SitePathLine(program, trail, ""));
        const std::size_t firstRecord = static_cast<std::size_t>(std::max(0, position - albums));

        const std::string title = ExpandPattern(program, ProgramKey::IndexPageTitle, path, 0, 0,
                                                HtmlText, nullptr, albumPath);
        page.Write("<CENTER>\n");
        if (!title.empty()) {
            page.Format("%s<H1>%s</H1>\n", page.Indent(0).c_str(), title.c_str());
        }
        page.Line(2, "<TABLE WIDTH=\"100%\">\n");
        page.Line(2, "<TR>\n");
        for (int j = 0; j < layout.perPage && position < count && !IsStopRequested(run->stop);
             ++j) {
            std::int64_t size = 0;
            if (position < albums) {
                const AlbumEntry& entry = album->albums[static_cast<std::size_t>(position)];
                WriteAlbumCell(
                    page, entry,
                    sharing ? CoverAttributes(target, entry, entries.BelowFirstScreen(position))
                            : std::string(),
                    entry.cover.empty() ? std::string()
                                        : CoverOpening(program, target, entry, sharing));
            } else {
                SourceRecord& record = records[static_cast<std::size_t>(position - albums)];
                record.indexPage = name;
                if (!entries.Write(page, position - albums, record, position)) {
                    return false;
                }
                size = record.size;
            }
            tracker.Advance(size);
            if ((j + 1) % layout.across == 0) {
                page.Line(-2, "</TR>\n");
                page.Line(2, "<TR>\n");
            }
            if (pacer.Due()) {
                PostStatusText(window, StringPrintf("%d %s in %s", position + 1, unitWord.c_str(),
                                                    tracker.ElapsedText().c_str()) +
                                           " - " + tracker.RemainingText());
            }
            bytesDone += size;
            ++position;
            PostProgress(window, PageStepPercent(bytesDone, total, position, count));
        }
        page.Line(-2, "</TR>\n");
        page.Line(-2, "</TABLE>\n");

        page.Line(0, "<P>\n");
        page.Line(2, "<TABLE WIDTH=\"100%\">\n");
        page.Line(2, "<TR>\n");
        if (album != nullptr && album->hasParent) {
            WriteNavigationCell(page, "../INDEX000.HTM", "Up");
        }
        if (!previousPage.empty()) {
            WriteNavigationCell(page, previousPage, "Previous", rel ? "prev" : nullptr);
        }
        if (p + 1 < layout.pages) {
            WriteNavigationCell(page, StringPrintf("INDEX%03d.HTM", p + 1), "Next",
                                rel ? "next" : nullptr);
        }
        page.Line(-2, "</TR>\n");
        page.Line(-2, "</TABLE>\n");
        page.Write("</CENTER>\n");
        page.WriteClosing();
        // Merged in memory, so that a page the same as before leaves its file alone.
        if (!boilerplate.empty() &&
            !ApplyBoilerplate(page.text(), path, boilerplate,
                              IndexWords(run->frame, program, title,
                                         ExpandPattern(program, ProgramKey::IndexPageTitle, path, 0,
                                                       0, nullptr, nullptr, albumPath),
                                         name, p == 0 && (album == nullptr || !album->hasParent),
                                         records, firstRecord, album),
                              window)) {
            return false;
        }
        if (!MarkGenerated(page.text(), path, window)) {
            return false;
        }
        if (Result closed = page.Close(); !closed.ok()) {
            run->failure = std::move(closed);
            return false;
        }
        run->summary.pagesUnchanged += page.unchanged() ? 1 : 0;
        previousPage = name;
        ++run->summary.indexPages;
    }
    PostStatusText(window, StringPrintf("All %s done.", unitWord.c_str()));
    return true;
}
