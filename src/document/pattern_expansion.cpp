#include "document/pattern_expansion.h"

#include <sys/stat.h>

#include "platform/date_time.h"
#include "platform/format.h"
#include "platform/paths.h"

std::string ExpandPattern(const Program& program, ProgramKey keyId, const std::string& subjectPath,
                          int width, int height, SubstitutionFilter filter, const PhotoFacts* facts,
                          const std::string* album) {
    std::string text = program.GetText(keyId);
    if (text.empty()) {
        return text;
    }
    // Two ESC characters hold the place of "%%" so that the letter after it is no code.
    const std::string placeholder = "\x1b\x1b";
    text = ReplaceAll(text, "%%", placeholder);

    const std::string imageSize =
        width != 0 && height != 0 ? StringPrintf("%d x %d", width, height) : "Not an image";
    std::string dateText = "unknown";
    std::string sizeText = "unknown";
    struct stat status;
    if (::stat(subjectPath.c_str(), &status) == 0) {
        dateText = FormatShortDate(status.st_mtime);
        sizeText = StringPrintf("%lldKB", static_cast<long long>(status.st_size / 1024));
    }

    const auto put = [filter](const std::string& value) {
        return filter != nullptr ? filter(value) : value;
    };
    text = ReplaceAll(text, "%D", put(dateText));
    text = ReplaceAll(text, "%S", put(sizeText));
    text = ReplaceAll(text, "%F", put(PathFileName(subjectPath)));
    text = ReplaceAll(text, "%P", put(PathFolder(subjectPath)));
    text = ReplaceAll(text, "%W", put(imageSize));
    std::string takenText = dateText;
    if (facts != nullptr && facts->taken != 0) {
        if (const std::time_t taken = TimeFromOleDate(facts->taken); taken != -1) {
            takenText = FormatShortDate(taken);
        }
    }
    text = ReplaceAll(text, "%T", put(takenText));
    text = ReplaceAll(text, "%C", put(facts != nullptr ? facts->camera : std::string()));
    text = ReplaceAll(text, "%E", put(facts != nullptr ? facts->exposure : std::string()));
    if (album != nullptr) {
        text = ReplaceAll(text, "%A", put(*album));
    }
    return ReplaceAll(text, placeholder, "%");
}

bool PatternUsesPhotoFacts(std::string_view pattern) {
    for (std::size_t i = 0; i + 1 < pattern.size(); ++i) {
        if (pattern[i] != '%') {
            continue;
        }
        const char code = pattern[++i];
        if (code == 'T' || code == 'C' || code == 'E') {
            return true;
        }
    }
    return false;
}
