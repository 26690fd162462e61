#pragma once

// The settings a new program starts with: the built-in defaults, then the template
// "Default.mav" beside the executable over them. When the template is missing or cannot
// be read the user is told (exclamation box) and the built-in defaults stay. GUI or
// command-line thread; shows its box through the installed message-box backend.

class Program;

void LoadDefaultProgram(Program& program);
