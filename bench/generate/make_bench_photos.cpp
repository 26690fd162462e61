// Makes photo-like pictures for the generation benchmark: 4000 x 3000 JPEGs of 3 to 5 MB,
// the sample photos enlarged with a film grain that JPEG cannot squeeze away.
//
// usage: make-bench-photos SAMPLES_FOLDER TARGET_FOLDER COUNT

#include <vips/vips8>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using vips::VImage;

int main(int argc, char** argv) {
    if (argc != 4 || VIPS_INIT(argv[0]) != 0) {
        std::fprintf(stderr, "usage: make-bench-photos SAMPLES_FOLDER TARGET_FOLDER COUNT\n");
        return 2;
    }
    std::vector<std::string> samples;
    for (const auto& entry : fs::directory_iterator(argv[1])) {
        if (entry.path().extension() == ".jpg") {
            samples.push_back(entry.path().string());
        }
    }
    std::sort(samples.begin(), samples.end());
    const int count = std::atoi(argv[3]);
    if (samples.empty() || count < 1) {
        std::fprintf(stderr, "make-bench-photos: no sample photos or no count\n");
        return 2;
    }
    fs::create_directories(argv[2]);
    for (int i = 0; i < count; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "photo-%04d.jpg", i);
        const std::string path = (fs::path(argv[2]) / name).string();
        if (fs::exists(path)) {
            continue;
        }
        try {
            VImage sample = VImage::new_from_file(samples[i % samples.size()].c_str());
            VImage large = sample.resize(4000.0 / sample.width(),
                                         VImage::option()->set("vscale", 3000.0 / sample.height()));
            VImage grain = VImage::gaussnoise(
                4000, 3000, VImage::option()->set("sigma", 7.0 + i % 5)->set("mean", 0.0));
            // Written beside and renamed, so an interrupted run leaves no half picture.
            const std::string partial = path + ".part.jpg";
            (large + grain)
                .cast(VIPS_FORMAT_UCHAR)
                .jpegsave(partial.c_str(), VImage::option()->set("Q", 90));
            fs::rename(partial, path);
        } catch (const vips::VError& error) {
            std::fprintf(stderr, "make-bench-photos: %s\n", error.what());
            return 1;
        }
    }
    return 0;
}
