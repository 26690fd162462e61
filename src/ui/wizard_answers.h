#pragma once

// What the new-program wizard's pages ask and the main window reads after Finish. The
// wizard owns one; its pages fill it as the user leaves them. Plain values.

#include <string>

#include "document/new_program_defaults.h"

struct WizardAnswers {
    std::string sourceFolder;
    int fileType = 0;  // 0 images, 1 text, 2 HTML
    // Pictures only.
    int webCopies = 1;
    int photoOrder = 1;        // PhotoOrder: by date taken, oldest first
    int albums = 0;            // each subfolder with pictures an album
    int publishOriginals = 0;  // as taken, beside the web copies
    std::string targetFolder;
    std::string programFolder;
    std::string programName;  // ends in ".mav" after Finish
    // An installed theme's name; empty for the classic pages. A theme that is not installed
    // shows as the classic pages.
    std::string theme = kNewProgramTheme;
};
