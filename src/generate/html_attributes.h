#pragma once

// The BODY attributes and the FONT tag that open every generated page, built from the
// program's HTML settings. Colours, the font face and size are written exactly as the
// user typed them. Free functions without state, called on the generation worker thread.

#include <memory>
#include <string>

#include "document/program.h"
#include "work/worker_messages.h"

// Fills attributes with the background (image or colour) and the text and link colours,
// each introduced by one blank. A background image given as a web address (http:,
// https: or //) is written as it stands; a file is first copied into the target folder,
// where the pages refer to it by its bare name. When that copy fails window is told,
// the attributes are built without the background, and the result is false.
bool BuildBodyAttributes(const Program& program, std::string& attributes,
                         const std::shared_ptr<WorkerMessageReceiver>& window);

// Fills tag with <FONT FACE="..." SIZE="..."> for the settings that are set, or empty.
void BuildFontTag(const Program& program, std::string& tag);
