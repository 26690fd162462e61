#pragma once

// The program's settings in words, as the main window lists them: lines under a few
// headings, one per setting or per group of settings that read as one ("Index layout:
// Grid, 4 across, 5 down"), each value as a person would say it ("Yes", "Navy", "#ff8000",
// "None" for an empty one). Photo settings at their standard values are left out, as the
// program file leaves them out. The file's own key names stay with `mavren-cli show`,
// whose output scripts read. Safe from any thread for a program no one changes meanwhile.

#include <string>
#include <vector>

#include "document/program.h"

struct SettingLine {
    std::string heading;
    std::string label;
    std::string value;
};

// The lines in the order shown.
std::vector<SettingLine> SettingLines(const Program& program);

// Each heading on a line of its own, an empty line before every heading but the first,
// then its lines as "   label: value"; "\n" line ends.
std::string ProgramSummary(const Program& program);

// A colour as the summary names it: a named colour by its name (whether it was typed as
// the name or as its value), any other six-digit value as "#rrggbb", anything else as it
// stands, and "None" for no colour.
std::string ColourWords(const std::string& text);
