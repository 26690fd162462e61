#pragma once

// Renders every dialog and property page of the desktop program into PNG files, without
// a user: each window is opened as the program opens it, filled with a sample program,
// grabbed and closed. GUI thread.

#include <QString>

class QTemporaryDir;

// Points HOME, XDG_CONFIG_HOME and XDG_RUNTIME_DIR into home, before the application
// starts. False when home could not be made.
bool UseScratchHome(const QTemporaryDir& home);

// Renders into folder, with sample files made in HOME. 0 when every picture was written;
// otherwise 1 after naming the failures.
int RenderScreenshots(const QString& folder);
