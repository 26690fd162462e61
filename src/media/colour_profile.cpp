#include "media/colour_profile.h"

#include <lcms2.h>

#include <memory>

namespace {

struct ProfileCloser {
    void operator()(void* profile) const { cmsCloseProfile(profile); }
};
struct TransformDeleter {
    void operator()(void* transform) const { cmsDeleteTransform(transform); }
};

}  // namespace

bool ConvertToSrgb(Raster& raster, const std::string& iccProfile) {
    if (raster.bands != 3 || raster.empty() || iccProfile.empty()) {
        return false;
    }
    const std::unique_ptr<void, ProfileCloser> input(
        cmsOpenProfileFromMem(iccProfile.data(), static_cast<cmsUInt32Number>(iccProfile.size())));
    if (input == nullptr || cmsGetColorSpace(input.get()) != cmsSigRgbData) {
        return false;
    }
    const std::unique_ptr<void, ProfileCloser> srgb(cmsCreate_sRGBProfile());
    const std::unique_ptr<void, TransformDeleter> transform(
        cmsCreateTransform(input.get(), TYPE_RGB_8, srgb.get(), TYPE_RGB_8,
                           INTENT_RELATIVE_COLORIMETRIC, cmsFLAGS_BLACKPOINTCOMPENSATION));
    if (transform == nullptr) {
        return false;
    }
    // One row at a time: the pixel count of a whole picture may not fit lcms2's 32 bits.
    const std::size_t stride = static_cast<std::size_t>(raster.width) * 3;
    for (int y = 0; y < raster.height; ++y) {
        unsigned char* row = raster.samples.data() + stride * static_cast<std::size_t>(y);
        cmsDoTransform(transform.get(), row, row, static_cast<cmsUInt32Number>(raster.width));
    }
    return true;
}
