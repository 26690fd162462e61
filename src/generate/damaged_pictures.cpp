#include "generate/damaged_pictures.h"

#include <sys/stat.h>

#include <cctype>

#include "generate/index_entry.h"
#include "generate/output_removal.h"
#include "generate/picture_names.h"
#include "generate/product.h"
#include "generate/web_names.h"
#include "media/file_copy.h"
#include "media/thumbnails.h"
#include "platform/app_folders.h"
#include "platform/format.h"
#include "platform/paths.h"

std::string DamageFromSizeError(const std::string& error) {
    const std::size_t paragraph = error.rfind("\n\n");
    std::string reason = paragraph == std::string::npos ? error : error.substr(paragraph + 2);
    while (!reason.empty() && (reason.back() == '.' || reason.back() == '\n')) {
        reason.pop_back();
    }
    if (!reason.empty()) {
        reason[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(reason[0])));
    }
    return reason;
}

void MarkDamaged(SourceRecord& record, const std::string& reason) {
    record.damage = reason.empty() ? "it cannot be read" : reason;
    record.thumbnail.clear();
    record.thumbnail2x.clear();
    record.webCopy.clear();
    record.phoneCopy.clear();
    record.thumbnailSiblings = {};
    record.thumbnail2xSiblings = {};
    record.webSiblings = {};
    record.phoneSiblings = {};
}

void WriteDamagedPicture(PageWriter& page, const SourceRecord& record, int box) {
    int width = kDamagedPlaceholderSize;
    int height = kDamagedPlaceholderSize;
    if (box > 0) {
        FitThumbnail(kDamagedPlaceholderSize, kDamagedPlaceholderSize, box, box, width, height);
    }
    // No ALT words: the sentence beside it says what the picture would.
    const std::string indent = page.Indent(0);
    page.Format("%s<IMG WIDTH=%d HEIGHT=%d BORDER=0\n%s     SRC=\"%s\" ALT=\"\"><BR>\n",
                indent.c_str(), width, height, page.Indent(0).c_str(),
                UrlPath(std::string(kDamagedPlaceholderName)).c_str());
    page.Format("%s%s cannot be shown: %s.\n", page.Indent(0).c_str(),
                HtmlText(PathFileName(record.source)).c_str(), HtmlText(record.damage).c_str());
}

void CopyDamagedPlaceholder(const std::string& target,
                            const std::shared_ptr<WorkerMessageReceiver>& window) {
    const std::string placeholder = JoinPath(ExecutableFolder(), kDamagedPlaceholderName);
    const std::string destination = JoinPath(target, kDamagedPlaceholderName);
    if (const Result copied = CopyIfChanged(placeholder, destination); !copied.ok()) {
        ShowCopyFailure(window, placeholder, destination, copied);
    }
}

int RemoveDamagedWebCopies(const Program& program, const std::vector<SourceRecord>& records,
                           const std::shared_ptr<WorkerMessageReceiver>& window) {
    const std::string target = program.GetText(ProgramKey::TargetDir);
    Remover remover(target, window);
    for (const SourceRecord& record : records) {
        const std::string web = record.damage.empty()
                                    ? std::string()
                                    : WebCopyName(record.source, program, record.transparent);
        if (web.empty()) {
            continue;
        }
        const std::string phone = PhoneCopyName(web);
        for (const std::string& name : {web, WebpSibling(web), AvifSibling(web), phone,
                                        WebpSibling(phone), AvifSibling(phone)}) {
            struct stat status;
            // Only a file of the name the run gives it: a link there is the user's.
            if (::lstat(JoinPath(target, name).c_str(), &status) == 0 && S_ISREG(status.st_mode)) {
                remover.Remove(name);
            }
        }
    }
    return remover.removed;
}
