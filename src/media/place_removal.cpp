#include "media/place_removal.h"

#include <exception>

#include "media/exiv2_setup.h"
#include "platform/ascii.h"

// exiv2 0.27 names std::auto_ptr in its interface.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <exiv2/exiv2.hpp>

namespace {

// Serial numbers and owners have many names across makers' notes ("SerialNumber",
// "BodySerialNumber", "InternalSerialNumber", "OwnerName", "CameraOwnerName").
bool IsIdentityTag(const std::string& tag) {
    const std::string lower = AsciiLowerCase(tag);
    return lower.find("serial") != std::string::npos ||
           lower.find("ownername") != std::string::npos;
}

bool IsPlaceOrIdentity(const Exiv2::Exifdatum& datum) {
    return datum.groupName() == "GPSInfo" || datum.tagName() == "GPSTag" ||
           IsIdentityTag(datum.tagName());
}

bool IsPlaceOrIdentity(const Exiv2::Xmpdatum& datum) {
    return datum.tagName().rfind("GPS", 0) == 0 || IsIdentityTag(datum.tagName());
}

bool IsPosition(const Exiv2::Exifdatum& datum) {
    return datum.groupName() == "GPSInfo" &&
           (datum.tagName() == "GPSLatitude" || datum.tagName() == "GPSLongitude");
}

bool IsPosition(const Exiv2::Xmpdatum& datum) {
    return datum.tagName() == "GPSLatitude" || datum.tagName() == "GPSLongitude";
}

template <typename Data, typename Predicate>
int CountOf(const Data& data, Predicate pick) {
    int count = 0;
    for (const auto& datum : data) {
        count += pick(datum) ? 1 : 0;
    }
    return count;
}

template <typename Data>
int EraseFrom(Data& data) {
    int erased = 0;
    for (auto it = data.begin(); it != data.end();) {
        if (IsPlaceOrIdentity(*it)) {
            it = data.erase(it);
            ++erased;
        } else {
            ++it;
        }
    }
    return erased;
}

int FieldsOf(Exiv2::Image& image) {
    const auto pick = [](const auto& datum) { return IsPlaceOrIdentity(datum); };
    return CountOf(image.exifData(), pick) + CountOf(image.xmpData(), pick);
}

}  // namespace

bool CarriesPlace(const std::string& path) {
    PrepareExiv2();
    try {
        const auto image = Exiv2::ImageFactory::open(path, false);
        image->readMetadata();
        const auto pick = [](const auto& datum) { return IsPosition(datum); };
        return CountOf(image->exifData(), pick) + CountOf(image->xmpData(), pick) > 0;
    } catch (const std::exception&) {
        return false;
    }
}

Expected<int> PlaceAndIdentityFields(const std::string& path) {
    PrepareExiv2();
    try {
        const auto image = Exiv2::ImageFactory::open(path, false);
        image->readMetadata();
        return FieldsOf(*image);
    } catch (const std::exception& error) {
        return Result::Failure(error.what(), Result::Kind::DamagedInput);
    }
}

Result RemovePlaceAndIdentity(std::string& bytes, int& removed) {
    PrepareExiv2();
    removed = 0;
    try {
        const auto image = Exiv2::ImageFactory::open(
            reinterpret_cast<const Exiv2::byte*>(bytes.data()), static_cast<long>(bytes.size()));
        image->readMetadata();
        if (FieldsOf(*image) == 0) {
            return Result::Ok();
        }
        const int erased = EraseFrom(image->exifData()) + EraseFrom(image->xmpData());
        image->writeMetadata();
        Exiv2::BasicIo& io = image->io();
        io.open();
        const Exiv2::DataBuf written = io.read(static_cast<long>(io.size()));
        io.close();
        bytes.assign(reinterpret_cast<const char*>(written.pData_),
                     static_cast<std::size_t>(written.size_));
        removed = erased;
        return Result::Ok();
    } catch (const std::exception& error) {
        return Result::Failure(error.what(), Result::Kind::DamagedInput);
    }
}

#pragma GCC diagnostic pop
