#pragma once

// The link options of content pages as the Content Options page hands them to the Link
// Options dialog: which links show, whether the image is a link and where to, and the
// five link labels (empty meaning the default word). Plain values.

#include <string>

struct LinkSettings {
    int showPrev = 0;
    int showNext = 0;
    int showIndex = 0;
    int showBegin = 0;
    int showEnd = 0;
    int imageIsLink = 0;
    int imageLinkStyle = 0;  // 0 to the next page, 1 to the index
    std::string beginLabel;
    std::string endLabel;
    std::string indexLabel;
    std::string nextLabel;
    std::string prevLabel;
};
