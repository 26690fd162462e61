// thumbnail_bench: the photo corpus for the thumbnail benchmark, and MakeThumbnail timed
// over it on any number of threads.
//
//   thumbnail_bench corpus FOLDER COUNT            makes the photos that are missing
//   thumbnail_bench time FOLDER OUT THREADS BOX    MakeThumbnail on THREADS threads
//   thumbnail_bench spawn FOLDER JOBS PROGRAM ARG...
//       PROGRAM ARG... PHOTO for every photo, JOBS processes at a time; with JOBS 0, one
//       process is given all the photos
//
// time and spawn print two figures: wall-clock and CPU milliseconds per photo. CPU time
// tells how much work was done when other programs share the machine.

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
    if (photos.empty()) {
        std::fprintf(stderr, "thumbnail_bench: no photos in %s\n", folder.c_str());
    }
    return photos;
}

double CpuMilliseconds(int who) {
    struct rusage usage;
    ::getrusage(who, &usage);
    auto ms = [](const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// Wall-clock and CPU time of a piece of work, per photo.
template <typename Work>
void Report(size_t photos, int who, Work&& work) {
    const double cpuBefore = CpuMilliseconds(who);
    const auto start = std::chrono::steady_clock::now();
    work();
    const double wall =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    const double cpu = CpuMilliseconds(who) - cpuBefore;
    std::printf("%.2f %.2f\n", wall / photos, cpu / photos);
}

int Time(const std::string& folder, const std::string& out, int threads, int box) {
    const std::vector<std::string> sources = Photos(folder);
    if (sources.empty()) {
        return 1;
    }
    fs::create_directories(out);
    InitImaging();
    std::atomic<size_t> next{0};
    std::atomic<int> failed{0};
    Report(sources.size(), RUSAGE_SELF, [&] {
        std::vector<std::thread> workers;
        for (int t = 0; t < threads; ++t) {
            workers.emplace_back([&] {
                for (size_t i = next++; i < sources.size(); i = next++) {
                    int width = -1;
                    int height = -1;
                    const std::string thumbnail =
                        out + "/TN_" + fs::path(sources[i]).filename().string();
                    MakeThumbnail(sources[i], thumbnail, box, box, width, height, false);
                    if (width != box && height != box) {
                        ++failed;
                    }
                }
            });
        }
        for (std::thread& worker : workers) {
            worker.join();
        }
    });
    if (failed > 0) {
        std::fprintf(stderr, "thumbnail_bench: %d thumbnails were not made\n", failed.load());
        return 1;
    }
    return 0;
}

// Starts program with its arguments and the given photos; the process id, or -1.
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

int Spawn(const std::string& folder, int jobs, const std::vector<std::string>& command) {
    const std::vector<std::string> photos = Photos(folder);
    if (photos.empty()) {
        return 1;
    }
    bool failed = false;
    auto finish = [&failed] {
        int status = 0;
        if (::wait(&status) < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            failed = true;
        }
    };
    Report(photos.size(), RUSAGE_CHILDREN, [&] {
        if (jobs == 0) {
            failed = Start(command, photos) < 0;
            if (!failed) {
                finish();
            }
            return;
        }
        int running = 0;
        for (const std::string& photo : photos) {
            if (running == jobs) {
                finish();
                --running;
            }
            if (Start(command, {photo}) < 0) {
                failed = true;
                break;
            }
            ++running;
        }
        for (; running > 0; --running) {
            finish();
        }
    });
    if (failed) {
        std::fprintf(stderr, "thumbnail_bench: %s failed\n", command[0].c_str());
        return 1;
    }
    return 0;
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
    if (command == "time" && argc == 6) {
        return Time(argv[2], argv[3], std::max(1, std::atoi(argv[4])), std::atoi(argv[5]));
    }
    if (command == "spawn" && argc >= 5) {
        return Spawn(argv[2], std::max(0, std::atoi(argv[3])),
                     std::vector<std::string>(argv + 4, argv + argc));
    }
    std::fprintf(stderr,
                 "usage: thumbnail_bench corpus FOLDER COUNT\n"
                 "       thumbnail_bench time FOLDER OUT THREADS BOX\n"
                 "       thumbnail_bench spawn FOLDER JOBS PROGRAM [ARGUMENT...]\n");
    return 2;
}
