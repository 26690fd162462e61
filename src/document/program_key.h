#pragma once

// The settings of a program, addressed by key id, and the fixed table that gives each its
// name, type, summary section and place in the file. Ids are not row numbers: code
// addresses values by id, the table order is the order of the file and summary.
//
// The first 53 keys are the program's original settings, always written. The photo keys
// after them came later: a program that leaves one at its standard value (the value it
// has when the file does not name it) does not write it, so files that use none read the
// same everywhere they did.

#include <array>
#include <string_view>

enum class ProgramKey : int {
    FileName = 0,
    LastGenerated = 1,
    SourceDir = 2,
    TargetDir = 3,
    GenerateThumbnails = 4,
    ThumbnailSize = 5,
    Comments = 6,
    ContentShowLinkBegin = 7,
    ContentShowLinkEnd = 8,
    ContentShowLinkIndex = 9,
    ContentShowLinkNext = 10,
    ContentShowLinkPrev = 11,
    ContentImageIsLink = 12,
    ContentImageIsLinkStyle = 13,
    ContentPageTitle = 14,
    GenerateIndexPage = 15,
    IndexPageTitle = 16,
    IndexThumbnailLayoutType = 17,
    IndexThumbnailsAcross = 18,
    IndexThumbnailsDown = 19,
    SourceFileExtension = 20,
    GenerateContentPages = 21,
    IndexGenerateMultiplePages = 22,
    SmartThumbnailGeneration = 23,
    IndexThumbnailLabelType = 24,
    IndexThumbnailCustomLabel = 25,
    IndexLabelThumbnails = 26,
    ContentBoilerplate = 27,
    ContentLabelType = 28,
    ContentCustomLabel = 29,
    ContentFrame = 30,
    ContentShowLinks = 31,
    ContentLinkBeginLabel = 32,
    ContentLinkEndLabel = 33,
    ContentLinkIndexLabel = 34,
    ContentLinkNextLabel = 35,
    ContentLinkPrevLabel = 36,
    ContentShowLabels = 37,
    HtmlBackgroundStyle = 38,
    HtmlBackgroundImage = 39,
    HtmlBackgroundFixed = 40,
    HtmlBackgroundColor = 41,
    HtmlTextColorColor = 42,
    HtmlLinkColor = 43,
    HtmlVLinkColor = 44,
    HtmlALinkColor = 45,
    HtmlFontFace = 46,
    HtmlFontSize = 47,
    IndexBoilerplate = 48,
    ContentGuessParagraphs = 49,
    MiscGifThumbnailType = 50,
    MiscGifThumbnailDir = 51,
    MiscIncludeMavrenLink = 52,
    PhotoWebSize = 53,
    PhotoWebQuality = 54,
    PhotoPublishOriginals = 55,
    PhotoKeepCameraData = 56,
    PhotoCameraCaptions = 57,
    PhotoOrder = 58,
    PageLanguage = 59,
    IncludeSubfolders = 60,
    PhotoOriginalsWithoutPlace = 61,
    SiteIndexHtml = 62,
    UploadWholeFolder = 63,
    PageNamesFromFiles = 64,
    SiteName = 65,
    PagesForSharing = 66,
    SiteAddress = 67,
    PhotoWebp = 68,
    PhotoAvif = 69,
    PhotoPngAsJpeg = 70,
    PhotoVideos = 71,
    PhotoVideoSize = 72,
    PhotoVideoThreads = 73,
};

// Value types, numbered as the table stores them.
enum class KeyType : int { Date = 1, String = 2, Bool = 3, Int = 4 };

struct KeyDescriptor {
    std::string_view name;  // exact spelling in the file
    ProgramKey id;
    KeyType type;
    int section;  // index into kSectionNames
    bool listed;  // shown by Program::Describe
    // Photo keys only: the value's text form when the file does not name the key; the key
    // is written and summarised only when its value differs from it.
    bool optional = false;
    std::string_view standard = {};
};

constexpr int kProgramKeyCount = 74;
constexpr int kOriginalKeyCount = 53;

// Values of Misc-GIF-Thumbnail-Type and Photo-Order.
constexpr int kGifThumbnailOfFirstFrame = 3;
enum class PhotoOrder : int { ByName = 0, OldestFirst = 1, NewestFirst = 2 };

extern const std::array<std::string_view, 9> kSectionNames;
extern const std::array<KeyDescriptor, kProgramKeyCount> kKeyTable;

// The row that carries id, or null when no row does.
const KeyDescriptor* FindKey(ProgramKey id);

// The first row whose name equals name ignoring letter case, or null.
const KeyDescriptor* FindKeyByName(std::string_view name);
