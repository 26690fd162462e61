// Times ScanAlbums over a tree of 400 albums of 50 files each, made once in the folder given,
// against nftw walking the same tree (one status per entry): the floor for a walk that
// must tell folders from files. Exit status 1 when the scan costs more than twice the floor.

#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "generate/album_scan.h"

namespace {

constexpr int kYears = 20, kAlbumsPerYear = 20, kFilesPerAlbum = 50;

bool MakeTree(const std::string& root) {
    if (::access((root + "/done").c_str(), F_OK) == 0) {
        return true;
    }
    ::mkdir(root.c_str(), 0755);
    for (int year = 0; year < kYears; ++year) {
        const std::string yearFolder = root + "/" + std::to_string(2000 + year);
        ::mkdir(yearFolder.c_str(), 0755);
        for (int album = 0; album < kAlbumsPerYear; ++album) {
            const std::string folder = yearFolder + "/Trip " + std::to_string(album) + " à Rome";
            ::mkdir(folder.c_str(), 0755);
            for (int file = 0; file < kFilesPerAlbum; ++file) {
                const std::string name =
                    folder + "/IMG_" + std::to_string(file) + (file % 10 == 9 ? ".txt" : ".jpg");
                const int fd = ::open(name.c_str(), O_CREAT | O_WRONLY, 0644);
                if (fd < 0) {
                    std::perror(name.c_str());
                    return false;
                }
                ::close(fd);
            }
        }
    }
    const int fd = ::open((root + "/done").c_str(), O_CREAT | O_WRONLY, 0644);
    ::close(fd);
    return fd >= 0;
}

long entries = 0;

int CountEntry(const char*, const struct stat*, int, struct FTW*) {
    ++entries;
    return 0;
}

template <typename Work>
double BestSeconds(int rounds, Work work) {
    double best = 1e9;
    for (int round = 0; round < rounds; ++round) {
        const auto start = std::chrono::steady_clock::now();
        work();
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: album_scan_bench FOLDER [ROUNDS]\n");
        return 2;
    }
    const std::string root = argv[1];
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    if (!MakeTree(root)) {
        return 2;
    }
    int pictures = 0;
    const double scan = BestSeconds(
        rounds, [&] { pictures = PictureCount(ScanAlbums(root, "*.jpg;*.png;*.gif", {}).top); });
    const double floor = BestSeconds(rounds, [&] {
        entries = 0;
        ::nftw(root.c_str(), CountEntry, 16, FTW_PHYS);
    });
    std::printf("ScanAlbums: %d pictures in %.1f ms; nftw: %ld entries in %.1f ms (%.2fx)\n",
                pictures, scan * 1e3, entries, floor * 1e3, scan / floor);
    return scan > 2 * floor ? 1 : 0;
}
