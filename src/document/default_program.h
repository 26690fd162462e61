#pragma once

// The settings a new program starts with: the built-in defaults, then the template
// "Default.mav" beside the executable over them. When the template is missing or cannot
// be read the built-in defaults stay and the failure's text is for the front end to show
// in an exclamation box. Any thread; keeps no state.

#include "platform/result.h"

class Program;

Result LoadDefaultProgram(Program& program);
