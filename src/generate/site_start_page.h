#pragma once

// Where a program's site begins: the first index page in its target folder, or the first
// content page when the program writes content pages only (named after its file, that of
// the first source in page order, which is looked up in the source folder). A run records
// the same page as LastStartPage. No shared state, safe from any thread.

#include <string>

#include "document/program.h"

// The path of the start page the program's settings give, whether or not it exists; the
// target folder itself when content pages named after their files have no source.
std::string SiteStartPage(const Program& program);
