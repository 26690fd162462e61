#pragma once

// Whose albums a target folder holds (a site without albums is recorded as its top album), decided
// before a run of albums writes anything: the record of the target's albums names the program file
// whose runs made them. A program may use the record it made; it takes over one whose program file
// is gone (renamed, moved, deleted) and one an earlier version wrote, which names none, saying so
// in one status line. The albums of another program whose file is still there are not
// its to change: the run is refused. A program never saved owns only what its run makes:
// it starts from no record and leaves the record as it is. Runs on the generation worker
// thread.

#include <memory>
#include <string>

#include "document/program.h"
#include "generate/album_record.h"
#include "work/worker_messages.h"

// Reads the record of the program's target into record, with one status line when it
// cannot be read or is damaged (then it is no record). True with record.program set to
// this program (empty for a program never saved: such a record is not to be saved).
// When the record belongs to another program whose file still exists: for a program of
// albums, false after a message box naming the target folder and the other program (the
// run must end at once); for one without albums, true with no record and an empty
// record.program, after one status line (the run removes nothing earlier runs made).
bool ClaimAlbumRecord(const Program& program, AlbumRecord& record,
                      const std::shared_ptr<WorkerMessageReceiver>& window);

// Saves the record of the site generated into target (a Target-Dir as written), unless
// the program was never saved and so owns nothing; says so in a status line when it
// cannot be saved.
void SaveClaimedRecord(const std::string& target, const AlbumRecord& record,
                       const std::shared_ptr<WorkerMessageReceiver>& window);
