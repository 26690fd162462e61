#include "generate/text_encoding.h"

#include "generate/product.h"
#include "platform/ascii.h"

namespace {

// The length of the UTF-8 sequence starting at text[at], or 0 when it is not valid.
std::size_t SequenceLength(std::string_view text, std::size_t at) {
    const auto byte = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    std::size_t length = 0;
    unsigned char low = 0x80;   // the bounds of the second byte, which rule out overlong
    unsigned char high = 0xBF;  // forms, surrogates and values past U+10FFFF
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (at + length > text.size() || byte(at + 1) < low || byte(at + 1) > high) {
        return 0;
    }
    for (std::size_t i = 2; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) {
            return 0;
        }
    }
    return length;
}

// True when a META element ahead of the body names a charset.
bool DeclaresCharset(const std::string& upper) {
    const std::size_t body = upper.find("<BODY");
    for (std::size_t meta = upper.find("<META"); meta < body;
         meta = upper.find("<META", meta + 1)) {
        const std::size_t end = upper.find('>', meta);
        if (upper.substr(meta, end - meta).find("CHARSET") != std::string::npos) {
            return true;
        }
    }
    return false;
}

}  // namespace

bool IsNonAsciiUtf8(std::string_view text) {
    bool nonAscii = false;
    for (std::size_t i = 0; i < text.size();) {
        if (static_cast<unsigned char>(text[i]) < 0x80) {
            ++i;
            continue;
        }
        const std::size_t length = SequenceLength(text, i);
        if (length == 0) {
            return false;
        }
        nonAscii = true;
        i += length;
    }
    return nonAscii;
}

bool DeclareUtf8(std::string& page) {
    if (!IsNonAsciiUtf8(page)) {
        return false;
    }
    const std::string upper = AsciiUpperCase(page);
    const std::size_t mark = upper.find(AsciiUpperCase(kGeneratorMark));
    if (mark == std::string::npos || DeclaresCharset(upper)) {
        return false;
    }
    // The new line ends as the generator's line does.
    const std::size_t lineEnd = page.find('\n', mark);
    if (lineEnd != std::string::npos) {
        const bool crlf = lineEnd > 0 && page[lineEnd - 1] == '\r';
        page.insert(lineEnd + 1, std::string(kUtf8Meta) + (crlf ? "\r\n" : "\n"));
    } else {
        const std::size_t close = page.find('>', mark);
        page.insert(close == std::string::npos ? page.size() : close + 1,
                    std::string("\n") + kUtf8Meta);
    }
    return true;
}
