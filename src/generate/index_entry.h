#pragma once

// One entry of an index page: the table cell with its link, and inside it the
// thumbnail with its label or the file's name. Keeps what an index generation does once
// (the placeholder copy, the description file). Used by one generation at a time.

#include <memory>
#include <string>

#include "document/program.h"
#include "generate/file_descriptions.h"
#include "generate/generation_summary.h"
#include "generate/page_writer.h"
#include "generate/source_record.h"
#include "generate/thumbnail_queue.h"
#include "platform/result.h"
#include "work/worker_messages.h"

// Tells window in an OK box that from could not be copied to to, the errno value of
// failed saying why.
void ShowCopyFailure(const std::shared_ptr<WorkerMessageReceiver>& window, const std::string& from,
                     const std::string& to, const Result& failed);

class IndexEntryWriter {
  public:
    // Thumbnails made, kept and missing are counted in summary; a picture without a good
    // thumbnail gets a status line to window. A record without a thumbnail name (a picture
    // the run could not measure, which it has told the user of) is listed by its label
    // and counted as missing.
    IndexEntryWriter(const Program& program, ThumbnailQueue& thumbnails, GenerationSummary& summary,
                     std::shared_ptr<WorkerMessageReceiver> window);

    // Whether the entry shown at place (counted over all the pages) lies below a first
    // screenful of its page, and so loads lazily.
    bool BelowFirstScreen(int place) const;

    // Writes the cell of the record at position. False after telling the user when the
    // index generation must end (a picture could not be copied, or the user said No).
    // shownAt is the entry's place among all the entries of the pages, when entries of
    // sub-albums come before the records; -1: position. A picture whose thumbnail cannot be
    // made because it cannot be decoded is marked damaged in record, and its cell, like
    // that of every damaged picture, shows the placeholder, its name and the reason, linked
    // to its content page when there are content pages.
    bool Write(PageWriter& page, int position, SourceRecord& record, int shownAt = -1);

  private:
    // What the cell's IMG element shows; width and height are -1 when not known. No
    // source: there is no picture to show.
    struct Picture {
        std::string source;
        int width = -1;
        int height = -1;
    };

    bool FindPicture(int position, SourceRecord& record, Picture& picture);
    bool GifPicture(const SourceRecord& record, Picture& picture);
    bool CopyPlaceholder();
    std::string Label(const SourceRecord& record);
    std::string Caption(const SourceRecord& record);
    void WriteLabelAlone(PageWriter& page, const SourceRecord& record);

    const Program& program;
    ThumbnailQueue& thumbnails;
    GenerationSummary& summary;
    std::shared_ptr<WorkerMessageReceiver> window;
    std::string target;
    bool showThumbnails;
    bool contentPages;
    int boxSize;
    bool photoMarkup;
    bool sharing;            // pages for sharing: words before file names, data for the viewer
    int entriesPerPage = 0;  // entries on one index page
    int entriesOnFirstScreen = 0;  // of them, those a first screenful shows
    bool placeholderCopied = false;
    bool descriptionsLoaded = false;
    FileDescriptions descriptions;
};
