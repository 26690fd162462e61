#include "upload/sent_files_check.h"

#include <map>

#include "platform/ascii.h"
#include "platform/format.h"
#include "platform/paths.h"
#include "upload/remote_paths.h"

namespace {

// The files of one folder by their sizes, each asked for on its own.
Result AskEach(FtpClient& connection, const std::vector<std::size_t>& indexes,
               const std::vector<SentFile>& files, SentFileFindings& findings) {
    for (const std::size_t index : indexes) {
        const std::string name = PathFileName(files[index].path);
        std::int64_t kept = -1;
        bool found = false;
        if (Result asked = connection.SizeOf(name, kept, found); !asked.ok()) {
            return asked;
        }
        findings[index] = SentFileFinding(name, found, kept, files[index].bytes);
    }
    return Result::Ok();
}

// The folder's listing: by its path where the server can, else from within it.
Result ListFolder(FtpClient& connection, const std::string& folder,
                  std::vector<RemoteEntry>& entries) {
    Result listed = connection.ListFolderAt(folder, entries);
    if (listed.ok() || listed.kind() != Result::Kind::Refused) {
        return listed;
    }
    if (Result entered = connection.SetCurrentDirectory(folder); !entered.ok()) {
        return entered;
    }
    return connection.ListFolder(entries);
}

}  // namespace

std::string SentFileFinding(const std::string& name, bool found, std::int64_t kept,
                            std::int64_t sent) {
    if (!found) {
        return StringPrintf("The server has no \"%s\" after it took the file.", name.c_str());
    }
    if (kept == sent) {
        return {};
    }
    return StringPrintf("The server says it kept %s of \"%s\", not the %s sent.",
                        ByteCountText(kept).c_str(), name.c_str(), GroupedNumber(sent).c_str());
}

Result CheckSentFiles(FtpClient& connection, const std::string& remoteRoot,
                      const std::vector<SentFile>& files, SentFileFindings& findings) {
    findings.assign(files.size(), {});
    std::map<std::string, std::vector<std::size_t>> byFolder;
    for (std::size_t i = 0; i < files.size(); ++i) {
        byFolder[PathFolder(files[i].path)].push_back(i);
    }
    for (const auto& [folder, indexes] : byFolder) {
        std::vector<RemoteEntry> entries;
        const Result listed = ListFolder(connection, RemoteFolderPath(remoteRoot, folder), entries);
        if (!listed.ok()) {
            // A listing the server refuses may still leave it telling sizes one by one.
            if (listed.kind() != Result::Kind::Refused) {
                return listed;
            }
            if (Result asked = AskEach(connection, indexes, files, findings); !asked.ok()) {
                return asked;
            }
            continue;
        }
        std::map<std::string, std::int64_t> sizes;
        // A server that ignores letter case may keep the name a file had before.
        std::map<std::string, std::vector<std::int64_t>> sizesIgnoringCase;
        for (const RemoteEntry& entry : entries) {
            if (!entry.folder && !entry.link) {
                sizes[entry.name] = entry.status.size;
                sizesIgnoringCase[AsciiLowerCase(entry.name)].push_back(entry.status.size);
            }
        }
        for (const std::size_t index : indexes) {
            const std::string name = PathFileName(files[index].path);
            const auto same = sizesIgnoringCase.find(AsciiLowerCase(name));
            if (sizes.count(name) == 0 && same != sizesIgnoringCase.end() &&
                same->second.size() == 1) {
                sizes[name] = same->second.front();
            }
        }
        std::vector<std::size_t> unsized;  // listed without a size
        for (const std::size_t index : indexes) {
            const std::string name = PathFileName(files[index].path);
            const auto found = sizes.find(name);
            if (found != sizes.end() && found->second < 0) {
                unsized.push_back(index);
                continue;
            }
            findings[index] =
                SentFileFinding(name, found != sizes.end(),
                                found != sizes.end() ? found->second : -1, files[index].bytes);
        }
        if (!unsized.empty()) {
            Result entered = connection.SetCurrentDirectory(RemoteFolderPath(remoteRoot, folder));
            if (!entered.ok()) {
                return entered;
            }
            if (Result asked = AskEach(connection, unsized, files, findings); !asked.ok()) {
                return asked;
            }
        }
    }
    return Result::Ok();
}
