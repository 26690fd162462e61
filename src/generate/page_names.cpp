#include "generate/page_names.h"

#include <unicode/locid.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <numeric>
#include <set>

#include "generate/site_index_page.h"
#include "platform/files.h"
#include "platform/format.h"
#include "platform/paths.h"

namespace {

constexpr char kPageExtension[] = ".html";
constexpr std::size_t kLongestStem = 200;      // bytes; a name must fit in 255
constexpr std::size_t kLongestExtension = 20;  // likewise

// Letters (with their accents) and digits of any script, "-" and "_" stay; every run of
// anything else, bytes that are not UTF-8 included, becomes one "-". Cut to at most
// longest bytes, never inside a character; no "-" at either end.
std::string Clean(const std::string& text, std::size_t longest) {
    std::string clean;
    bool inRun = false;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    const auto length = static_cast<std::int32_t>(text.size());
    for (std::int32_t at = 0; at < length;) {
        const std::int32_t start = at;
        UChar32 c = 0;
        U8_NEXT(bytes, at, length, c);
        const bool kept = c == '-' || c == '_' ||
                          (c >= 0 && (u_isalnum(c) || (U_GET_GC_MASK(c) & U_GC_M_MASK) != 0));
        if (!kept) {
            inRun = true;
            continue;
        }
        const std::size_t size = static_cast<std::size_t>(at - start) + (inRun ? 1 : 0);
        if (clean.size() + size > longest) {
            break;
        }
        if (inRun) {
            clean += '-';
            inRun = false;
        }
        clean.append(text, static_cast<std::size_t>(start), static_cast<std::size_t>(at - start));
    }
    const std::size_t first = clean.find_first_not_of('-');
    if (first == std::string::npos) {
        return {};
    }
    return clean.substr(first, clean.find_last_not_of('-') - first + 1);
}

// The name as a server that ignores letter case takes it.
std::string Folded(const std::string& name) {
    std::string folded;
    icu::UnicodeString::fromUTF8(name).foldCase().toUTF8String(folded);
    return folded;
}

std::string Lower(const std::string& text) {
    std::string lower;
    icu::UnicodeString::fromUTF8(text).toLower(icu::Locale::getRoot()).toUTF8String(lower);
    return lower;
}

struct Page {
    std::string file;  // the source's file name
    std::string stem;  // the page's name before any number and ".html"
    std::string key;   // stem + ".html", folded
    bool named = false;
};

std::map<std::string, int> CountKeys(const std::vector<Page>& pages) {
    std::map<std::string, int> counts;
    for (const Page& page : pages) {
        ++counts[page.key];
    }
    return counts;
}

}  // namespace

std::vector<std::string> NamedContentPages(const std::vector<std::string>& sources,
                                           const std::vector<std::string>& taken) {
    std::set<std::string> used;
    for (const std::string& name : taken) {
        used.insert(Folded(name));
    }
    std::vector<Page> pages(sources.size());
    for (std::size_t i = 0; i < sources.size(); ++i) {
        Page& page = pages[i];
        page.file = PathFileName(sources[i]);
        const std::size_t dot = page.file.rfind('.');
        page.stem = Clean(page.file.substr(0, dot), kLongestStem);
        if (page.stem.empty()) {
            page.stem = "photo";
        }
        page.key = Folded(page.stem + kPageExtension);
    }
    // A clash, with another page or a name of the run's, brings in the extension.
    std::map<std::string, int> counts = CountKeys(pages);
    for (Page& page : pages) {
        if (counts[page.key] > 1 || used.contains(page.key)) {
            const std::size_t dot = page.file.rfind('.');
            const std::string extension =
                dot == std::string::npos
                    ? std::string()
                    : Lower(Clean(page.file.substr(dot + 1), kLongestExtension));
            if (!extension.empty()) {
                page.stem += "-" + extension;
                page.key = Folded(page.stem + kPageExtension);
            }
        }
    }
    // What still clashes is numbered in the order of the file names. Names that clash with
    // nothing are taken first, then the first of each clash, then the numbers, so that
    // a page keeps its name whatever becomes of sources of other names.
    counts = CountKeys(pages);
    std::vector<std::size_t> byFile(pages.size());
    std::iota(byFile.begin(), byFile.end(), std::size_t{0});
    std::stable_sort(byFile.begin(), byFile.end(), [&pages](std::size_t a, std::size_t b) {
        return pages[a].file < pages[b].file;
    });
    std::vector<std::string> names(pages.size());
    const auto name = [&](std::size_t i, const std::string& page, const std::string& key) {
        names[i] = page;
        used.insert(key);
        pages[i].named = true;
    };
    for (std::size_t i = 0; i < pages.size(); ++i) {
        if (counts[pages[i].key] == 1 && !used.contains(pages[i].key)) {
            name(i, pages[i].stem + kPageExtension, pages[i].key);
        }
    }
    for (const std::size_t i : byFile) {
        if (!pages[i].named && !used.contains(pages[i].key)) {
            name(i, pages[i].stem + kPageExtension, pages[i].key);
        }
    }
    for (const std::size_t i : byFile) {
        for (int number = 2; !pages[i].named; ++number) {
            const std::string page =
                StringPrintf("%s-%d%s", pages[i].stem.c_str(), number, kPageExtension);
            if (const std::string key = Folded(page); !used.contains(key)) {
                name(i, page, key);
            }
        }
    }
    return names;
}

std::vector<std::string> ContentPageNames(const Program& program,
                                          const std::vector<std::string>& sources) {
    if (!program.GetBool(ProgramKey::PageNamesFromFiles)) {
        std::vector<std::string> names;
        for (std::size_t i = 0; i < sources.size(); ++i) {
            names.push_back(StringPrintf("GEN%04d.HTM", static_cast<int>(i)));
        }
        return names;
    }
    std::vector<std::string> taken = {kSiteIndexName};
    // Made in their own folder, the pages stand beside the sources.
    if (SameFolder(program.GetText(ProgramKey::SourceDir),
                   program.GetText(ProgramKey::TargetDir))) {
        for (const std::string& source : sources) {
            taken.push_back(PathFileName(source));
        }
    }
    return NamedContentPages(sources, taken);
}
