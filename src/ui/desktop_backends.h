#pragma once

// What the desktop program installs into the core at start-up, once the Qt application
// exists: the Qt message boxes and the Qt browser chooser. GUI thread, once.

void InstallDesktopBackends();
