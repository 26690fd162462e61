#include "generate/page_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>

#include "generate/product.h"
#include "generate/text_encoding.h"
#include "platform/files.h"
#include "platform/format.h"

namespace {

constexpr int kMostBlanks = 80;

}  // namespace

PageWriter::~PageWriter() {
    if (file.valid()) {
        // A page dropped without Close has nobody to tell; Close is how a failure is heard.
        [[maybe_unused]] const Result flushed = Flush();
    }
}

Result PageWriter::Open(const std::string& path) {
    filePath = path;
    same = false;
    file = UniqueFd(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666));
    readable = file.valid();
    if (!readable && errno == EACCES) {
        // A page the user may write but not read is written whole, as it always was.
        file = UniqueFd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    }
    return file.valid() ? Result::Ok() : Result::FromErrno("open", path, errno);
}

void PageWriter::Write(std::string_view text) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && !(i > 0 ? text[i - 1] == '\r' : afterCarriageReturn)) {
            content.append(text.data() + start, i - start);
            content += '\r';
            start = i;
        }
    }
    content.append(text.data() + start, text.size() - start);
    if (!text.empty()) {
        afterCarriageReturn = text.back() == '\r';
    }
}

void PageWriter::Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int needed = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string line;
    if (needed > 0) {
        line.resize(static_cast<std::size_t>(needed));
        std::vsnprintf(line.data(), line.size() + 1, format, again);
    }
    va_end(again);
    Write(line);
}

std::string PageWriter::Indent(int delta) {
    int blanks = 0;
    if (delta > 0) {
        blanks = level;
        level += delta;
    } else {
        level += delta;
        blanks = level;
    }
    if (blanks < 0) {
        blanks = 0;
    }
    return std::string(static_cast<std::size_t>(blanks < kMostBlanks ? blanks : kMostBlanks), ' ');
}

void PageWriter::Line(int delta, std::string_view text) {
    Write(Indent(delta));
    Write(text);
}

void PageWriter::WriteHeader(const std::string& bodyAttributes, const std::string& fontTag,
                             const std::string& language) {
    const std::string name(kProductName);
    const std::string version(kProductVersion);
    Write(language.empty() ? "<HTML>" : "<HTML LANG=\"" + language + "\">");
    Format("\n<META NAME=\"generator\" CONTENT=\"%s %s\">\n<BODY %s>\n", name.c_str(),
           version.c_str(), bodyAttributes.c_str());
    font = fontTag;
    Write(font);
}

void PageWriter::WriteClosing() {
    if (!font.empty()) {
        Write("</FONT>\n");
    }
    Write("</BODY>\n</HTML>\n");
}

Result PageWriter::Close() {
    if (!file.valid()) {
        return Result::Ok();
    }
    DeclareUtf8(content);
    const Result flushed = Flush();
    const Result closed = file.Close();
    if (closed.ok() && flushed.ok()) {
        return Result::Ok();
    }
    const bool written = flushed.ok();
    const int failure = written ? closed.error() : flushed.error();
    return Result::FromErrno(written ? "close" : "write", filePath, failure)
        .WithText(StringPrintf("Failed to write '%s' (%s)", filePath.c_str(),
                               ErrorCodeText(failure).c_str()));
}

bool PageWriter::HoldsContent(const struct stat& status) const {
    if (status.st_size != static_cast<off_t>(content.size())) {
        return false;
    }
    std::string there(content.size(), '\0');
    const Expected<std::size_t> got = ReadAllAt(file.get(), 0, there.data(), there.size());
    return got.ok() && *got == there.size() && there == content;
}

Result PageWriter::Flush() {
    struct stat status;
    // Only a file that can be read is compared, and only a file can be cut short: a
    // device (a full disk in tests) is written to as it is.
    const bool regular = readable && ::fstat(file.get(), &status) == 0 && S_ISREG(status.st_mode);
    same = regular && HoldsContent(status);
    Result written = Result::Ok();
    if (!same) {
        written = regular && ::ftruncate(file.get(), 0) != 0
                      ? Result::FromErrno("write", filePath, errno)
                      : WriteAll(file.get(), content);
    }
    content.clear();
    return written;
}
