#pragma once

// Opening a page of the help folder in the user's browser. Any thread.

#include <QString>

// OpenUrl of the help folder followed directly by fileName ("GEN0002.htm").
void OpenHelpPage(const QString& fileName);
