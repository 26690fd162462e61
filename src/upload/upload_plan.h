#pragma once

// The plan of a dry run as a reader takes it in: what would be sent, skipped and deleted,
// grouped by the folder (album) it is in. Each group opens with a line that names the
// folder and says how many files and bytes would go there and how many entries would be
// deleted; then come its "send", "skip" and "delete" lines, as they arrived. A generated
// album keeps its pictures in "Thumbs" and "Web" and their subfolders, so what lies there
// is shown with the album. The files left out as not part of the site come last, as a
// count and at most a screenful of their names. Plain data and functions; not thread-safe.

#include <cstdint>
#include <string>
#include <vector>

#include "upload/upload_worker.h"

struct PlannedAction {
    UploadAction action = UploadAction::Skip;
    std::string path;        // as reported: relative, a folder with a trailing "/"
    std::int64_t bytes = 0;  // of a file to send
};

// The album folder a reported path belongs to: "" for the top folder.
// "2024/Rome/Thumbs/TN_a.jpg" and the folder "2024/Rome/" both give "2024/Rome".
std::string PlanFolder(const std::string& path);

// The plan's lines, the top folder's group first, then the others by path ignoring letter
// case, a blank line between groups. Empty for no actions.
std::string PlanText(const std::vector<PlannedAction>& actions);
