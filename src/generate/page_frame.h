#pragma once

// The opening of every generated page, index and content pages alike: the file is
// created and the header line with the BODY attributes and the FONT tag written. The
// attributes are built for the first page and kept for the rest of the run, so that a
// background image that cannot be copied is reported once and the pages go without it.
// One frame per run, used on the generation worker thread.

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "document/program.h"
#include "generate/album_place.h"
#include "generate/generation_summary.h"
#include "generate/html_files.h"
#include "generate/page_writer.h"
#include "generate/theme_files.h"
#include "work/stop_flag.h"
#include "work/worker_messages.h"

class PageFrame {
  public:
    PageFrame(const Program& program, std::shared_ptr<WorkerMessageReceiver> window)
        : program(program),
          window(std::move(window)),
          files(program.GetText(ProgramKey::TargetDir), 0) {}

    // Creates the page and writes its header; the FONT tag is then page.fontTag(). False
    // after telling the user "Failed to create file: " and the path.
    bool Start(PageWriter& page, const std::string& path);

    // The words a boilerplate takes for a page with that heading (HTML text; when it is
    // empty, fallback, plain text, stands in): the heading and the site's language, the
    // program's Page-Language or else the system's; and the theme's files.
    PageWords Words(const std::string& heading, const std::string& fallback);

    // The pages are depth folders below the site's top (0 at the top, the default): the
    // theme's files are copied there and addressed from here.
    void SetDepth(std::size_t depth);

    // The theme's files the pages use, relative to the site's top.
    std::vector<std::string> ThemeCopies() const { return files.Copies(); }

  private:
    const Program& program;
    std::shared_ptr<WorkerMessageReceiver> window;  // told of what fails
    bool built = false;
    std::string body;
    std::string font;
    std::string language;  // the page language, once known
    ThemeFiles files;
};

// What the page steps of one run share: the frame, the tally of what they did, the
// window their reports go to (none: they report nothing), the run's stop flag (none: they
// run to the end; the flag belongs to the run's options, which outlive this), the page
// that could not be written, which ends the run, and where the pages stand in a site of
// albums (none: a site without albums; the place outlives the run).
struct PageRun {
    explicit PageRun(const Program& program,
                     std::shared_ptr<WorkerMessageReceiver> window = nullptr,
                     const StopFlag* stop = nullptr)
        : frame(program, window), window(std::move(window)), stop(stop) {}

    PageFrame frame;
    GenerationSummary summary;
    std::shared_ptr<WorkerMessageReceiver> window;
    Result failure = Result::Ok();
    const StopFlag* stop;
    const AlbumPlace* album = nullptr;
};
