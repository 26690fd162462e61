#pragma once

// Renders every dialog and property page of the desktop program into PNG files, without
// a user: each window is opened as the program opens it, filled with a sample program,
// grabbed and closed. Settings go to a temporary folder, not the user's. GUI thread.

#include <QString>

// 0 when every picture was written; otherwise 1 after naming the failures.
int RenderScreenshots(const QString& folder);
