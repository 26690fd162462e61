#include "media/jpeg_codec.h"

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>
// After jpeglib.h: the message codes, for telling data that ends too soon.
#include <jerror.h>

namespace {

// libjpeg reports errors by calling error_exit, which must not return: it jumps back to
// the step that called libjpeg (see Guarded). A warning means corrupt data, which the
// decoder reads past as a browser does, or data that ends too soon, which stops it.
struct ErrorTrap {
    jpeg_error_mgr manager;  // first, so libjpeg's pointer to it leads to the trap
    jpeg_progress_mgr progress;
    std::jmp_buf jump;
    bool damaged = false;
    const char* refusal = nullptr;  // why the data is not worth decoding on, when it is not
};

ErrorTrap& TrapOf(j_common_ptr info) {
    return *reinterpret_cast<ErrorTrap*>(info->err);
}

[[noreturn]] void JumpBack(j_common_ptr info) {
    std::longjmp(TrapOf(info).jump, 1);
}

void OnMessage(j_common_ptr info, int level) {
    if (level >= 0) {
        return;
    }
    if (info->err->msg_code == JWRN_JPEG_EOF) {
        TrapOf(info).refusal = "the JPEG data ends too soon";
        JumpBack(info);
    }
    TrapOf(info).damaged = true;
}

// Called as the decoder reads the data, also between the scans of a progressive picture.
void OnProgress(j_common_ptr info) {
    if (info->is_decompressor &&
        reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > kMaxJpegScans) {
        TrapOf(info).refusal = "the JPEG data holds too many scans";
        JumpBack(info);
    }
}

void Silent(j_common_ptr) {}

void SetTrap(ErrorTrap& trap) {
    jpeg_std_error(&trap.manager);
    trap.manager.error_exit = JumpBack;
    trap.manager.emit_message = OnMessage;
    trap.manager.output_message = Silent;
    trap.progress = {};
    trap.progress.progress_monitor = OnProgress;
}

// Runs one step of libjpeg's work; false when libjpeg jumped back out of it. A step
// holds no C++ object that a jump would skip; the callers hold them outside.
template <typename Step>
bool Guarded(ErrorTrap& trap, Step&& step) {
    if (setjmp(trap.jump) != 0) {
        return false;
    }
    step();
    return true;
}

// Decodes from the source that setSource (a function of the decompressor) gives it.
template <typename SetSource>
bool Decompress(jpeg_decompress_struct& info, ErrorTrap& trap, SetSource&& setSource, int numerator,
                int denominator, long long maxPixels, Raster& raster) {
    if (!Guarded(trap, [&] {
            setSource(info);
            jpeg_read_header(&info, TRUE);
        })) {
        return false;
    }
    const bool grey = info.jpeg_color_space == JCS_GRAYSCALE && info.num_components == 1;
    const bool colour = (info.jpeg_color_space == JCS_YCbCr || info.jpeg_color_space == JCS_RGB) &&
                        info.num_components == 3;
    const long long pixels = static_cast<long long>(info.image_width) * info.image_height;
    if ((!grey && !colour) || info.data_precision != 8 || pixels > maxPixels) {
        return false;
    }
    info.out_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
    info.progress = &trap.progress;
    info.scale_num = static_cast<unsigned int>(numerator);
    info.scale_denom = static_cast<unsigned int>(denominator);
    if (!Guarded(trap, [&] { jpeg_start_decompress(&info); })) {
        return false;
    }
    const int bands = info.output_components;
    const int width =
        static_cast<int>(static_cast<long long>(info.image_width) * numerator / denominator);
    const int height =
        static_cast<int>(static_cast<long long>(info.image_height) * numerator / denominator);
    if (width < 1 || height < 1 || static_cast<int>(info.output_width) < width ||
        static_cast<int>(info.output_height) < height) {
        return false;
    }
    // libjpeg also gives the pixels of a partial last block: rows and columns that are
    // read, then dropped.
    const std::size_t stride = static_cast<std::size_t>(info.output_width) * bands;
    std::vector<unsigned char> samples(stride * info.output_height);
    unsigned char* const start = samples.data();
    if (!Guarded(trap, [&] {
            while (info.output_scanline < info.output_height) {
                JSAMPROW rows[4];
                JDIMENSION count = 0;
                for (; count < 4 && info.output_scanline + count < info.output_height; ++count) {
                    rows[count] = start + stride * (info.output_scanline + count);
                }
                jpeg_read_scanlines(&info, rows, count);
            }
            jpeg_finish_decompress(&info);
        })) {
        return false;
    }
    const std::size_t kept = static_cast<std::size_t>(width) * bands;
    for (int y = 1; y < height; ++y) {
        std::memmove(start + kept * y, start + stride * y, kept);
    }
    samples.resize(kept * height);
    raster = Raster{width, height, bands, std::move(samples)};
    return true;
}

bool Compress(jpeg_compress_struct& info, ErrorTrap& trap, const Raster& raster, int quality,
              unsigned char** buffer, unsigned long* size) {
    return Guarded(trap, [&] {
        jpeg_mem_dest(&info, buffer, size);
        info.image_width = static_cast<JDIMENSION>(raster.width);
        info.image_height = static_cast<JDIMENSION>(raster.height);
        info.input_components = raster.bands;
        info.in_color_space = raster.bands == 1 ? JCS_GRAYSCALE : JCS_RGB;
        jpeg_set_defaults(&info);
        jpeg_set_quality(&info, quality, TRUE);
        info.optimize_coding = TRUE;
        jpeg_start_compress(&info, TRUE);
        const std::size_t stride = static_cast<std::size_t>(raster.width) * raster.bands;
        while (info.next_scanline < info.image_height) {
            // libjpeg only reads the rows, whatever its prototype says.
            JSAMPROW row =
                const_cast<unsigned char*>(raster.samples.data()) + stride * info.next_scanline;
            jpeg_write_scanlines(&info, &row, 1);
        }
        jpeg_finish_compress(&info);
    });
}

// Runs read (a bool function of the decompressor and the trap, after creating the one) and
// tells what it met: corrupt data read past, data cut short or too many scans (a failure
// of kind DamagedInput), an error.
template <typename Read>
Expected<JpegDecodeResult> Run(Read&& read) {
    ErrorTrap trap;
    SetTrap(trap);
    jpeg_decompress_struct info{};  // zeroed, so a failed start leaves nothing to free
    info.err = &trap.manager;
    const bool done = Guarded(trap, [&] { jpeg_create_decompress(&info); }) && read(info, trap);
    jpeg_destroy_decompress(&info);
    if (trap.refusal != nullptr) {
        return Result::Failure(trap.refusal, Result::Kind::DamagedInput);
    }
    if (!done) {
        return JpegDecodeResult::NotDecoded;
    }
    return trap.damaged ? JpegDecodeResult::Damaged : JpegDecodeResult::Decoded;
}

// Decodes at 1/8 scale one row at a time into a row that is overwritten.
bool ReadThrough(jpeg_decompress_struct& info, ErrorTrap& trap) {
    if (!Guarded(trap, [&] { jpeg_read_header(&info, TRUE); })) {
        return false;
    }
    info.scale_num = 1;
    info.scale_denom = 8;
    info.progress = &trap.progress;
    if (!Guarded(trap, [&] { jpeg_start_decompress(&info); })) {
        return false;
    }
    std::vector<unsigned char> row(static_cast<std::size_t>(info.output_width) *
                                   static_cast<std::size_t>(info.output_components));
    unsigned char* const start = row.data();
    return Guarded(trap, [&] {
        while (info.output_scanline < info.output_height) {
            JSAMPROW rows[1] = {start};
            jpeg_read_scanlines(&info, rows, 1);
        }
        jpeg_finish_decompress(&info);
    });
}

auto MemorySource(const unsigned char* data, std::size_t size) {
    return [data, size](jpeg_decompress_struct& info) {
        jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    };
}

constexpr int kExifMarker = JPEG_APP0 + 1;  // EXIF and XMP
constexpr int kIccMarker = JPEG_APP0 + 2;
constexpr int kIptcMarker = JPEG_APP0 + 13;

unsigned ReadUnsigned(const unsigned char* bytes, int count, bool bigEndian) {
    unsigned value = 0;
    for (int i = 0; i < count; ++i) {
        value |= static_cast<unsigned>(bytes[bigEndian ? i : count - 1 - i])
                 << (8 * (count - 1 - i));
    }
    return value;
}

// The orientation tag of the first image directory of EXIF data ("Exif\0\0" and a TIFF
// structure). Read here rather than by a metadata library, since every run asks it of
// every source to know its size, and a whole EXIF decode would cost more than the rest.
int ExifOrientation(const unsigned char* data, std::size_t size) {
    constexpr std::size_t kStart = 6;
    if (size < kStart + 8 || std::memcmp(data, "Exif\0\0", kStart) != 0) {
        return 1;
    }
    const unsigned char* tiff = data + kStart;
    const std::size_t length = size - kStart;
    const bool bigEndian = tiff[0] == 'M' && tiff[1] == 'M';
    if (!bigEndian && !(tiff[0] == 'I' && tiff[1] == 'I')) {
        return 1;
    }
    const std::size_t directory = ReadUnsigned(tiff + 4, 4, bigEndian);
    if (directory + 2 > length) {
        return 1;
    }
    const std::size_t entries = ReadUnsigned(tiff + directory, 2, bigEndian);
    for (std::size_t i = 0; i < entries; ++i) {
        const std::size_t entry = directory + 2 + 12 * i;
        if (entry + 12 > length) {
            break;
        }
        if (ReadUnsigned(tiff + entry, 2, bigEndian) == 0x0112 &&
            ReadUnsigned(tiff + entry + 2, 2, bigEndian) == 3) {
            const int value = static_cast<int>(ReadUnsigned(tiff + entry + 8, 2, bigEndian));
            return value >= 1 && value <= 8 ? value : 1;
        }
    }
    return 1;
}

bool StartsWith(const jpeg_saved_marker_ptr marker, const char* prefix) {
    const std::size_t length = std::strlen(prefix);
    return marker->data_length >= length && std::memcmp(marker->data, prefix, length) == 0;
}

// Reads the header, keeping the markers that say what the picture carries.
bool ReadHeader(jpeg_decompress_struct& info, ErrorTrap& trap, JpegHeader& header) {
    if (!Guarded(trap, [&] {
            jpeg_save_markers(&info, kExifMarker, 0xFFFF);
            jpeg_save_markers(&info, kIccMarker, 0xFFFF);
            jpeg_save_markers(&info, kIptcMarker, 0xFFFF);
            jpeg_read_header(&info, TRUE);
        })) {
        return false;
    }
    header.width = static_cast<int>(info.image_width);
    header.height = static_cast<int>(info.image_height);
    const bool grey = info.jpeg_color_space == JCS_GRAYSCALE && info.num_components == 1;
    const bool colour = (info.jpeg_color_space == JCS_YCbCr || info.jpeg_color_space == JCS_RGB) &&
                        info.num_components == 3;
    header.plain = (grey || colour) && info.data_precision == 8;
    bool oriented = false;
    for (jpeg_saved_marker_ptr marker = info.marker_list; marker != nullptr;
         marker = marker->next) {
        if (marker->marker == kExifMarker && StartsWith(marker, "Exif")) {
            header.cameraData = true;
            if (!oriented) {
                header.orientation = ExifOrientation(marker->data, marker->data_length);
                oriented = true;
            }
        } else if (marker->marker == kExifMarker && StartsWith(marker, "http://ns.adobe.com/")) {
            header.cameraData = true;
        } else if (marker->marker == kIptcMarker && StartsWith(marker, "Photoshop 3.0")) {
            header.cameraData = true;
        }
    }
    JOCTET* profile = nullptr;
    unsigned int profileLength = 0;
    if (jpeg_read_icc_profile(&info, &profile, &profileLength) && profile != nullptr) {
        header.iccProfile.assign(reinterpret_cast<const char*>(profile), profileLength);
    }
    std::free(profile);
    return true;
}

// The header read, or why not: a refusal as Run says it, anything else libjpeg cannot
// read as a header that is not one this decoder takes.
Expected<JpegHeader> HeaderOf(const Expected<JpegDecodeResult>& result, JpegHeader read) {
    if (!result.ok()) {
        return result.failure();
    }
    if (*result == JpegDecodeResult::NotDecoded) {
        return Result::Failure("it is not a JPEG that libjpeg reads", Result::Kind::DamagedInput);
    }
    return read;
}

}  // namespace

Expected<JpegHeader> ReadJpegHeaderData(const unsigned char* data, std::size_t size) {
    if (data == nullptr || size == 0) {
        return Result::Failure("the JPEG data is empty", Result::Kind::DamagedInput);
    }
    JpegHeader read;
    const Expected<JpegDecodeResult> result =
        Run([&](jpeg_decompress_struct& info, ErrorTrap& trap) {
            return Guarded(trap,
                           [&] { jpeg_mem_src(&info, data, static_cast<unsigned long>(size)); }) &&
                   ReadHeader(info, trap, read);
        });
    return HeaderOf(result, std::move(read));
}

Expected<JpegHeader> ReadJpegHeaderFile(const std::string& path) {
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rbe"),
                                                               std::fclose);
    if (!file) {
        return Result::FromErrno("open", path, errno);
    }
    JpegHeader read;
    const Expected<JpegDecodeResult> result =
        Run([&](jpeg_decompress_struct& info, ErrorTrap& trap) {
            return Guarded(trap, [&] { jpeg_stdio_src(&info, file.get()); }) &&
                   ReadHeader(info, trap, read);
        });
    return HeaderOf(result, std::move(read));
}

Expected<JpegDecodeResult> DecodeJpegData(const unsigned char* data, std::size_t size, int shrink,
                                          long long maxPixels, Raster& raster) {
    if (data == nullptr || size == 0 ||
        (shrink != 1 && shrink != 2 && shrink != 4 && shrink != 8)) {
        return JpegDecodeResult::NotDecoded;
    }
    return Run([&](jpeg_decompress_struct& info, ErrorTrap& trap) {
        return Decompress(info, trap, MemorySource(data, size), 1, shrink, maxPixels, raster);
    });
}

Expected<JpegDecodeResult> DecodeJpegDataInEighths(const unsigned char* data, std::size_t size,
                                                   int eighths, long long maxPixels,
                                                   Raster& raster) {
    if (data == nullptr || size == 0 || eighths < 1 || eighths > 8) {
        return JpegDecodeResult::NotDecoded;
    }
    return Run([&](jpeg_decompress_struct& info, ErrorTrap& trap) {
        return Decompress(info, trap, MemorySource(data, size), eighths, 8, maxPixels, raster);
    });
}

Expected<JpegDecodeResult> DecodeJpegFileInEighths(const std::string& path, int eighths,
                                                   long long maxPixels, Raster& raster) {
    if (eighths < 1 || eighths > 8) {
        return JpegDecodeResult::NotDecoded;
    }
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rbe"),
                                                               std::fclose);
    if (!file) {
        return Result::FromErrno("open", path, errno);
    }
    return Run([&](jpeg_decompress_struct& info, ErrorTrap& trap) {
        return Decompress(
            info, trap,
            [&](jpeg_decompress_struct& decoder) { jpeg_stdio_src(&decoder, file.get()); }, eighths,
            8, maxPixels, raster);
    });
}

Expected<JpegDecodeResult> CheckJpegData(const unsigned char* data, std::size_t size) {
    if (data == nullptr || size == 0) {
        return JpegDecodeResult::NotDecoded;
    }
    return Run([&](jpeg_decompress_struct& info, ErrorTrap& trap) {
        return Guarded(trap,
                       [&] { jpeg_mem_src(&info, data, static_cast<unsigned long>(size)); }) &&
               ReadThrough(info, trap);
    });
}

Expected<JpegDecodeResult> CheckJpegFile(const std::string& path) {
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rbe"),
                                                               std::fclose);
    if (!file) {
        return Result::FromErrno("open", path, errno);
    }
    return Run([&](jpeg_decompress_struct& info, ErrorTrap& trap) {
        return Guarded(trap, [&] { jpeg_stdio_src(&info, file.get()); }) && ReadThrough(info, trap);
    });
}

bool EncodeJpegData(const Raster& raster, int quality, std::string& encoded) {
    if (raster.empty() || (raster.bands != 1 && raster.bands != 3) ||
        raster.samples.size() !=
            static_cast<std::size_t>(raster.width) * raster.height * raster.bands) {
        return false;
    }
    ErrorTrap trap;
    SetTrap(trap);
    jpeg_compress_struct info{};
    info.err = &trap.manager;
    unsigned char* buffer = nullptr;  // grown by libjpeg with malloc
    unsigned long size = 0;
    const bool done = Guarded(trap, [&] { jpeg_create_compress(&info); }) &&
                      Compress(info, trap, raster, quality, &buffer, &size);
    jpeg_destroy_compress(&info);
    if (done) {
        encoded.assign(reinterpret_cast<const char*>(buffer), size);
    }
    std::free(buffer);
    return done;
}
