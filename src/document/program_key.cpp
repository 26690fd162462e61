#include "document/program_key.h"

#include "platform/ascii.h"

const std::array<std::string_view, 9> kSectionNames = {
    "Generation", "Link Options", "Index Options", "Content Options", "FTP Options",
    "Misc",       "HTML Options", "Photos",        "Pages",
};

namespace {

constexpr int kGeneration = 0;
constexpr int kLinkOptions = 1;
constexpr int kIndexOptions = 2;
constexpr int kContentOptions = 3;
constexpr int kFtpOptions = 4;
constexpr int kMisc = 5;
constexpr int kHtmlOptions = 6;
constexpr int kPhotos = 7;
constexpr int kPages = 8;

using K = ProgramKey;
using T = KeyType;

}  // namespace

// clang-format off
const std::array<KeyDescriptor, kProgramKeyCount> kKeyTable = {{
    {"File-Name",                     K::FileName,                   T::String, kGeneration,     false},
    {"Last-Generated",                K::LastGenerated,              T::Date,   kGeneration,     true},
    {"Source-Dir",                    K::SourceDir,                  T::String, kGeneration,     true},
    {"Target-Dir",                    K::TargetDir,                  T::String, kGeneration,     true},
    {"Generate-Index-Page",           K::GenerateIndexPage,          T::Bool,   kGeneration,     true},
    {"Generate-Content-Pages",        K::GenerateContentPages,       T::Bool,   kGeneration,     true},
    {"Source-File-Extension",         K::SourceFileExtension,        T::String, kIndexOptions,   true},
    {"Index-Page-Title",              K::IndexPageTitle,             T::String, kIndexOptions,   true},
    {"Generate-Thumbnails",           K::GenerateThumbnails,         T::Bool,   kIndexOptions,   true},
    {"Smart-Thumbnail-Generation",    K::SmartThumbnailGeneration,   T::Bool,   kIndexOptions,   true},
    {"Thumbnail-Size",                K::ThumbnailSize,              T::Int,    kIndexOptions,   true},
    {"Index-Generate-Multiple-Pages", K::IndexGenerateMultiplePages, T::Bool,   kIndexOptions,   true},
    {"Index-Thumbnail-Layout-Type",   K::IndexThumbnailLayoutType,   T::Int,    kIndexOptions,   true},
    {"Index-Thumbnails-Across",       K::IndexThumbnailsAcross,      T::Int,    kIndexOptions,   true},
    {"Index-Thumbnails-Down",         K::IndexThumbnailsDown,        T::Int,    kIndexOptions,   true},
    {"Index-Thumbnail-Label-Type",    K::IndexThumbnailLabelType,    T::Int,    kIndexOptions,   true},
    {"Index-Thumbnail-Custom-Label",  K::IndexThumbnailCustomLabel,  T::String, kIndexOptions,   true},
    {"Index-Label-Thumbnails",        K::IndexLabelThumbnails,       T::Bool,   kIndexOptions,   true},
    {"Index-Boilerplate",             K::IndexBoilerplate,           T::String, kIndexOptions,   true},
    {"Content-Show-Link-Begin",       K::ContentShowLinkBegin,       T::Bool,   kLinkOptions,    true},
    {"Content-Show-Link-End",         K::ContentShowLinkEnd,         T::Bool,   kLinkOptions,    true},
    {"Content-Show-Link-Index",       K::ContentShowLinkIndex,       T::Bool,   kLinkOptions,    true},
    {"Content-Show-Link-Next",        K::ContentShowLinkNext,        T::Bool,   kLinkOptions,    true},
    {"Content-Show-Link-Prev",        K::ContentShowLinkPrev,        T::Bool,   kLinkOptions,    true},
    {"Content-Image-Is-Link",         K::ContentImageIsLink,         T::Bool,   kLinkOptions,    true},
    {"Content-Image-Is-Link-Style",   K::ContentImageIsLinkStyle,    T::Int,    kLinkOptions,    true},
    {"Content-Page-Title",            K::ContentPageTitle,           T::String, kContentOptions, true},
    {"Content-Boilerplate",           K::ContentBoilerplate,         T::String, kContentOptions, true},
    {"Content-Show-Labels",           K::ContentShowLabels,          T::Bool,   kContentOptions, true},
    {"Content-Label-Type",            K::ContentLabelType,           T::Int,    kContentOptions, true},
    {"Content-Custom-Label",          K::ContentCustomLabel,         T::String, kContentOptions, true},
    {"Content-Frame",                 K::ContentFrame,               T::Bool,   kContentOptions, true},
    {"Content-Show-Links",            K::ContentShowLinks,           T::Bool,   kContentOptions, true},
    {"Content-Guess-Paragraphs",      K::ContentGuessParagraphs,     T::Bool,   kContentOptions, true},
    {"Content-Link-Begin-Label",      K::ContentLinkBeginLabel,      T::String, kContentOptions, true},
    {"Content-Link-End-Label",        K::ContentLinkEndLabel,        T::String, kContentOptions, true},
    {"Content-Link-Index-Label",      K::ContentLinkIndexLabel,      T::String, kContentOptions, true},
    {"Content-Link-Next-Label",       K::ContentLinkNextLabel,       T::String, kContentOptions, true},
    {"Content-Link-Prev-Label",       K::ContentLinkPrevLabel,       T::String, kContentOptions, true},
    {"HTML-Background-Style",         K::HtmlBackgroundStyle,        T::Int,    kHtmlOptions,    true},
    {"HTML-Background-Image",         K::HtmlBackgroundImage,        T::String, kHtmlOptions,    true},
    {"HTML-Background-Fixed",         K::HtmlBackgroundFixed,        T::Bool,   kHtmlOptions,    true},
    {"HTML-Background-Color",         K::HtmlBackgroundColor,        T::String, kHtmlOptions,    true},
    {"HTML-Text-Color-Color",         K::HtmlTextColorColor,         T::String, kHtmlOptions,    true},
    {"HTML-Link-Color",               K::HtmlLinkColor,              T::String, kHtmlOptions,    true},
    {"HTML-VLink-Color",              K::HtmlVLinkColor,             T::String, kHtmlOptions,    true},
    {"HTML-ALink-Color",              K::HtmlALinkColor,             T::String, kHtmlOptions,    true},
    {"HTML-Font-Face",                K::HtmlFontFace,               T::String, kHtmlOptions,    true},
    {"HTML-Font-Size",                K::HtmlFontSize,               T::String, kHtmlOptions,    true},
    {"Comments",                      K::Comments,                   T::String, kMisc,           true},
    {"Misc-GIF-Thumbnail-Type",       K::MiscGifThumbnailType,       T::Int,    kMisc,           true},
    {"Misc-GIF-Thumbnail-Dir",        K::MiscGifThumbnailDir,        T::String, kMisc,           true},
    {"Misc-Include-Mavren-Link",      K::MiscIncludeMavrenLink,      T::Bool,   kMisc,           true},
    {"Photo-Web-Size",                K::PhotoWebSize,               T::Int,    kPhotos,         true, true, "0"},
    {"Photo-Web-Quality",             K::PhotoWebQuality,            T::Int,    kPhotos,         true, true, "82"},
    {"Photo-Publish-Originals",       K::PhotoPublishOriginals,      T::Bool,   kPhotos,         true, true, "Yes"},
    {"Photo-Keep-Camera-Data",        K::PhotoKeepCameraData,        T::Bool,   kPhotos,         true, true, "No"},
    {"Photo-Camera-Captions",         K::PhotoCameraCaptions,        T::Bool,   kPhotos,         true, true, "No"},
    {"Photo-Order",                   K::PhotoOrder,                 T::Int,    kPhotos,         true, true, "0"},
    {"Page-Language",                 K::PageLanguage,               T::String, kPages,           true, true, ""},
    {"Include-Subfolders",            K::IncludeSubfolders,          T::Bool,   kPhotos,         true, true, "No"},
    {"Photo-Originals-Without-Place", K::PhotoOriginalsWithoutPlace, T::Bool,   kPhotos,         true, true, "No"},
    {"Site-Index-Html",               K::SiteIndexHtml,              T::Bool,   kPages,          true, true, "No"},
    {"Upload-Whole-Folder",           K::UploadWholeFolder,          T::Bool,   kFtpOptions,     true, true, "No"},
    {"Page-Names-From-Files",         K::PageNamesFromFiles,         T::Bool,   kPages,          true, true, "No"},
    {"Site-Name",                     K::SiteName,                   T::String, kPages,          true, true, ""},
    {"Pages-For-Sharing",             K::PagesForSharing,            T::Bool,   kPages,          true, true, "No"},
    {"Site-Address",                  K::SiteAddress,                T::String, kPages,          true, true, ""},
    {"Photo-WebP",                    K::PhotoWebp,                  T::Bool,   kPhotos,         true, true, "No"},
    {"Photo-AVIF",                    K::PhotoAvif,                  T::Bool,   kPhotos,         true, true, "No"},
    {"Photo-PNG-As-JPEG",             K::PhotoPngAsJpeg,             T::Bool,   kPhotos,         true, true, "No"},
    {"Photo-Videos",                  K::PhotoVideos,                T::Bool,   kPhotos,         true, true, "No"},
    {"Photo-Video-Size",              K::PhotoVideoSize,             T::Int,    kPhotos,         true, true, "720"},
    {"Photo-Video-Threads",           K::PhotoVideoThreads,          T::Int,    kPhotos,         true, true, "0"},
}};
// clang-format on

const KeyDescriptor* FindKey(ProgramKey id) {
    for (const KeyDescriptor& row : kKeyTable) {
        if (row.id == id) {
            return &row;
        }
    }
    return nullptr;
}

const KeyDescriptor* FindKeyByName(std::string_view name) {
    for (const KeyDescriptor& row : kKeyTable) {
        if (EqualsIgnoringCase(row.name, name)) {
            return &row;
        }
    }
    return nullptr;
}
