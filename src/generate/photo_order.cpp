#include "generate/photo_order.h"

#include <sys/stat.h>

#include <algorithm>
#include <numeric>

#include "document/pattern_expansion.h"
#include "generate/photo_markup.h"
#include "generate/source_kind.h"
#include "media/photo_metadata.h"
#include "platform/date_time.h"
#include "work/worker_messages.h"

namespace {

PhotoOrder OrderOf(const Program& program) {
    return static_cast<PhotoOrder>(program.GetInt(ProgramKey::PhotoOrder));
}

bool PatternShownUsesFacts(const Program& program, bool shown, ProgramKey pattern) {
    return shown && PatternUsesPhotoFacts(program.GetText(pattern));
}

OleDate ModificationDate(const std::string& path) {
    struct stat status;
    return ::stat(path.c_str(), &status) == 0 ? OleDateFromTime(status.st_mtime) : 0;
}

}  // namespace

bool RunNeedsPhotoFacts(const Program& program) {
    const SourceKind kind = SourceKindOf(program);
    if (kind == SourceKind::Text || kind == SourceKind::Html) {
        return false;
    }
    const bool index = program.GetBool(ProgramKey::GenerateIndexPage);
    const bool content = program.GetBool(ProgramKey::GenerateContentPages);
    using K = ProgramKey;
    // Photo content pages show the date taken under the picture.
    // Pages for sharing give the date taken to the viewer and to shared links.
    return OrderOf(program) != PhotoOrder::ByName || program.GetBool(K::PhotoCameraCaptions) ||
           program.GetBool(K::PagesForSharing) || (content && PhotoMarkupOn(program)) ||
           PatternShownUsesFacts(program, content, K::ContentPageTitle) ||
           PatternShownUsesFacts(program,
                                 content && program.GetBool(K::ContentShowLabels) &&
                                     program.GetInt(K::ContentLabelType) == 2,
                                 K::ContentCustomLabel) ||
           PatternShownUsesFacts(program,
                                 index && program.GetBool(K::IndexLabelThumbnails) &&
                                     program.GetInt(K::IndexThumbnailLabelType) == 2,
                                 K::IndexThumbnailCustomLabel);
}

std::vector<PhotoFacts> ReadRunPhotoFacts(const Program& program, const FileList& list,
                                          const StopFlag* stop, SourceFactsRecord* known) {
    std::vector<PhotoFacts> facts;
    if (!RunNeedsPhotoFacts(program)) {
        return facts;
    }
    facts.resize(list.size());
    for (std::size_t i = 0; i < list.size() && !IsStopRequested(stop); ++i) {
        facts[i] = known != nullptr ? known->Facts(list[i], list[i]) : ReadPhotoFacts(list[i]);
    }
    return facts;
}

void OrderByDateTaken(const Program& program, FileList& list, std::vector<PhotoFacts>& facts) {
    const PhotoOrder order = OrderOf(program);
    if (order == PhotoOrder::ByName || list.size() < 2) {
        return;
    }
    std::vector<OleDate> taken(list.size());
    for (std::size_t i = 0; i < list.size(); ++i) {
        const OleDate date = i < facts.size() ? facts[i].taken : 0;
        taken[i] = date != 0 ? date : ModificationDate(list[i]);
    }
    std::vector<std::size_t> positions(list.size());
    std::iota(positions.begin(), positions.end(), 0);
    std::stable_sort(positions.begin(), positions.end(), [&](std::size_t a, std::size_t b) {
        return order == PhotoOrder::NewestFirst ? taken[a] > taken[b] : taken[a] < taken[b];
    });
    FileList sortedList;
    std::vector<PhotoFacts> sortedFacts;
    sortedList.reserve(list.size());
    sortedFacts.reserve(facts.size());
    for (const std::size_t i : positions) {
        sortedList.push_back(std::move(list[i]));
        if (i < facts.size()) {
            sortedFacts.push_back(std::move(facts[i]));
        }
    }
    list = std::move(sortedList);
    facts = std::move(sortedFacts);
}
