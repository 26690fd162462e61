#include "media/photo_metadata.h"

#include <gtest/gtest.h>

#include <vips/vips8>

#include <cstdint>
#include <string>
#include <vector>

#include "media/test_images.h"
#include "support/run_program.h"
#include "support/test_support.h"

namespace {

class PhotoMetadata : public ::testing::Test {
  protected:
    // Small JPEGs "0.jpg", "1.jpg", ..., one for each list of tags ("-Make=Canon", ...),
    // tagged by a single exiftool run (each run costs it a Perl start).
    std::vector<std::string> TaggedPhotos(const std::vector<std::vector<std::string>>& tagSets) {
        std::vector<std::string> paths;
        std::vector<std::string> arguments;
        for (const std::vector<std::string>& tags : tagSets) {
            paths.push_back(dir / (std::to_string(paths.size()) + ".jpg"));
            WriteJpeg(paths.back(), 16, 12, [](int x, int y) { return PhotoLike(x, y, 1); });
            if (!arguments.empty()) {
                arguments.push_back("-execute");
            }
            arguments.insert(arguments.end(), tags.begin(), tags.end());
            arguments.push_back(paths.back());
        }
        for (const char* common : {"-common_args", "-q", "-overwrite_original"}) {
            arguments.push_back(common);
        }
        const ProgramRun run = RunProgram("/usr/bin/exiftool", arguments);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err, "");
        return paths;
    }

    std::string TaggedPhoto(const std::vector<std::string>& tags) {
        return TaggedPhotos({tags}).front();
    }

    // The facts of a photo tagged with each list of tags, in their order.
    std::vector<PhotoFacts> FactsOf(const std::vector<std::vector<std::string>>& tagSets) {
        std::vector<PhotoFacts> facts;
        for (const std::string& path : TaggedPhotos(tagSets)) {
            facts.push_back(ReadPhotoFacts(path));
        }
        return facts;
    }

    TempDir dir;
};

TEST_F(PhotoMetadata, CameraAndExposureFromTheTagsThere) {
    const struct Case {
        std::vector<std::string> tags;
        std::string camera;
        std::string exposure;
    } cases[] = {
        {{"-Make=Canon", "-Model=Canon EOS R6", "-ExposureTime=1/250", "-FNumber=8", "-ISO=200",
          "-FocalLength=35"},
         "Canon EOS R6",
         "1/250 s, f/8, ISO 200, 35 mm"},
        {{"-Make=NIKON CORPORATION", "-Model=NIKON D750", "-ExposureTime=0.5", "-FNumber=2.8"},
         "NIKON D750",
         "0.5 s, f/2.8"},
        {{"-Make=SONY", "-Model=ILCE-7M3", "-ExposureTime=2", "-FocalLength=4.2"},
         "SONY ILCE-7M3",
         "2 s, 4.2 mm"},
        {{"-Make=Canon", "-Model=Canonet QL17", "-ExposureTime=1/3"},
         "Canon Canonet QL17",
         "1/3 s"},
        {{"-Model=  iPhone 12  ", "-ISO=100", "-FNumber=1.6"}, "iPhone 12", "f/1.6, ISO 100"},
        {{"-Make=Apple", "-ExposureTime=1.3"}, "Apple", "1.3 s"},
        {{"-Artist=Ann"}, "", ""},
    };
    std::vector<std::vector<std::string>> tagSets;
    for (const Case& c : cases) {
        tagSets.push_back(c.tags);
    }
    const std::vector<PhotoFacts> facts = FactsOf(tagSets);
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(facts[i].camera, cases[i].camera) << cases[i].tags.front();
        EXPECT_EQ(facts[i].exposure, cases[i].exposure) << cases[i].tags.front();
    }
}

TEST_F(PhotoMetadata, DateTakenOnlyFromTheOriginalDate) {
    const struct Case {
        std::string tag;
        std::string taken;  // FormatOleDate of it; empty for 0
    } cases[] = {
        {"-DateTimeOriginal=2021:07:04 10:20:30", "07/04/21 10:20:30"},
        {"-DateTimeOriginal=1999:12:31 23:59:59", "12/31/99 23:59:59"},
        {"-DateTimeOriginal#=0000:00:00 00:00:00", ""},
        {"-DateTimeOriginal#=2021:02:30 10:00:00", ""},
        {"-ModifyDate=2021:07:04 10:20:30", ""},
    };
    std::vector<std::vector<std::string>> tagSets;
    for (const Case& c : cases) {
        tagSets.push_back({c.tag});
    }
    const std::vector<PhotoFacts> facts = FactsOf(tagSets);
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(facts[i].taken == 0 ? "" : FormatOleDate(facts[i].taken), cases[i].taken)
            << cases[i].tag;
    }
}

TEST_F(PhotoMetadata, CaptionIsTheFirstRealDescription) {
    const struct Case {
        std::vector<std::string> tags;
        std::string caption;
    } cases[] = {
        {{"-EXIF:ImageDescription= Our house ", "-XMP-dc:Description=Lake",
          "-IPTC:Caption-Abstract=Harbour"},
         "Our house"},
        {{"-XMP-dc:Description=Lake", "-IPTC:Caption-Abstract=Harbour"}, "Lake"},
        {{"-EXIF:ImageDescription=OLYMPUS DIGITAL CAMERA         ",
          "-IPTC:Caption-Abstract=Harbour"},
         "Harbour"},
        {{"-EXIF:ImageDescription=FUJIFILM DIGITAL CAMERA", "-XMP-dc:Description=Boats"}, "Boats"},
        {{"-EXIF:ImageDescription=SONY DSC", "-XMP-dc:Description=   "}, ""},
        {{"-EXIF:ImageDescription=DCIM\\100MEDIA", "-XMP-dc:Description-de=Nur deutsch"},
         "Nur deutsch"},
        {{"-EXIF:ImageDescription=default", "-IPTC:Caption-Abstract=DIGITAL CAMERA"}, ""},
    };
    std::vector<std::vector<std::string>> tagSets;
    for (const Case& c : cases) {
        tagSets.push_back(c.tags);
    }
    const std::vector<PhotoFacts> facts = FactsOf(tagSets);
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(facts[i].caption, cases[i].caption) << cases[i].tags.front();
    }
}

TEST_F(PhotoMetadata, UnreadableFilesHaveNoFactsAndStayQuiet) {
    const std::vector<std::string> tagged =
        TaggedPhotos({{"-Make=Canon", "-ISO=100"}, {"-ImageDescription=Lake", "-Make=Canon"}});
    std::string truncated = ReadFileBytes(tagged[0]);
    truncated.resize(40);
    WriteFileBytes(dir / "truncated.jpg", truncated);
    WriteFileBytes(dir / "noise.jpg", "\xff\xd8\xff\xe1\xff\xff" + std::string(64, '\x7f'));
    WriteFileBytes(dir / "text.jpg", "not a picture");
    WritePng(dir / "plain.png", 8, 8, [](int x, int y) { return PhotoLike(x, y, 2); });

    // The description's text placed far beyond the end of the file, which exiv2 reports.
    std::string farText = ReadFileBytes(tagged[1]);
    const std::size_t tiff = farText.find(std::string("Exif\0\0", 6)) + 6;
    ASSERT_EQ(farText.substr(tiff, 8), std::string("II*\0\x08\0\0\0", 8));
    ASSERT_EQ(farText.substr(tiff + 10, 2), "\x0e\x01") << "the description comes first";
    farText.replace(tiff + 18, 4, "\xf0\xff\xff\x7f");
    WriteFileBytes(dir / "far.jpg", farText);

    testing::internal::CaptureStderr();
    for (const std::string name :
         {"truncated.jpg", "noise.jpg", "text.jpg", "plain.png", "missing.jpg"}) {
        const PhotoFacts facts = ReadPhotoFacts(dir / name);
        EXPECT_EQ(facts.taken, 0) << name;
        EXPECT_EQ(facts.camera + facts.exposure + facts.caption, "") << name;
    }
    const PhotoFacts far = ReadPhotoFacts(dir / "far.jpg");
    EXPECT_EQ(far.caption + "/" + far.camera, "/Canon");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

// exiv2 0.27 finds an item's data only when its iloc entry has no base offset, which
// libheif always writes. The same HEIC with every base offset moved into the extent
// offsets, the box kept at its length by a "free" box after it; empty when the HEIC has
// no iloc box of that kind (version 1, offsets, lengths and base offsets of 4 bytes).
std::string WithoutBaseOffsets(const std::string& heic) {
    const auto get = [&heic](std::size_t at, int bytes) {
        std::uint32_t value = 0;
        for (int i = 0; i < bytes; ++i) {
            value = value << 8 | static_cast<unsigned char>(heic[at + i]);
        }
        return value;
    };
    const auto put = [](std::string& out, std::uint32_t value, int bytes) {
        for (int i = bytes - 1; i >= 0; --i) {
            out += static_cast<char>(value >> (8 * i) & 0xff);
        }
    };
    const std::size_t box = heic.find("iloc") - 4;
    if (box > heic.size() || heic[box + 8] != 1 || get(box + 12, 2) != 0x4440) {
        return {};
    }
    const std::uint32_t length = get(box, 4);
    const std::uint32_t items = get(box + 14, 2);
    std::string iloc;
    put(iloc, 16 + 16 * items, 4);
    iloc += heic.substr(box + 4, 8);  // "iloc", version and flags
    put(iloc, 0x4400, 2);
    put(iloc, items, 2);
    for (std::size_t item = box + 16; item < box + 16 + 20 * items; item += 20) {
        if (get(item + 10, 2) != 1) {
            return {};
        }
        iloc += heic.substr(item, 6);  // item, construction method, data reference
        put(iloc, 1, 2);
        put(iloc, get(item + 6, 4) + get(item + 12, 4), 4);
        put(iloc, get(item + 16, 4), 4);
    }
    put(iloc, length - iloc.size(), 4);
    iloc += "free" + std::string(length - iloc.size() - 4, '\0');
    return heic.substr(0, box) + iloc + heic.substr(box + length);
}

TEST_F(PhotoMetadata, HeicIsReadThroughBmff) {
    const std::string jpeg = TaggedPhoto({"-Make=Canon", "-Model=Canon EOS R6"});
    const std::string heic = dir / "a.heic";
    vips::VImage::new_from_file(jpeg.c_str()).heifsave(heic.c_str());
    const std::string readable = WithoutBaseOffsets(ReadFileBytes(heic));
    ASSERT_FALSE(readable.empty()) << "libheif wrote another layout";
    WriteFileBytes(heic, readable);
    EXPECT_EQ(ReadPhotoFacts(heic).camera, "Canon EOS R6");
}

}  // namespace
