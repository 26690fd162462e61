#include "media/camera_data.h"

#include "media/exiv2_setup.h"

#include <exception>

// exiv2 0.27 names std::auto_ptr in its interface.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <exiv2/exiv2.hpp>

namespace {

void ResetOrientation(Exiv2::ExifData& exif, Exiv2::XmpData& xmp) {
    const auto tag = exif.findKey(Exiv2::ExifKey("Exif.Image.Orientation"));
    if (tag != exif.end()) {
        exif["Exif.Image.Orientation"] = static_cast<std::uint16_t>(1);
    }
    const auto property = xmp.findKey(Exiv2::XmpKey("Xmp.tiff.Orientation"));
    if (property != xmp.end()) {
        xmp["Xmp.tiff.Orientation"] = "1";
    }
}

}  // namespace

bool CarriesCameraData(const std::string& path) {
    PrepareExiv2();
    try {
        const auto image = Exiv2::ImageFactory::open(path, false);
        image->readMetadata();
        return !image->exifData().empty() || !image->iptcData().empty() ||
               !image->xmpData().empty() || image->iccProfileDefined();
    } catch (const std::exception&) {
        return true;
    }
}

bool CopyCameraData(const std::string& source, std::string& encoded) {
    PrepareExiv2();
    try {
        const auto from = Exiv2::ImageFactory::open(source, false);
        from->readMetadata();
        Exiv2::ExifData exif = from->exifData();
        Exiv2::XmpData xmp = from->xmpData();
        Exiv2::ExifThumb(exif).erase();
        ResetOrientation(exif, xmp);
        const auto to =
            Exiv2::ImageFactory::open(reinterpret_cast<const Exiv2::byte*>(encoded.data()),
                                      static_cast<long>(encoded.size()));
        to->setExifData(exif);
        to->setIptcData(from->iptcData());
        to->setXmpData(xmp);
        to->writeMetadata();
        Exiv2::BasicIo& io = to->io();
        io.open();
        const Exiv2::DataBuf written = io.read(static_cast<long>(io.size()));
        io.close();
        encoded.assign(reinterpret_cast<const char*>(written.pData_),
                       static_cast<std::size_t>(written.size_));
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

#pragma GCC diagnostic pop
