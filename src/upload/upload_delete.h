#pragma once

// The deletion of what the server has below the remote folder and the site no longer has
// (upload_mirror.h says what is never touched), on the upload's first connection once the
// site is all there: it lists, asks, and deletes; above the job's limit it refuses, or in
// the desktop program asks with No offered. A dry run only reports and counts what it
// would delete. One thread.

#include <cstdint>
#include <string>

#include "upload/ftp_client.h"
#include "upload/upload_messages.h"
#include "upload/upload_mirror.h"
#include "upload/upload_walk.h"
#include "upload/upload_worker.h"

namespace upload_run {

// What a deletion left undone, or in a dry run would do, for the summary.
struct DeletionCounts {
    std::int64_t filesToDelete = 0;  // dry run
    std::int64_t foldersToDelete = 0;
    bool overLimit = false;            // dry run: they would not be deleted
    std::int64_t filesNotDeleted = 0;  // above the limit
};

// "; 2 files and 1 folder would be deleted" ("would not be" above the limit), or empty
// when a dry run found nothing to delete.
std::string WouldBeDeletedText(const DeletionCounts& counts);

class UploadDeletion {
  public:
    // scope: the remote folder's full path and the folders this upload made in it;
    // folderDoubt: why the server is not trusted with deletions, or empty.
    UploadDeletion(const UploadJob& job, const UploadMessages& messages, MirrorScope scope,
                   std::string folderDoubt)
        : job(job),
          messages(messages),
          scope(std::move(scope)),
          folderDoubt(std::move(folderDoubt)) {}

    // Lists what the server has and site does not, asks, and deletes it. Finished also when
    // the user said No or the limit refused it; Failed after a box; Canceled on a stop.
    UploadOutcome Run(FtpClient& connection, const LocalSite& site);
    const DeletionCounts& Counts() const { return counts; }

  private:
    // Asks before deleting the extras (or refuses above the limit); true to go ahead.
    bool Confirm(const std::vector<RemoteExtra>& extras, std::int64_t files,
                 const std::string& over);

    const UploadJob& job;
    const UploadMessages& messages;
    const MirrorScope scope;
    const std::string folderDoubt;
    DeletionCounts counts;
};

}  // namespace upload_run
