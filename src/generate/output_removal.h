#pragma once

// What both removals of a run use (stale output in a folder of the site, albums that are
// gone): the remover that says what it removed, the names of a folder's entries and the
// names of the pages the generators write. Runs on the generation worker thread.

#include <memory>
#include <string>
#include <vector>

#include "platform/expected.h"
#include "work/worker_messages.h"

// Where a run keeps the pictures it makes of a source, relative to its target folder.
inline constexpr char kThumbnailFolder[] = "Thumbs";
inline constexpr char kThumbnailPrefix[] = "TN_";
inline constexpr char kDoubleThumbnailFolder[] = "Thumbs/2x";
inline constexpr char kWebFolder[] = "Web";
inline constexpr char kPhoneFolder[] = "Web/Small";

class Remover {
  public:
    // Removes files of target; shownAs: how the status lines name the target folder ("" for
    // the site's own). Both must outlive the remover.
    Remover(const std::string& target, const std::shared_ptr<WorkerMessageReceiver>& window,
            std::string shownAs = {});

    // Removes the file named relative to the target folder, and says so, also when it cannot.
    void Remove(const std::string& name);

    int removed = 0;

  private:
    const std::string& target;
    const std::shared_ptr<WorkerMessageReceiver>& window;
    std::string shownAs;
};

// The names of a folder's entries that are folders (not links to them), or else those that
// are not; a folder that cannot be opened has none. A listing that breaks off part way
// fails ("list" of folder, with its errno value): part of a folder is not the folder.
Expected<std::vector<std::string>> EntryNames(const std::string& folder, bool folders);

// The names of list; when it failed, none after posting to window that nothing stale goes
// from the folder (shown: its name relative to the target, "" for the target itself) and why.
std::vector<std::string> ListedWhole(Expected<std::vector<std::string>> list,
                                     const std::string& shown,
                                     const std::shared_ptr<WorkerMessageReceiver>& window);

// How the status lines name a folder relative to the target: "the target folder" for "",
// else in quotes.
std::string ShownFolder(const std::string& relative);

// The page number of a name the generators write as prefix, a number of at least width
// digits and ".HTM" ("INDEX007.HTM"), or -1.
int PageNumber(const std::string& name, const char* prefix, int width);

// True for the name of an index or a content page as the generators write them, numbered
// or named after its file ("IMG_2041.html").
bool IsPageName(const std::string& name);
