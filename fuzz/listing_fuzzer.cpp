// Folder listings as a server sends them, in MLSD and in LIST's Unix and Windows forms:
// whatever a server sends is read or refused with a reason, without harm, and what is read
// never names a folder's own entries, a name twice, or something both folder and link.

#include <set>
#include <vector>

#include "fuzz_support.h"
#include "upload/ftp_replies.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(InputBytes(data, size));
    for (const bool mlsd : {true, false}) {
        const Expected<std::vector<RemoteEntry>> entries = ParseListing(text, mlsd);
        if (!entries.ok()) {
            if (entries.failure().text().empty()) {
                Broken("a refused listing says why");
            }
            continue;
        }
        std::set<std::string> names;
        for (const RemoteEntry& entry : *entries) {
            if (entry.name.empty() || entry.name == "." || entry.name == "..") {
                Broken("no entry is empty, the folder itself or its parent");
            }
            if (!names.insert(entry.name).second) {
                Broken("each name once");
            }
            if (entry.folder && entry.link) {
                Broken("a link is never a folder to enter");
            }
        }
    }
    return 0;
}
