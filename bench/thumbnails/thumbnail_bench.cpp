// thumbnail_bench: the photo corpus for the thumbnail benchmark, and MakeThumbnail timed
// against the decoding floor and against libvips alone over it.
//
//   thumbnail_bench corpus FOLDER COUNT         makes the photos that are missing
//   thumbnail_bench compare FOLDER OUT ROUNDS   prints the table; exit 1 over a target
//
// The photos are taken ten at a time, and every contender works on each group in turn
// before the next group starts, so that other programs on the machine weigh on all of
// them alike. A round's figure is the sum over the groups; the best round counts. CPU
// time is printed beside the wall-clock time.
//
// MakeThumbnail decodes, scales and writes the everyday JPEG with libjpeg itself rather
// than through libvips; that is worth its code only while it is clearly faster. So the
// plain libvips way (thumbnail, which shrinks on load too, then jpegsave with the same
// settings) runs beside it on the same photos and threads, and the table gives the ratio.

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vips/vips8>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "media/imaging.h"
#include "media/thumbnails.h"

extern char** environ;

namespace fs = std::filesystem;
using vips::VImage;

namespace {

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;
constexpr std::uintmax_t kSmallest = 3'000'000;
constexpr std::uintmax_t kLargest = 5'000'000;

// Random values smoothed by enlarging: features about scale pixels across.
VImage Blobs(int scale, double sigma, int seed) {
    const int width = kWidth / scale + 4;
    const int height = kHeight / scale + 4;
    VImage noise =
        VImage::gaussnoise(width, height, VImage::option()->set("sigma", sigma)->set("seed", seed));
    return noise.resize(scale, VImage::option()->set("kernel", VIPS_KERNEL_CUBIC))
        .crop(0, 0, kWidth, kHeight);
}

// A photograph's mix: broad shapes and shading, mid-sized texture and sensor grain,
// with colour bands that differ but move together.
VImage PhotoLike(int seed, double grain) {
    std::vector<VImage> bands;
    const VImage shapes = Blobs(400, 60, seed);
    const VImage texture = Blobs(6, 25, seed + 1000);
    for (int band = 0; band < 3; ++band) {
        const VImage tint = Blobs(250, 30, seed * 3 + band + 2000);
        const VImage grainBand = VImage::gaussnoise(
            kWidth, kHeight,
            VImage::option()->set("sigma", grain)->set("mean", 0.0)->set("seed", seed * 7 + band));
        bands.push_back(shapes + tint + (texture - 128) * (0.6 + 0.2 * band) + grainBand - 128);
    }
    return VImage::bandjoin(bands)
        .cast(VIPS_FORMAT_UCHAR)
        .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
}

int MakeCorpus(const std::string& folder, int count) {
    fs::create_directories(folder);
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "photo%03d.jpg", i);
        const fs::path path = fs::path(folder) / name;
        if (fs::exists(path)) {
            continue;
        }
        // Adjust the grain until the file lands in the size range of a camera's JPEG.
        double grain = 7.0;
        for (int attempt = 0; attempt < 8; ++attempt) {
            const fs::path partial = path.string() + ".part";
            PhotoLike(i, grain).jpegsave(partial.c_str(), VImage::option()->set("Q", 92));
            const std::uintmax_t size = fs::file_size(partial);
            if ((size >= kSmallest && size <= kLargest) || attempt == 7) {
                fs::rename(partial, path);
                break;
            }
            grain *= size < kSmallest ? 1.4 : 0.7;
        }
        std::printf("\r  made %s (%.1f MB)   ", name, fs::file_size(path) / 1e6);
        std::fflush(stdout);
    }
    std::printf("\n");
    return 0;
}

std::vector<std::string> Photos(const std::string& folder) {
    std::vector<std::string> photos;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().extension() == ".jpg") {
            photos.push_back(entry.path().string());
        }
    }
    std::sort(photos.begin(), photos.end());
    return photos;
}

double CpuMilliseconds(int who) {
    struct rusage usage;
    ::getrusage(who, &usage);
    auto ms = [](const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

struct Cost {
    double wall = 0;  // milliseconds
    double cpu = 0;
    Cost& operator+=(const Cost& other) {
        wall += other.wall;
        cpu += other.cpu;
        return *this;
    }
};

// What a piece of work costs; RUSAGE_SELF or RUSAGE_CHILDREN says whose CPU time counts.
template <typename Work>
Cost Measure(int who, Work&& work) {
    const double cpuBefore = CpuMilliseconds(who);
    const auto start = std::chrono::steady_clock::now();
    work();
    return {
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count(),
        CpuMilliseconds(who) - cpuBefore};
}

constexpr int kBox = 120;

// The thumbnail as libvips alone makes it, written as MakeThumbnail writes its JPEGs.
// False when it was not made or does not fill the box.
bool LibvipsThumbnail(const std::string& source, const std::string& thumbnail) {
    try {
        const VImage image =
            VImage::thumbnail(source.c_str(), kBox, VImage::option()->set("height", kBox));
        image.jpegsave(
            thumbnail.c_str(),
            VImage::option()->set("Q", 75)->set("strip", true)->set("optimize_coding", true));
        return image.width() == kBox || image.height() == kBox;
    } catch (const vips::VError&) {
        return false;
    }
}

bool OurThumbnail(const std::string& source, const std::string& thumbnail) {
    int width = -1;
    int height = -1;
    MakeThumbnail(source, thumbnail, kBox, kBox, width, height, false);
    return width == kBox || height == kBox;
}

// One of the two thumbnail makers over the photos on that many threads, each thumbnail
// named prefix + the photo's name. False when one was not made.
bool Thumbnails(bool (*make)(const std::string&, const std::string&),
                const std::vector<std::string>& photos, const std::string& out,
                const std::string& prefix, int threads, Cost& cost) {
    std::atomic<size_t> next{0};
    std::atomic<int> failed{0};
    cost += Measure(RUSAGE_SELF, [&] {
        std::vector<std::thread> workers;
        for (int t = 0; t < threads; ++t) {
            workers.emplace_back([&] {
                for (size_t i = next++; i < photos.size(); i = next++) {
                    if (!make(photos[i],
                              out + "/" + prefix + fs::path(photos[i]).filename().string())) {
                        ++failed;
                    }
                }
            });
        }
        for (std::thread& worker : workers) {
            worker.join();
        }
    });
    return failed == 0;
}

// Starts the command with the photos added to its arguments; the process id, or -1.
pid_t Start(const std::vector<std::string>& command, const std::vector<std::string>& photos) {
    std::vector<char*> argv;
    for (const std::string& part : command) {
        argv.push_back(const_cast<char*>(part.c_str()));
    }
    for (const std::string& photo : photos) {
        argv.push_back(const_cast<char*>(photo.c_str()));
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const int error = ::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return error == 0 ? pid : -1;
}

bool Finished() {
    int status = 0;
    return ::wait(&status) >= 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The command once per photo, that many processes at a time; with jobs 0, one process
// for all the photos. False when one failed.
bool Processes(const std::vector<std::string>& command, const std::vector<std::string>& photos,
               int jobs, Cost& cost) {
    bool ok = true;
    cost += Measure(RUSAGE_CHILDREN, [&] {
        if (jobs == 0) {
            ok = Start(command, photos) >= 0 && Finished();
            return;
        }
        int running = 0;
        for (const std::string& photo : photos) {
            if (running == jobs) {
                ok = Finished() && ok;
                --running;
            }
            if (Start(command, {photo}) < 0) {
                ok = false;
                break;
            }
            ++running;
        }
        for (; running > 0; --running) {
            ok = Finished() && ok;
        }
    });
    return ok;
}

struct Contender {
    std::string name;
    Cost best{1e300, 0};
};

int Compare(const std::string& folder, const std::string& out, int rounds) {
    const std::vector<std::string> photos = Photos(folder);
    if (photos.empty()) {
        std::fprintf(stderr, "thumbnail_bench: no photos in %s\n", folder.c_str());
        return 1;
    }
    const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    const std::vector<std::string> djpeg = {"djpeg", "-scale", "1/8", "-outfile", "/dev/null"};
    const std::vector<std::string> vipsthumbnail = {"vipsthumbnail", "--size", "120x120", "-o",
                                                    out + "/vips_%s.jpg"};
    fs::create_directories(out);
    InitImaging();
    enum { kFloor1, kOurs1, kLibvips1, kFloorN, kOursN, kLibvipsN, kVips };
    const std::string threads = std::to_string(cores) + " threads";
    std::vector<Contender> contenders = {
        {"djpeg -scale 1/8, one process at a time"},
        {"MakeThumbnail, one thread"},
        {"libvips thumbnail + jpegsave, one thread"},
        {"djpeg -scale 1/8, one process per core"},
        {"MakeThumbnail, " + threads},
        {"libvips thumbnail + jpegsave, " + threads},
        {"vipsthumbnail --size 120x120, one process"},
    };
    bool ok = true;
    for (int round = 0; round < rounds; ++round) {
        std::vector<Cost> costs(contenders.size());
        for (size_t first = 0; first < photos.size(); first += 10) {
            const std::vector<std::string> group(
                photos.begin() + first, photos.begin() + std::min(first + 10, photos.size()));
            ok = Processes(djpeg, group, 1, costs[kFloor1]) && ok;
            ok = Thumbnails(OurThumbnail, group, out, "TN_", 1, costs[kOurs1]) && ok;
            ok = Thumbnails(LibvipsThumbnail, group, out, "LV_", 1, costs[kLibvips1]) && ok;
            ok = Processes(djpeg, group, cores, costs[kFloorN]) && ok;
            ok = Thumbnails(OurThumbnail, group, out, "TN_", cores, costs[kOursN]) && ok;
            ok = Thumbnails(LibvipsThumbnail, group, out, "LV_", cores, costs[kLibvipsN]) && ok;
        }
        // vipsthumbnail starts libvips once for all the photos, as a user would run it.
        ok = Processes(vipsthumbnail, photos, 0, costs[kVips]) && ok;
        for (size_t i = 0; i < contenders.size(); ++i) {
            if (costs[i].wall < contenders[i].best.wall) {
                contenders[i].best = costs[i];
            }
        }
    }
    if (!ok) {
        std::fprintf(stderr, "thumbnail_bench: a thumbnail or a decode failed\n");
        return 1;
    }
    const double n = static_cast<double>(photos.size());
    auto perPhoto = [&](int i) { return contenders[i].best.wall / n; };
    std::printf("ms per photo, best of %d rounds, %d cores (CPU ms per photo in brackets)\n",
                rounds, cores);
    for (size_t i = 0; i < contenders.size(); ++i) {
        std::printf("  %-42s %7.2f  (%6.2f)", contenders[i].name.c_str(), perPhoto(i),
                    contenders[i].best.cpu / n);
        if (i == kOurs1 || i == kOursN) {
            std::printf("  %.2fx floor, target 1.15x", perPhoto(i) / perPhoto(i - 1));
        } else if (i == kLibvips1 || i == kLibvipsN) {
            std::printf("  %.2fx MakeThumbnail", perPhoto(i) / perPhoto(i - 1));
        } else if (i == kVips) {
            std::printf("  %.2fx MakeThumbnail on all cores", perPhoto(i) / perPhoto(kOursN));
        }
        std::printf("\n");
    }
    const bool met = perPhoto(kOurs1) <= 1.15 * perPhoto(kFloor1) &&
                     perPhoto(kOursN) <= 1.15 * perPhoto(kFloorN);
    return met ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (VIPS_INIT(argv[0]) != 0) {
        return 1;
    }
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "corpus" && argc == 4) {
        return MakeCorpus(argv[2], std::atoi(argv[3]));
    }
    if (command == "compare" && argc == 5) {
        return Compare(argv[2], argv[3], std::max(1, std::atoi(argv[4])));
    }
    std::fprintf(stderr,
                 "usage: thumbnail_bench corpus FOLDER COUNT\n"
                 "       thumbnail_bench compare FOLDER OUT ROUNDS\n");
    return 2;
}
