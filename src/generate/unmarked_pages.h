#pragma once

// Pages of the user's own where a run is about to write its pages. The target folder may
// be the source folder, so an INDEX000.HTM, GEN0001.HTM or IMG_2041.html there need not be
// the tool's: one that exists without the generator mark is replaced only after one
// question that names every such page. Runs on the generation worker thread; no shared state.

#include <string>
#include <vector>

// True when none of the first indexPages index pages and of the content pages (by name)
// exists in target as a file (or a link to one) without the generator mark, or when the
// user answers Yes to the one question that lists every such page.
bool AgreeToReplaceUnmarkedPages(const std::string& target, int indexPages,
                                 const std::vector<std::string>& contentPages);
