#pragma once

// What a generation run knows of one source file, in the order of the scanned list.

#include <cstdint>
#include <string>

class SourceRecord {
  public:
    virtual ~SourceRecord() = default;

    int height = 0;           // pixels; 0 when not an image or unknown
    int width = 0;            // pixels; likewise
    std::int64_t size = 0;    // bytes, from the file's status after any copy
    std::string contentPage;  // "GEN%04d.HTM" with the record's position
    std::string thumbnail;    // relative to the target folder, when thumbnails are made
    std::string source;       // full path; the copy's path once copied into the target
    std::string indexPage;    // the index page that shows this entry
};
