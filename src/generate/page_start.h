#pragma once

// The opening of every generated page, index and content pages alike: the file is
// created and the header line with the BODY attributes and the FONT tag written.
// Called on the generation worker thread.

#include <string>

#include "document/program.h"
#include "generate/page_writer.h"

// False after telling the user: "Failed to create file: " and the path, or the
// background image's copy failure. The FONT tag is then page.fontTag().
bool StartPage(PageWriter& page, const std::string& path, const Program& program);
