#pragma once

// What a camera recorded about one photo, as far as a generation run uses it: read by the
// media layer, put into pages and patterns by the others. Empty texts and a date of 0
// when the photo does not say.

#include <string>

#include "platform/date_time.h"

struct PhotoFacts {
    OleDate taken = 0;     // when the photo was taken, local time of the camera
    std::string camera;    // "Canon EOS R6", make and model without repeating the make
    std::string exposure;  // "1/250 s, f/8, ISO 200, 35 mm", the parts that are known
    std::string caption;   // the photo's own description, without a camera's placeholder
};
