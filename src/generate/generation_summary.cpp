#include "generate/generation_summary.h"

#include "platform/format.h"

namespace {

std::string Count(int count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// "1 video could not be read: beach.mov"; the first three names, then how many more.
std::string UnreadableVideosLine(const std::vector<std::string>& names) {
    std::string line =
        Count(static_cast<int>(names.size()), "video", "videos") + " could not be read: ";
    for (std::size_t i = 0; i < names.size() && i < 3; ++i) {
        line += (i > 0 ? ", " : "") + names[i];
    }
    if (names.size() > 3) {
        line += StringPrintf(" and %zu more", names.size() - 3);
    }
    return line;
}

}  // namespace

std::string SummaryLine(const GenerationSummary& summary) {
    std::string albums;
    if (summary.albums > 0) {
        albums = Count(summary.pictures, "file", "files") + " in " +
                 Count(summary.albums, "album", "albums") + ": ";
    }
    const int pages = summary.indexPages + summary.contentPages;
    return albums + Count(pages - summary.pagesUnchanged, "page", "pages") + " written, " +
           (summary.pagesUnchanged > 0 ? std::to_string(summary.pagesUnchanged) + " unchanged, "
                                       : std::string()) +
           Count(summary.thumbnailsMade, "thumbnail", "thumbnails") + " made, " +
           std::to_string(summary.thumbnailsKept) + " kept, " +
           (summary.videosMade + summary.videosKept > 0
                ? Count(summary.videosMade, "video", "videos") + " made, " +
                      std::to_string(summary.videosKept) + " kept, "
                : std::string()) +
           Count(summary.filesRemoved, "file", "files") + " removed" +
           (summary.photosTrashed > 0
                ? " (" + Count(summary.photosTrashed, "photo", "photos") + " moved to the trash)"
                : std::string()) +
           ", " + Count(summary.withoutThumbnail, "picture", "pictures") +
           " without a thumbnail, " + StringPrintf("%.1f seconds", summary.seconds) +
           (summary.unreadableVideos.empty()
                ? std::string()
                : ". " + UnreadableVideosLine(summary.unreadableVideos)) +
           (summary.originalsWithPlace > 0
                ? ". " + OriginalsWithPlaceLine(summary.originalsWithPlace)
                : std::string());
}

std::string OriginalsWithPlaceLine(int count) {
    if (count <= 0) {
        return {};
    }
    return count == 1 ? "1 published original shows where it was taken"
                      : std::to_string(count) + " published originals show where they were taken";
}
