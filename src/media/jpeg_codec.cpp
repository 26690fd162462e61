#include "media/jpeg_codec.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

namespace {

// libjpeg reports errors by calling error_exit, which must not return: it jumps back to
// the step that called libjpeg (see Guarded). Warnings jump back too, as the data is then
// not to be trusted.
struct ErrorTrap {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

[[noreturn]] void JumpBack(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorTrap*>(info->err)->jump, 1);
}

void OnMessage(j_common_ptr info, int level) {
    if (level < 0) {
        JumpBack(info);
    }
}

void Silent(j_common_ptr) {}

void SetTrap(ErrorTrap& trap) {
    jpeg_std_error(&trap.manager);
    trap.manager.error_exit = JumpBack;
    trap.manager.emit_message = OnMessage;
    trap.manager.output_message = Silent;
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

bool Decompress(jpeg_decompress_struct& info, ErrorTrap& trap, const unsigned char* data,
                std::size_t size, int shrink, long long maxPixels, Raster& raster) {
    if (!Guarded(trap, [&] {
            jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
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
    info.scale_num = 1;
    info.scale_denom = static_cast<unsigned int>(shrink);
    if (!Guarded(trap, [&] { jpeg_start_decompress(&info); })) {
        return false;
    }
    const int bands = info.output_components;
    const int width = static_cast<int>(info.image_width) / shrink;
    const int height = static_cast<int>(info.image_height) / shrink;
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

}  // namespace

bool DecodeJpegData(const unsigned char* data, std::size_t size, int shrink, long long maxPixels,
                    Raster& raster) {
    if (data == nullptr || size == 0 ||
        (shrink != 1 && shrink != 2 && shrink != 4 && shrink != 8)) {
        return false;
    }
    ErrorTrap trap;
    SetTrap(trap);
    jpeg_decompress_struct info{};  // zeroed, so a failed start leaves nothing to free
    info.err = &trap.manager;
    const bool decoded = Guarded(trap, [&] { jpeg_create_decompress(&info); }) &&
                         Decompress(info, trap, data, size, shrink, maxPixels, raster);
    jpeg_destroy_decompress(&info);
    return decoded;
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
