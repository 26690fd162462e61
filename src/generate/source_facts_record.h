#pragma once

// What the last run of one target folder learned of each of its sources, so that a rerun
// of an unchanged program reads no picture: kept per source (by its path) with the size,
// modification time and change time it had, its picture size, camera data, whether it
// carries a place, whether a PNG lets the background through, and the pictures made from
// it with the size and time each file had. A source whose status differs is read again,
// and pictures are taken from the record only when the job asks for the very files and
// sizes it made then and every one of them is still there as it was left.
//
// The record lives beside the album record, one file per target folder, readable by its
// owner only; a link put in its place is never followed. One that is missing, damaged or
// too large is no record: everything is read again.
//
// Load, Check, the note functions and Save belong to the generation worker thread; while
// no note is taken, KnownPictures may be called from the picture threads too.

#include <sys/stat.h>

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "media/picture_set.h"
#include "media/video_copies.h"
#include "media/video_probe.h"
#include "platform/photo_facts.h"
#include "platform/result.h"

// A file as the record of the sources keeps it: size -1 when it was missing.
struct FileStamp {
    std::int64_t size = -1;
    std::int64_t modified = -1;  // nanoseconds

    bool operator==(const FileStamp&) const = default;
};

// One picture made from a source: path relative to the target folder, empty when the job
// made none of that kind.
struct RecordedPicture {
    std::string path;
    int width = 0;
    int height = 0;
    FileStamp file;
    bool webp = false;  // its WebP sibling exists, with the status in webpFile
    bool avif = false;
    FileStamp webpFile;
    FileStamp avifFile;
};

struct SourceFacts {
    std::int64_t size = -1;
    std::int64_t modified = -1;  // nanoseconds
    std::int64_t changed = -1;   // the change time, nanoseconds: a rewrite that keeps size
                                 // and modification time still moves it
    bool measured = false;       // width and height were read
    int width = 0;
    int height = 0;
    bool factsRead = false;
    PhotoFacts facts;
    int place = -1;        // carries a GPS position: 1, 0, or -1 when not asked
    int transparent = -1;  // likewise for a PNG that lets the background through
    std::string job;       // the fingerprint of the picture job below; empty: none
    std::array<RecordedPicture, 4> pictures;  // thumbnail, its double, web copy, phone copy

    // Videos: what ffprobe said, a digest of the content that knows the video again when
    // only its times changed (a copy from the phone), and the web copy made with the size
    // setting it was made for.
    bool probed = false;
    VideoProbe probe;
    std::string digest;
    int videoSize = 0;
    bool remuxed = false;
    RecordedPicture videoCopy;
};

class SourceFactsRecord {
  public:
    // A record is no larger than this: 20,000 sources take about 8 MB.
    static constexpr std::size_t kLimit = 64 * 1024 * 1024;

    // Reads the record of target (a Target-Dir as written). A missing, damaged or too
    // large one gives an empty record.
    static SourceFactsRecord Load(const std::string& target);

    // Where the record of target lives.
    static std::string PathOf(const std::string& target);

    // Looks at each source once: what the record says of a source whose size and times are
    // as recorded is believed; the others start afresh. Only the sources checked are kept.
    void Check(const std::vector<std::string>& sources);

    // The answers for source, from the record when it is believed, else read from path
    // (the source itself or a copy of the same bytes) and noted.
    PhotoFacts Facts(const std::string& source, const std::string& path);
    bool CarriesPlace(const std::string& source, const std::string& path);
    bool Transparent(const std::string& source, const std::string& path);
    // GetImageSize's answer; a failure is not noted, so the next run reads again.
    Result ImageSize(const std::string& source, const std::string& path, int& width, int& height);

    // ProbeVideo's answer for a video; a failure is not noted, so the next run asks again.
    Result Video(const std::string& source, const std::string& path, VideoProbe& probe);

    // The web copy of a video as the record has it: true, with made filled, when the
    // source is believed and its copy at destination was made for size and is there as it
    // was left.
    bool KnownVideoCopy(const std::string& source, const std::string& destination, int size,
                        VideoWebCopy& made) const;

    // Notes the web copy just made at destination for size.
    void NoteVideoCopy(const std::string& source, const std::string& destination, int size,
                       const VideoWebCopy& made);

    // The tools that read videos, looked for once.
    const VideoTools& Tools();

    // The pictures of job as the record has them: true, with pictures filled, when the
    // job's source is believed, the job asks for what was made then, and every file made
    // is there with its recorded size and time.
    bool KnownPictures(const PictureSetRequest& job, PictureSet& pictures) const;

    // Notes what job made, with each file's status now.
    void NotePictures(const PictureSetRequest& job, const PictureSet& pictures);

    // Writes the record of what was checked, unless it is the one read. A failure names
    // its step.
    Result Save() const;

  private:
    // The entry of a source whose answers may be noted, or null for one not checked.
    SourceFacts* Noting(const std::string& source);
    // The earlier entry of a source whose status is as recorded, or null.
    const SourceFacts* Believed(const std::string& source) const;
    std::string Full(const std::string& relative) const;
    std::string Relative(const std::string& full) const;

    std::string written;  // the target as the program writes it
    std::string target;   // absolute, as AlbumTarget gives it
    // Read by the picture threads: left alone after Check.
    std::map<std::string, SourceFacts> earlier;
    std::map<std::string, bool> believed;
    std::map<std::string, SourceFacts> current;  // what Save writes
    std::string loaded;                          // the record as read, when sound
    bool toolsFound = false;
    VideoTools tools;
};

// A digest of a file's bytes, "" when it cannot be read: it tells a video whose times
// changed but whose bytes did not.
std::string ContentDigest(const std::string& path);

// What a job asks for, as a short digest: every file, size and format.
std::string PictureJobFingerprint(const PictureSetRequest& job);
