#pragma once

// Photos that cannot be read (their size or their pixels): the site shows a neutral
// placeholder with the photo's name and the reason in their place, and publishes nothing
// of them, neither the original nor a picture made of it. Runs on the generation worker
// thread; no shared state.

#include <memory>
#include <string>
#include <vector>

#include "document/program.h"
#include "generate/page_writer.h"
#include "generate/source_record.h"
#include "work/worker_messages.h"

// The placeholder's own size, square.
inline constexpr int kDamagedPlaceholderSize = 120;

// The reason in a measuring error (GetImageSize's text) as a clause: "...'.\n\nIt is not a
// valid JPG file." gives "it is not a valid JPG file".
std::string DamageFromSizeError(const std::string& error);

// Records that the picture of record cannot be shown, for reason (a clause such as "it
// is damaged or not a picture"), and drops the names of every picture made of it.
void MarkDamaged(SourceRecord& record, const std::string& reason);

// Writes, with indent 0, the placeholder's IMG element fitted into a square of box pixels
// and, on a line of its own, the sentence that names the picture and the reason.
void WriteDamagedPicture(PageWriter& page, const SourceRecord& record, int box);

// Copies the installed placeholder into target unless an equal copy is there; tells window
// when it could not, and the run goes on (its pages then miss the placeholder only).
void CopyDamagedPlaceholder(const std::string& target,
                            const std::shared_ptr<WorkerMessageReceiver>& window);

// Removes the web and phone copies of the damaged pictures among records, made by an
// earlier run or this one, saying so to window; thumbnails go with the stale output.
// Returns the number of files removed.
int RemoveDamagedWebCopies(const Program& program, const std::vector<SourceRecord>& records,
                           const std::shared_ptr<WorkerMessageReceiver>& window);
