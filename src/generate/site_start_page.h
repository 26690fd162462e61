#pragma once

// Where a program's site begins: the first index page in its target folder, or the first
// content page when the program writes content pages only. A run records the same page
// as LastStartPage. Pure function, safe from any thread.

#include <string>

#include "document/program.h"

// The path of the start page the program's settings give, whether or not it exists.
std::string SiteStartPage(const Program& program);
