#include "generate/index_pages.h"

#include <memory>
#include <utility>

#include "document/pattern_expansion.h"
#include "generate/html_files.h"
#include "generate/index_entry.h"
#include "generate/page_frame.h"
#include "generate/picture_names.h"
#include "generate/progress_report.h"
#include "generate/source_kind.h"
#include "generate/web_names.h"
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

void WriteNavigationCell(PageWriter& page, const std::string& target, const char* word) {
    page.Line(2, "<TD ALIGN=CENTER VALIGN=TOP>\n");
    page.Format("%s<A HREF=\"%s\">", page.Indent(0).c_str(), UrlPath(target).c_str());
    page.Write(word);
    page.Line(0, "</A>\n");
    page.Line(-2, "</TD>\n");
}

// A sub-album's entry: its cover, then its name and how many pictures it holds, linked
// to its first index page.
void WriteAlbumCell(PageWriter& page, const AlbumEntry& entry) {
    page.Line(2, "<TD ALIGN=CENTER VALIGN=MIDDLE>\n");
    page.Format("%s<A HREF=\"%s\">", page.Indent(0).c_str(),
                UrlPath(entry.folder + "/INDEX000.HTM").c_str());
    const std::string name = HtmlText(entry.name);
    if (!entry.cover.empty()) {
        const std::string indent = page.Indent(0);
        if (entry.coverWidth > 0 && entry.coverHeight > 0) {
            page.Format("%s<IMG WIDTH=%d HEIGHT=%d BORDER=0\n%s     SRC=\"%s\" ALT=\"%s\"><BR>\n",
                        indent.c_str(), entry.coverWidth, entry.coverHeight, indent.c_str(),
                        UrlPath(entry.cover).c_str(), name.c_str());
        } else {
            page.Format("%s<IMG BORDER=0\n%s     SRC=\"%s\" ALT=\"%s\"><BR>\n", indent.c_str(),
                        indent.c_str(), UrlPath(entry.cover).c_str(), name.c_str());
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

    int position = 0;
    std::string previousPage;
    const std::string* albumPath = album != nullptr ? &album->path : nullptr;
    for (int p = 0; p < layout.pages && !IsStopRequested(run->stop); ++p) {
        const std::string name = StringPrintf("INDEX%03d.HTM", p);
        const std::string path = JoinPath(target, name);
        PageWriter page;
        if (!run->frame.Start(page, path)) {
            return false;
        }

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
                WriteAlbumCell(page, album->albums[static_cast<std::size_t>(position)]);
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
                PostStatusText(window, StringPrintf("%d %s in %s", position, unitWord.c_str(),
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
            WriteNavigationCell(page, previousPage, "Previous");
        }
        if (p + 1 < layout.pages) {
            WriteNavigationCell(page, StringPrintf("INDEX%03d.HTM", p + 1), "Next");
        }
        page.Line(-2, "</TR>\n");
        page.Line(-2, "</TABLE>\n");
        page.Write("</CENTER>\n");
        page.WriteClosing();
        if (Result closed = page.Close(); !closed.ok()) {
            run->failure = std::move(closed);
            return false;
        }
        previousPage = name;

        if (!boilerplate.empty() &&
            !ApplyBoilerplate(path, boilerplate, run->frame.Words(title, "Index"), window)) {
            return false;
        }
        if (!AddGeneratorMeta(path, window) ||
            (!boilerplate.empty() && !DeclarePageCharset(path, window))) {
            return false;
        }
        ++run->summary.indexPages;
    }
    PostStatusText(window, StringPrintf("All %s done.", unitWord.c_str()));
    return true;
}
