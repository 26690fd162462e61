#include "upload/s3_object_headers.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(S3ObjectHeaders, TypeAndCachingByNameAndDeclaredCharset) {
    struct Case {
        std::string key;
        std::string firstBytes;
        std::string type;
        std::string cache;
    };
    const std::string page = "public, max-age=300";
    const std::string year = "public, max-age=31536000, immutable";
    const std::string hour = "public, max-age=3600";
    const std::string late(1020, ' ');
    const Case cases[] = {
        {"site/index.htm", "<html><head><title>x</title>", "text/html", page},
        {"site/a.HTML", "<META CHARSET=\"UTF-8\">", "text/html; charset=UTF-8", page},
        {"a.html", "<meta\ncharset=iso-8859-1 />", "text/html; charset=iso-8859-1", page},
        {"a.htm", "<Meta Http-Equiv='content-type' CONTENT='text/html; Charset=Windows-1252'>",
         "text/html; charset=Windows-1252", page},
        // Not a declaration: another META, a charset with a header's line end in it, one
        // past the first 1024 bytes, and an element whose name only begins with "meta".
        {"a.htm", "<meta name=\"description\" content=\"charset=koi8-r\">", "text/html", page},
        {"a.htm", "<meta charset=\"utf-8\r\nX-Evil: 1\">", "text/html", page},
        {"a.htm", late + "<meta charset=\"utf-8\">", "text/html", page},
        {"a.htm", "<metadata charset=\"utf-8\">", "text/html", page},
        {"p/Photo.JPG", "", "image/jpeg", hour},
        {"p/a.jpeg", "", "image/jpeg", hour},
        {"a.png", "", "image/png", hour},
        {"a.webp", "", "image/webp", hour},
        {"a.avif", "", "image/avif", hour},
        {"a.svg", "", "image/svg+xml", hour},
        {"clip.mp4", "", "video/mp4", hour},
        {"clip.mov", "", "video/quicktime", hour},
        {"a.woff2", "", "font/woff2", hour},
        {"data", "", "application/octet-stream", hour},
        {".profile", "", "application/octet-stream", hour},
        {"a.unknownext", "", "application/octet-stream", hour},
        {"site/Theme/theme.3f9a1c2b.css", "", "text/css", year},
        {"Theme/menu.0123abcd.js", "", "text/javascript", year},
        {"site/Theme/LICENSE.3f9a1c2b", "", "application/octet-stream", year},
        // A digest-like name elsewhere, a theme file without its digest, a digest that is
        // not eight lowercase hexadecimal digits: their names stay when their bytes change.
        {"site/photos/a.3f9a1c2b.jpg", "", "image/jpeg", hour},
        {"site/Theme/theme.css", "", "text/css", hour},
        {"site/Theme/theme.3F9A1C2B.css", "", "text/css", hour},
        {"site/Theme/theme.3f9a1c2.css", "", "text/css", hour},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(S3ContentType(c.key, c.firstBytes), c.type) << c.key << " " << c.firstBytes;
        EXPECT_EQ(S3CacheControl(c.key), c.cache) << c.key;
    }
}

}  // namespace
