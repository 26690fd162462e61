// The PNG, GIF and JPEG header readers: any bytes give a size or a refusal, without harm,
// and a size read is one a picture can have.

#include <climits>

#include "fuzz_support.h"
#include "media/image_size.h"
#include "media/imaging.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = WriteFuzzFile("input", InputBytes(data, size));
    int width = -1;
    int height = -1;
    if (ReadGifSize(path, width, height) &&
        (width < 0 || width > 65535 || height < 0 || height > 65535)) {
        Broken("a GIF side is a 16-bit number");
    }
    width = -1;
    height = -1;
    if (ReadPngSize(path, width, height) && (width < 0 || height < 0)) {
        Broken("a PNG side is not negative");
    }
    width = -1;
    height = -1;
    if (ReadJpegSize(path, width, height) &&
        (width < 1 || width > 65535 || height < 1 || height > 65535)) {
        Broken("a JPEG side is 1 to 65535");
    }
    for (const char* name : {"input.jpg", "input.png", "input.gif"}) {
        const std::string named = WriteFuzzFile(name, InputBytes(data, size));
        width = 0;
        height = 0;
        const Result measured = GetImageSize(named, width, height);
        if (!measured.ok() && measured.text().empty()) {
            Broken("a picture that cannot be measured says why");
        }
    }
    return 0;
}
