#include "media/image_size.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <climits>
#include <cstdint>
#include <cstring>

#include "media/imaging.h"
#include "media/vips_module.h"
#include "platform/file_descriptor.h"
#include "platform/format.h"
#include "platform/paths.h"

namespace {

// A file opened for reading the few header bytes the readers need. Non-blocking, so a
// named pipe in place of a picture gives no bytes instead of waiting for a writer.
class HeaderFile {
  public:
    explicit HeaderFile(const std::string& path)
        : fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)) {}

    // Fills count bytes from offset; false when the file ends first or cannot be read.
    bool ReadAt(std::uint64_t offset, unsigned char* bytes, std::size_t count) const {
        if (!fd.valid()) {
            return false;
        }
        const Expected<std::size_t> got = ReadAllAt(fd.get(), offset, bytes, count);
        return got.ok() && *got == count;
    }

    // The file's length in bytes; -1 when unknown.
    long long Size() const {
        struct stat status;
        if (!fd.valid() || ::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode)) {
            return -1;
        }
        return static_cast<long long>(status.st_size);
    }

  private:
    UniqueFd fd;
};

int LittleEndian16(const unsigned char* bytes) {
    return bytes[0] | (bytes[1] << 8);
}

std::uint32_t BigEndian32(const unsigned char* bytes) {
    return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
           (std::uint32_t{bytes[2]} << 8) | std::uint32_t{bytes[3]};
}

constexpr std::size_t kPngSignatureSize = 8;

bool StartsAsPng(const HeaderFile& file) {
    static const unsigned char kSignature[kPngSignatureSize] = {0x89, 'P',  'N',  'G',
                                                                0x0D, 0x0A, 0x1A, 0x0A};
    unsigned char signature[kPngSignatureSize];
    return file.ReadAt(0, signature, sizeof signature) &&
           std::memcmp(signature, kSignature, sizeof kSignature) == 0;
}

Result NotValid(const std::string& path, const char* kind) {
    return Result::Failure(
        StringPrintf("Failed to get size of image '%s'.\n\nIt is not a valid %s file.",
                     path.c_str(), kind),
        Result::Kind::DamagedInput);
}

}  // namespace

bool ReadGifSize(const std::string& path, int& width, int& height) {
    const HeaderFile file(path);
    unsigned char screen[13];
    if (!file.ReadAt(0, screen, sizeof screen) || std::memcmp(screen, "GIF", 3) != 0) {
        return false;
    }
    const unsigned char packed = screen[10];
    const std::uint64_t colourTable = (packed & 0x80) != 0 ? 3u << ((packed & 7) + 1) : 0;
    unsigned char block[10];
    if (!file.ReadAt(sizeof screen + colourTable, block, sizeof block)) {
        return false;
    }
    if (block[0] == 0x2C) {  // an image descriptor comes first
        width = LittleEndian16(block + 5);
        height = LittleEndian16(block + 7);
    } else {
        width = LittleEndian16(screen + 6);
        height = LittleEndian16(screen + 8);
    }
    return true;
}

bool ReadPngSize(const std::string& path, int& width, int& height) {
    const HeaderFile file(path);
    if (!StartsAsPng(file)) {
        return false;
    }
    const long long size = file.Size();
    if (size < 0) {
        return false;
    }
    // Each chunk: 4-byte length, 4-byte type, the data, a 4-byte CRC. A chunk counts only
    // when the file holds all of it, as if it had been read whole.
    std::uint64_t offset = kPngSignatureSize;
    while (true) {
        unsigned char head[8];
        if (!file.ReadAt(offset, head, sizeof head)) {
            return false;
        }
        const std::uint32_t length = BigEndian32(head);
        const std::uint64_t end = offset + 8 + std::uint64_t{length} + 4;
        if (end > static_cast<std::uint64_t>(size)) {
            return false;
        }
        if (std::memcmp(head + 4, "IHDR", 4) == 0) {
            unsigned char data[8];
            if (length < sizeof data || !file.ReadAt(offset + 8, data, sizeof data)) {
                return false;
            }
            const std::uint32_t pngWidth = BigEndian32(data);
            const std::uint32_t pngHeight = BigEndian32(data + 4);
            // Larger values are not PNG sizes and would turn negative.
            if (pngWidth > INT_MAX || pngHeight > INT_MAX) {
                return false;
            }
            width = static_cast<int>(pngWidth);
            height = static_cast<int>(pngHeight);
            return true;
        }
        offset = end;
    }
}

bool IsJpegExtension(const std::string& extension) {
    return extension == "JPG" || extension == "JPEG" || extension == "JPE";
}

namespace {

// What the header says: an alpha channel or a transparent colour (tRNS). A file that
// cannot be read counts as transparent.
bool PngHeaderAllowsTransparency(const std::string& path) {
    const HeaderFile file(path);
    if (!StartsAsPng(file)) {
        return true;
    }
    // The chunks that can say so all come before the first IDAT.
    std::uint64_t offset = kPngSignatureSize;
    while (true) {
        unsigned char head[8];
        if (!file.ReadAt(offset, head, sizeof head)) {
            return true;
        }
        if (std::memcmp(head + 4, "IHDR", 4) == 0) {
            unsigned char data[10];
            if (BigEndian32(head) < sizeof data || !file.ReadAt(offset + 8, data, sizeof data)) {
                return true;
            }
            const int colourType = data[9];
            if (colourType == 4 || colourType == 6) {
                return true;
            }
        } else if (std::memcmp(head + 4, "tRNS", 4) == 0) {
            return true;
        } else if (std::memcmp(head + 4, "IDAT", 4) == 0) {
            return false;
        }
        offset += 8 + std::uint64_t{BigEndian32(head)} + 4;
    }
}

}  // namespace

bool PngHasTransparency(const std::string& path) {
    if (!PngHeaderAllowsTransparency(path)) {
        return false;
    }
    // Photos are often exported with an alpha channel that is opaque everywhere.
    const VipsPictures* vips = VipsModule();
    bool found = true;
    return vips == nullptr || !vips->FindTransparentPixel(path, found) || found;
}

Result GetImageSize(const std::string& path, int& width, int& height) {
    const std::string extension = PathExtension(path);
    if (IsJpegExtension(extension)) {
        if (!ReadJpegSize(path, width, height)) {
            width = 0;
            height = 0;
            if (const Result problem = ImagingProblem(); !problem.ok()) {
                return Result::Failure(StringPrintf(
                    "Failed to get size of image '%s'.\n\nThe picture library is missing: %s",
                    path.c_str(), problem.text().c_str()));
            }
            return NotValid(path, extension.c_str());
        }
        return Result::Ok();
    }
    if (extension == "GIF") {
        return ReadGifSize(path, width, height) ? Result::Ok() : NotValid(path, "GIF");
    }
    if (extension == "PNG") {
        return ReadPngSize(path, width, height) ? Result::Ok() : NotValid(path, "PNG");
    }
    if (extension == "HEIC" || extension == "HEIF" || extension == "WEBP" || extension == "TIF" ||
        extension == "TIFF") {
        const VipsPictures* vips = VipsModule();
        return vips != nullptr && vips->ReadShownSize(path, width, height)
                   ? Result::Ok()
                   : NotValid(path, extension.c_str());
    }
    return Result::Failure(
        StringPrintf("Unrecognized image file extension '%s'", extension.c_str()));
}
