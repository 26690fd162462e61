#include "generate/page_writer.h"

#include <cerrno>
#include <cstdarg>

#include "generate/product.h"
#include "generate/text_encoding.h"
#include "platform/files.h"
#include "platform/format.h"

namespace {

constexpr int kMostBlanks = 80;

}  // namespace

PageWriter::~PageWriter() {
    if (file != nullptr) {
        Flush();
        std::fclose(file);
    }
}

Result PageWriter::Open(const std::string& path) {
    filePath = path;
    file = std::fopen(path.c_str(), "wbe");
    return file != nullptr ? Result::Ok() : Result::FromErrno("open", path, errno);
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
    if (file == nullptr) {
        return Result::Ok();
    }
    DeclareUtf8(content);
    const bool written = Flush();
    const int error = errno;
    std::FILE* closing = file;
    file = nullptr;
    if (std::fclose(closing) == 0 && written) {
        return Result::Ok();
    }
    const int failure = written ? errno : error;
    return Result::FromErrno(written ? "close" : "write", filePath, failure)
        .WithText(StringPrintf("Failed to write '%s' (%s)", filePath.c_str(),
                               ErrorCodeText(failure).c_str()));
}

bool PageWriter::Flush() {
    const bool written = std::fwrite(content.data(), 1, content.size(), file) == content.size();
    content.clear();
    return written;
}
