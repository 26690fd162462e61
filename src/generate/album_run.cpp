#include "generate/album_run.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "document/language_tag.h"
#include "generate/album_claim.h"
#include "generate/album_folder_case.h"
#include "generate/album_place.h"
#include "generate/album_record.h"
#include "generate/album_scan.h"
#include "generate/folder_generation.h"
#include "generate/former_outputs.h"
#include "generate/gone_albums.h"
#include "generate/html_files.h"
#include "generate/product.h"
#include "generate/theme_files.h"
#include "media/image_size.h"
#include "platform/app_folders.h"
#include "platform/ascii.h"
#include "platform/files.h"
#include "platform/format.h"
#include "platform/message_box.h"
#include "platform/name_case.h"
#include "platform/paths.h"
#include "work/progress_pacing.h"
#include "work/progress_tracker.h"
#include "work/worker_messages.h"

namespace {

constexpr char kAlbumSeparator[] = " \u203a ";  // "Rome › Day 1"

// Passes an album's reports on, its percentages turned into the share of the whole run.
class AlbumWindow : public WorkerMessageReceiver {
  public:
    AlbumWindow(std::shared_ptr<WorkerMessageReceiver> window, std::int64_t done,
                std::int64_t pictures, std::int64_t total)
        : window(std::move(window)), done(done), pictures(pictures), total(total) {}

    void Post(WorkerMessage message) override {
        if (message.message == WM_APP_ERROR_TEXT) {
            PostErrorText(window, message.text, static_cast<unsigned>(message.wParam));
            return;
        }
        if (window == nullptr) {
            return;
        }
        if (message.message == WM_APP_PROGRESS) {
            message.wParam = total > 0
                                 ? PercentDone(done * 100 + pictures * message.wParam, total * 100)
                                 : message.wParam;
        }
        window->Post(std::move(message));
    }

  private:
    std::shared_ptr<WorkerMessageReceiver> window;
    std::int64_t done;
    std::int64_t pictures;
    std::int64_t total;
};

// The file's size and time as a line of a fingerprint; a line of its own when missing.
std::string FileFacts(const std::string& path, FolderStats* stats = nullptr) {
    const AlbumOutputFile file = OutputFileNow(std::string(), path, stats);
    return StringPrintf("%lld %lld ", static_cast<long long>(file.size),
                        static_cast<long long>(file.modified)) +
           path + "\n";
}

// The facts of the files the boilerplate at path names, whose copies its pages address.
std::string ThemeFileFacts(const std::string& path) {
    std::string boilerplate;
    std::string text;
    if (ReadSourceFile(path, boilerplate).empty()) {
        for (const std::string& name : ThemeFileNames(boilerplate)) {
            text += FileFacts(JoinPath(PathFolder(path), name));
        }
    }
    return text;
}

// Everything an album's pages and pictures are made from, as text: the program (less
// what differs from album to album or says nothing of the pages), the sources and the
// files the program names, the language the pages declare, the entries of the
// sub-albums, and this very executable, whose pages a newer build may write otherwise.
std::string AlbumInputs(const Program& program, const FileList& files, const AlbumPlace& place) {
    std::string text = FileFacts("/proc/self/exe");
    text += SystemLanguageTag() + "\n";
    for (const KeyDescriptor& row : kKeyTable) {
        if (row.id == ProgramKey::LastGenerated) {
            continue;
        }
        const std::string value = program.GetText(row.id);
        text += std::string(row.name) + "=" + value + "\n";
        struct stat status;
        if (row.type == KeyType::String && value.starts_with('/') &&
            ::stat(value.c_str(), &status) == 0 && S_ISREG(status.st_mode)) {
            text += FileFacts(value);  // a boilerplate, a background picture
            if (row.id == ProgramKey::IndexBoilerplate ||
                row.id == ProgramKey::ContentBoilerplate) {
                text += ThemeFileFacts(value);
            }
        }
    }
    const std::string folder = program.GetText(ProgramKey::SourceDir);
    if (const auto found = ScanFiles(folder, "descript.ion", false); found && !found->empty()) {
        text += FileFacts(found->front());
    }
    FolderStats stats;
    for (const std::string& file : files) {
        text += FileFacts(file, &stats);
    }
    text += place.path + "\n" + (place.hasParent ? "up\n" : "top\n");
    for (const AlbumEntry& entry : place.albums) {
        text += StringPrintf("%d %d %d %.17g ", entry.coverWidth, entry.coverHeight, entry.pictures,
                             entry.newest) +
                entry.folder + "\n" + entry.cover + "\n";
    }
    return text;
}

// Copies every value of from into to.
void CopyProgram(const Program& from, Program& to) {
    for (const KeyDescriptor& row : kKeyTable) {
        to.SetFromText(row.id, from.GetText(row.id));
    }
}

class AlbumRun {
  public:
    AlbumRun(Program& program, const GenerationOptions& options, const std::timespec& started,
             AlbumRecord record)
        : program(program),
          options(options),
          window(options.window),
          started(started),
          sourceDir(program.GetText(ProgramKey::SourceDir)),
          targetDir(program.GetText(ProgramKey::TargetDir)),
          record(std::move(record)) {}

    // Saves the record, unless the program was never saved and so owns nothing; says so
    // when it cannot be saved.
    void SaveRecord() { SaveClaimedRecord(targetDir, record, window); }

    // Makes album and everything below it; entry is what its parent lists. False when the
    // run must end after a message.
    bool Make(const Album& album, const std::string& shownPath, AlbumEntry& entry) {
        AlbumPlace place;
        place.path = shownPath;
        place.hasParent = !album.path.empty();
        PathParts(album.path, place.trail);
        for (const Album& sub : album.albums) {
            AlbumEntry subEntry;
            const std::string subPath =
                album.path.empty() ? sub.name : shownPath + kAlbumSeparator + sub.name;
            if (!Make(sub, subPath, subEntry)) {
                return false;
            }
            if (IsStopRequested(options.stop)) {
                return true;
            }
            place.albums.push_back(std::move(subEntry));
        }
        if (static_cast<PhotoOrder>(program.GetInt(ProgramKey::PhotoOrder)) ==
            PhotoOrder::NewestFirst) {
            std::stable_sort(
                place.albums.begin(), place.albums.end(),
                [](const AlbumEntry& a, const AlbumEntry& b) { return a.newest > b.newest; });
        }

        Program albumProgram;
        CopyProgram(program, albumProgram);
        const std::string albumSource = JoinPath(sourceDir, album.path);
        const std::string albumTarget = JoinPath(targetDir, album.path);
        albumProgram.SetFromText(ProgramKey::SourceDir, albumSource);
        albumProgram.SetFromText(ProgramKey::TargetDir, albumTarget);
        FileList files = album.files;
        DropOwnFiles(albumProgram, files, options);
        const std::string fingerprint = Fingerprint(AlbumInputs(albumProgram, files, place));

        AlbumState& state = record.albums[album.path];
        ++albumsDone;
        const std::int64_t pictures = static_cast<std::int64_t>(album.files.size());
        if (state.fingerprint != fingerprint || !OutputsIntact(albumTarget, state)) {
            const std::vector<AlbumOutputFile> before = std::move(state.outputs);
            state = AlbumState();  // until the album is whole again
            const bool made = MakePages(album, albumProgram, files, place, pictures, state);
            if (!made || IsStopRequested(options.stop)) {
                // Made again next time; what earlier runs made there is still theirs.
                KeepEarlierOutputs(state.outputs, before);
                return made;
            }
            if (former != nullptr) {
                former->DiscardDropped(albumTarget, album.path, before, state.outputs);
            } else {
                KeepEarlierOutputs(state.outputs, before);
            }
            state.fingerprint = fingerprint;
            ++albumsMade;
        }
        picturesDone += pictures;
        tracker.Advance(pictures);
        PostProgress(window, PercentDone(picturesDone, totalPictures));

        entry.name = album.name;
        entry.folder = album.name;
        entry.pictures = PictureCount(album);
        entry.newest = state.newest;
        if (!state.cover.empty()) {
            entry.cover = album.name + "/" + state.cover;
            entry.coverWidth = state.coverWidth;
            entry.coverHeight = state.coverHeight;
        }
        for (const AlbumEntry& sub : place.albums) {
            entry.newest = std::max(entry.newest, sub.newest);
            if (entry.cover.empty() && !sub.cover.empty()) {
                entry.cover = album.name + "/" + sub.cover;
                entry.coverWidth = sub.coverWidth;
                entry.coverHeight = sub.coverHeight;
            }
        }
        return true;
    }

    Program& program;
    const GenerationOptions& options;
    std::shared_ptr<WorkerMessageReceiver> window;
    const std::timespec& started;
    const std::string sourceDir;
    const std::string targetDir;
    AlbumRecord record;
    GenerationSummary summary;
    ProgressTracker tracker;
    std::int64_t totalPictures = 0;
    std::int64_t picturesDone = 0;
    int albums = 0;
    int albumsDone = 0;
    int albumsMade = 0;
    std::string startPage;
    FormerOutputs* former = nullptr;   // null when the source was not read whole
    Result pageFailed = Result::Ok();  // a page could not be written: the run ends at once

  private:
    bool MakePages(const Album& album, Program& albumProgram, FileList& files,
                   const AlbumPlace& place, std::int64_t pictures, AlbumState& state) {
        const std::string shown = album.path.empty() ? album.name : album.path;
        // The time left only once there is something to reckon it from.
        PostStatusText(window,
                       StringPrintf("Album %d of %d: \"%s\" - %s of %s pictures done", albumsDone,
                                    albums, shown.c_str(), GroupedNumber(picturesDone).c_str(),
                                    GroupedNumber(totalPictures).c_str()) +
                           (tracker.Estimates() ? " - " + tracker.RemainingText() : ""));
        const std::string albumTarget = albumProgram.GetText(ProgramKey::TargetDir);
        // The top's folder was made ready before the scan, which must not take it for an album.
        if (const Result made = EnsureDirectoryPath(albumTarget, true); !made.ok()) {
            ShowFolderNotMade(window, "target", albumTarget, made);
            return false;
        }
        if (!album.path.empty() && !PrepareTarget(albumProgram, started, window)) {
            return false;
        }
        GenerationOptions albumOptions = options;
        albumOptions.removeStale = former != nullptr;
        albumOptions.window =
            std::make_shared<AlbumWindow>(window, picturesDone, pictures, totalPictures);
        FolderOutcome outcome;
        const Expected<int> folder =
            GenerateFolder(albumProgram, files, albumOptions, &place, summary, outcome);
        if (!folder.ok()) {
            pageFailed = folder.failure();
            return false;
        }
        if (*folder != kRunFinished) {
            return false;
        }
        if (album.path.empty()) {
            startPage = outcome.startPage;
        }
        state.outputs = WrittenOutputs(albumProgram, outcome.outputs);
        state.newest = outcome.newest;
        if (!outcome.cover.empty() &&
            GetImageSize(JoinPath(albumTarget, outcome.cover), state.coverWidth, state.coverHeight)
                .ok()) {
            state.cover = outcome.cover;
        }
        return true;
    }
};

int CountAlbums(const Album& album) {
    int count = 1;
    for (const Album& sub : album.albums) {
        count += CountAlbums(sub);
    }
    return count;
}

void CollectPaths(const Album& album, std::set<std::string>& paths,
                  std::vector<std::string>& files) {
    paths.insert(album.path);
    files.insert(files.end(), album.files.begin(), album.files.end());
    for (const Album& sub : album.albums) {
        CollectPaths(sub, paths, files);
    }
}

}  // namespace

AlbumTree ScanProgramAlbums(const Program& program) {
    return ScanAlbums(program.GetText(ProgramKey::SourceDir), SourcePatterns(program),
                      {program.GetText(ProgramKey::TargetDir)}, {"Thumbs", "Web"});
}

Expected<int> RunAlbumGeneration(Program& program, const GenerationOptions& options,
                                 const std::timespec& startTime,
                                 std::chrono::steady_clock::time_point started) {
    const std::shared_ptr<WorkerMessageReceiver>& window = options.window;
    const std::string patterns = SourcePatterns(program);
    const std::string sourceDir = program.GetText(ProgramKey::SourceDir);
    const std::string targetDir = program.GetText(ProgramKey::TargetDir);
    AlbumRecord record;
    if (!ClaimAlbumRecord(program, record, window)) {
        return kRunEndedAfterMessage;
    }
    if (!PrepareTarget(program, startTime, window)) {
        return kRunNoThumbnailFolder;
    }

    AlbumTree tree = ScanProgramAlbums(program);
    for (const std::string& note : tree.notes) {
        PostStatusText(window, note);
    }
    const int total = PictureCount(tree.top);
    if (total == 0) {
        ShowNoFilesFound(window, sourceDir, patterns);
        return kRunNoSourceFiles;
    }

    std::set<std::string> paths;
    std::vector<std::string> files;
    CollectPaths(tree.top, paths, files);
    FormerOutputs former(std::move(files), window);
    AlbumRun run(program, options, startTime, std::move(record));
    if (tree.complete) {
        run.former = &former;
    } else {
        PostStatusText(window, kSourceNotWhole);
    }
    const bool ignoresCase = IgnoresLetterCase(targetDir);
    if (ignoresCase) {
        MatchAlbumFolderCase(targetDir, tree.top, run.record, window);
    }
    run.albums = CountAlbums(tree.top);
    run.totalPictures = total;
    run.tracker.Start("picture", total);
    AlbumEntry top;
    const bool whole = run.Make(tree.top, tree.top.name, top);
    if (!run.pageFailed.ok() || !whole) {
        former.Report(run.summary);
    }
    if (!run.pageFailed.ok()) {
        return run.pageFailed;
    }
    // Finished albums are whole even when the run ends early: the next run keeps them.
    run.SaveRecord();
    if (!whole) {
        return kRunEndedAfterMessage;
    }
    SetLastStartPage(JoinPath(targetDir, run.startPage.empty() ? "INDEX000.HTM" : run.startPage));

    if (!IsStopRequested(options.stop) && tree.complete) {
        // An album missing from a source read only in part is not gone: it stays, and
        // stays in the record.
        RemoveGoneAlbums(targetDir, sourceDir, run.record, paths, ignoresCase, former, window);
        for (auto it = run.record.albums.begin(); it != run.record.albums.end();) {
            it = paths.contains(it->first) ? std::next(it) : run.record.albums.erase(it);
        }
        run.SaveRecord();
    }
    if (!IsStopRequested(options.stop)) {
        PostStatusText(
            window, StringPrintf("%d files in %d albums: %d made, %d unchanged.", total, run.albums,
                                 run.albumsMade, run.albums - run.albumsMade));
    }
    former.Report(run.summary);
    run.summary.albums = run.albums;
    run.summary.pictures = total;
    EndRun(program, options, run.summary, started);
    return kRunFinished;
}
