#include "generate/index_entry.h"

#include <cerrno>
#include <utility>

#include "document/pattern_expansion.h"
#include "generate/damaged_pictures.h"
#include "generate/index_pages.h"
#include "generate/photo_markup.h"
#include "generate/picture_size_question.h"
#include "generate/product.h"
#include "generate/source_kind.h"
#include "generate/web_names.h"
#include "media/file_copy.h"
#include "media/image_size.h"
#include "media/thumbnails.h"
#include "platform/app_folders.h"
#include "platform/files.h"
#include "platform/format.h"
#include "platform/message_box.h"
#include "platform/paths.h"
#include "work/worker_messages.h"

namespace {

constexpr char kThumbnailFolder[] = "Thumbs";

}  // namespace

void ShowCopyFailure(const std::shared_ptr<WorkerMessageReceiver>& window, const std::string& from,
                     const std::string& to, const Result& failed) {
    const std::string reason = ErrorCodeText(failed.error());
    PostErrorText(window, MessageBoxText("Failed to copy file:\n\n   %s\nto\n  %s\n\n(%s)",
                                         from.c_str(), to.c_str(), reason.c_str()));
}

IndexEntryWriter::IndexEntryWriter(const Program& program, ThumbnailQueue& thumbnails,
                                   GenerationSummary& summary,
                                   std::shared_ptr<WorkerMessageReceiver> window)
    : program(program),
      thumbnails(thumbnails),
      summary(summary),
      window(std::move(window)),
      target(program.GetText(ProgramKey::TargetDir)),
      showThumbnails(SourceKindOf(program) == SourceKind::Images &&
                     program.GetBool(ProgramKey::GenerateThumbnails)),
      contentPages(program.GetBool(ProgramKey::GenerateContentPages)),
      boxSize(program.GetInt(ProgramKey::ThumbnailSize)),
      photoMarkup(SourceKindOf(program) == SourceKind::Images && PhotoMarkupOn(program)),
      sharing(program.GetBool(ProgramKey::PagesForSharing)) {
    int across = 1;
    IndexPageShape(program, across, entriesPerPage);
    entriesOnFirstScreen =
        sharing ? EntriesOnPhoneScreen(boxSize) : EntriesOnFirstScreen(across, boxSize);
}

bool IndexEntryWriter::BelowFirstScreen(int place) const {
    const int onPage = entriesPerPage > 0 ? place % entriesPerPage : place;
    return onPage >= entriesOnFirstScreen;
}

bool IndexEntryWriter::Write(PageWriter& page, int position, SourceRecord& record, int shownAt) {
    page.Line(2, "<TD ALIGN=CENTER VALIGN=MIDDLE>\n");
    Picture picture;
    if (showThumbnails && !FindPicture(position, record, picture)) {
        return false;
    }
    if (!record.damage.empty()) {
        // Nothing of the picture is in the site: its content page, if any, is all there is.
        if (contentPages) {
            page.Format("%s<A HREF=\"%s\">\n", page.Indent(0).c_str(),
                        UrlPath(record.contentPage).c_str());
        }
        WriteDamagedPicture(page, record, showThumbnails ? boxSize : 0);
        if (contentPages) {
            page.Line(0, "</A>\n");
        }
        page.Line(-2, "</TD>\n");
        return true;
    }
    // Without content pages the entry leads to the file itself, by a path that still
    // holds once the site is uploaded.
    std::string link = contentPages ? record.contentPage : RelativePath(target, record.source);
    if (!contentPages && !record.originalPublished && !record.webCopy.empty()) {
        link = record.webCopy;  // the original stays private
    }
    if (!contentPages && !record.webVideo.empty()) {
        link = record.webVideo;  // the copy every browser plays, not the phone's own file
    }
    // The theme's viewer shows the picture from the index page itself.
    const std::string viewer = sharing && SourceKindOf(program) == SourceKind::Images
                                   ? ViewerData(record, SharedName(Caption(record), record))
                                   : std::string();
    page.Format("%s<A HREF=\"%s\"%s>", page.Indent(0).c_str(), UrlPath(link).c_str(),
                viewer.c_str());
    if (showThumbnails) {
        if (picture.source.empty()) {
            WriteLabelAlone(page, record);
            page.Line(0, "</A>\n");
            page.Line(-2, "</TD>\n");
            return true;
        }
        const std::string indent = page.Indent(0);
        const std::string source = UrlPath(picture.source);
        std::string attributes;
        const std::string opening = ThumbnailPictureOpening(record, picture.source);
        const std::string closing = PictureClosing(opening);
        if (photoMarkup) {
            const std::string caption = Caption(record);
            // Pages for sharing label a thumbnail with its caption or name, in the same link.
            const bool labelled = sharing && program.GetBool(ProgramKey::IndexLabelThumbnails) &&
                                  program.GetInt(ProgramKey::IndexThumbnailLabelType) != 2;
            attributes = ThumbnailAttributes(
                record, picture.source, sharing ? SharedName(caption, record) : caption,
                BelowFirstScreen(shownAt >= 0 ? shownAt : position), labelled);
        }
        // A video's thumbnail and its mark share a box, so that themes can lay one over the
        // other.
        const std::string box = record.video ? "<SPAN CLASS=\"video-thumb\">" : "";
        const std::string mark = record.video ? VideoMark(record) + "</SPAN>" : "";
        if (picture.width >= 0 && picture.height >= 0) {
            page.Format("%s%s%s<IMG WIDTH=%d HEIGHT=%d BORDER=0\n%s     SRC=\"%s\"%s>%s%s",
                        indent.c_str(), box.c_str(), opening.c_str(), picture.width, picture.height,
                        page.Indent(0).c_str(), source.c_str(), attributes.c_str(), closing.c_str(),
                        mark.c_str());
        } else {
            page.Format("%s%s%s<IMG BORDER=0\n%s     SRC=\"%s\"%s>%s%s", indent.c_str(),
                        box.c_str(), opening.c_str(), page.Indent(0).c_str(), source.c_str(),
                        attributes.c_str(), closing.c_str(), mark.c_str());
        }
        if (program.GetBool(ProgramKey::IndexLabelThumbnails)) {
            // The page's FONT tag again, around the label alone.
            const std::string& fontTag = page.fontTag();
            page.Write(fontTag);
            if (program.GetInt(ProgramKey::IndexThumbnailLabelType) == 2) {
                page.Write("<BR>");
                page.Format("%s%s", page.Indent(0).c_str(), Label(record).c_str());
            } else {
                page.Format("<BR>\n%s", Label(record).c_str());
            }
            if (!fontTag.empty()) {
                page.Write("</FONT>\n");
            }
        }
    } else {
        page.Write(
            HtmlText(sharing ? SharedName(Caption(record), record) : PathFileName(record.source)));
        if (record.video) {
            page.Write(" " + VideoMark(record));
        }
    }
    page.Line(0, "</A>\n");
    page.Line(-2, "</TD>\n");
    return true;
}

bool IndexEntryWriter::FindPicture(int position, SourceRecord& record, Picture& picture) {
    if (record.thumbnail.empty()) {
        ++summary.withoutThumbnail;  // the run could not measure it and has said so
        return true;
    }
    if (PathExtension(record.source) == "GIF" &&
        program.GetInt(ProgramKey::MiscGifThumbnailType) != kGifThumbnailOfFirstFrame) {
        return GifPicture(record, picture);
    }
    ThumbnailQueue::Job job;
    if (!IndexThumbnailJob(record, program, job)) {
        return true;
    }
    ThumbnailOutcome outcome;
    thumbnails.Make(position, job, picture.width, picture.height, &outcome);
    switch (outcome.kind) {
        case ThumbnailOutcome::Kind::Made:
            ++summary.thumbnailsMade;
            if (outcome.damaged) {
                PostStatusText(window, "Damaged picture \"" + PathFileName(record.source) +
                                           "\": its thumbnail shows what could be read");
            }
            break;
        case ThumbnailOutcome::Kind::Kept:
            ++summary.thumbnailsKept;
            break;
        case ThumbnailOutcome::Kind::NotMade:
            // Said once here rather than shown as a broken picture on the page.
            ++summary.withoutThumbnail;
            PostStatusText(window, "No thumbnail for \"" + PathFileName(record.source) +
                                       "\": " + outcome.failure.text());
            if (outcome.failure.kind() == Result::Kind::DamagedInput) {
                MarkDamaged(record, outcome.failure.text());
            }
            return true;
    }
    picture.source = std::string(kThumbnailFolder) + "/" + PathFileName(record.thumbnail);
    return true;
}

bool IndexEntryWriter::GifPicture(const SourceRecord& record, Picture& picture) {
    const int type = program.GetInt(ProgramKey::MiscGifThumbnailType);
    std::string measured;
    if (type == 2) {
        // Ready-made thumbnails: the file of the same name in the chosen folder.
        const std::string folder = program.GetText(ProgramKey::MiscGifThumbnailDir);
        const std::string name = PathFileName(record.source);
        const std::string ready = JoinPath(folder, name);
        if (!folder.empty() && CheckRequiredFile(ready).ok()) {
            const std::string thumbnail = std::string(kThumbnailFolder) + "/TN_" + name;
            const std::string destination = JoinPath(target, thumbnail);
            if (const Result copied = CopyIfChanged(ready, destination); !copied.ok()) {
                ShowCopyFailure(window, ready, destination, copied);
                return false;
            }
            measured = destination;
            picture.source = thumbnail;
        }
    } else if (type == 1) {
        measured = record.source;
        picture.source = PathFileName(record.source);
    }
    if (measured.empty()) {
        if (!CopyPlaceholder()) {
            return false;
        }
        measured = JoinPath(target, kGifPlaceholderName);
        picture.source = kGifPlaceholderName;
    }
    int width = 0;
    int height = 0;
    if (const Result error = GetImageSize(measured, width, height); !error.ok()) {
        // Yes: shown without a size.
        return GoOnWithoutPictureSize(error.text(), measured, measured, window);
    }
    FitThumbnail(width, height, boxSize, boxSize, picture.width, picture.height);
    return true;
}

bool IndexEntryWriter::CopyPlaceholder() {
    if (placeholderCopied) {
        return true;
    }
    const std::string placeholder = JoinPath(ExecutableFolder(), kGifPlaceholderName);
    if (const Result copied = CopyIfChanged(placeholder, JoinPath(target, kGifPlaceholderName));
        !copied.ok()) {
        ShowCopyFailure(window, placeholder, target, copied);
        return false;
    }
    placeholderCopied = true;
    return true;
}

void IndexEntryWriter::WriteLabelAlone(PageWriter& page, const SourceRecord& record) {
    std::string label;
    if (program.GetBool(ProgramKey::IndexLabelThumbnails)) {
        label = Label(record);
    }
    if (label.empty()) {
        page.Write(
            HtmlText(sharing ? SharedName(Caption(record), record) : PathFileName(record.source)));
        return;
    }
    const std::string& fontTag = page.fontTag();
    page.Write(fontTag);
    page.Write(label);
    if (!fontTag.empty()) {
        page.Write("</FONT>\n");
    }
}

std::string IndexEntryWriter::Caption(const SourceRecord& record) {
    if (!descriptionsLoaded) {
        descriptions.Load(program.GetText(ProgramKey::SourceDir));
        descriptionsLoaded = true;
    }
    return PhotoCaption(program, record, descriptions.Find(PathFileName(record.source)));
}

std::string IndexEntryWriter::Label(const SourceRecord& record) {
    const std::string name = PathFileName(record.source);
    switch (program.GetInt(ProgramKey::IndexThumbnailLabelType)) {
        case 1: {
            const std::string description = Caption(record);
            if (!description.empty()) {
                return HtmlText(description);
            }
            break;
        }
        case 2:
            return ExpandPattern(program, ProgramKey::IndexThumbnailCustomLabel, record.source,
                                 record.width, record.height, HtmlText, &record.facts);
        default:
            if (sharing) {
                return HtmlText(SharedName(Caption(record), record));
            }
            break;
    }
    return StringPrintf("%s (%lldKB)", HtmlText(name).c_str(),
                        static_cast<long long>(record.size / 1024));
}
