#include "media/clean_copy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "media/file_copy.h"
#include "media/jpeg_codec.h"
#include "media/place_removal.h"
#include "platform/file_descriptor.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace {

constexpr std::size_t kLargestPicture = static_cast<std::size_t>(1) << 31;

unsigned Byte(std::string_view bytes, std::size_t at) {
    return static_cast<unsigned char>(bytes[at]);
}

std::uint32_t BigEndian(std::string_view bytes, std::size_t at, int count) {
    std::uint32_t value = 0;
    for (int i = 0; i < count; ++i) {
        value = value << 8 | Byte(bytes, at + static_cast<std::size_t>(i));
    }
    return value;
}

bool StartsWith(std::string_view bytes, std::size_t at, std::string_view text) {
    return bytes.substr(at, text.size()) == text;
}

// An EXIF segment that holds nothing but the orientation, so that a turned photo still
// shows upright: a big-endian TIFF header and one IFD with one SHORT.
std::string OrientationSegment(int orientation) {
    std::string segment(
        "\xFF\xE1\x00\x22"
        "Exif\0\0"
        "MM\x00\x2A\x00\x00\x00\x08"
        "\x00\x01"
        "\x01\x12\x00\x03\x00\x00\x00\x01\x00\x00\x00\x00"
        "\x00\x00\x00\x00",
        36);
    segment[29] = static_cast<char>(orientation);
    return segment;
}

// The segments before and between scans that a decoder or a browser's colour handling
// uses; COM and every other APPn go.
bool KeepsJpegSegment(unsigned marker, std::string_view payload) {
    if (marker == 0xFE || (marker >= 0xE1 && marker <= 0xEF && marker != 0xE2 && marker != 0xEE)) {
        return false;
    }
    if (marker == 0xE0) {
        return payload.starts_with(std::string_view("JFIF\0", 5));
    }
    if (marker == 0xE2) {
        return payload.starts_with(std::string_view("ICC_PROFILE\0", 12));
    }
    if (marker == 0xEE) {
        return payload.starts_with("Adobe");
    }
    return true;
}

bool CleanJpeg(std::string_view bytes, std::string& cleaned) {
    const Expected<JpegHeader> header =
        ReadJpegHeaderData(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    if (!header.ok()) {
        return false;
    }
    cleaned.assign("\xFF\xD8");
    bool orientationPending = header->orientation != 1;
    std::size_t at = 2;
    bool inScan = false;
    while (at < bytes.size()) {
        if (inScan) {
            // Entropy-coded data: a 0xFF is followed by a stuffed 0, a restart marker or a
            // fill byte; anything else is the next marker.
            const std::size_t start = at;
            while (at + 1 < bytes.size() &&
                   !(Byte(bytes, at) == 0xFF && Byte(bytes, at + 1) != 0 &&
                     (Byte(bytes, at + 1) < 0xD0 || Byte(bytes, at + 1) > 0xD7) &&
                     Byte(bytes, at + 1) != 0xFF)) {
                ++at;
            }
            if (at + 1 >= bytes.size()) {
                return false;  // cut short: no end marker
            }
            cleaned.append(bytes.substr(start, at - start));
            inScan = false;
        }
        if (Byte(bytes, at) != 0xFF) {
            return false;
        }
        while (at + 1 < bytes.size() && Byte(bytes, at + 1) == 0xFF) {
            ++at;  // fill bytes before a marker
        }
        if (at + 1 >= bytes.size()) {
            return false;
        }
        const unsigned marker = Byte(bytes, at + 1);
        if (marker == 0xD9) {
            cleaned.append("\xFF\xD9");
            return true;  // what follows the end is not part of the picture
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            cleaned.append(bytes.substr(at, 2));
            at += 2;
            continue;
        }
        if (at + 4 > bytes.size()) {
            return false;
        }
        const std::size_t length = BigEndian(bytes, at + 2, 2);
        if (length < 2 || at + 2 + length > bytes.size()) {
            return false;
        }
        const std::string_view payload = bytes.substr(at + 4, length - 2);
        if (orientationPending && marker != 0xE0) {
            cleaned.append(OrientationSegment(header->orientation));
            orientationPending = false;
        }
        if (KeepsJpegSegment(marker, payload)) {
            cleaned.append(bytes.substr(at, 2 + length));
        }
        at += 2 + length;
        inScan = marker == 0xDA;
    }
    return false;
}

bool KeepsPngChunk(std::string_view type) {
    for (const std::string_view kept :
         {"IHDR", "PLTE", "IDAT", "IEND", "tRNS", "iCCP", "sRGB", "gAMA", "cHRM", "sBIT", "pHYs",
          "bKGD", "acTL", "fcTL", "fdAT"}) {
        if (type == kept) {
            return true;
        }
    }
    return false;
}

bool CleanPng(std::string_view bytes, std::string& cleaned) {
    cleaned.assign(bytes.substr(0, 8));
    std::size_t at = 8;
    bool first = true;
    while (at + 12 <= bytes.size()) {
        const std::size_t length = BigEndian(bytes, at, 4);
        if (length > bytes.size() - at - 12) {
            return false;
        }
        const std::string_view type = bytes.substr(at + 4, 4);
        if (first && type != "IHDR") {
            return false;
        }
        first = false;
        if (KeepsPngChunk(type)) {
            cleaned.append(bytes.substr(at, 12 + length));
        }
        at += 12 + length;
        if (type == "IEND") {
            return true;
        }
    }
    return false;
}

// Skips the sub-blocks that start at `at`, up to and past their terminating empty one.
bool SkipGifSubBlocks(std::string_view bytes, std::size_t& at) {
    while (at < bytes.size()) {
        const std::size_t size = Byte(bytes, at);
        at += 1 + size;
        if (size == 0) {
            return true;
        }
    }
    return false;
}

std::size_t GifColourTableSize(unsigned packed) {
    return (packed & 0x80) != 0 ? 3u * (2u << (packed & 7)) : 0;
}

bool CleanGif(std::string_view bytes, std::string& cleaned) {
    if (bytes.size() < 13) {
        return false;
    }
    std::size_t at = 13 + GifColourTableSize(Byte(bytes, 10));
    if (at > bytes.size()) {
        return false;
    }
    cleaned.assign(bytes.substr(0, at));
    while (at < bytes.size()) {
        const std::size_t start = at;
        const unsigned introducer = Byte(bytes, at);
        if (introducer == 0x3B) {
            cleaned.push_back('\x3B');
            return true;  // nothing after the trailer is part of the picture
        }
        if (introducer == 0x21 && at + 1 < bytes.size()) {
            const unsigned label = Byte(bytes, at + 1);
            at += 2;
            const bool looping = label == 0xFF && StartsWith(bytes, at, "\x0BNETSCAPE2.0");
            if (!SkipGifSubBlocks(bytes, at)) {
                return false;
            }
            // Frame controls and plain text are part of what shows; looping too.
            if (label == 0xF9 || label == 0x01 || looping) {
                cleaned.append(bytes.substr(start, at - start));
            }
        } else if (introducer == 0x2C && at + 10 < bytes.size()) {
            at += 10 + GifColourTableSize(Byte(bytes, at + 9)) + 1;  // and the LZW code size
            if (at > bytes.size() || !SkipGifSubBlocks(bytes, at)) {
                return false;
            }
            cleaned.append(bytes.substr(start, at - start));
        } else {
            return false;
        }
    }
    return false;
}

// True when path has source's modification time (to the second) and nothing left to
// remove.
bool IsPublishedCopy(const struct stat& source, const std::string& path, PublishedCopy kind) {
    struct stat status;
    if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode) ||
        status.st_mtim.tv_sec != source.st_mtim.tv_sec) {
        return false;
    }
    if (kind == PublishedCopy::WithoutPlace) {
        const Expected<int> fields = PlaceAndIdentityFields(path);
        return fields.ok() && *fields == 0;
    }
    std::string bytes;
    std::string cleaned;
    return ReadFileBytes(path, kLargestPicture, bytes).ok() && CleanPictureBytes(bytes, cleaned) &&
           cleaned == bytes;
}

Result WriteWithTimeOf(const struct stat& source, const std::string& destination,
                       std::string_view bytes) {
    return ReplaceKeepingTime(source, destination, "write",
                              [bytes](int out) { return WriteAll(out, bytes); });
}

}  // namespace

bool CleanPictureBytes(std::string_view bytes, std::string& cleaned) {
    if (bytes.starts_with("\xFF\xD8\xFF")) {
        return CleanJpeg(bytes, cleaned);
    }
    if (bytes.starts_with("\x89PNG\r\n\x1A\n")) {
        return CleanPng(bytes, cleaned);
    }
    if (bytes.starts_with("GIF87a") || bytes.starts_with("GIF89a")) {
        return CleanGif(bytes, cleaned);
    }
    return false;
}

Result PublishCopyIfChanged(const std::string& source, const std::string& destination,
                            PublishedCopy kind) {
    struct stat status;
    if (::stat(source.c_str(), &status) != 0) {
        return Result::FromErrno("stat", source, errno);
    }
    if (IsPublishedCopy(status, destination, kind)) {
        return Result::Ok();
    }
    std::string bytes;
    if (Result read = ReadFileBytes(source, kLargestPicture, bytes); !read.ok()) {
        return read;
    }
    if (kind == PublishedCopy::WithoutPlace) {
        int removed = 0;
        if (Result removal = RemovePlaceAndIdentity(bytes, removed); !removal.ok()) {
            return Result::Failure(
                "its place and serial numbers cannot be removed (" + removal.text() + ")",
                Result::Kind::DamagedInput);
        }
        return WriteWithTimeOf(status, destination, bytes);
    }
    std::string cleaned;
    if (!CleanPictureBytes(bytes, cleaned)) {
        return Result::Failure("it is damaged or not a JPEG, PNG or GIF picture",
                               Result::Kind::DamagedInput);
    }
    return WriteWithTimeOf(status, destination, cleaned);
}
