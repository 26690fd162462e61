#pragma once

// index.html at the top of a site: a copy of the site's start page, so that the site's
// own address ("https://example.org/photos/") shows the gallery. It sits beside the start
// page, so the page's relative links hold unchanged. Only an index.html that carries the
// generator mark is the tool's: one without it is the user's own and is never replaced
// nor removed. Runs on the generation worker thread after a finished run's pages.

#include <memory>
#include <string>

#include "document/program.h"
#include "work/worker_messages.h"

inline constexpr char kSiteIndexName[] = "index.html";

// Brings the target folder's index.html up to date with startPage (relative to the
// target; empty when the run wrote no start page): a copy of it when the program asks for
// one, else no index.html of the tool's. Tells window in a status line what it removed,
// what it left alone and what it could not write. removed is raised by the files removed.
// True when index.html is now the tool's copy of the start page.
bool UpdateSiteIndexPage(const Program& program, const std::string& startPage,
                         const std::shared_ptr<WorkerMessageReceiver>& window, int& removed);
