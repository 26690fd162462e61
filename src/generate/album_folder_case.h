#pragma once

// On a target whose file system ignores letter case (vfat, exFAT, SMB), a source folder
// renamed from "Rome" to "rome" would find its old folder in the target, and its album
// would be written there under the old spelling, which a server that compares names as
// written does not find. So before the albums are made, each such folder of the target
// is renamed as its source folder is spelt now, and the record follows. Runs on the
// generation worker thread.

#include <memory>

#include "generate/album_record.h"
#include "generate/album_scan.h"
#include "work/worker_messages.h"

// Renames, from the top down, every album folder below target that the file system finds
// for album's sub-albums under another spelling, and moves the record's entries of it
// and of the albums below it to the new paths. One status line per folder renamed, or
// that cannot be (it then keeps its name). Call only where the target ignores letter
// case (IgnoresLetterCase).
void MatchAlbumFolderCase(const std::string& target, const Album& album, AlbumRecord& record,
                          const std::shared_ptr<WorkerMessageReceiver>& window);
