#pragma once

// How many of a program's sources would be published as taken and show where they were
// taken, before any run: for `mavren-cli validate`. Reads every source's metadata, so it
// takes a moment on a large folder. Safe on any thread.

#include "document/program.h"

// The sources (of every album, with albums) that a run would publish as taken, or leave in
// the site because the target is the source folder, and that carry a GPS position. 0 for
// sources that are not pictures.
int CountOriginalsWithPlace(const Program& program);
