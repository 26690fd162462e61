#include "generate/picture_names.h"

#include <algorithm>

#include "generate/product.h"
#include "media/image_size.h"
#include "media/video_copies.h"
#include "media/video_tools.h"
#include "platform/paths.h"

namespace {

constexpr char kThumbnailPrefix[] = "Thumbs/TN_";

bool IsGif(const std::string& source) {
    return PathExtension(source) == "GIF";
}

bool GifThumbnailOfItsOwn(const std::string& source, const Program& program) {
    return IsGif(source) &&
           program.GetInt(ProgramKey::MiscGifThumbnailType) == kGifThumbnailOfFirstFrame;
}

// Pages for sharing show every thumbnail sharp on a phone's screen.
bool MakesThumbnail2x(const Program& program) {
    return program.GetInt(ProgramKey::PhotoWebSize) > 0 ||
           program.GetBool(ProgramKey::PagesForSharing);
}

bool MakesWebCopy(const std::string& source, const Program& program) {
    return IsConvertedPicture(source) || IsVideoFile(source) ||
           (!IsGif(source) && program.GetInt(ProgramKey::PhotoWebSize) > 0);
}

}  // namespace

bool IsConvertedPicture(const std::string& source) {
    const std::string extension = PathExtension(source);
    return extension == "HEIC" || extension == "HEIF" || extension == "WEBP" ||
           extension == "TIF" || extension == "TIFF";
}

bool PngAsJpeg(const std::string& source, const Program& program, bool transparent) {
    return !transparent && PathExtension(source) == "PNG" &&
           program.GetBool(ProgramKey::PhotoPngAsJpeg);
}

std::string ThumbnailName(const std::string& source, const Program& program, bool transparent) {
    const std::string name = PathFileName(source);
    if (IsConvertedPicture(source) || IsVideoFile(source) ||
        PngAsJpeg(source, program, transparent)) {
        return kThumbnailPrefix + name + ".jpg";
    }
    if (GifThumbnailOfItsOwn(source, program)) {
        return kThumbnailPrefix + name + ".png";
    }
    return kThumbnailPrefix + (IsGif(source) ? std::string(kGifPlaceholderName) : name);
}

std::string WebCopyName(const std::string& source, const Program& program, bool transparent) {
    if (!MakesWebCopy(source, program)) {
        return {};
    }
    const bool jpeg = IsConvertedPicture(source) || IsVideoFile(source) ||
                      PngAsJpeg(source, program, transparent);
    return "Web/" + PathFileName(source) + (jpeg ? ".jpg" : "");
}

std::string VideoWebCopyName(const std::string& source) {
    const std::string name = PathFileName(source);
    return "Web/" + name + (PathExtension(source) == "MP4" ? "" : ".mp4");
}

std::string PhoneCopyName(const std::string& webCopy) {
    return "Web/Small/" + PathFileName(webCopy);
}

std::string Thumbnail2xName(const std::string& thumbnail) {
    return "Thumbs/2x/" + PathFileName(thumbnail);
}

SourceCopy SourceCopyKind(const std::string& source, const Program& program) {
    if (IsVideoFile(source)) {
        // The web copy plays it; an original is published only as taken, since no cleaning
        // of ours reaches into a video's container.
        return program.GetBool(ProgramKey::PhotoPublishOriginals) ? SourceCopy::AsTaken
                                                                  : SourceCopy::None;
    }
    const bool shownAsItIs =
        IsGif(source) ||
        (!MakesWebCopy(source, program) &&
         (IsJpegExtension(PathExtension(source)) || PathExtension(source) == "PNG"));
    if (!program.GetBool(ProgramKey::PhotoPublishOriginals)) {
        return shownAsItIs ? SourceCopy::Clean : SourceCopy::None;
    }
    if (!program.GetBool(ProgramKey::PhotoOriginalsWithoutPlace)) {
        return SourceCopy::AsTaken;
    }
    return IsGif(source) ? SourceCopy::Clean : SourceCopy::WithoutPlace;
}

bool MakesNewPictures(const std::string& source, const Program& program) {
    return MakesThumbnail2x(program) || IsConvertedPicture(source) || IsVideoFile(source) ||
           GifThumbnailOfItsOwn(source, program) || program.GetBool(ProgramKey::PhotoWebp) ||
           program.GetBool(ProgramKey::PhotoAvif);
}

bool PictureJob(const SourceRecord& record, const Program& program, bool withThumbnail,
                ThumbnailQueue::Job& job) {
    const std::string target = program.GetText(ProgramKey::TargetDir);
    const int webSize = program.GetInt(ProgramKey::PhotoWebSize);
    job = {};
    job.source = record.source;
    job.boxSize = program.GetInt(ProgramKey::ThumbnailSize);
    job.smart = program.GetBool(ProgramKey::SmartThumbnailGeneration);
    job.webp = program.GetBool(ProgramKey::PhotoWebp);
    job.avif = program.GetBool(ProgramKey::PhotoAvif);
    const bool video = IsVideoFile(record.source);
    if (withThumbnail && !record.thumbnail.empty() &&
        (!IsGif(record.source) || GifThumbnailOfItsOwn(record.source, program))) {
        job.thumbnail = JoinPath(target, record.thumbnail);
        if (MakesThumbnail2x(program) || video) {
            job.thumbnail2x = JoinPath(target, Thumbnail2xName(record.thumbnail));
        }
    }
    const std::string web = WebCopyName(record.source, program, record.transparent);
    if (video) {
        // The poster: the size of the web copy it stands for, which needs the video's size.
        if (record.width <= 0 || record.height <= 0) {
            return false;
        }
        VideoProbe shown;
        shown.width = record.width;
        shown.height = record.height;
        int width = 0;
        int height = 0;
        VideoWebSize(shown, program.GetInt(ProgramKey::PhotoVideoSize), width, height);
        job.webCopy = JoinPath(target, web);
        job.webSize = std::max(width, height);
        job.webQuality = program.GetInt(ProgramKey::PhotoWebQuality);
    } else if (!web.empty()) {
        job.webCopy = JoinPath(target, web);
        job.webSize = webSize;
        job.webQuality = program.GetInt(ProgramKey::PhotoWebQuality);
        job.keepCameraData = program.GetBool(ProgramKey::PhotoKeepCameraData);
        if (webSize > 0) {
            job.phoneCopy = JoinPath(target, PhoneCopyName(web));
        }
    }
    return !job.thumbnail.empty() || !job.webCopy.empty();
}
