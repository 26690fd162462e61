#pragma once

// exiv2's process-wide settings, for every file of this folder that calls it: its messages
// muted (they must never reach a terminal), its XMP toolkit started with a lock, and its
// HEIC/HEIF reader switched on. Call before any other use of exiv2; safe from any thread,
// the settings are made once.
void PrepareExiv2();
