#include "generate/folder_generation.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <utility>

#include "generate/content_pages.h"
#include "generate/damaged_pictures.h"
#include "generate/file_descriptions.h"
#include "generate/html_files.h"
#include "generate/index_entry.h"
#include "generate/index_pages.h"
#include "generate/page_frame.h"
#include "generate/page_names.h"
#include "generate/photo_order.h"
#include "generate/picture_names.h"
#include "generate/picture_size_question.h"
#include "generate/product.h"
#include "generate/site_index_page.h"
#include "generate/source_facts_record.h"
#include "generate/source_kind.h"
#include "generate/stale_output.h"
#include "generate/thumbnail_queue.h"
#include "generate/unmarked_pages.h"
#include "generate/video_web_copies.h"
#include "generate/web_names.h"
#include "media/clean_copy.h"
#include "media/file_copy.h"
#include "media/image_size.h"
#include "media/place_removal.h"
#include "media/video_tools.h"
#include "platform/app_folders.h"
#include "platform/ascii.h"
#include "platform/date_time.h"
#include "platform/files.h"
#include "platform/format.h"
#include "platform/message_box.h"
#include "platform/paths.h"
#include "platform/temporary_files.h"
#include "work/progress_pacing.h"
#include "work/worker_messages.h"

namespace {

// Drops, from the last entry to the first while no stop is asked for, the entries that
// `drop` picks; true when any was dropped.
template <typename Predicate>
bool DropEntries(FileList& list, const StopFlag* stop, Predicate drop) {
    bool dropped = false;
    for (std::size_t i = list.size(); i-- > 0 && !IsStopRequested(stop);) {
        if (drop(list[i])) {
            list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
            dropped = true;
        }
    }
    return dropped;
}

// Pictures in the target that are not among the sources stay (they may be the user's own),
// but the user hears how many there are.
void ReportOtherPictures(const Program& program, const std::string& patterns,
                         const std::vector<SourceRecord>& records,
                         const std::shared_ptr<WorkerMessageReceiver>& window) {
    std::vector<std::string> ours = {std::string(kGifPlaceholderName),
                                     std::string(kCreditBadgeName),
                                     std::string(kDamagedPlaceholderName)};
    if (program.GetInt(ProgramKey::HtmlBackgroundStyle) == 0) {
        ours.push_back(PathFileName(program.GetText(ProgramKey::HtmlBackgroundImage)));
    }
    const int others =
        CountOtherPictures(program.GetText(ProgramKey::TargetDir), patterns, records, ours);
    if (others > 0) {
        PostStatusText(window,
                       StringPrintf(others == 1 ? "%d picture in the target folder is not among "
                                                  "the sources and was left alone."
                                                : "%d pictures in the target folder are not among "
                                                  "the sources and were left alone.",
                                    others));
    }
}

// A run or a save that was killed halfway leaves its temporary file, which the next
// upload would publish; one left by a process that is still at work stays, and so does
// what lies behind a linked "Thumbs".
void RemoveLeftovers(const std::string& targetDir, const std::timespec& started,
                     const std::shared_ptr<WorkerMessageReceiver>& window) {
    std::vector<std::string> folders = {std::string(), "Web/", "Web/Small/"};
    if (!IsLinkedThumbnailFolder(targetDir)) {
        folders.emplace_back("Thumbs/");
        folders.emplace_back("Thumbs/2x/");
    }
    for (const std::string& folder : folders) {
        Result broken = Result::Ok();
        for (const std::string& name :
             RemoveLeftoverTemporaryFiles(JoinPath(targetDir, folder), started, &broken)) {
            PostStatusText(window, "Removed leftover \"" + folder + name + "\"");
        }
        if (!broken.ok()) {
            PostStatusText(window,
                           "Stopped looking for leftover files in " +
                               (folder.empty() ? "the target folder" : "\"" + folder + "\"") +
                               ": its listing broke off (" + ErrorCodeText(broken.error()) + ")");
        }
    }
}

// The file at path as the file system numbers it; 0 when there is none. A copy is renamed
// over its destination from a file made beside it, so a copy made gives another number.
ino_t FileNumber(const std::string& path) {
    struct stat status;
    return ::stat(path.c_str(), &status) == 0 ? status.st_ino : 0;
}

// Puts the source into the site as copy says; published is false when a picture that
// cannot be cleaned was left out (and the user told). False when the run must end after a
// failure the user was shown.
bool CopySource(const std::string& source, const std::string& destination, SourceCopy copy,
                const std::shared_ptr<WorkerMessageReceiver>& window, bool& published) {
    published = true;
    if (copy == SourceCopy::AsTaken) {
        if (const Result copied = CopyIfChanged(source, destination); !copied.ok()) {
            ShowCopyFailure(window, source, destination, copied);
            return false;
        }
        return true;
    }
    const Result copied = PublishCopyIfChanged(
        source, destination,
        copy == SourceCopy::Clean ? PublishedCopy::Clean : PublishedCopy::WithoutPlace);
    if (copied.ok()) {
        return true;
    }
    if (copied.kind() != Result::Kind::DamagedInput) {
        ShowCopyFailure(window, source, destination, copied);
        return false;
    }
    published = false;
    PostStatusText(window,
                   "\"" + PathFileName(source) + "\" is left out of the site: " + copied.text());
    return true;
}

PictureSiblings SiblingsOf(const PictureOutput& output) {
    return {.webp = output.exists && output.webp, .avif = output.exists && output.avif};
}

// Which sources are PNGs that let the background through, each read once (or known from
// the record of the sources), and only when opaque PNGs' copies are to be JPEG.
std::vector<bool> TransparentSources(const Program& program, const FileList& list,
                                     SourceFactsRecord& sources) {
    std::vector<bool> transparent(list.size(), false);
    if (program.GetBool(ProgramKey::PhotoPngAsJpeg)) {
        for (std::size_t i = 0; i < list.size(); ++i) {
            transparent[i] =
                PathExtension(list[i]) == "PNG" && sources.Transparent(list[i], list[i]);
        }
    }
    return transparent;
}

// Waits for the pictures of every record, in order, and notes in each record what it got.
void CollectPictures(std::vector<SourceRecord>& records, const Program& program,
                     bool withThumbnails, ThumbnailQueue& queue,
                     const std::shared_ptr<WorkerMessageReceiver>& window, const StopFlag* stop) {
    const int count = static_cast<int>(records.size());
    PostStatusText(window, "Making pictures ...");
    for (int i = 0; i < count && !IsStopRequested(stop); ++i) {
        SourceRecord& record = records[static_cast<std::size_t>(i)];
        ThumbnailQueue::Job job;
        if (!record.damage.empty() || !PictureJob(record, program, withThumbnails, job)) {
            continue;
        }
        PostProgress(window, PercentDone(i, count));
        const PictureSet& pictures = queue.Pictures(i, job);
        if (!pictures.thumbnail.failure.ok() &&
            pictures.thumbnail.failure.kind() == Result::Kind::DamagedInput) {
            MarkDamaged(record, pictures.thumbnail.failure.text());
            PostStatusText(window, "Cannot show \"" + PathFileName(record.source) +
                                       "\": " + pictures.thumbnail.failure.text());
            continue;
        }
        const std::string web = WebCopyName(record.source, program, record.transparent);
        if (!record.thumbnail.empty()) {
            record.thumbnailSiblings = SiblingsOf(pictures.thumbnailFile);
        }
        if (pictures.web.exists) {
            record.webCopy = web;
            record.webWidth = pictures.web.width;
            record.webHeight = pictures.web.height;
            record.webSiblings = SiblingsOf(pictures.web);
        } else if (!web.empty()) {
            PostStatusText(window, "No web copy of \"" + PathFileName(record.source) + "\"");
        }
        if (pictures.phone.exists) {
            record.phoneCopy = PhoneCopyName(web);
            record.phoneWidth = pictures.phone.width;
            record.phoneHeight = pictures.phone.height;
            record.phoneSiblings = SiblingsOf(pictures.phone);
        }
        if (pictures.thumbnail2x.exists && !record.thumbnail.empty()) {
            record.thumbnail2x = Thumbnail2xName(record.thumbnail);
            record.thumbnail2xSiblings = SiblingsOf(pictures.thumbnail2x);
        }
    }
}

// The files of a record in the target: its page, pictures and copy, relative to the target.
void AddOutputs(const SourceRecord& record, const std::string& target, bool copied,
                std::vector<std::string>& outputs) {
    const std::pair<const std::string*, PictureSiblings> files[] = {
        {&record.contentPage, {}},
        {&record.thumbnail, record.thumbnailSiblings},
        {&record.thumbnail2x, record.thumbnail2xSiblings},
        {&record.webCopy, record.webSiblings},
        {&record.phoneCopy, record.phoneSiblings},
        {&record.webVideo, {}},
    };
    for (const auto& [name, siblings] : files) {
        if (name->empty()) {
            continue;
        }
        outputs.push_back(*name);
        if (siblings.webp) {
            outputs.push_back(WebpSibling(*name));
        }
        if (siblings.avif) {
            outputs.push_back(AvifSibling(*name));
        }
    }
    // Else the source lies outside the target, or nothing of it was published.
    if (copied && record.originalPublished && record.damage.empty()) {
        outputs.push_back(RelativePath(target, record.source));
    }
}

// The latest time among the records: the date taken, else the file's modification time.
OleDate NewestOf(const std::vector<SourceRecord>& records) {
    OleDate newest = 0;
    for (const SourceRecord& record : records) {
        OleDate when = record.facts.taken;
        struct stat status;
        if (when == 0 && ::stat(record.source.c_str(), &status) == 0) {
            when = OleDateFromTime(status.st_mtime);
        }
        newest = std::max(newest, when);
    }
    return newest;
}

// What the parent album and the record of the site need of a folder just made.
void FillOutcome(const Program& program, const std::vector<SourceRecord>& records, bool copied,
                 const GenerationSummary& written, FolderOutcome& outcome) {
    const std::string target = program.GetText(ProgramKey::TargetDir);
    for (int p = 0; p < written.indexPages; ++p) {
        outcome.outputs.push_back(StringPrintf("INDEX%03d.HTM", p));
    }
    for (const SourceRecord& record : records) {
        AddOutputs(record, target, copied, outcome.outputs);
    }
    FileDescriptions descriptions;
    descriptions.Load(program.GetText(ProgramKey::SourceDir));
    const std::string named = descriptions.Find("cover");
    for (const SourceRecord& record : records) {
        if (!record.thumbnail.empty() &&
            (outcome.cover.empty() ||
             AsciiLowerCase(PathFileName(record.source)) == AsciiLowerCase(named))) {
            outcome.cover = record.thumbnail;
        }
    }
    outcome.newest = NewestOf(records);
}

}  // namespace

std::string SourcePatterns(const Program& program) {
    const std::string setting = program.GetText(ProgramKey::SourceFileExtension);
    return setting.empty() ? std::string(kClassicImagePatterns) : setting;
}

bool IsOwnPicture(const std::string& path) {
    const std::string name = PathFileName(path);
    return name == kCreditBadgeName || name == kGifPlaceholderName ||
           name == kDamagedPlaceholderName;
}

bool DropOwnFiles(const Program& program, FileList& list, const GenerationOptions& options) {
    const StopFlag* stop = options.stop.get();
    const SourceKind kind = SourceKindOf(program);
    if (kind == SourceKind::Images) {
        return DropEntries(list, stop, IsOwnPicture);
    }
    return kind == SourceKind::Html &&
           DropEntries(list, stop, [&options](const std::string& entry) {
               return IsGeneratedFile(entry, options.window);
           });
}

void ShowNoFilesFound(const std::shared_ptr<WorkerMessageReceiver>& window,
                      const std::string& sourceDir, const std::string& patterns,
                      const std::string& note) {
    // A folder that is gone (renamed, an unplugged disk) is missing, not empty.
    struct stat status;
    if (::stat(sourceDir.c_str(), &status) != 0 ? errno == ENOENT || errno == ENOTDIR
                                                : !S_ISDIR(status.st_mode)) {
        PostErrorText(window, "The source directory \"" + sourceDir + "\" does not exist.");
        return;
    }
    PostErrorText(window, "No files found!\n\nThe directory:\n\n\t" + sourceDir +
                              "\n\ndoes not contain any files of type \"" +
                              AsciiUpperCase(patterns) + "\"" + note);
}

void EndRun(Program& program, const GenerationOptions& options, GenerationSummary& summary,
            std::chrono::steady_clock::time_point started) {
    const bool stopped = IsStopRequested(options.stop);
    program.SetDate(ProgramKey::LastGenerated, stopped ? 0 : CurrentOleDate());
    PostProgress(options.window, stopped ? 0 : 100);
    PostStatusText(options.window, stopped ? "Stopped by operator." : "Finished.");
    if (options.summary != nullptr) {
        summary.seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        *options.summary = summary;
    }
}

void ShowFolderNotMade(const std::shared_ptr<WorkerMessageReceiver>& window, const char* which,
                       const std::string& folder, const Result& made) {
    PostErrorText(window, MessageBoxText("Cannot create %s directory:\n\n  %s\n\nReason: %s", which,
                                         folder.c_str(), made.reason().c_str()));
}

bool PrepareTarget(const Program& program, const std::timespec& started,
                   const std::shared_ptr<WorkerMessageReceiver>& window) {
    const std::string targetDir = program.GetText(ProgramKey::TargetDir);
    // A missing target folder is made here; one that cannot be made ends the run.
    if (const Result made = EnsureDirectory(targetDir, true); !made.ok()) {
        ShowFolderNotMade(window, "target", targetDir, made);
        return false;
    }
    RemoveLeftovers(targetDir, started, window);
    if (program.GetBool(ProgramKey::GenerateThumbnails)) {
        const std::string folder = JoinPath(targetDir, "Thumbs");
        if (const Result made = EnsureDirectory(folder, true); !made.ok()) {
            ShowFolderNotMade(window, "thumbnail", folder, made);
            return false;
        }
    }
    return true;
}

Expected<int> GenerateFolder(Program& program, FileList& list, const GenerationOptions& options,
                             const AlbumPlace* album, GenerationSummary& summary,
                             FolderOutcome& outcome) {
    const std::shared_ptr<WorkerMessageReceiver>& window = options.window;
    const StopFlag* stop = options.stop.get();
    const bool thumbnailsOn = program.GetBool(ProgramKey::GenerateThumbnails);
    const SourceKind kind = SourceKindOf(program);
    const std::string sourceDir = program.GetText(ProgramKey::SourceDir);
    const std::string targetDir = program.GetText(ProgramKey::TargetDir);

    SourceFactsRecord sources = SourceFactsRecord::Load(targetDir);
    sources.Check(list);
    std::vector<PhotoFacts> facts = ReadRunPhotoFacts(program, list, stop, &sources);
    OrderByDateTaken(program, list, facts);

    const int count = static_cast<int>(list.size());
    // Asked before anything is copied or written, so that a No leaves the target as it was.
    const int indexPages =
        program.GetBool(ProgramKey::GenerateIndexPage)
            ? IndexPageCount(
                  program, count + (album != nullptr ? static_cast<int>(album->albums.size()) : 0))
            : 0;
    const std::vector<std::string> pages = ContentPageNames(program, list);
    if (!AgreeToReplaceUnmarkedPages(targetDir, indexPages,
                                     program.GetBool(ProgramKey::GenerateContentPages)
                                         ? pages
                                         : std::vector<std::string>())) {
        return kRunEndedAfterMessage;
    }
    std::vector<SourceRecord> records(static_cast<std::size_t>(count));
    const bool publishOriginals = program.GetBool(ProgramKey::PhotoPublishOriginals);
    const bool copySources = kind == SourceKind::Images && !SameFolder(sourceDir, targetDir);
    if (kind == SourceKind::Images && !copySources && !publishOriginals) {
        PostStatusText(window,
                       "The originals stay in the site: the target folder is the source "
                       "folder.");
    } else if (kind == SourceKind::Images && !copySources &&
               program.GetBool(ProgramKey::PhotoOriginalsWithoutPlace)) {
        PostStatusText(window,
                       "The originals keep their place and serial numbers: the target folder is "
                       "the source folder.");
    }
    const bool indexThumbnails = program.GetBool(ProgramKey::GenerateIndexPage) &&
                                 kind == SourceKind::Images && thumbnailsOn;
    // Web copies and the newer kinds of thumbnail are all made before the pages, which
    // need their sizes; classic thumbnails are made as the index pages ask for them.
    const bool newPictures =
        kind == SourceKind::Images &&
        std::any_of(list.begin(), list.end(), [&program](const std::string& source) {
            return MakesNewPictures(source, program);
        });
    const std::vector<bool> transparent = TransparentSources(program, list, sources);
    const bool anyVideo = kind == SourceKind::Images &&
                          std::any_of(list.begin(), list.end(), [](const std::string& source) {
                              return IsVideoFile(source);
                          });
    const std::string missingTools = anyVideo ? MissingVideoToolsText(sources.Tools()) : "";
    if (!missingTools.empty()) {
        PostStatusText(window, missingTools + " The videos are shown as placeholders.");
    }
    std::unique_ptr<ThumbnailQueue> thumbnails;
    if (indexThumbnails || newPictures) {
        // Pictures are made ahead from the sources themselves, so that the decoding keeps
        // the cores busy while the copies wait for the disk. A copy has its source's bytes
        // and time, so the pictures are the same as when made from the copies.
        thumbnails = std::make_unique<ThumbnailQueue>(options.jobs, stop, &sources);
        for (int i = 0; i < count; ++i) {
            SourceRecord planned;
            planned.source = list[static_cast<std::size_t>(i)];
            planned.transparent = transparent[static_cast<std::size_t>(i)];
            VideoProbe probe;
            if (IsVideoFile(planned.source) &&
                sources.Video(planned.source, planned.source, probe).ok()) {
                planned.width = probe.width;  // the poster is made at the web copy's size
                planned.height = probe.height;
            }
            if (thumbnailsOn) {
                planned.thumbnail = ThumbnailName(planned.source, program, planned.transparent);
            }
            ThumbnailQueue::Job job;
            if (newPictures ? PictureJob(planned, program, indexThumbnails, job)
                            : IndexThumbnailJob(planned, program, job)) {
                thumbnails->Add(i, std::move(job));
            }
        }
    }
    for (int i = 0; i < count && !IsStopRequested(stop); ++i) {
        SourceRecord& record = records[static_cast<std::size_t>(i)];
        record.contentPage = pages[static_cast<std::size_t>(i)];
        record.source = list[static_cast<std::size_t>(i)];
        record.transparent = transparent[static_cast<std::size_t>(i)];
        if (!facts.empty()) {
            record.facts = std::move(facts[static_cast<std::size_t>(i)]);
        }
        const SourceCopy copy =
            copySources ? SourceCopyKind(record.source, program) : SourceCopy::None;
        // With the target in the source folder the originals are there anyway; they count
        // as published as the program has them.
        bool published = copySources ? copy != SourceCopy::None
                                     : publishOriginals || PathExtension(record.source) == "GIF";
        if (copy != SourceCopy::None) {
            const std::string destination = JoinPath(targetDir, PathFileName(record.source));
            // Said only of a copy made: one already there as it should be is left alone.
            const ino_t before = FileNumber(destination);
            if (!CopySource(record.source, destination, copy, window, published)) {
                return kRunEndedAfterMessage;
            }
            if (FileNumber(destination) != before) {
                PostStatusText(window, "Copying \"" + PathFileName(destination) + "\" ...");
            }
            PostProgress(window, PercentDone(i, count));
            if (published) {
                record.source = destination;
            }
        }
        if (kind == SourceKind::Images && (copy == SourceCopy::AsTaken || !copySources) &&
            !IsVideoFile(record.source) &&
            sources.CarriesPlace(list[static_cast<std::size_t>(i)], record.source)) {
            ++summary.originalsWithPlace;
        }
        struct stat status;
        if (::stat(record.source.c_str(), &status) == 0) {
            record.size = status.st_size;
        }
        bool measured = true;
        record.video = kind == SourceKind::Images && IsVideoFile(record.source);
        if (record.video) {
            VideoProbe probe;
            const Result probed =
                missingTools.empty()
                    ? sources.Video(list[static_cast<std::size_t>(i)], record.source, probe)
                    : Result::Failure("ffmpeg is not installed");
            if (probed.ok()) {
                record.width = probe.width;
                record.height = probe.height;
                record.videoSeconds = probe.seconds;
                if (record.facts.taken == 0) {
                    record.facts = sources.Facts(list[static_cast<std::size_t>(i)], record.source);
                }
            } else {
                measured = false;
                if (missingTools.empty()) {
                    PostStatusText(window, "Cannot show \"" + PathFileName(record.source) +
                                               "\": " + probed.reason());
                }
                MarkDamaged(record, probed.reason());
            }
        } else if (kind == SourceKind::Images) {
            const Result error = sources.ImageSize(list[static_cast<std::size_t>(i)], record.source,
                                                   record.width, record.height);
            if (!error.ok()) {
                record.width = 0;
                record.height = 0;
                measured = false;
                if (!GoOnWithoutPictureSize(error.text(), record.source,
                                            list[static_cast<std::size_t>(i)], window)) {
                    return kRunEndedAfterMessage;
                }
                MarkDamaged(record, DamageFromSizeError(error.text()));
            }
        }
        // A picture that cannot be measured is not one the run can vouch for: its index
        // entry is its name, as a file's without thumbnails.
        if (thumbnailsOn && measured) {
            record.thumbnail = ThumbnailName(record.source, program, record.transparent);
        }
        record.originalPublished = kind != SourceKind::Images || published;
    }
    if (newPictures) {
        CollectPictures(records, program, indexThumbnails, *thumbnails, window, stop);
    }
    if (anyVideo && missingTools.empty()) {
        VideoRun videos{program, sources, options.jobs, window, stop};
        MakeVideoWebCopies(records, list, videos, summary);
        for (const SourceRecord& record : records) {
            if (record.video && !record.damage.empty()) {
                summary.unreadableVideos.push_back(PathFileName(record.source));
            }
        }
    }

    if (program.GetBool(ProgramKey::MiscIncludeMavrenLink) && !IsStopRequested(stop)) {
        // Pages with the credit badge show it from beside them.
        const std::string badge = JoinPath(ExecutableFolder(), kCreditBadgeName);
        const std::string destination = JoinPath(targetDir, kCreditBadgeName);
        if (const Result copied = CopyIfChanged(badge, destination); !copied.ok()) {
            ShowCopyFailure(window, badge, destination, copied);
        }
    }
    // A page step that failed has told the user; its pages are not a finished site.
    PageRun run(program, window, stop);
    run.album = album;
    if (album != nullptr) {
        run.frame.SetDepth(album->trail.size());
    }
    const auto tally = [&summary, &run](int outcome) {
        summary.indexPages += run.summary.indexPages;
        summary.contentPages += run.summary.contentPages;
        summary.pagesUnchanged += run.summary.pagesUnchanged;
        summary.thumbnailsMade += run.summary.thumbnailsMade;
        summary.thumbnailsKept += run.summary.thumbnailsKept;
        summary.withoutThumbnail += run.summary.withoutThumbnail;
        summary.filesRemoved += run.summary.filesRemoved;
        return outcome;
    };
    const auto ended = [&]() -> Expected<int> {
        const int outcome = tally(kRunEndedAfterMessage);
        if (run.failure.ok()) {
            return outcome;
        }
        return run.failure;
    };
    if (program.GetBool(ProgramKey::GenerateIndexPage) &&
        !GenerateIndexPages(records, program, &run, thumbnails.get(), options.jobs, album)) {
        return ended();
    }
    if (thumbnails) {
        thumbnails->ForEachDone([&sources](const ThumbnailQueue::Job& job, const PictureSet& made) {
            sources.NotePictures(job, made);
        });
    }
    thumbnails.reset();
    if (!IsStopRequested(stop) && program.GetBool(ProgramKey::GenerateContentPages) &&
        !GenerateContentPages(records, program, &run)) {
        return ended();
    }

    bool anyDamaged = false;
    for (int i = 0; i < count; ++i) {
        SourceRecord& record = records[static_cast<std::size_t>(i)];
        if (!record.damage.empty()) {
            // The copy in the target goes with the stale output: it is the source's.
            record.source = list[static_cast<std::size_t>(i)];
            record.originalPublished = false;
            anyDamaged = true;
        }
    }
    if (anyDamaged && !IsStopRequested(stop)) {
        CopyDamagedPlaceholder(targetDir, window);
    }

    const bool contentOnly = !program.GetBool(ProgramKey::GenerateIndexPage) &&
                             program.GetBool(ProgramKey::GenerateContentPages);
    if (!records.empty()) {
        const SourceRecord& first = records.front();
        outcome.startPage = contentOnly ? first.contentPage : first.indexPage;
    } else if (!contentOnly) {
        outcome.startPage = "INDEX000.HTM";
    }
    bool siteIndex = false;
    if (!IsStopRequested(stop)) {
        // Only a finished run knows what the site is, and so what is no longer part of it.
        if (options.removeStale) {
            run.summary.filesRemoved = RemoveStaleOutput(targetDir, records, run.summary, window);
        }
        if (anyDamaged) {
            run.summary.filesRemoved += RemoveDamagedWebCopies(program, records, window);
        }
        if (copySources) {
            ReportOtherPictures(program, SourcePatterns(program), records, window);
        }
        // The site's address shows its top folder's index.html; an album below has none.
        siteIndex =
            (album == nullptr || !album->hasParent) &&
            UpdateSiteIndexPage(program, outcome.startPage, window, run.summary.filesRemoved);
    }
    FillOutcome(program, records, copySources, run.summary, outcome);
    if (siteIndex) {
        outcome.outputs.emplace_back(kSiteIndexName);
    }
    if (anyDamaged) {
        outcome.outputs.emplace_back(kDamagedPlaceholderName);
    }
    if (album == nullptr || !album->hasParent) {
        // The top keeps the theme's files of the whole site: a new version replaces the old.
        for (std::string& copy : run.frame.ThemeCopies()) {
            outcome.outputs.push_back(std::move(copy));
        }
    }
    if (!IsStopRequested(stop)) {
        if (const Result saved = sources.Save(); !saved.ok()) {
            PostStatusText(window, "The record of the sources cannot be saved: " + saved.reason());
        }
    }
    return tally(kRunFinished);
}
