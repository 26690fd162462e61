#include "media/photo_metadata.h"

#include <cmath>
#include <exception>
#include <string_view>

// exiv2 0.27 names std::auto_ptr in its interface.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <exiv2/exiv2.hpp>

#include "media/exiv2_setup.h"
#include "platform/ascii.h"
#include "platform/date_time.h"
#include "platform/format.h"

namespace {

// Descriptions cameras and phone software write on their own. Compared whole, ignoring
// case and the blanks around them; entries ending in "*" are prefixes.
constexpr std::string_view kPlaceholderCaptions[] = {
    "DIGITAL CAMERA",
    "OLYMPUS DIGITAL CAMERA",
    "FUJIFILM DIGITAL CAMERA",
    "KONICA MINOLTA DIGITAL CAMERA",
    "MINOLTA DIGITAL CAMERA",
    "SAMSUNG DIGITAL CAMERA",
    "PENTAX DIGITAL CAMERA",
    "LEICA DIGITAL CAMERA",
    "KODAK DIGITAL CAMERA",
    "NIKON DIGITAL CAMERA",
    "CASIO DIGITAL CAMERA",
    "RICOH DIGITAL CAMERA",
    "SANYO DIGITAL CAMERA",
    "SONY DSC",
    "Default",
    "Exif_JPEG_PICTURE",
    "DCIM\\*",
    "DCIM/*",
};

std::string Trimmed(std::string_view text) {
    constexpr std::string_view kBlanks = " \t\r\n\v\f";
    // EXIF texts are often padded with NULs to a fixed length.
    const auto blank = [&](char c) {
        return c == '\0' || kBlanks.find(c) != std::string_view::npos;
    };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return std::string(text);
}

// 8 or 2.8: one decimal, none when whole.
std::string OneDecimal(double value) {
    const double rounded = std::round(value * 10) / 10;
    if (rounded == std::round(rounded)) {
        return StringPrintf("%.0f", rounded);
    }
    return StringPrintf("%.1f", rounded);
}

// The value of a positive rational EXIF tag; 0 when missing or not positive.
double PositiveRational(const Exiv2::ExifData& exif, const char* key) {
    const auto found = exif.findKey(Exiv2::ExifKey(key));
    if (found == exif.end() || found->count() == 0) {
        return 0;
    }
    const Exiv2::Rational value = found->toRational(0);
    if (value.first <= 0 || value.second <= 0) {
        return 0;
    }
    return static_cast<double>(value.first) / value.second;
}

std::string ExifText(const Exiv2::ExifData& exif, const char* key) {
    const auto found = exif.findKey(Exiv2::ExifKey(key));
    return found == exif.end() ? std::string() : Trimmed(found->toString());
}

OleDate TakenDate(const Exiv2::ExifData& exif) {
    // "2021:07:04 10:20:30"; cameras without a clock write zeros or blanks.
    const std::string text = ExifText(exif, "Exif.Photo.DateTimeOriginal");
    if (text.size() < 19 || text[4] != ':' || text[7] != ':' || text[10] != ' ') {
        return 0;
    }
    const std::string usual =
        text.substr(5, 2) + "/" + text.substr(8, 2) + "/" + text.substr(0, 4) + text.substr(10, 9);
    OleDate date = 0;
    return ParseOleDate(usual, date) ? date : 0;
}

std::string CameraName(const Exiv2::ExifData& exif) {
    const std::string make = ExifText(exif, "Exif.Image.Make");
    const std::string model = ExifText(exif, "Exif.Image.Model");
    if (make.empty() || model.empty()) {
        return make.empty() ? model : make;
    }
    // "NIKON CORPORATION" with "NIKON D750": the model names the maker well enough.
    const std::string maker = make.substr(0, make.find(' '));
    for (const std::string& prefix : {make, maker}) {
        if (StartsWithIgnoringCase(model, prefix) &&
            (model.size() == prefix.size() || model[prefix.size()] == ' ')) {
            return model;
        }
    }
    return make + " " + model;
}

std::string ExposureText(const Exiv2::ExifData& exif) {
    std::string text;
    const auto add = [&text](const std::string& part) {
        text += text.empty() ? part : ", " + part;
    };
    if (const double seconds = PositiveRational(exif, "Exif.Photo.ExposureTime"); seconds > 0) {
        add(seconds >= 0.5 ? OneDecimal(seconds) + " s"
                           : StringPrintf("1/%.0f s", std::round(1 / seconds)));
    }
    if (const double fNumber = PositiveRational(exif, "Exif.Photo.FNumber"); fNumber > 0) {
        add("f/" + OneDecimal(fNumber));
    }
    const auto iso = exif.findKey(Exiv2::ExifKey("Exif.Photo.ISOSpeedRatings"));
    if (iso != exif.end() && iso->count() > 0 && iso->toLong(0) > 0) {
        add(StringPrintf("ISO %ld", iso->toLong(0)));
    }
    if (const double focal = PositiveRational(exif, "Exif.Photo.FocalLength"); focal > 0) {
        add(OneDecimal(focal) + " mm");
    }
    return text;
}

std::string XmpDescription(const Exiv2::XmpData& xmp) {
    const auto found = xmp.findKey(Exiv2::XmpKey("Xmp.dc.description"));
    if (found == xmp.end()) {
        return {};
    }
    // A language alternative: the default language's text, else the first one there is.
    const auto* alternatives = dynamic_cast<const Exiv2::LangAltValue*>(&found->value());
    if (alternatives == nullptr) {
        return found->toString();
    }
    const auto preferred = alternatives->value_.find("x-default");
    if (preferred != alternatives->value_.end()) {
        return preferred->second;
    }
    return alternatives->value_.empty() ? std::string() : alternatives->value_.begin()->second;
}

std::string IptcCaption(const Exiv2::IptcData& iptc) {
    const auto found = iptc.findKey(Exiv2::IptcKey("Iptc.Application2.Caption"));
    return found == iptc.end() ? std::string() : found->toString();
}

// True when text holds nothing but blanks or a placeholder.
bool IsPlaceholderCaption(const std::string& text) {
    const std::string trimmed = Trimmed(text);
    if (trimmed.empty()) {
        return true;
    }
    for (const std::string_view placeholder : kPlaceholderCaptions) {
        if (placeholder.ends_with('*')
                ? StartsWithIgnoringCase(trimmed, placeholder.substr(0, placeholder.size() - 1))
                : EqualsIgnoringCase(trimmed, placeholder)) {
            return true;
        }
    }
    return false;
}

std::string Caption(const Exiv2::Image& image) {
    for (const std::string& text :
         {ExifText(image.exifData(), "Exif.Image.ImageDescription"),
          XmpDescription(image.xmpData()), IptcCaption(image.iptcData())}) {
        if (!IsPlaceholderCaption(text)) {
            return Trimmed(text);
        }
    }
    return {};
}

}  // namespace

PhotoFacts ReadPhotoFacts(const std::string& path) {
    PrepareExiv2();
    PhotoFacts facts;
    try {
        // Always as a local file: given a bare path, exiv2 would read "http://..." or "-"
        // from the network or standard input.
        const auto image =
            Exiv2::ImageFactory::open(Exiv2::BasicIo::AutoPtr(new Exiv2::FileIo(path)));
        image->readMetadata();
        const Exiv2::ExifData& exif = image->exifData();
        facts.taken = TakenDate(exif);
        facts.camera = CameraName(exif);
        facts.exposure = ExposureText(exif);
        facts.caption = Caption(*image);
    } catch (const std::exception&) {
        // Exiv2::AnyError and the library's std::bad_alloc on a forged length alike:
        // a file it cannot read has no facts.
        return PhotoFacts();
    }
    return facts;
}

#pragma GCC diagnostic pop
