#pragma once

// The line a folder picker shows under its title while the user moves through the
// folders: which matching files the selected folder holds. Pure apart from listing the
// folder; thread-safe.

#include <string>

// The names of the files in folder (not its subfolders) that match the ";"-separated
// patterns, in sorted order and joined by ", " while the text is shorter than 50
// characters. A text that grew beyond 50 characters is cut to its first 50 and ends in
// "..."; otherwise ", ..." follows when more than two files match. With no patterns or
// no matching file the text is "No appropriate files in this directory".
std::string FolderPreviewText(const std::string& folder, const std::string& patterns);
